#include "app/form1.h"
#include "app/statusbar.h"
#include "colour/form2.h"
#include "colour/form3.h"
#include "drop/fieldtable.h"
#include "import/form4.h"
#include "messagesfake.h"
#include "preview/form5.h"
#include "userinput.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QString kStartDrop = R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])";
const QString kStartDropSeparate = R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[_color],[0,0,0],0,0,"","",])";

template <typename T> int windowsOf()
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (qobject_cast<T *>(widget))
            ++count;
    return count;
}

// Records the order in which windows receive their close event.
class CloseOrder : public QObject {
public:
    QStringList order;
    void watch(QWidget *window, const QString &name)
    {
        m_names.insert(window, name);
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close)
            order << m_names.value(watched);
        return false;
    }

private:
    QHash<QObject *, QString> m_names;
};

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsWithTheInlineDropString();
    void windowLooksAsDrawn();
    void typingRebuilds_data();
    void typingRebuilds();
    void separateModeSwitchesBackAndForth();
    void firstWordOfColourLineRenamesVariable();
    void clearingColourLineKeepsName();
    void typingIntoResultChangesOnlySize();
    void colourFieldInSeparateMode();
    void secondColourNamesTheVariableBare();
    void shapeTypeIsCorrected_data();
    void shapeTypeIsCorrected();
    void shapeTypeCorrectionRebuildsNested();
    void resetAnsweredNoKeepsFields();
    void resetRestoresStartTexts_data();
    void resetRestoresStartTexts();
    void resetRebuildsOncePerChangedField();
    void helpTextFollowsPointer();
    void tabOrderFollowsFields();
    void pastedLineBreaksBecomeSpaces_data();
    void pastedLineBreaksBecomeSpaces();
    void fieldsHaveNoLengthLimit();
    void secondaryWindowsAreSingle();
    void exitClosesWindowsInOrder();
    void closeBoxClosesWindowsInOrder();
    void keyPanelsInactiveWithoutState();

private:
    std::unique_ptr<Form1> form;
    std::unique_ptr<MessagesFake> boxes;
};

void TestForm1::init()
{
    boxes = std::make_unique<MessagesFake>();
    form = std::make_unique<Form1>();
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
}

void TestForm1::cleanup()
{
    form.reset();
    boxes.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestForm1::startsWithTheInlineDropString()
{
    QCOMPARE(form->Text28->text(), kStartDrop);
    QCOMPARE(form->Text28->text().size(), 75);
    QCOMPARE(form->StatusBar1->panelText(2), "75 Byte");
    QCOMPARE(form->StatusBar1->panelText(1), "");
    QCOMPARE(form->Text29->text(), "");
    QVERIFY(form->Text29->isReadOnly());
    QVERIFY(!form->Check1->isChecked());
    QCOMPARE(form->fields().ColorVarName, "_color");
    QCOMPARE(QApplication::focusWidget(), form->Text(1));
}

void TestForm1::windowLooksAsDrawn()
{
    QCOMPARE(form->windowTitle(), " Plumewright 1.1 by Orvane");
    QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QVERIFY(!form->windowIcon().isNull());
    QCOMPARE(form->Label(1)->text(), "ShapeName");
    QCOMPARE(form->Label(13)->text(), "Color");
    QCOMPARE(form->Label(19)->text(), "Object");
    QVERIFY(form->Label(1)->font().bold());
    QVERIFY(form->Command1->font().bold());
    QVERIFY(!form->Text(1)->font().bold());
    QCOMPARE(form->Text(1)->font().pointSizeF(), 8.25);
    QCOMPARE(form->Check1->text(), "Put color(s) into a seperate variable");
    const QList<QPushButton *> row{form->Command6, form->Command1, form->Command4, form->Command3, form->Command2};
    const QStringList captions{"Import Array", "Choose Colors", "Create SQS", "Reset", "Exit"};
    for (int i = 0; i < row.size(); ++i) {
        QCOMPARE(row[i]->text(), captions[i]);
        if (i > 0)
            QVERIFY(row[i]->x() > row[i - 1]->x());
        QCOMPARE(row[i]->y(), row[0]->y());
    }
    // Rows of fields top to bottom, vectors side by side, the result field across the window.
    QVERIFY(form->Text(1)->y() < form->Text(9)->y());
    QVERIFY(form->Text(9)->y() < form->Text(19)->y());
    QVERIFY(form->Text(19)->y() < form->Text(27)->y());
    QCOMPARE(form->Text(6)->y(), form->Text(8)->y());
    QVERIFY(form->Text(7)->x() > form->Text(6)->x());
    QVERIFY(form->Text28->y() > form->Text(27)->y());
    QVERIFY(form->Text29->y() > form->Text28->y());
    QVERIFY(form->Check1->x() > form->Text29->x() + form->Text29->width() - 1);
    // "Preview" stands in the row of Text29, between it and the check box, as wide as the buttons.
    QCOMPARE(form->Command7->text(), "Preview");
    QVERIFY(form->Command7->font().bold());
    QVERIFY(form->Command7->x() > form->Text29->x() + form->Text29->width() - 1);
    QVERIFY(form->Check1->x() > form->Command7->x() + form->Command7->width() - 1);
    QCOMPARE(form->Command7->width(), form->Command2->width());
    QVERIFY(form->Command7->geometry().contains(form->Command7->x() + 1, form->Text29->geometry().center().y()));
    QVERIFY(form->StatusBar1->y() >= form->Command7->y() + form->Command7->height());
    QVERIFY(form->Text28->width() > form->width() * 9 / 10);
    QVERIFY(form->StatusBar1->y() > form->Text29->y());
}

// clang-format off
void TestForm1::typingRebuilds_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QString>("dropString");
    QTest::addColumn<QString>("colourLine");
    QTest::addColumn<QString>("size");

    QTest::newRow("shape name") << 1 << "smoke" << false
                                << R"(Drop ["smoke","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])"
                                << "" << "80 Byte";
    QTest::newRow("one colour inline")
        << 19 << "[1,1,1,1]" << false
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[1,1,1,1]],[0,0,0],0,0,"","",])" << ""
        << "82 Byte";
    QTest::newRow("one colour separate") << 19 << "[1,1,1,1]" << true << kStartDropSeparate << "_color = [1,1,1,1]"
                                         << "79 Byte + 18 Byte";
    QTest::newRow("start texts separate") << 4 << "0" << true << kStartDropSeparate << "_color = []"
                                          << "79 Byte + 11 Byte";
    QTest::newRow("two colours separate")
        << 19 << "[1,0,0,1],[0,1,0,0.5]" << true
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],_color,[0,0,0],0,0,"","",])"
        << "_color = [[1,0,0,1],[0,1,0,0.5]]" << "77 Byte + 32 Byte";
    QTest::newRow("three colours separate")
        << 19 << "[1,0,0,1],[0,1,0,0.5],[0,0,1,0]" << true
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],_color,[0,0,0],0,0,"","",])"
        << "_color = [[1,0,0,1],[0,1,0,0.5],[0,0,1,0]]" << "77 Byte + 42 Byte";
    QTest::newRow("emptied colours separate")
        << 19 << "" << true << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],_color,[0,0,0],0,0,"","",])"
        << "_color = []" << "77 Byte + 11 Byte";
    QTest::newRow("emptied component")
        << 7 << "" << false << R"(Drop ["","","",0,0,[0,,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])" << ""
        << "74 Byte";
    QTest::newRow("quote unescaped")
        << 1 << R"(say "hi")" << false
        << R"(Drop ["say "hi"","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])" << ""
        << "83 Byte";
    QTest::newRow("comma in component")
        << 10 << "1,5" << false << R"(Drop ["","","",0,0,[0,0,0],[0,1,5,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])"
        << "" << "77 Byte";
    QTest::newRow("letters in a number")
        << 13 << "heavy" << false
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,heavy,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])" << "" << "79 Byte";
    QTest::newRow("object")
        << 27 << "obj1" << true << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[_color],[0,0,0],0,0,"","",obj1])"
        << "_color = []" << "83 Byte + 11 Byte";
}
// clang-format on

void TestForm1::typingRebuilds()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(bool, separate);
    QFETCH(QString, dropString);
    QFETCH(QString, colourLine);
    QFETCH(QString, size);

    if (separate)
        QTest::mouseClick(form->Check1, Qt::LeftButton);
    QCOMPARE(form->Check1->isChecked(), separate);
    retype(form->Text(field), typed);
    QCOMPARE(form->Text(field)->text(), typed);
    QCOMPARE(form->Text28->text(), dropString);
    QCOMPARE(form->Text29->text(), colourLine);
    QCOMPARE(form->StatusBar1->panelText(2), size);
}

void TestForm1::separateModeSwitchesBackAndForth()
{
    const QColor lockedBackground = form->Text29->palette().color(QPalette::Base);
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    QCOMPARE(form->Text28->text(), kStartDropSeparate);
    QCOMPARE(form->Text29->text(), "_color = []");
    QCOMPARE(form->StatusBar1->panelText(2), "79 Byte + 11 Byte");
    QVERIFY(!form->Text29->isReadOnly());
    QCOMPARE(form->Text29->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    QVERIFY(form->Text29->palette().color(QPalette::Base) != lockedBackground);

    retype(form->Text29, "smoke = []");
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    QCOMPARE(form->Text29->text(), "");
    QVERIFY(form->Text29->isReadOnly());
    QCOMPARE(form->Text29->palette().color(QPalette::Base), lockedBackground);
    QCOMPARE(form->Text28->text(), kStartDrop);
    QCOMPARE(form->StatusBar1->panelText(2), "75 Byte");
    QCOMPARE(form->fields().ColorVarName, "smoke");

    QTest::mouseClick(form->Check1, Qt::LeftButton);
    QCOMPARE(form->Text29->text(), "smoke = []");
    QVERIFY(form->Text28->text().contains(",[smoke],"));
}

void TestForm1::firstWordOfColourLineRenamesVariable()
{
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    retype(form->Text(19), "[1,1,1,1]");
    retype(form->Text29, "fire anything typed here");
    QCOMPARE(form->fields().ColorVarName, "fire");
    // The drop string follows at the next rebuild, which also rewrites the line.
    QVERIFY(form->Text28->text().contains(",[_color],"));
    QCOMPARE(form->StatusBar1->panelText(2), "79 Byte + 24 Byte");
    retype(form->Text(5), "3");
    QVERIFY(form->Text28->text().contains(",[fire],"));
    QCOMPARE(form->Text29->text(), "fire = [1,1,1,1]");
    QCOMPARE(form->StatusBar1->panelText(2), "77 Byte + 16 Byte");

    // A line that starts with a blank names an empty variable.
    retype(form->Text29, " x");
    retype(form->Text(5), "4");
    QVERIFY(form->Text28->text().contains(",[],"));
    QCOMPARE(form->Text29->text(), " = [1,1,1,1]");
}

void TestForm1::clearingColourLineKeepsName()
{
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    retype(form->Text29, "");
    QCOMPARE(form->Text29->text(), "");
    QCOMPARE(form->fields().ColorVarName, "_color");
    QCOMPARE(form->StatusBar1->panelText(2), "79 Byte + 0 Byte");
    retype(form->Text(1), "a");
    QCOMPARE(form->Text29->text(), "_color = []");
}

void TestForm1::typingIntoResultChangesOnlySize()
{
    QTest::keyClicks(form->Text28, "xyz");
    QCOMPARE(form->StatusBar1->panelText(2), "78 Byte");
    QCOMPARE(form->Text(1)->text(), "");
    retype(form->Text(2), "anim");
    QCOMPARE(form->Text28->text(),
             R"(Drop ["","anim","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])");
}

void TestForm1::colourFieldInSeparateMode()
{
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    QSignalSpy dropChanges(form->Text28, &QLineEdit::textChanged);
    retype(form->Text(19), "[0.5,0.5,0.5,1]");
    QCOMPARE(dropChanges.count(), 0); // rewritten with the same text
    QCOMPARE(form->Text28->text(), kStartDropSeparate);
    QCOMPARE(form->Text29->text(), "_color = [0.5,0.5,0.5,1]");
}

void TestForm1::secondColourNamesTheVariableBare()
{
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    retype(form->Text(19), "[1,0,0,1]");
    QVERIFY(form->Text28->text().contains(",[_color],"));
    QCOMPARE(form->Text29->text(), "_color = [1,0,0,1]");
    QTest::keyClicks(form->Text(19), ",[0,1,0,0.5]");
    QVERIFY(form->Text28->text().contains(",[0,0,0],_color,[0,0,0],"));
    QCOMPARE(form->Text29->text(), "_color = [[1,0,0,1],[0,1,0,0.5]]");

    // Renamed through the first word of the line, taken at the next rebuild.
    retype(form->Text29, "fade and the rest");
    retype(form->Text(5), "3");
    QVERIFY(form->Text28->text().contains(",[0,0,0],fade,[0,0,0],"));
    QCOMPARE(form->Text29->text(), "fade = [[1,0,0,1],[0,1,0,0.5]]");
    QCOMPARE(form->StatusBar1->panelText(2), "75 Byte + 30 Byte");

    // The mode switch writes the same forms.
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    QVERIFY(form->Text28->text().contains(",[0,0,0],[[1,0,0,1],[0,1,0,0.5]],[0,0,0],"));
    QCOMPARE(form->Text29->text(), "");
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    QVERIFY(form->Text28->text().contains(",[0,0,0],fade,[0,0,0],"));
    QCOMPARE(form->Text29->text(), "fade = [[1,0,0,1],[0,1,0,0.5]]");

    // Back to one colour, back to the brackets around the variable.
    QTest::keyClick(form->Text(19), Qt::Key_End);
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(form->Text(19), Qt::Key_Backspace);
    QCOMPARE(form->Text(19)->text(), "[1,0,0,1]");
    QVERIFY(form->Text28->text().contains(",[0,0,0],[fade],[0,0,0],"));
    QCOMPARE(form->Text29->text(), "fade = [1,0,0,1]");
    QCOMPARE(form->StatusBar1->panelText(2), "77 Byte + 16 Byte");
}

// clang-format off
void TestForm1::shapeTypeIsCorrected_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("billboard") << "billboard" << "Billboard";
    QTest::newRow("spaceobject") << "spaceobject" << "SpaceObject";
    QTest::newRow("capitalised stays") << "Billboard" << "Billboard";
    QTest::newRow("capitals stay") << "BILLBOARD" << "BILLBOARD";
    QTest::newRow("other case stays") << "spaceObject" << "spaceObject";
    QTest::newRow("leading blank stays") << " billboard" << " billboard";
}
// clang-format on

void TestForm1::shapeTypeIsCorrected()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    retype(form->Text(3), typed);
    QCOMPARE(form->Text(3)->text(), kept);
    QVERIFY(form->Text28->text().startsWith(QStringLiteral(R"(Drop ["","",")") + kept + "\","));
}

void TestForm1::shapeTypeCorrectionRebuildsNested()
{
    // The correction's own write rebuilds once more, inside the rebuild of the typed text.
    QStringList seen;
    connect(form->Text28, &QLineEdit::textChanged, this, [&seen](const QString &text) { seen << text.mid(13, 9); });
    form->Text(3)->setText("billboard");
    QCOMPARE(seen, QStringList({"billboard", "Billboard"}));
    QCOMPARE(form->Text(3)->text(), "Billboard");
}

void TestForm1::resetAnsweredNoKeepsFields()
{
    retype(form->Text(1), "shape");
    retype(form->Text(19), "[1,1,1,1]");
    const QString before = form->Text28->text();
    boxes->answer = false;
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QCOMPARE(boxes->shown, QStringList{"question|PLW|Do you really want to reset all fields ?"});
    QCOMPARE(form->Text(1)->text(), "shape");
    QCOMPARE(form->Text(19)->text(), "[1,1,1,1]");
    QCOMPARE(form->Text28->text(), before);
}

// clang-format off
void TestForm1::resetRestoresStartTexts_data()
{
    QTest::addColumn<bool>("separate");
    QTest::newRow("inline") << false;
    QTest::newRow("separate") << true;
}
// clang-format on

void TestForm1::resetRestoresStartTexts()
{
    QFETCH(bool, separate);
    for (int n = 1; n <= drop::kFieldCount; ++n)
        form->Text(n)->setText(QStringLiteral("v%1").arg(n));
    if (separate) {
        QTest::mouseClick(form->Check1, Qt::LeftButton);
        retype(form->Text29, "mist");
    }
    boxes->answer = true;
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    for (int n = 1; n <= drop::kFieldCount; ++n)
        QCOMPARE(form->Text(n)->text(), QString::fromLatin1(drop::kFields[n - 1].startText));
    QCOMPARE(form->Check1->isChecked(), separate);
    if (separate) {
        QCOMPARE(form->fields().ColorVarName, "mist");
        QCOMPARE(form->Text29->text(), "mist = []");
        QVERIFY(form->Text28->text().contains(",[mist],"));
    } else {
        QCOMPARE(form->Text28->text(), kStartDrop);
        QCOMPARE(form->Text29->text(), "");
    }
}

void TestForm1::resetRebuildsOncePerChangedField()
{
    form->Text(1)->setText("a");
    form->Text(12)->setText("5");
    form->Text(27)->setText("obj");
    QSignalSpy dropChanges(form->Text28, &QLineEdit::textChanged);
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QCOMPARE(dropChanges.count(), 3);
    QCOMPARE(dropChanges.last().first().toString(), kStartDrop);
}

void TestForm1::helpTextFollowsPointer()
{
    const auto over = [](QWidget *widget, QPoint at = QPoint(3, 3)) { QTest::mouseMove(widget, at); };
    over(form->Text(5));
    QCOMPARE(form->StatusBar1->panelText(1), "The lifetime for the particle (Number)");
    over(form->Command3);
    QCOMPARE(form->StatusBar1->panelText(1), "The lifetime for the particle (Number)");
    over(form->Check1);
    over(form->Label(5));
    QCOMPARE(form->StatusBar1->panelText(1), "The lifetime for the particle (Number)");
    over(form.get(), QPoint(2, 2));
    QCOMPARE(form->StatusBar1->panelText(1), "");
    over(form->Command1);
    QCOMPARE(form->StatusBar1->panelText(1), "Choose one or more colors for the 'Color' field");
    over(form->Text28);
    QCOMPARE(form->StatusBar1->panelText(1), "The complete 'Drop' string, just copy and paste it into your script");
    over(form->Text29);
    QCOMPARE(form->StatusBar1->panelText(1),
             "If the checkbox is checked, the color array will be saved into a seperate variable");
    over(form->Text(18));
    QCOMPARE(form->StatusBar1->panelText(1),
             "The decreasement/increasement size of the particle from the middle of 'LifeTime' til the end of "
             "'LifeTime' (Number)");
    over(form->Text(12));
    QCOMPARE(form->StatusBar1->panelText(1), "The rotation velocity of the partcle (Number)");
}

void TestForm1::tabOrderFollowsFields()
{
    QList<QWidget *> expected;
    for (int n = 1; n <= drop::kFieldCount; ++n)
        expected << form->Text(n);
    expected << form->Text28 << form->Check1 << form->Text29 << form->Command6 << form->Command1 << form->Command4
             << form->Command3 << form->Command2 << form->Command7 << form->Text(1);
    form->Text(1)->setFocus();
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), expected[i]);
    }
}

// clang-format off
void TestForm1::pastedLineBreaksBecomeSpaces_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    QTest::newRow("LF") << "a\nb" << "a b";
    QTest::newRow("CR LF") << "a\r\nb" << "a b";
    QTest::newRow("CR") << "a\rb" << "a b";
    QTest::newRow("mixed and trailing") << "\r\n\n\rx\r\n" << "   x ";
}
// clang-format on

void TestForm1::pastedLineBreaksBecomeSpaces()
{
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    QApplication::clipboard()->setText(pasted);
    form->Text(1)->setFocus();
    QTest::keyClick(form->Text(1), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form->Text(1)->text(), kept);
    QCOMPARE(form->Text(1)->cursorPosition(), kept.size());
    QVERIFY(form->Text28->text().startsWith(QStringLiteral("Drop [\"") + kept + "\","));
    form->Text(26)->setText(pasted);
    QCOMPARE(form->Text(26)->text(), kept);
    QVERIFY(!form->Text28->text().contains('\n') && !form->Text28->text().contains('\r'));
}

void TestForm1::fieldsHaveNoLengthLimit()
{
    const QString longName(100000, QLatin1Char('s'));
    form->Text(1)->setText(longName);
    QCOMPARE(form->Text(1)->text().size(), 100000);
    QCOMPARE(form->Text28->text().size(), 75 + 100000);
    QCOMPARE(form->StatusBar1->panelText(2), "100075 Byte");
    QApplication::clipboard()->setText(longName);
    form->Text(27)->setFocus();
    QTest::keyClick(form->Text(27), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form->Text(27)->text().size(), 100000);
    QVERIFY(form->Text28->text().endsWith(longName + "]"));
}

void TestForm1::secondaryWindowsAreSingle()
{
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(windowsOf<colour::Form2>(), 1);
    QCOMPARE(colour::Form2::existing()->windowTitle(), "Choose Color");
    QVERIFY(colour::Form2::existing()->isVisible());
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    QCOMPARE(windowsOf<import::Form4>(), 1);
    QCOMPARE(import::Form4::existing()->windowTitle(), "Import Drop Array");
    // Neither has an owner: both stay usable beside the main window.
    QVERIFY(!colour::Form2::existing()->parentWidget());
    QVERIFY(!import::Form4::existing()->parentWidget());
}

void TestForm1::exitClosesWindowsInOrder()
{
    CloseOrder order;
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    colour::Form3::open([this] { return colour::Form2::load(form->fields()); });
    order.watch(colour::Form2::existing(), "Form2");
    order.watch(colour::Form3::existing(), "Form3");
    QTest::mouseClick(form->Command7, Qt::LeftButton);
    order.watch(import::Form4::existing(), "Form4");
    order.watch(preview::Form5::existing(), "Form5");
    order.watch(form.get(), "Form1");
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    QCOMPARE(order.order, QStringList({"Form4", "Form3", "Form2", "Form5", "Form1"}));
    QVERIFY(!form->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!colour::Form2::existing());
    QVERIFY(!colour::Form3::existing());
    QVERIFY(!import::Form4::existing());
    QVERIFY(!preview::Form5::existing());
}

void TestForm1::closeBoxClosesWindowsInOrder()
{
    CloseOrder order;
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    colour::Form3::open([this] { return colour::Form2::load(form->fields()); });
    order.watch(colour::Form2::existing(), "Form2");
    order.watch(colour::Form3::existing(), "Form3");
    QTest::keyClick(form.get(), Qt::Key_F5);
    order.watch(import::Form4::existing(), "Form4");
    order.watch(preview::Form5::existing(), "Form5");
    order.watch(form.get(), "Form1");
    form->close();
    QCOMPARE(order.order, QStringList({"Form1", "Form2", "Form3", "Form4", "Form5"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(windowsOf<colour::Form2>() + windowsOf<colour::Form3>() + windowsOf<import::Form4>()
                 + windowsOf<preview::Form5>(),
             0);
}

void TestForm1::keyPanelsInactiveWithoutState()
{
    QCOMPARE(form->StatusBar1->panelText(3), "CAPS");
    QCOMPARE(form->StatusBar1->panelText(4), "NUM");
    QVERIFY(!form->StatusBar1->panelActive(3));
    QVERIFY(!form->StatusBar1->panelActive(4));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
