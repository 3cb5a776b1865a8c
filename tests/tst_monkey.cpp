// A long random session over all four windows: typing, pasting, slider drags, every button,
// questions answered both ways, windows opened and closed. The random order comes from a fixed
// seed, so a failure repeats; PLW_MONKEY_SEED and PLW_MONKEY_ACTIONS run other sessions.
//
// After every action the main window must agree with its own rules: the drop string is that of the
// current fields (unless the user has since typed into it or into the colour line), the colour line
// follows the mode, and the size panel counts both. Actions with a result of their own (reset, Add
// Color, Apply, import, ...) also check that result.

#include "app/form1.h"
#include "app/sqswriter.h"
#include "app/statusbar.h"
#include "chooserchannels.h"
#include "colour/clickablelabel.h"
#include "colour/decimalcolour.h"
#include "colour/form2.h"
#include "colour/form3.h"
#include "colour/grabpicture.h"
#include "colour/numbers.h"
#include "drop/dropstring.h"
#include "drop/fieldtable.h"
#include "import/form4.h"
#include "import/importparser.h"
#include "messagesfake.h"
#include "preview/form5.h"
#include "userinput.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

using colour::Form2;
using colour::Form3;
using import::Form4;

namespace {

// Pieces that mean something to the windows, besides random characters.
const QStringList kWords{
    QStringLiteral("billboard"),
    QStringLiteral("spaceobject"),
    QStringLiteral("Billboard"),
    QStringLiteral("SpaceObject"),
    QStringLiteral("\\ca\\data\\cl_basic"),
    QStringLiteral("[1,1,1,1]"),
    QStringLiteral("[0.5,0.5,0.5,0],[1,0,0,1]"),
    QStringLiteral("[["),
    QStringLiteral("]]"),
    QStringLiteral("\"\""),
    QStringLiteral("_color"),
    QStringLiteral("drop"),
    QStringLiteral(" = "),
    QStringLiteral("-1"),
    QStringLiteral("0.5"),
    QStringLiteral("1e3"),
    QStringLiteral("255"),
    QStringLiteral("16777215"),
    QStringLiteral("99999999999"),
};

const QString kCharacters = QStringLiteral("0123456789.,-+[]\" _abcXYZ=e\u00e9\u00df");

// Everything of the main window that its rules tie together.
struct MainState {
    QStringList fields;
    bool separate = false;
    QString dropString;
    QString colourLine;
    QString colorVarName;
};

QStringList fieldTexts(Form1 &form)
{
    QStringList texts;
    for (int n = 1; n <= drop::kFieldCount; ++n)
        texts << form.Text(n)->text();
    return texts;
}

MainState stateOf(Form1 &form)
{
    return {fieldTexts(form), form.Check1->isChecked(), form.Text28->text(), form.Text29->text(),
            form.fields().ColorVarName};
}

QString chopLastCharacter(QString text)
{
    if (!text.isEmpty())
        text.chop(text.size() >= 2 && text.back().isLowSurrogate() && text.at(text.size() - 2).isHighSurrogate() ? 2
                                                                                                                 : 1);
    return text;
}

Form2 *openChooser()
{
    Form2 *chooser = Form2::existing();
    if (!chooser || !chooser->isVisible())
        return nullptr;
    // Names for the failure report.
    const std::pair<QLineEdit *, const char *> names[] = {{chooser->Text1, "Text1"}, {chooser->Text2, "Text2"},
                                                          {chooser->Text3, "Text3"}, {chooser->Text8, "Text8"},
                                                          {chooser->Text7, "Text7"}, {chooser->Text10, "Text10"}};
    for (const auto &[field, name] : names)
        field->setObjectName(QLatin1String(name));
    return chooser;
}

Form3 *openDecimalDialog()
{
    Form3 *dialog = Form3::existing();
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

Form4 *openImport()
{
    Form4 *dialog = Form4::existing();
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

preview::Form5 *openPreview()
{
    preview::Form5 *window = preview::Form5::existing();
    return window && window->isVisible() ? window : nullptr;
}

// The open window an action works in; the action runs only when its window is open.
template <typename Window> Window &theOpen(Window *window)
{
    if (!window)
        qFatal("an action ran without its window");
    return *window;
}
Form2 &theChooser()
{
    return theOpen(openChooser());
}
Form3 &theDecimalDialog()
{
    return theOpen(openDecimalDialog());
}
Form4 &theImport()
{
    return theOpen(openImport());
}

} // namespace

class TestMonkey : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void randomSessionKeepsTheWindowsConsistent_data();
    void randomSessionKeepsTheWindowsConsistent();

private:
    // What an action did to the fields the user may type into freely, or that it started a new
    // main window.
    enum class Typed { Nothing, DropString, ColourLine, NewMainWindow };

    struct Action {
        const char *name;
        int weight;
        std::function<bool()> possible;
        std::function<Typed()> run;
    };

    void buildActions();
    const Action &pickAction(int totalWeight);
    void startMainWindow();
    void settle();
    void expect(bool ok, const QString &what);
    void checkMainWindow(const MainState &before, Typed typed);
    void checkChooser();
    void note(const QString &what);

    // Random material.
    int pick(int count) { return int(m_random.bounded(count)); }
    bool chance(int percent) { return pick(100) < percent; }
    QString randomText(int longest);
    QString randomPaste();
    QString randomDropArray(bool separate, QString *colourList);

    // Input the way a user gives it.
    void type(QLineEdit *field, const QString &text);
    void paste(QLineEdit *field, const QString &text);
    void editKey(QLineEdit *field);
    void click(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    // Closes the open window by its Cancel button or its close box.
    template <typename Window> Typed closeWindow(Window *(*open)(), QPushButton *Window::*cancel, const char *name);

    QRandomGenerator m_random;
    std::unique_ptr<MessagesFake> m_messages;
    std::unique_ptr<QTemporaryDir> m_directory;
    std::unique_ptr<Form1> m_form1;
    std::optional<QColor> m_colourAnswer;
    std::vector<Action> m_actions;
    bool m_stale = false; // Text28 or Text29 typed into since the last rebuild
    QString m_failure;
    QStringList m_recent;
    QStringList m_lastArrayFields;
    qsizetype m_rebuildsSeen = 0;
    int m_fieldChanges = 0; // changes of Text1 .. Text27 and Check1 during the current action
};

namespace {
QtMessageHandler forwardMessage = nullptr;
}

void TestMonkey::initTestCase()
{
    // The preview reads the effects file: never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    // The offscreen platform says on every window raise and mouse grab that it cannot do them.
    forwardMessage = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
        if (!text.startsWith(QLatin1String("This plugin does not support")))
            forwardMessage(type, context, text);
    });
}

void TestMonkey::init()
{
    m_messages = std::make_unique<MessagesFake>();
    m_directory = std::make_unique<QTemporaryDir>();
    QVERIFY(m_directory->isValid());
    Form2::setColourDialog([this](QWidget *) { return m_colourAnswer; });
    // Each seed's session starts from nothing, so that it repeats when run on its own.
    m_colourAnswer.reset();
    m_failure.clear();
    m_recent.clear();
    m_lastArrayFields.clear();
    buildActions();
    startMainWindow();
}

void TestMonkey::cleanup()
{
    if (Form4 *dialog = Form4::existing())
        dialog->close();
    if (Form3 *dialog = Form3::existing())
        dialog->close();
    if (Form2 *chooser = Form2::existing())
        chooser->close();
    processDeletes();
    m_form1.reset();
    Form2::setColourDialog({});
    m_messages.reset();
    m_directory.reset();
}

void TestMonkey::startMainWindow()
{
    m_form1 = std::make_unique<Form1>();
    m_form1->setScriptDirectory([this] { return m_directory->path(); });
    // Names for the failure report.
    for (int n = 1; n <= drop::kFieldCount; ++n)
        m_form1->Text(n)->setObjectName(QStringLiteral("Text%1").arg(n));
    m_form1->Text28->setObjectName(QStringLiteral("Text28"));
    m_form1->Text29->setObjectName(QStringLiteral("Text29"));
    // A field may change and change back within one action; each change rebuilds all the same.
    for (int n = 1; n <= drop::kFieldCount; ++n)
        connect(m_form1->Text(n), &QLineEdit::textChanged, this, [this] { ++m_fieldChanges; });
    connect(m_form1->Check1, &QCheckBox::toggled, this, [this] { ++m_fieldChanges; });
    m_form1->show();
    m_stale = false;
    settle();
}

void TestMonkey::settle()
{
    QCoreApplication::processEvents();
    processDeletes();
}

void TestMonkey::expect(bool ok, const QString &what)
{
    if (!ok && m_failure.isEmpty())
        m_failure = what;
}

void TestMonkey::note(const QString &what)
{
    m_recent << what;
    if (m_recent.size() > 25)
        m_recent.removeFirst();
}

QString TestMonkey::randomText(int longest)
{
    if (chance(30))
        return kWords.at(pick(int(kWords.size())));
    QString text;
    const int length = 1 + pick(longest);
    for (int i = 0; i < length; ++i)
        text += kCharacters.at(pick(int(kCharacters.size())));
    return text;
}

QString TestMonkey::randomPaste()
{
    const QStringList breaks{QStringLiteral("\r\n"), QStringLiteral("\n"), QStringLiteral("\r"), QStringLiteral(" ")};
    QString text;
    const int pieces = 1 + pick(4);
    for (int i = 0; i < pieces; ++i) {
        if (i)
            text += breaks.at(pick(int(breaks.size())));
        text += randomText(12);
    }
    if (chance(5))
        text += QStringLiteral("\U0001F525"); // a character outside the basic plane
    if (chance(3))
        text = text.repeated(2000 / std::max<qsizetype>(1, text.size()) + 1);
    return text;
}

// A drop string the builder could have made, so that imports succeed as well as fail: no spaces
// anywhere, commas only in the colour list.
QString TestMonkey::randomDropArray(bool separate, QString *colourList)
{
    static const QStringList values{QStringLiteral("0"),    QStringLiteral("1"),           QStringLiteral("0.5"),
                                    QStringLiteral("-2"),   QStringLiteral("shape"),       QStringLiteral("billboard"),
                                    QStringLiteral("obj1"), QStringLiteral("\\ca\\smoke"), QStringLiteral("")};
    static const QStringList colours{QStringLiteral("[1,1,1,1]"), QStringLiteral("[0.5,0.5,0.5,0],[1,0,0,1]"),
                                     QStringLiteral("[0,0,0,0]")};
    // Often the previous array again, so that an import may change only the colour variable name.
    QStringList &fields = m_lastArrayFields;
    if (fields.isEmpty() || chance(60)) {
        fields.clear();
        for (int n = 1; n <= drop::kFieldCount; ++n)
            fields << values.at(pick(int(values.size())));
        fields[18] = colours.at(pick(int(colours.size())));
    }
    *colourList = fields[18];
    const QString name = chance(50) ? QStringLiteral("_color") : QStringLiteral("c%1").arg(pick(3));
    QString text =
        drop::formatDropString(fields, separate ? drop::ColourMode::Separate : drop::ColourMode::Inline, name);
    if (chance(30))
        text.replace(QLatin1Char(','), QStringLiteral(", "));
    if (chance(20))
        text.insert(pick(int(text.size())), QStringLiteral("\r\n"));
    return text;
}

void TestMonkey::type(QLineEdit *field, const QString &text)
{
    field->setFocus();
    if (chance(40))
        field->selectAll();
    else
        field->setCursorPosition(pick(int(field->text().size()) + 1));
    // keyClicks takes ASCII only; other characters arrive as key events carrying their text.
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(field, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
    }
}

void TestMonkey::paste(QLineEdit *field, const QString &text)
{
    field->setFocus();
    if (chance(50))
        field->selectAll();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    if (clipboard->text() == text)
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    else
        field->insert(text); // a platform without a clipboard
}

void TestMonkey::editKey(QLineEdit *field)
{
    static const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Backspace, Qt::NoModifier}, {Qt::Key_Delete, Qt::NoModifier}, {Qt::Key_Home, Qt::NoModifier},
        {Qt::Key_End, Qt::ShiftModifier},    {Qt::Key_Left, Qt::NoModifier},   {Qt::Key_Z, Qt::ControlModifier},
        {Qt::Key_Y, Qt::ControlModifier},    {Qt::Key_A, Qt::ControlModifier}, {Qt::Key_X, Qt::ControlModifier},
        {Qt::Key_V, Qt::ControlModifier},    {Qt::Key_Space, Qt::NoModifier},  {Qt::Key_Return, Qt::NoModifier},
    };
    field->setFocus();
    const auto &[key, modifiers] = keys[pick(int(std::size(keys)))];
    QTest::keyClick(field, key, modifiers);
}

void TestMonkey::buildActions()
{
    const auto always = [] { return true; };
    const auto chooserOpen = [] { return openChooser() != nullptr; };
    const auto decimalOpen = [] { return openDecimalDialog() != nullptr; };
    const auto importOpen = [] { return openImport() != nullptr; };
    const auto previewOpen = [] { return openPreview() != nullptr; };
    const auto typedInto = [this](QLineEdit *field) {
        if (field == m_form1->Text28)
            return Typed::DropString;
        if (field == m_form1->Text29)
            return Typed::ColourLine;
        return Typed::Nothing;
    };
    const auto mainField = [this] {
        const int n = pick(drop::kFieldCount + 2) + 1;
        return n == 28 ? m_form1->Text28 : n == 29 ? m_form1->Text29 : m_form1->Text(n);
    };

    m_actions = {
        {"type into a main field", 30, always,
         [=, this] {
             QLineEdit *field = mainField();
             const QString text = randomText(6);
             note(QStringLiteral("type %1 into %2").arg(text, field->objectName()));
             type(field, text);
             return typedInto(field);
         }},
        {"edit key in a main field", 12, always,
         [=, this] {
             QLineEdit *field = mainField();
             note(QStringLiteral("edit key in %1").arg(field->objectName()));
             editKey(field);
             return typedInto(field);
         }},
        {"paste into a main field", 8, always,
         [=, this] {
             QLineEdit *field = mainField();
             const QString text = randomPaste();
             note(QStringLiteral("paste %1 characters into %2").arg(text.size()).arg(field->objectName()));
             paste(field, text);
             expect(!field->text().contains(QLatin1Char('\n')) && !field->text().contains(QLatin1Char('\r')),
                    QStringLiteral("a pasted line break stayed in %1").arg(field->objectName()));
             return typedInto(field);
         }},
        {"click the colour mode", 6, always,
         [this] {
             note(QStringLiteral("click Check1"));
             if (chance(50))
                 click(m_form1->Check1);
             else
                 QTest::keyClick(m_form1->Check1, Qt::Key_Space);
             return Typed::Nothing;
         }},
        {"hover over a parameter field", 3, always,
         [this] {
             const int n = pick(drop::kFieldCount) + 1;
             note(QStringLiteral("hover over Text%1").arg(n));
             QTest::mouseMove(m_form1->Text(n), QPoint(3, 3));
             QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), m_form1->Text(n)->mapToGlobal(QPointF(3, 3)),
                              Qt::NoButton, Qt::NoButton, Qt::NoModifier);
             QApplication::sendEvent(m_form1->Text(n), &move);
             expect(m_form1->StatusBar1->panelText(1) == QString::fromLatin1(drop::kFields[n - 1].helpText),
                    QStringLiteral("the help panel does not show the help of Text%1").arg(n));
             return Typed::Nothing;
         }},
        {"reset", 3, always,
         [this] {
             const bool yes = chance(50);
             note(QStringLiteral("Reset, answered %1").arg(yes ? "Yes" : "No"));
             m_messages->answer = yes;
             const QStringList before = fieldTexts(*m_form1);
             click(m_form1->Command3);
             expect(fieldTexts(*m_form1) == (yes ? drop::startTexts() : before),
                    QStringLiteral("the reset left other field texts"));
             return Typed::Nothing;
         }},
        {"create the script file", 2, always,
         [this] {
             note(QStringLiteral("Create SQS"));
             const QString path = sqs::scriptPath(m_directory->path());
             const auto contents = [&path] {
                 QFile file(path);
                 return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
             };
             const QByteArray before = contents();
             const QByteArray expected = sqs::scriptContents(m_form1->Text29->text(), m_form1->Text28->text());
             click(m_form1->Command4);
             if (expected.isEmpty()) {
                 // A character the system's code page cannot hold: nothing is written.
                 expect(contents() == before, QStringLiteral("init.sqs changed although a character cannot be held"));
                 expect(m_messages->shown.last() == QStringLiteral("error|Error|Can't create file"),
                        QStringLiteral("Create SQS did not report the failure"));
                 return Typed::Nothing;
             }
             expect(contents() == expected, QStringLiteral("init.sqs does not hold the two lines"));
             expect(m_messages->shown.last().startsWith(QStringLiteral("info|Info|Successful generated:")),
                    QStringLiteral("Create SQS did not report success"));
             return Typed::Nothing;
         }},
        {"open the colour chooser", 4, always,
         [this] {
             note(QStringLiteral("Choose Colors"));
             click(m_form1->Command1);
             expect(openChooser() != nullptr, QStringLiteral("the chooser did not open"));
             return Typed::Nothing;
         }},
        {"open the import", 3, always,
         [this] {
             note(QStringLiteral("Import Array"));
             click(m_form1->Command6);
             expect(openImport() != nullptr, QStringLiteral("the import did not open"));
             return Typed::Nothing;
         }},
        {"exit and start again", 1, always,
         [this] {
             note(QStringLiteral("Exit"));
             click(m_form1->Command2);
             settle();
             expect(!m_form1->isVisible() && !Form2::existing() && !Form3::existing() && !Form4::existing()
                        && !preview::Form5::existing(),
                    QStringLiteral("Exit left a window open"));
             startMainWindow();
             return Typed::NewMainWindow;
         }},

        {"type a channel value", 10, chooserOpen,
         [this] {
             QLineEdit *field = chooserChannels(&theChooser()).at(pick(4)).value;
             const QString text = chance(50) ? QString::number(pick(400) - 50) : randomText(3);
             note(QStringLiteral("type %1 into the chooser's %2").arg(text, field->objectName()));
             type(field, text);
             return Typed::Nothing;
         }},
        {"move a slider", 10, chooserOpen,
         [this] {
             const int index = pick(4);
             const ChooserChannel channel = chooserChannels(&theChooser()).at(index);
             QSlider *slider = channel.slider;
             const int before = slider->value();
             if (chance(50)) {
                 static const Qt::Key keys[] = {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home,
                                                Qt::Key_End,    Qt::Key_Left,     Qt::Key_Right};
                 note(QStringLiteral("slider key on Slider%1").arg(index + 1));
                 QTest::keyClick(slider, keys[pick(int(std::size(keys)))]);
             } else {
                 const QPoint from(pick(slider->width()), slider->height() / 2);
                 const QPoint to(pick(slider->width()), slider->height() / 2);
                 note(QStringLiteral("drag Slider%1 from %2 to %3").arg(index + 1).arg(from.x()).arg(to.x()));
                 QTest::mousePress(slider, Qt::LeftButton, {}, from);
                 QTest::mouseMove(slider, to);
                 QTest::mouseRelease(slider, Qt::LeftButton, {}, to);
             }
             if (slider->value() != before)
                 expect(channel.value->text() == QString::number(slider->value()),
                        QStringLiteral("the value field does not show the slider's position"));
             return Typed::Nothing;
         }},
        {"hand-edit the colour texts", 4, chooserOpen,
         [this] {
             Form2 *chooser = &theChooser();
             QLineEdit *field = chance(50) ? chooser->Text7 : chooser->Text10;
             note(QStringLiteral("edit the chooser's %1").arg(field->objectName()));
             if (chance(70))
                 type(field, randomText(6));
             else
                 editKey(field);
             return Typed::Nothing;
         }},
        {"Add Color", 6, chooserOpen,
         [this] {
             Form2 *chooser = &theChooser();
             note(QStringLiteral("Add Color"));
             const QString expected = chooser->Text10->text() + chooser->Text7->text() + QLatin1Char(',');
             click(chooser->Command1);
             expect(chooser->Text10->text() == expected, QStringLiteral("Add Color did not append the colour"));
             return Typed::Nothing;
         }},
        {"Apply", 5, chooserOpen,
         [this] {
             Form2 *chooser = &theChooser();
             note(QStringLiteral("Apply"));
             const QString expected = chopLastCharacter(chooser->Text10->text());
             click(chooser->Command2);
             expect(m_form1->Text(19)->text() == expected, QStringLiteral("Apply did not write the colour list"));
             return Typed::Nothing;
         }},
        {"chooser buttons", 4, chooserOpen,
         [this] {
             Form2 *chooser = &theChooser();
             const bool yes = chance(50);
             m_messages->answer = yes;
             switch (pick(4)) {
             case 0:
                 note(QStringLiteral("the chooser's Reset, answered %1").arg(yes ? "Yes" : "No"));
                 click(chooser->Command5);
                 break;
             case 1:
                 note(QStringLiteral("X beside Text7"));
                 click(chooser->Command6);
                 expect(chooser->Text7->text() == QStringLiteral("[1,1,1,1]"),
                        QStringLiteral("X did not put white into Text7"));
                 break;
             case 2:
                 note(QStringLiteral("X beside Text10"));
                 click(chooser->Command7);
                 expect(chooser->Text10->text().isEmpty(), QStringLiteral("X did not clear Text10"));
                 break;
             default: {
                 m_colourAnswer.reset();
                 if (chance(70))
                     m_colourAnswer = QColor(pick(256), pick(256), pick(256));
                 note(QStringLiteral("R G B, answered %1").arg(m_colourAnswer ? m_colourAnswer->name() : "Cancel"));
                 const QString red = chooser->Text1->text();
                 click(chooser->Command4);
                 expect(chooser->Text1->text() == (m_colourAnswer ? QString::number(m_colourAnswer->red()) : red),
                        QStringLiteral("R G B did not set the red value"));
             }
             }
             return Typed::Nothing;
         }},
        {"grab with the picture", 2, chooserOpen,
         [this] {
             Form2 *chooser = &theChooser();
             note(QStringLiteral("press and release the grab picture"));
             QTest::mousePress(chooser->Picture1, Qt::LeftButton);
             QTest::mouseRelease(chooser->Picture1, Qt::LeftButton);
             expect(chooser->Picture1->isVisible() && !chooser->Timer1->isActive(),
                    QStringLiteral("the grab did not end with the release"));
             return Typed::Nothing;
         }},
        {"open the decimal dialog", 3, chooserOpen,
         [this] {
             note(QStringLiteral("click the preview"));
             click(theChooser().Label4);
             expect(openDecimalDialog() != nullptr, QStringLiteral("the decimal dialog did not open"));
             return Typed::Nothing;
         }},
        {"close the chooser", 3, chooserOpen,
         [this] { return closeWindow(&openChooser, &Form2::Command3, "the chooser"); }},

        {"type a decimal colour", 5, decimalOpen,
         [this] {
             const QString text =
                 chance(60) ? QString::number(qint64(m_random.bounded(20000000)) - 1000) : randomText(5);
             note(QStringLiteral("type %1 into the decimal value").arg(text));
             type(theDecimalDialog().Text1, text);
             return Typed::Nothing;
         }},
        {"decimal OK", 3, decimalOpen,
         [this] {
             const colour::Rgb expected = colour::decimalColourOf(theDecimalDialog().Text1->text());
             note(QStringLiteral("decimal OK"));
             click(theDecimalDialog().Command1);
             settle();
             const Form2 *chooser = Form2::existing();
             expect(chooser && chooser->Slider1->value() == expected.red && chooser->Slider2->value() == expected.green
                        && chooser->Slider3->value() == expected.blue,
                    QStringLiteral("OK did not set the chooser's sliders"));
             expect(!openDecimalDialog(), QStringLiteral("OK left the decimal dialog open"));
             return Typed::Nothing;
         }},
        {"close the decimal dialog", 2, decimalOpen,
         [this] { return closeWindow(&openDecimalDialog, &Form3::Command2, "the decimal dialog"); }},

        {"paste an array to import", 6, importOpen,
         [this] {
             Form4 *dialog = &theImport();
             if (chance(30)) {
                 note(QStringLiteral("paste junk into the import"));
                 paste(chance(70) ? dialog->Text1 : dialog->Text2, randomPaste());
                 return Typed::Nothing;
             }
             const bool separate = chance(50);
             if (dialog->Check1->isChecked() != separate)
                 click(dialog->Check1);
             QString text;
             QString colourList;
             if (chance(30) && m_form1->Check1->isChecked() == separate) {
                 // The main window's own drop string copied back, perhaps under another colour name.
                 text = m_form1->Text28->text();
                 colourList = m_form1->Text(19)->text();
                 if (separate && chance(70)) {
                     // The colour variable as value 13 writes it: bare for none or several colours.
                     const auto value13 = [&colourList](const QString &name) {
                         return QLatin1Char(',') + drop::colourVariableValue(name, colourList) + QLatin1Char(',');
                     };
                     text.replace(value13(m_form1->fields().ColorVarName), value13(QStringLiteral("c%1").arg(pick(3))));
                 }
             } else {
                 text = randomDropArray(separate, &colourList);
             }
             note(QStringLiteral("paste the array %1 with the colours %2").arg(text, colourList));
             paste(dialog->Text1, text);
             if (separate)
                 paste(dialog->Text2, colourList);
             return Typed::Nothing;
         }},
        {"import options", 3, importOpen,
         [this] {
             note(QStringLiteral("click the import's Check1"));
             click(theImport().Check1);
             return Typed::Nothing;
         }},
        {"import OK", 4, importOpen,
         [this] {
             Form4 *dialog = &theImport();
             const bool separate = dialog->Check1->isChecked();
             const import::ParseOutcome outcome =
                 import::parseDropArray(dialog->Text1->text(), separate, dialog->Text2->text());
             const MainState before = stateOf(*m_form1);
             note(QStringLiteral("import OK (%1)").arg(outcome.array ? "succeeds" : "fails"));
             click(dialog->Command1);
             settle();
             const MainState after = stateOf(*m_form1);
             if (outcome.array) {
                 QStringList expected = outcome.array->fields;
                 if (const auto corrected = drop::correctedShapeType(expected[drop::kShapeTypeField - 1]))
                     expected[drop::kShapeTypeField - 1] = *corrected;
                 expect(after.fields == expected && after.separate == separate
                            && (!separate || after.colorVarName == outcome.array->colorVarName),
                        QStringLiteral("the import did not write what the array holds"));
                 expect(!openImport(), QStringLiteral("a successful import left the dialog open"));
             } else {
                 expect(after.fields == before.fields && after.separate == before.separate
                            && after.colorVarName == before.colorVarName,
                        QStringLiteral("a failed import changed the main window"));
                 const Form4 *left = openImport();
                 expect(left && left->Text1->text() == outcome.cleanedText,
                        QStringLiteral("a failed import did not leave the cleaned text"));
                 expect(left && outcome.failure && left->Text1->toolTip() == import::failureReason(*outcome.failure),
                        QStringLiteral("a failed import did not show its reason"));
             }
             return Typed::Nothing;
         }},
        {"close the import", 2, importOpen,
         [this] { return closeWindow(&openImport, &Form4::Command2, "the import"); }},

        {"open the preview", 2, always,
         [this] {
             // F5 works where the main window is the active one, as the user brings it to the front.
             m_form1->activateWindow();
             if (chance(50) || !QTest::qWaitForWindowActive(m_form1.get(), 1000)) {
                 note(QStringLiteral("Preview"));
                 click(m_form1->Command7);
             } else {
                 note(QStringLiteral("F5"));
                 QTest::keyClick(m_form1.get(), Qt::Key_F5);
             }
             expect(openPreview() != nullptr, QStringLiteral("the preview did not open"));
             return Typed::Nothing;
         }},
        {"run the preview", 6, previewOpen,
         [this] {
             preview::Form5 &window = theOpen(openPreview());
             switch (pick(6)) {
             case 0:
                 note(QStringLiteral("play or pause the preview"));
                 click(window.PlayButton);
                 break;
             case 1:
                 note(QStringLiteral("restart the preview"));
                 click(window.RestartButton);
                 break;
             case 2:
                 note(QStringLiteral("preview speed"));
                 window.SpeedBox->setCurrentIndex(pick(window.SpeedBox->count()));
                 break;
             case 3: {
                 const QString text = QString::number(0.01 * (1 + pick(100)));
                 note(QStringLiteral("emit every %1 s").arg(text));
                 type(window.SourceBox->IntervalText, text);
                 break;
             }
             default: {
                 QDoubleSpinBox *wind = chance(50) ? window.WindXBox : window.WindYBox;
                 const QString text = QString::number(pick(41) - 20);
                 note(QStringLiteral("wind %1 m/s").arg(text));
                 type(wind->findChild<QLineEdit *>(), text);
                 break;
             }
             }
             const double seconds = 0.05 * pick(20);
             note(QStringLiteral("let the preview run %1 s").arg(seconds));
             window.runFor(seconds);
             const auto &simulation = window.simulation();
             expect(simulation.particles().size() <= std::size_t(effect::kMaxParticles),
                    QStringLiteral("the preview holds more particles than its limit"));
             expect(simulation.emitting() || simulation.particles().empty(),
                    QStringLiteral("the preview shows particles of fields it cannot preview"));
             expect(window.FrameTimer->isActive() == (window.playing() && simulation.emitting()),
                    QStringLiteral("the preview's timer does not follow play, pause and the fields"));
             return Typed::Nothing;
         }},
        {"close the preview", 2, previewOpen,
         [this] {
             note(QStringLiteral("close the preview"));
             theOpen(openPreview()).close();
             settle();
             expect(!openPreview(), QStringLiteral("the preview stayed open"));
             return Typed::Nothing;
         }},
    };
}

template <typename Window>
TestMonkey::Typed TestMonkey::closeWindow(Window *(*open)(), QPushButton *Window::*cancel, const char *name)
{
    Window &window = theOpen(open());
    note(QStringLiteral("close %1").arg(QLatin1String(name)));
    if (chance(50))
        click(window.*cancel);
    else
        window.close();
    settle();
    expect(!open(), QStringLiteral("%1 stayed open").arg(QLatin1String(name)));
    return Typed::Nothing;
}

// An action by weight, among those whose window is open.
const TestMonkey::Action &TestMonkey::pickAction(int totalWeight)
{
    for (;;) {
        int roll = pick(totalWeight);
        for (const Action &action : m_actions) {
            roll -= action.weight;
            if (roll < 0) {
                if (action.possible())
                    return action;
                break;
            }
        }
    }
}

void TestMonkey::checkMainWindow(const MainState &before, Typed typed)
{
    const MainState after = stateOf(*m_form1);
    // An import that renames the colour variable rebuilds even when no field changed.
    const bool rebuilt = typed == Typed::NewMainWindow || m_fieldChanges > 0
                         || (typed == Typed::Nothing && after.colorVarName != before.colorVarName);
    const drop::ColourMode mode = after.separate ? drop::ColourMode::Separate : drop::ColourMode::Inline;

    if (rebuilt) {
        m_stale = false;
        ++m_rebuildsSeen;
    } else {
        if (typed != Typed::DropString)
            expect(after.dropString == before.dropString, QStringLiteral("Text28 changed without a field change"));
        if (typed != Typed::ColourLine)
            expect(after.colourLine == before.colourLine, QStringLiteral("Text29 changed without a field change"));
        if ((typed == Typed::DropString || typed == Typed::ColourLine)
            && (after.dropString != before.dropString || after.colourLine != before.colourLine))
            m_stale = true;
    }

    if (!m_stale) {
        expect(after.dropString == drop::formatDropString(after.fields, mode, after.colorVarName),
               QStringLiteral("Text28 is not the drop string of the fields"));
        expect(after.colourLine
                   == (after.separate ? drop::formatColourLine(after.colorVarName, after.fields[18]) : QString()),
               QStringLiteral("Text29 is not the colour line of the mode"));
    }
    if (typed == Typed::ColourLine && after.colourLine != before.colourLine) {
        const QString expected = after.colourLine.isEmpty() ? before.colorVarName : after.colourLine.section(' ', 0, 0);
        expect(after.colorVarName == expected, QStringLiteral("the colour variable is not the first word of Text29"));
    }

    expect(after.separate || after.colourLine.isEmpty(), QStringLiteral("Text29 holds text in inline mode"));
    expect(m_form1->Text29->isReadOnly() == !after.separate,
           QStringLiteral("Text29's read-only state is not the mode's"));
    expect(m_form1->StatusBar1->panelText(2)
               == drop::formatSizeDisplay(mode, after.dropString.size(), after.colourLine.size()),
           QStringLiteral("the size panel does not count Text28 and Text29"));
}

void TestMonkey::checkChooser()
{
    const Form2 *chooser = Form2::existing();
    if (!chooser)
        return;
    const std::pair<const QLineEdit *, int> values[] = {
        {chooser->Text1, 255}, {chooser->Text2, 255}, {chooser->Text3, 255}, {chooser->Text8, 100}};
    for (const auto &[field, maximum] : values) {
        const auto number = colour::readNumber(field->text());
        expect(number && *number >= 0 && *number <= maximum,
               QStringLiteral("the chooser's %1 holds %2").arg(field->objectName(), field->text()));
    }
}

void TestMonkey::randomSessionKeepsTheWindowsConsistent_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("actions");

    const int actions =
        qEnvironmentVariableIsSet("PLW_MONKEY_ACTIONS") ? qEnvironmentVariableIntValue("PLW_MONKEY_ACTIONS") : 4000;
    if (qEnvironmentVariableIsSet("PLW_MONKEY_SEED")) {
        QTest::newRow("seed from the environment")
            << quint32(qEnvironmentVariableIntValue("PLW_MONKEY_SEED")) << actions;
        return;
    }
    QTest::newRow("seed 1") << 1u << actions;
    QTest::newRow("seed 20261208") << 20261208u << actions;
    QTest::newRow("seed 90210") << 90210u << actions;
}

void TestMonkey::randomSessionKeepsTheWindowsConsistent()
{
    QFETCH(quint32, seed);
    QFETCH(int, actions);
    m_random.seed(seed);
    m_rebuildsSeen = 0;

    int totalWeight = 0;
    for (const Action &action : m_actions)
        totalWeight += action.weight;

    std::vector<int> done(m_actions.size(), 0);
    for (int step = 0; step < actions; ++step) {
        const Action &chosen = pickAction(totalWeight);
        ++done[std::size_t(&chosen - m_actions.data())];

        const MainState before = stateOf(*m_form1);
        m_fieldChanges = 0;
        const Typed typed = chosen.run();
        settle();
        checkMainWindow(before, typed);
        checkChooser();
        if (!m_failure.isEmpty())
            QFAIL(qPrintable(QStringLiteral("seed %1, action %2: %3\nlast actions:\n  %4")
                                 .arg(seed)
                                 .arg(step)
                                 .arg(m_failure, m_recent.join(QStringLiteral("\n  ")))));
    }

    // The session must have reached every window and every action.
    for (std::size_t i = 0; i < m_actions.size(); ++i)
        QVERIFY2(done[i] > 0, m_actions[i].name);
    QVERIFY(m_rebuildsSeen > actions / 10);
}

QTEST_MAIN(TestMonkey)
#include "tst_monkey.moc"
