#include "app/form1.h"
#include "app/statusbar.h"
#include "drop/dropstring.h"
#include "effect/layers.h"
#include "import/form4.h"
#include "messagesfake.h"
#include "platform/look.h"
#include "roundtripfields.h"
#include "userinput.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

const QString kExample = QStringLiteral(
    R"(drop ["shape1", "", "Billboard", 1, 5, [0, 0, 0.5], [0, 0, 1], 0, 1.275, 1, 0, [0.5, 2, 4], [[1, 1, 1, 1], [0.5, 0.5, 0.5, 0]], [0, 1, 2], 0.1, 0.05, "", "", obj1])");
const QString kExampleCleaned = QStringLiteral(
    R"(["shape1","","Billboard",1,5,[0,0,0.5],[0,0,1],0,1.275,1,0,[0.5,2,4],[[1,1,1,1],[0.5,0.5,0.5,0]],[0,1,2],0.1,0.05,"","",obj1])");
const QString kExampleDrop = QStringLiteral(
    R"(Drop ["shape1","","Billboard",1,5,[0,0,0.5],[0,0,1],0,1.275,1,0,[0.5,2,4],[[1,1,1,1],[0.5,0.5,0.5,0]],[0,1,2],0.1,0.05,"","",obj1])");
const QString kExampleWithVariable = QStringLiteral(
    R"(drop ["shape1", "", "Billboard", 1, 5, [0, 0, 0.5], [0, 0, 1], 0, 1.275, 1, 0, [0.5, 2, 4], [mycolors], [0, 1, 2], 0.1, 0.05, "", "", obj1])");
const QString kColours = QStringLiteral("[1,1,1,1],[0.5,0.5,0.5,0]");

const QStringList kExampleFields{"shape1", "",  "Billboard", "1",     "5",   "0",    "0",   "0.5", "0",
                                 "0",      "1", "0",         "1.275", "1",   "0",    "0.5", "2",   "4",
                                 kColours, "0", "1",         "2",     "0.1", "0.05", "",    "",    "obj1"};

// Everything of the main window an import may write.
struct MainState {
    QStringList fields;
    QString dropString;
    QString colourLine;
    bool separate;
    QString colorVarName;
    bool operator==(const MainState &) const = default;
};

} // namespace

class TestForm4 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opensInDesignerState();
    void boxEnablesColourField();
    void inlineImportFillsMainWindow();
    void separateImportSetsNameAndMode();
    void reimportWithOnlyANewNameRenamesTheVariable();
    void importWritesInOrderOneRebuildEach();
    void importedShapeTypeIsCorrected();
    void failedImportChangesNothing_data();
    void failedImportChangesNothing();
    void failureReasonLastsUntilTheNextEdit();
    void ownOutputSurvivesItsImport_data();
    void ownOutputSurvivesItsImport();
    void randomFieldsRoundTrip_data();
    void randomFieldsRoundTrip();
    void scriptLinesPastedWithTabsImport();
    void laterParametersStayWithTheObject();
    void pastedCommentsEndWithTheirLines();
    void pastedLineBreaksAreRemoved();
    void cancelWritesNothingAndReopensEmpty();
    void closeBoxWritesNothing();
    void importArrayKeepsOpenDialog();
    void pastedSourceBlockFillsFieldsAndSource();
    void pastedEffectReplacesTheLayersAfterTheQuestion();
    void pastedConfigClassFillsFieldsSourceAndClass();

private:
    import::Form4 *openDialog();
    MainState mainState() const;
    void copyBackAndImport(bool separate, const QString &colours);
    static void compareStates(const MainState &actual, const MainState &expected);

    std::unique_ptr<MessagesFake> boxes;
    std::unique_ptr<Form1> form;
};

void TestForm4::init()
{
    boxes = std::make_unique<MessagesFake>();
    form = std::make_unique<Form1>();
    form->show();
}

void TestForm4::cleanup()
{
    form.reset();
    boxes.reset();
    processDeletes();
    QVERIFY(!import::Form4::existing());
}

import::Form4 *TestForm4::openDialog(){QTest::mouseClick(form->Command6, Qt::LeftButton);
import::Form4 *dialog = import::Form4::existing();
if (!dialog || !QTest::qWaitForWindowExposed(dialog))
    qFatal("the import dialog did not open");
return dialog;
}

MainState TestForm4::mainState() const
{
    MainState state;
    for (int n = 1; n <= 27; ++n)
        state.fields << form->Text(n)->text();
    state.dropString = form->Text28->text();
    state.colourLine = form->Text29->text();
    state.separate = form->Check1->isChecked();
    state.colorVarName = form->fields().ColorVarName;
    return state;
}

void TestForm4::opensInDesignerState()
{
    import::Form4 *dialog = openDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), "Import Drop Array");
    QVERIFY(!dialog->parentWidget());
    QCOMPARE(dialog->windowType(), Qt::Tool);
    QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QCOMPARE(dialog->size(), QSize(platform::twips(9390), platform::twips(1890)));

    QCOMPARE(dialog->Text1->text(), "");
    QCOMPARE(dialog->Text2->text(), "");
    QVERIFY(!dialog->Text2->isEnabled());
    QVERIFY(dialog->Text2->isReadOnly());
    QCOMPARE(dialog->Text2->palette().color(QPalette::Base), platform::buttonFaceColour());
    QVERIFY(!dialog->Check1->isChecked());
    QCOMPARE(dialog->Check1->text(), "Seperate color(s)");
    QCOMPARE(dialog->Command1->text(), "OK");
    QCOMPARE(dialog->Command2->text(), "Cancel");
    QCOMPARE(dialog->Label1->text(), "Important:");
    QVERIFY(dialog->Label2->text().startsWith("Only if you're using a variable for the color(s)"));
    QVERIFY(dialog->Label2->wordWrap());
    QCOMPARE(dialog->List1->count(), 0);
    QVERIFY(dialog->List1->geometry().top() >= dialog->height());

    for (QWidget *bold : {static_cast<QWidget *>(dialog->Check1), static_cast<QWidget *>(dialog->Command1),
                          static_cast<QWidget *>(dialog->Command2), static_cast<QWidget *>(dialog->Label1)})
        QVERIFY(bold->font().bold());
    QVERIFY(!dialog->Text1->font().bold());
    QVERIFY(!dialog->Label2->font().bold());

    QCOMPARE(dialog->focusWidget(), dialog->Text1);
    QWidget *chain[] = {dialog->Text1, dialog->Text2, dialog->Check1, dialog->Command1, dialog->Command2};
    for (int i = 0; i + 1 < 5; ++i)
        QCOMPARE(chain[i]->nextInFocusChain(), chain[i + 1]);
}

void TestForm4::boxEnablesColourField()
{
    import::Form4 *dialog = openDialog();
    QTest::mouseClick(dialog->Check1, Qt::LeftButton);
    QVERIFY(dialog->Check1->isChecked());
    QVERIFY(dialog->Text2->isEnabled());
    QVERIFY(!dialog->Text2->isReadOnly());
    QCOMPARE(dialog->Text2->palette().color(QPalette::Base), platform::windowBackgroundColour());
    QTest::keyClicks(dialog->Text2, "[1,1,1,1]");
    QTest::mouseClick(dialog->Check1, Qt::LeftButton);
    QVERIFY(!dialog->Text2->isEnabled());
    QVERIFY(dialog->Text2->isReadOnly());
    QCOMPARE(dialog->Text2->palette().color(QPalette::Base), platform::buttonFaceColour());
    QCOMPARE(dialog->Text2->text(), "[1,1,1,1]");
}

void TestForm4::inlineImportFillsMainWindow()
{
    import::Form4 *dialog = openDialog();
    QTest::keyClicks(dialog->Text1, kExample);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!import::Form4::existing());
    const MainState after = mainState();
    QCOMPARE(after.fields, kExampleFields);
    QCOMPARE(after.dropString, kExampleDrop);
    QCOMPARE(after.colourLine, "");
    QVERIFY(!after.separate);
    QCOMPARE(after.colorVarName, "_color");
}

void TestForm4::reimportWithOnlyANewNameRenamesTheVariable()
{
    const auto importSeparate = [this](const QString &array) {
        import::Form4 *dialog = openDialog();
        QTest::keyClicks(dialog->Text1, array);
        QTest::mouseClick(dialog->Check1, Qt::LeftButton);
        QTest::keyClicks(dialog->Text2, kColours);
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        processDeletes();
    };
    importSeparate(kExampleWithVariable);
    QCOMPARE(form->fields().ColorVarName, "mycolors");

    // No field and not the mode change, so no field's change handling carries the new name along.
    importSeparate(QString(kExampleWithVariable).replace("[mycolors]", "[other]"));
    const MainState after = mainState();
    QCOMPARE(after.fields, kExampleFields);
    QCOMPARE(after.colorVarName, "other");
    QCOMPARE(after.colourLine, "other = [" + kColours + "]");
    QCOMPARE(after.dropString, QString(kExampleDrop).replace("[[1,1,1,1],[0.5,0.5,0.5,0]]", "other"));
    QCOMPARE(form->StatusBar1->panelText(2),
             QStringLiteral("%1 Byte + %2 Byte").arg(after.dropString.size()).arg(after.colourLine.size()));
}

void TestForm4::separateImportSetsNameAndMode()
{
    import::Form4 *dialog = openDialog();
    QTest::keyClicks(dialog->Text1, kExampleWithVariable);
    QTest::mouseClick(dialog->Check1, Qt::LeftButton);
    QTest::keyClicks(dialog->Text2, kColours);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY(!import::Form4::existing());
    const MainState after = mainState();
    QCOMPARE(after.fields, kExampleFields);
    QVERIFY(after.separate);
    QCOMPARE(after.colorVarName, "mycolors");
    QCOMPARE(after.colourLine, "mycolors = [" + kColours + "]");
    QCOMPARE(after.dropString, QString(kExampleDrop).replace("[[1,1,1,1],[0.5,0.5,0.5,0]]", "mycolors"));

    // Importing an inline array afterwards returns the main window to the inline mode.
    dialog = openDialog();
    QTest::keyClicks(dialog->Text1, kExample);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY(!form->Check1->isChecked());
    QCOMPARE(form->Text29->text(), "");
    QCOMPARE(form->Text28->text(), kExampleDrop);
    QCOMPARE(form->fields().ColorVarName, "mycolors");
}

void TestForm4::importWritesInOrderOneRebuildEach()
{
    form->Check1->setChecked(true);
    struct Write {
        int field;
        QStringList fields;
        QString dropString;
        QString name;
        bool separate;
    };
    QList<Write> writes;
    // Connected after the main window's own handling, so each entry sees the state it left.
    for (int n = 1; n <= 27; ++n)
        connect(form->Text(n), &QLineEdit::textChanged, this, [this, n, &writes] {
            writes.append(
                {n, mainState().fields, form->Text28->text(), form->fields().ColorVarName, form->Check1->isChecked()});
        });
    QSignalSpy modeSwitches(form->Check1, &QCheckBox::toggled);

    import::Form4 *dialog = openDialog();
    dialog->Text1->setText(kExampleWithVariable);
    dialog->Check1->setChecked(true);
    dialog->Text2->setText(kColours);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);

    // Every field that received a different text was written once, in numeric order, and its own
    // change handling had rebuilt the drop string before the next write.
    QList<int> order;
    for (const Write &write : writes)
        order << write.field;
    QCOMPARE(order, QList<int>({1, 3, 4, 5, 8, 11, 13, 14, 16, 17, 18, 19, 21, 22, 23, 24, 27}));
    for (const Write &write : writes) {
        QCOMPARE(write.dropString, drop::formatDropString(write.fields, drop::ColourMode::Separate, write.name));
        QCOMPARE(write.fields.mid(0, write.field), kExampleFields.mid(0, write.field));
        QCOMPARE(write.fields.mid(write.field), drop::startTexts().mid(write.field));
        QVERIFY(write.separate);
        // The name arrives after the colour list and before AnimationPhase.
        QCOMPARE(write.name, write.field <= 19 ? "_color" : "mycolors");
        // Two colours from Text19 on: the variable stands bare.
        QCOMPARE(write.dropString.contains(",[_color],"), write.field < 19);
        QCOMPARE(write.dropString.contains(",mycolors,"), write.field > 19);
    }
    QCOMPARE(modeSwitches.count(), 0); // the box was already set
}

void TestForm4::importedShapeTypeIsCorrected()
{
    import::Form4 *dialog = openDialog();
    QTest::keyClicks(dialog->Text1, QString(kExample).replace("Billboard", "billboard"));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(form->Text(3)->text(), "Billboard");
    QCOMPARE(form->Text28->text(), kExampleDrop);
}

void TestForm4::failedImportChangesNothing_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << "" << false << ""
                           << "There is no drop array to import";
    QTest::newRow("empty, box set") << "" << true << ""
                                    << "There is no drop array to import";
    QTest::newRow("vector of two") << QString(kExample).replace("[0, 0, 0.5]", "[0, 0.5]") << false
                                   << QString(kExampleCleaned).replace("[0,0,0.5]", "[0,0.5]")
                                   << "Position has 2 values; its fields take 3";
    QTest::newRow("MoveVelocity of four")
        << QString(kExample).replace("[0, 0, 1]", "[0, 0, 1, 1]") << false
        << QString(kExampleCleaned).replace("[0,0,1]", "[0,0,1,1]") << "MoveVelocity has 4 values; its fields take 3";
    QTest::newRow("empty colour, box clear")
        << QString(kExample).replace("[[1, 1, 1, 1], [0.5, 0.5, 0.5, 0]]", "") << false
        << QString(kExampleCleaned).replace("[[1,1,1,1],[0.5,0.5,0.5,0]]", "")
        << "Color is not a list of colour arrays; for a colour variable check \"Seperate color(s)\"";
    QTest::newRow("colour token a string")
        << QString(kExampleWithVariable).replace("[mycolors]", "'m'") << true
        << QString(kExampleWithVariable).replace("[mycolors]", "'m'").mid(4).remove(' ')
        << "Color is not a colour variable name; for a colour list clear \"Seperate color(s)\"";
    QTest::newRow("DROP and a leading comma")
        << "DROP ," + kExample.mid(5) << false << "," + kExampleCleaned << "The drop array does not begin with [";
}

void TestForm4::failedImportChangesNothing()
{
    QFETCH(QString, pasted);
    QFETCH(bool, separate);
    QFETCH(QString, shown);
    QFETCH(QString, reason);
    form->Text(1)->setText("before");
    form->Check1->setChecked(!separate);
    form->Text29->setText("oldname = x");
    const MainState before = mainState();

    import::Form4 *dialog = openDialog();
    QTest::keyClicks(dialog->Text1, pasted);
    if (separate)
        QTest::mouseClick(dialog->Check1, Qt::LeftButton);
    QTest::keyClicks(dialog->Text2, "[1,1,1,1]");
    QSignalSpy rebuilds(form->Text28, &QLineEdit::textChanged);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);

    QCOMPARE(import::Form4::existing(), dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->Text1->text(), shown);
    QCOMPARE(dialog->List1->count(), 0);
    QCOMPARE(rebuilds.count(), 0);
    QVERIFY(mainState() == before);
    QCOMPARE(dialog->Text1->toolTip(), reason);
    QCOMPARE(dialog->Text1->palette().color(QPalette::Text), platform::errorTextColour());
    QVERIFY(boxes->shown.isEmpty());
}

void TestForm4::failureReasonLastsUntilTheNextEdit()
{
    import::Form4 *dialog = openDialog();
    const QRect geometry = dialog->Text1->geometry();
    QTest::keyClicks(dialog->Text1, QString(kExample).replace("[0, 0, 1]", "[0, 1]"));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(dialog->Text1->toolTip(), "MoveVelocity has 2 values; its fields take 3");
    QCOMPARE(dialog->Text1->palette().color(QPalette::Text), platform::errorTextColour());
    // The layout and the keyboard flow stay as they were.
    QCOMPARE(dialog->Text1->geometry(), geometry);
    QCOMPARE(dialog->Text1->nextInFocusChain(), dialog->Text2);

    // A second OK on the same text keeps the report; an edit ends it.
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(dialog->Text1->toolTip(), "MoveVelocity has 2 values; its fields take 3");
    dialog->Text1->setFocus();
    QTest::keyClick(dialog->Text1, Qt::Key_End);
    QTest::keyClick(dialog->Text1, Qt::Key_Backspace);
    QCOMPARE(dialog->Text1->toolTip(), "");
    QCOMPARE(dialog->Text1->palette().color(QPalette::Text), QApplication::palette().color(QPalette::Text));

    // Typed back correctly, the array imports.
    QTest::keyClick(dialog->Text1, Qt::Key_Home);
    dialog->Text1->setText(kExample);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY(!import::Form4::existing());
    QCOMPARE(mainState().fields, kExampleFields);
}

void TestForm4::compareStates(const MainState &actual, const MainState &expected)
{
    QCOMPARE(actual.fields, expected.fields);
    QCOMPARE(actual.dropString, expected.dropString);
    QCOMPARE(actual.colourLine, expected.colourLine);
    QCOMPARE(actual.separate, expected.separate);
    QCOMPARE(actual.colorVarName, expected.colorVarName);
}

// Copies the main window's drop string (and, separate, its colour list) into a fresh dialog as a
// user does, with the clipboard, and presses OK.
void TestForm4::copyBackAndImport(bool separate, const QString &colours)
{
    form->Text28->setFocus();
    form->Text28->selectAll();
    QTest::keyClick(form->Text28, Qt::Key_C, Qt::ControlModifier);
    import::Form4 *dialog = openDialog();
    dialog->Text1->setFocus();
    QTest::keyClick(dialog->Text1, Qt::Key_V, Qt::ControlModifier);
    if (separate) {
        QTest::mouseClick(dialog->Check1, Qt::LeftButton);
        paste(dialog->Text2, colours);
    }
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    if (import::Form4::existing())
        qWarning("the import failed: %s", qPrintable(dialog->Text1->toolTip()));
    processDeletes();
}

void TestForm4::ownOutputSurvivesItsImport_data()
{
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QString>("name"); // typed as the first word of Text29
    QTest::addColumn<QString>("colours");
    QTest::addColumn<QString>("value13");
    QTest::newRow("inline") << false << ""
                            << "[1,0.5,0,1],[random 1,0,0,0]"
                            << "[[1,0.5,0,1],[random 1,0,0,0]]";
    QTest::newRow("separate, two colours") << true << ""
                                           << "[1,0.5,0,1],[random 1,0,0,0]"
                                           << "_color";
    QTest::newRow("separate, no colours") << true << ""
                                          << ""
                                          << "_color";
    QTest::newRow("separate, one colour, renamed") << true << "smoke"
                                                   << "[1,0.5,0,1]"
                                                   << "[smoke]";
    QTest::newRow("separate, two colours, renamed") << true << "smoke"
                                                    << "[1,0.5,0,1], [1,1,1,0]"
                                                    << "smoke";
    QTest::newRow("separate, three colours, renamed") << true << "fade"
                                                      << "[1,0,0,1],[0,1,0,0.5],[0,0,1,0]"
                                                      << "fade";
}

void TestForm4::ownOutputSurvivesItsImport()
{
    QFETCH(bool, separate);
    QFETCH(QString, name);
    QFETCH(QString, colours);
    QFETCH(QString, value13);
    if (separate)
        QTest::mouseClick(form->Check1, Qt::LeftButton);
    if (!name.isEmpty())
        retype(form->Text29, name + " = x");
    retype(form->Text(25), R"(hint "x y"; _this setDamage 1)");
    retype(form->Text(1), "my shape");
    retype(form->Text(9), "random 1");
    retype(form->Text(19), colours);
    retype(form->Text(26), "[_this, 2] exec \"\"fx.sqs\"\"");
    const MainState before = mainState();
    QVERIFY(before.dropString.contains(",[0,0,0]," + value13 + ",[0,0,0],"));

    // Cleared first, so that the import has everything to write.
    for (int n = 1; n <= 27; ++n)
        form->Text(n)->clear();
    form->Text28->setText(before.dropString);
    copyBackAndImport(separate, before.fields.at(18));
    QVERIFY(!import::Form4::existing());
    compareStates(mainState(), before);
}

void TestForm4::randomFieldsRoundTrip_data()
{
    QTest::addColumn<bool>("separate");
    QTest::addColumn<int>("seed");
    QTest::newRow("inline") << false << 4711;
    QTest::newRow("separate") << true << 815;
}

void TestForm4::randomFieldsRoundTrip()
{
    QFETCH(bool, separate);
    QFETCH(int, seed);
    QRandomGenerator random(seed);
    RoundTripFields generate([&random](int n) { return int(random.bounded(n)); });
    if (separate)
        QTest::mouseClick(form->Check1, Qt::LeftButton);
    for (int round = 0; round < 40; ++round) {
        QStringList fields = generate.fields(separate);
        // The main window corrects these two shape types as they are typed.
        if (fields[2] == "billboard" || fields[2] == "spaceobject")
            fields[2].clear();
        // The name first: each field's rebuild then writes it into the colour line.
        if (separate)
            paste(form->Text29, generate.name() + " = x");
        for (int n = 1; n <= 27; ++n)
            paste(form->Text(n), fields.at(n - 1));
        const MainState before = mainState();
        QCOMPARE(before.fields, fields);
        for (int n = 1; n <= 27; ++n)
            form->Text(n)->clear();
        form->Text28->setText(before.dropString);
        copyBackAndImport(separate, before.fields.at(18));
        QVERIFY2(!import::Form4::existing(), qPrintable(before.dropString));
        compareStates(mainState(), before);
        if (QTest::currentTestFailed())
            qWarning("round %d: %s", round, qPrintable(before.dropString));
    }
}

void TestForm4::scriptLinesPastedWithTabsImport()
{
    const QString script = "drop [\r\n"
                           "\t\"cl_basic\", \"\", \"Billboard\", 1, 8,\r\n"
                           "\t[0, 0, 0], [random 0.5 - random 0.7, 0, 0.8], 1, 1.25, 1, 0.1,\r\n"
                           "\t[0.3, 3], [[0.5, 0.5, 0.5, 0.5]], [0],\r\n"
                           "\t0.2, 0.3, \"[_this, 2] exec \"\"fx.sqs\"\"\", \"\", getPos player, 0\r\n"
                           "];\r\n";
    import::Form4 *dialog = openDialog();
    QApplication::clipboard()->setText(script);
    dialog->Text1->setFocus();
    QTest::keyClick(dialog->Text1, Qt::Key_V, Qt::ControlModifier);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY(!import::Form4::existing());
    const QStringList expected{"cl_basic",
                               "",
                               "Billboard",
                               "1",
                               "8",
                               "0",
                               "0",
                               "0",
                               "random 0.5 - random 0.7",
                               "0",
                               "0.8",
                               "1",
                               "1.25",
                               "1",
                               "0.1",
                               "0.3",
                               "",
                               "3",
                               "[0.5,0.5,0.5,0.5]",
                               "0",
                               "0",
                               "0",
                               "0.2",
                               "0.3",
                               R"([_this, 2] exec ""fx.sqs"")",
                               "",
                               "getPos player,0"};
    QCOMPARE(mainState().fields, expected);
    QCOMPARE(form->Text28->text(), drop::formatDropString(expected, drop::ColourMode::Inline, "_color"));
}

void TestForm4::laterParametersStayWithTheObject()
{
    import::Form4 *dialog = openDialog();
    QPointer<import::Form4> guard(dialog);
    QTest::keyClicks(dialog->Text1, QString(kExample).replace("obj1]", "obj1,extra]"));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY(guard); // closed, not yet deleted
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->List1->count(), 28);
    QCOMPARE(dialog->List1->item(26)->text(), "obj1");
    QCOMPARE(dialog->List1->item(27)->text(), "extra");
    QCOMPARE(form->Text(27)->text(), "obj1,extra");
    QCOMPARE(form->Text28->text(), QString(kExampleDrop).replace("obj1]", "obj1,extra]"));
}

void TestForm4::pastedCommentsEndWithTheirLines()
{
    import::Form4 *dialog = openDialog();
    QString script = kExample;
    script.replace("[[", "// colours: start, end\r\n[[").replace(", obj1", ", /* the\n object */ obj1");
    script.replace("drop [", "_ps setParticleParams [").append(";\n");
    QApplication::clipboard()->setText(script);
    dialog->Text1->setFocus();
    QTest::keyClick(dialog->Text1, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(!dialog->Text1->text().contains("colours"));
    QCOMPARE(dialog->Text1->cursorPosition(), dialog->Text1->text().size());
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY(!import::Form4::existing());
    QCOMPARE(form->Text28->text(), kExampleDrop);

    // Typed on one line, a "//" runs to the end of the text, as in the game.
    dialog = openDialog();
    QTest::keyClicks(dialog->Text1, "drop [\"a\" // b");
    QCOMPARE(dialog->Text1->text(), "drop [\"a\" // b");
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(dialog->Text1->toolTip(), "The bracket at character 1 is not closed");
}

void TestForm4::pastedLineBreaksAreRemoved()
{
    import::Form4 *dialog = openDialog();
    QString multiline = kExample;
    multiline.replace(", [[", ",\r\n    [[").replace(", obj1", ",\nobj1");
    QApplication::clipboard()->setText(multiline);
    dialog->Text1->setFocus();
    QTest::keyClick(dialog->Text1, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(dialog->Text1->text(), QString(multiline).replace("\r\n", " ").replace('\n', ' '));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(form->Text28->text(), kExampleDrop);
}

void TestForm4::cancelWritesNothingAndReopensEmpty()
{
    const MainState before = mainState();
    import::Form4 *dialog = openDialog();
    QTest::keyClicks(dialog->Text1, kExample);
    QTest::mouseClick(dialog->Check1, Qt::LeftButton);
    QTest::keyClicks(dialog->Text2, kColours);
    QTest::mouseClick(dialog->Command2, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!import::Form4::existing());
    QVERIFY(mainState() == before);

    // Opened again before the old one is deleted, it still starts from the designer state.
    dialog = openDialog();
    QCOMPARE(dialog->Text1->text(), "");
    QCOMPARE(dialog->Text2->text(), "");
    QVERIFY(!dialog->Check1->isChecked());
    QVERIFY(!dialog->Text2->isEnabled());
    QVERIFY(dialog->isVisible());
}

void TestForm4::closeBoxWritesNothing()
{
    const MainState before = mainState();
    import::Form4 *dialog = openDialog();
    QTest::keyClicks(dialog->Text1, kExample);
    QVERIFY(dialog->close());
    QVERIFY(!import::Form4::existing());
    QVERIFY(mainState() == before);
}

void TestForm4::importArrayKeepsOpenDialog()
{
    import::Form4 *dialog = openDialog();
    QTest::keyClicks(dialog->Text1, "drop [\"half");
    QTest::mouseClick(dialog->Check1, Qt::LeftButton);
    QCOMPARE(openDialog(), dialog);
    QCOMPARE(dialog->Text1->text(), "drop [\"half");
    QVERIFY(dialog->Check1->isChecked());
    QVERIFY(dialog->Text2->isEnabled());
}

void TestForm4::pastedConfigClassFillsFieldsSourceAndClass()
{
    const QString pasted = "#define SMOKE_RED {1, 0.5, 0.5} \\\n  // carried on\n"
                           "class CfgCloudlets {\n"
                           "  class Default;\n"
                           "  class MyTag_Smoke: Default { // rising smoke\n"
                           "    interval = 0.05; particleShape = \"\\a\\Universal\"; particleFSNtieth = 16;\n"
                           "    particleType = Billboard; lifeTime = 10; moveVelocity[] = {0, 0.5, 0};\n"
                           "    color[] = {\n      {1, 1, 1, 0.7},\n      {1, 1, 1, 0}\n    };\n"
                           "    positionVar[] = {0.3, 0.2, 0.1}; IgnoreWind = true; colorCoef[] = SMOKE_RED;\n"
                           "  };\n"
                           "};\n";
    import::Form4 *dialog = openDialog();
    QApplication::clipboard()->setText(pasted);
    dialog->Text1->setFocus();
    QTest::keyClick(dialog->Text1, Qt::Key_V, Qt::ControlModifier);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY2(!import::Form4::existing(), qPrintable(dialog->Text1->toolTip()));

    QCOMPARE(form->Text(1)->text(), R"(["\a\Universal",16,0,1,1])");
    QCOMPARE(form->Text(3)->text(), "Billboard");
    QCOMPARE(form->Text(5)->text(), "10");
    QCOMPARE(form->Text(11)->text(), "0.5");
    QCOMPARE(form->Text(19)->text(), "[1,1,1,0.7],[1,1,1,0]");
    QVERIFY(!form->Check1->isChecked());
    const effect::SourceSettings &settings = form->source().settings();
    QVERIFY(settings.interval.set);
    QCOMPARE(settings.interval.text, "0.05");
    QVERIFY(settings.random.set);
    QCOMPARE(settings.random.texts.at(effect::SourceRandom::PositionZ), "0.2");
    QVERIFY(!settings.circle.set);
    const effect::EffectClass &configClass = form->source().configClass();
    QCOMPARE(configClass.name, "MyTag_Smoke");
    QCOMPARE(configClass.base, "Default");
    QCOMPARE(configClass.configOnly,
             QList<sqf::ConfigEntry>({{"IgnoreWind", false, "true", false}, {"colorCoef", true, "SMOKE_RED", false}}));
    // The fields the class did not write are marked, to be left out of its copy.
    QVERIFY(std::any_of(configClass.marks.cbegin(), configClass.marks.cend(),
                        [](const effect::ConfigFieldMark &mark) { return mark.field == "lifeTimeVar"; }));
    QVERIFY(std::none_of(configClass.marks.cbegin(), configClass.marks.cend(),
                         [](const effect::ConfigFieldMark &mark) { return mark.field == "lifeTime"; }));
    QVERIFY(form->source().importNotes().last().contains("IgnoreWind, colorCoef"));

    // A class whose brace does not close is refused with the reason, and nothing changes.
    dialog = openDialog();
    dialog->Text1->setText("class Broken: Default { lifeTime = 2;");
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY(import::Form4::existing());
    QVERIFY2(dialog->Text1->toolTip().contains("the brace of class Broken"), qPrintable(dialog->Text1->toolTip()));
    QCOMPARE(form->Text(5)->text(), "10");
    dialog->close();
}

void TestForm4::pastedSourceBlockFillsFieldsAndSource()
{
    const QString array = kExample.mid(5).replace("[[1, 1, 1, 1], [0.5, 0.5, 0.5, 0]]", "[_color]");
    const QString block =
        "// smoke over the fire\n"
        "_PS = \"#particlesource\" createVehicleLocal getPos _obj;\n"
        "_color = [1, 0.5, 0, 1];\n"
        "_ps setParticleParams "
        + array
        + ";\n"
          "_ps setParticleRandom [2, [0.3, 0.3, 0.3], [1.5, 1.5, 1], 20, 0.2, [0, 0, 0, 0.1], 0, 0];\n"
          "_ps setParticleCircle [3, [0, 0, 0.5]]; /* ring */\n"
          "_ps attachTo [_obj, [0, 0, 1]];\n"
          "_ps setDropInterval 0.05;\n"
          "playSound \"fire\";\n";
    QSignalSpy notesChanged(&form->source(), &effect::Source::importNotesChanged);
    import::Form4 *dialog = openDialog();
    QApplication::clipboard()->setText(block);
    dialog->Text1->setFocus();
    QTest::keyClick(dialog->Text1, Qt::Key_V, Qt::ControlModifier);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY2(!import::Form4::existing(), qPrintable(dialog->Text1->toolTip()));

    QStringList fields = kExampleFields;
    fields[18] = "[1,0.5,0,1]";
    const MainState after = mainState();
    QCOMPARE(after.fields, fields);
    QVERIFY(after.separate);
    QCOMPARE(after.colorVarName, "_color");
    QCOMPARE(after.colourLine, "_color = [1,0.5,0,1]");
    QCOMPARE(after.dropString, QString(kExampleDrop).replace("[[1,1,1,1],[0.5,0.5,0.5,0]]", "[_color]"));

    const effect::SourceSettings &settings = form->source().settings();
    QCOMPARE(settings.name, "_ps");
    QVERIFY(settings.random.set);
    QCOMPARE(settings.random.elements, 8);
    QCOMPARE(settings.random.texts.at(effect::SourceRandom::VelocityX), "1.5");
    QCOMPARE(settings.random.texts.at(effect::SourceRandom::ColorA), "0.1");
    QVERIFY(settings.circle.set);
    QCOMPARE(settings.circle.texts.at(effect::SourceCircle::Radius), "3");
    QCOMPARE(settings.circle.texts.at(effect::SourceCircle::VelocityZ), "0.5");
    QVERIFY(settings.interval.set);
    QCOMPARE(settings.interval.text, "0.05");
    QVERIFY(settings.otherCommands.isEmpty());
    // The attachTo places the source off the object: the effect's one layer, there.
    QCOMPARE(form->source().importNotes(), QStringList{"left out: playSound"});
    QCOMPARE(notesChanged.count(), 1);
    QCOMPARE(form->source().layers().size(), 1);
    QCOMPARE(form->source().layers().at(0).offset, (std::array<QString, 3>{"0", "0", "1"}));

    // A plain drop array afterwards: the commands unset, the name _ps, the notes gone.
    dialog = openDialog();
    QTest::keyClicks(dialog->Text1, kExample);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY(!import::Form4::existing());
    QCOMPARE(mainState().fields, kExampleFields);
    QVERIFY(!form->Check1->isChecked());
    QVERIFY(form->source().settings() == effect::SourceSettings());
    QVERIFY(form->source().importNotes().isEmpty());
    QCOMPARE(notesChanged.count(), 2);
}

void TestForm4::pastedEffectReplacesTheLayersAfterTheQuestion()
{
    const QString array = kExample.mid(5);
    const QString script = "_fire = \"#particlesource\" createVehicleLocal getPos _obj;\n"
                           "_smoke = \"#particlesource\" createVehicleLocal getPos _obj;\n"
                           "_fire setParticleParams "
                           + array + ";\n_smoke setParticleParams " + QString(array).replace("\"shape1\"", "\"smoke\"")
                           + ";\n_smoke attachTo [_obj, [0, 0, 0.6]];\n_fire setDropInterval 0.03;\n"
                             "_haze = \"#particlesource\" createVehicleLocal getPos _obj;\n"
                             "_haze setParticleClass \"HeatHaze\";\nsleep 2;\n";
    import::Form4 *dialog = openDialog();
    dialog->Text1->setText(script);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY2(!import::Form4::existing(), qPrintable(dialog->Text1->toolTip()));
    QVERIFY(boxes->shown.isEmpty());
    const effect::Source &source = form->source();
    QCOMPARE(source.layers().size(), 3);
    QCOMPARE(source.layers().at(1).name(), "_smoke");
    QCOMPARE(source.layers().at(1).offset, (std::array<QString, 3>{"0", "0", "0.6"}));
    QVERIFY(source.layers().at(2).classOnly);
    QCOMPARE(source.selected(), 0);
    QCOMPARE(source.settings().name, "_fire");
    QCOMPARE(mainState().fields, kExampleFields);
    QVERIFY(source.importNotes().join('\n').contains("_haze"));

    // Over an effect of several layers, the import asks first; no keeps them all.
    boxes->answer = false;
    dialog = openDialog();
    dialog->Text1->setText(QString(script).replace("_haze", "_embers"));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(boxes->shown.last(), "question|Import Array|The effect has 3 layers. Replace them with the 3 layers of "
                                  "the pasted script?");
    QCOMPARE(source.layers().at(2).name(), "_haze");
    dialog->close();
    // A plain array goes into the selected layer and keeps the others.
    dialog = openDialog();
    QTest::keyClicks(dialog->Text1, QString(kExample).replace("\"shape1\"", "\"other\""));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(boxes->shown.size(), 1);
    QCOMPARE(source.layers().size(), 3);
    QCOMPARE(form->Text(1)->text(), "other");
}

QTEST_MAIN(TestForm4)
#include "tst_form4.moc"
