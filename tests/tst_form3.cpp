#include "app/form1.h"
#include "colour/clickablelabel.h"
#include "colour/form2.h"
#include "colour/form3.h"
#include "platform/look.h"
#include "userinput.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <memory>

namespace {

QColor previewOf(const colour::Form3 *dialog)
{
    return dialog->Label2->palette().color(QPalette::Window);
}

// The widget that Tab moves the focus to.
QWidget *nextByTab(QWidget *widget)
{
    QWidget *next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

QString chooserColour(const colour::Form2 *chooser)
{
    return QStringLiteral("%1,%2,%3 sliders %4,%5,%6")
        .arg(chooser->Text1->text(), chooser->Text2->text(), chooser->Text3->text())
        .arg(chooser->Slider1->value())
        .arg(chooser->Slider2->value())
        .arg(chooser->Slider3->value());
}

QString rgb(int red, int green, int blue)
{
    return QStringLiteral("%1,%2,%3 sliders %1,%2,%3").arg(red).arg(green).arg(blue);
}

} // namespace

// The decimal colour dialog, opened the way the user opens it: a click on the chooser's preview.
class TestForm3 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opensFromTheChoosersPreview();
    void looksAsDrawn();
    void typedValueShowsPreviewAndOkSetsTheChooser_data();
    void typedValueShowsPreviewAndOkSetsTheChooser();
    void writtenValueIsCorrected_data();
    void writtenValueIsCorrected();
    void emptiedFieldKeepsPreviewAndOkSetsBlack();
    void okLeavesAlphaAndListAlone();
    void okSetsTheSlidersInOrder();
    void cancelChangesNothing();
    void enterAndEscapeTriggerNeitherButton_data();
    void enterAndEscapeTriggerNeitherButton();
    void secondClickKeepsOneDialog();
    void reopenedDialogStartsEmpty();
    void closedChooserIsLoadedHiddenByOk();
    void exitClosesTheDialog();

private:
    colour::Form3 *openDialog();
    void typeAndOk(const QString &text);

    std::unique_ptr<Form1> m_main;
    QPointer<colour::Form2> m_chooser;
};

void TestForm3::init()
{
    m_main = std::make_unique<Form1>();
    m_main->show();
    QTest::mouseClick(m_main->Command1, Qt::LeftButton);
    m_chooser = colour::Form2::existing();
    QVERIFY(m_chooser);
}

void TestForm3::cleanup()
{
    if (colour::Form3 *dialog = colour::Form3::existing())
        dialog->close();
    m_main.reset();
    // Closed windows delete themselves from the event loop.
    processDeletes();
    QVERIFY(!colour::Form2::existing());
    QVERIFY(!colour::Form3::existing());
}

colour::Form3 *TestForm3::openDialog()
{
    QTest::mouseClick(m_chooser->Label4, Qt::LeftButton);
    return colour::Form3::existing();
}

void TestForm3::typeAndOk(const QString &text)
{
    colour::Form3 *dialog = openDialog();
    QTest::keyClicks(dialog->Text1, text);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
}

void TestForm3::opensFromTheChoosersPreview()
{
    QVERIFY(!colour::Form3::existing());
    colour::Form3 *dialog = openDialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    // Modeless and without an owner: the chooser stays usable.
    QVERIFY(!dialog->parentWidget());
    QVERIFY(!dialog->isModal());
    QVERIFY(m_chooser->isEnabled());
    QTest::keyClicks(m_chooser->Text8, QStringLiteral("5"));
    QVERIFY(m_chooser->isVisible());
}

void TestForm3::looksAsDrawn()
{
    colour::Form3 *dialog = openDialog();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Enter a decimal color value..."));
    QCOMPARE(dialog->windowType(), Qt::Tool);
    const Qt::WindowFlags flags = dialog->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(dialog->size(), QSize(194, 113));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QCOMPARE(dialog->Label1->text(), QStringLiteral("Decimal value:"));
    QCOMPARE(dialog->Command1->text(), QStringLiteral("OK"));
    QCOMPARE(dialog->Command2->text(), QStringLiteral("Cancel"));
    QVERIFY(dialog->Label2->text().isEmpty());
    QCOMPARE(dialog->Text1->maxLength(), 8);
    QVERIFY(dialog->Text1->text().isEmpty());
    QCOMPARE(previewOf(dialog), platform::windowBackgroundColour());
    QCOMPARE(nextByTab(dialog->Text1), dialog->Command1);
    QCOMPARE(nextByTab(dialog->Command1), dialog->Command2);
    QCOMPARE(nextByTab(dialog->Command2), dialog->Text1);
    // The arrangement: caption over the field, the swatch to its right, the buttons side by side below.
    QVERIFY(dialog->Label1->geometry().bottom() < dialog->Text1->geometry().top());
    QVERIFY(dialog->Label2->geometry().left() > dialog->Text1->geometry().right());
    QVERIFY(dialog->Command1->geometry().top() > dialog->Text1->geometry().bottom());
    QCOMPARE(dialog->Command1->geometry().top(), dialog->Command2->geometry().top());
    QVERIFY(dialog->Command2->geometry().left() > dialog->Command1->geometry().right());
    QVERIFY(dialog->rect().contains(dialog->Command2->geometry()));
    QVERIFY(dialog->rect().contains(dialog->Label2->geometry()));
}

void TestForm3::typedValueShowsPreviewAndOkSetsTheChooser_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QColor>("preview");
    QTest::addColumn<QString>("chooser");
    QTest::newRow("blue") << "16711680"
                          << "16711680" << QColor(0, 0, 255) << rgb(0, 0, 255);
    QTest::newRow("red") << "255"
                         << "255" << QColor(255, 0, 0) << rgb(255, 0, 0);
    QTest::newRow("green") << "65280"
                           << "65280" << QColor(0, 255, 0) << rgb(0, 255, 0);
    QTest::newRow("mixed") << "5649426"
                           << "5649426" << QColor(18, 52, 86) << rgb(18, 52, 86);
    QTest::newRow("zero") << "0"
                          << "0" << QColor(0, 0, 0) << rgb(0, 0, 0);
    QTest::newRow("largest") << "16777215"
                             << "16777215" << QColor(255, 255, 255) << rgb(255, 255, 255);
    QTest::newRow("above largest") << "16777216"
                                   << "16777215" << QColor(255, 255, 255) << rgb(255, 255, 255);
    QTest::newRow("far above") << "99999999"
                               << "16777215" << QColor(255, 255, 255) << rgb(255, 255, 255);
    QTest::newRow("letter") << "12a"
                            << "16777215" << QColor(255, 255, 255) << rgb(255, 255, 255);
    QTest::newRow("letter first") << "x"
                                  << "16777215" << QColor(255, 255, 255) << rgb(255, 255, 255);
    QTest::newRow("exponent") << "1e3"
                              << "16777215" << QColor(255, 255, 255) << rgb(255, 255, 255);
    QTest::newRow("comma") << "2,5"
                           << "16777215" << QColor(255, 255, 255) << rgb(255, 255, 255);
    // Digits typed after the correction make the text too long for the field.
    QTest::newRow("typing on") << "a12"
                               << "16777215" << QColor(255, 255, 255) << rgb(255, 255, 255);
    QTest::newRow("half to even down") << "2.5"
                                       << "2.5" << QColor(2, 0, 0) << rgb(2, 0, 0);
    QTest::newRow("half to even up") << "3.5"
                                     << "3.5" << QColor(4, 0, 0) << rgb(4, 0, 0);
    QTest::newRow("below half") << "255.49"
                                << "255.49" << QColor(255, 0, 0) << rgb(255, 0, 0);
    QTest::newRow("carry into green") << "255.5"
                                      << "255.5" << QColor(0, 1, 0) << rgb(0, 1, 0);
}

void TestForm3::typedValueShowsPreviewAndOkSetsTheChooser()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QColor, preview);
    QFETCH(QString, chooser);
    QPointer<colour::Form3> dialog = openDialog();
    QTest::keyClicks(dialog->Text1, typed);
    QCOMPARE(dialog->Text1->text(), shown);
    QCOMPARE(previewOf(dialog), preview);
    QCOMPARE(chooserColour(m_chooser), rgb(255, 255, 255)); // nothing reaches the chooser before "OK"
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(chooserColour(m_chooser), chooser);
    QVERIFY(!dialog || !dialog->isVisible());
    QVERIFY(!colour::Form3::existing());
}

void TestForm3::writtenValueIsCorrected_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QColor>("preview");
    QTest::addColumn<QString>("chooser");
    QTest::newRow("negative") << "-5"
                              << "0" << QColor(0, 0, 0) << rgb(0, 0, 0);
    QTest::newRow("minus one") << "-1"
                               << "0" << QColor(0, 0, 0) << rgb(0, 0, 0);
    QTest::newRow("negative fraction") << "-0.4"
                                       << "0" << QColor(0, 0, 0) << rgb(0, 0, 0);
    QTest::newRow("blanks around") << " 255 "
                                   << " 255 " << QColor(255, 0, 0) << rgb(255, 0, 0);
    QTest::newRow("plus sign") << "+65280"
                               << "+65280" << QColor(0, 255, 0) << rgb(0, 255, 0);
    QTest::newRow("lone point") << "."
                                << "16777215" << QColor(255, 255, 255) << rgb(255, 255, 255);
    QTest::newRow("lone minus") << "-"
                                << "16777215" << QColor(255, 255, 255) << rgb(255, 255, 255);
    QTest::newRow("pasted lines") << "25\n5"
                                  << "16777215" << QColor(255, 255, 255) << rgb(255, 255, 255);
}

void TestForm3::writtenValueIsCorrected()
{
    QFETCH(QString, written);
    QFETCH(QString, shown);
    QFETCH(QColor, preview);
    QFETCH(QString, chooser);
    QPointer<colour::Form3> dialog = openDialog();
    dialog->Text1->setText(written);
    QCOMPARE(dialog->Text1->text(), shown);
    QCOMPARE(previewOf(dialog), preview);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(chooserColour(m_chooser), chooser);
}

void TestForm3::emptiedFieldKeepsPreviewAndOkSetsBlack()
{
    colour::Form3 *dialog = openDialog();
    QTest::keyClicks(dialog->Text1, QStringLiteral("255"));
    dialog->Text1->selectAll();
    QTest::keyClick(dialog->Text1, Qt::Key_Delete);
    QVERIFY(dialog->Text1->text().isEmpty());
    QCOMPARE(previewOf(dialog), QColor(255, 0, 0));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(chooserColour(m_chooser), rgb(0, 0, 0));
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[0,0,0,1]"));
}

void TestForm3::okLeavesAlphaAndListAlone()
{
    QTest::mouseClick(m_chooser->Command1, Qt::LeftButton); // "Add Color"
    m_chooser->Text8->selectAll();
    QTest::keyClicks(m_chooser->Text8, QStringLiteral("50"));
    const QString list = m_chooser->Text10->text();
    const QString drop = m_main->Text28->text();
    typeAndOk(QStringLiteral("16711680"));
    QCOMPARE(m_chooser->Text8->text(), QStringLiteral("50"));
    QCOMPARE(m_chooser->Slider4->value(), 50);
    QCOMPARE(m_chooser->Text10->text(), list);
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[0,0,1,0.50]"));
    QCOMPARE(m_main->Text28->text(), drop);
}

void TestForm3::okSetsTheSlidersInOrder()
{
    QStringList order;
    for (QSlider *slider : {m_chooser->Slider1, m_chooser->Slider2, m_chooser->Slider3, m_chooser->Slider4})
        connect(slider, &QSlider::valueChanged, this, [&order, slider] { order << slider->objectName(); });
    m_chooser->Slider1->setObjectName(QStringLiteral("red"));
    m_chooser->Slider2->setObjectName(QStringLiteral("green"));
    m_chooser->Slider3->setObjectName(QStringLiteral("blue"));
    m_chooser->Slider4->setObjectName(QStringLiteral("alpha"));
    typeAndOk(QStringLiteral("1"));
    // The value fields follow each slider at once, so each slider moves once.
    QCOMPARE(order, QStringList({QStringLiteral("red"), QStringLiteral("green"), QStringLiteral("blue")}));
    QCOMPARE(chooserColour(m_chooser), rgb(1, 0, 0));
}

void TestForm3::cancelChangesNothing()
{
    QPointer<colour::Form3> dialog = openDialog();
    QTest::keyClicks(dialog->Text1, QStringLiteral("65280"));
    const QString array = m_chooser->Text7->text();
    QTest::mouseClick(dialog->Command2, Qt::LeftButton);
    QVERIFY(!colour::Form3::existing());
    QCOMPARE(chooserColour(m_chooser), rgb(255, 255, 255));
    QCOMPARE(m_chooser->Text7->text(), array);
}

void TestForm3::enterAndEscapeTriggerNeitherButton_data()
{
    QTest::addColumn<int>("focus"); // 0: the field, 1: "OK", 2: "Cancel"
    QTest::addColumn<int>("key");
    for (const auto &[name, key] : {std::pair{"Return", Qt::Key_Return}, std::pair{"Enter", Qt::Key_Enter},
                                    std::pair{"Escape", Qt::Key_Escape}}) {
        QTest::addRow("%s in the field", name) << 0 << int(key);
        QTest::addRow("%s on OK", name) << 1 << int(key);
        QTest::addRow("%s on Cancel", name) << 2 << int(key);
    }
}

void TestForm3::enterAndEscapeTriggerNeitherButton()
{
    QFETCH(int, focus);
    QFETCH(int, key);
    QPointer<colour::Form3> dialog = openDialog();
    QTest::keyClicks(dialog->Text1, QStringLiteral("255"));
    QWidget *target = focus == 0   ? static_cast<QWidget *>(dialog->Text1)
                      : focus == 1 ? static_cast<QWidget *>(dialog->Command1)
                                   : dialog->Command2;
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    processDeletes();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->Text1->text(), QStringLiteral("255"));
    QCOMPARE(chooserColour(m_chooser), rgb(255, 255, 255));
}

void TestForm3::secondClickKeepsOneDialog()
{
    colour::Form3 *first = openDialog();
    QTest::keyClicks(first->Text1, QStringLiteral("42"));
    colour::Form3 *second = openDialog();
    QCOMPARE(second, first);
    QCOMPARE(second->Text1->text(), QStringLiteral("42"));
    int dialogs = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        dialogs += qobject_cast<colour::Form3 *>(window) && window->isVisible();
    QCOMPARE(dialogs, 1);
}

void TestForm3::reopenedDialogStartsEmpty()
{
    QPointer<colour::Form3> first = openDialog();
    QTest::keyClicks(first->Text1, QStringLiteral("255"));
    first->close(); // the close box
    processDeletes();
    QVERIFY(!first);
    colour::Form3 *second = openDialog();
    QVERIFY(second);
    QVERIFY(second->Text1->text().isEmpty());
    QCOMPARE(previewOf(second), platform::windowBackgroundColour());
    QCOMPARE(chooserColour(m_chooser), rgb(255, 255, 255));
}

void TestForm3::closedChooserIsLoadedHiddenByOk()
{
    QPointer<colour::Form3> dialog = openDialog();
    QTest::mouseClick(m_chooser->Command3, Qt::LeftButton); // the chooser's "Cancel"
    processDeletes();
    QVERIFY(!m_chooser);
    QVERIFY(dialog);

    QTest::keyClicks(dialog->Text1, QStringLiteral("16711680"));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QPointer<colour::Form2> loaded = colour::Form2::existing();
    QVERIFY(loaded);
    QVERIFY(!loaded->isVisible());
    QCOMPARE(chooserColour(loaded), rgb(0, 0, 255));

    QTest::mouseClick(m_main->Command1, Qt::LeftButton); // "Choose Colors"
    QCOMPARE(colour::Form2::existing(), loaded.data());
    QVERIFY(loaded->isVisible());
    QCOMPARE(chooserColour(loaded), rgb(0, 0, 255));
    QCOMPARE(loaded->Text7->text(), QStringLiteral("[0,0,1,1]"));
    m_chooser = loaded;
}

void TestForm3::exitClosesTheDialog()
{
    QPointer<colour::Form3> dialog = openDialog();
    QTest::mouseClick(m_main->Command2, Qt::LeftButton); // "Exit"
    processDeletes();
    QVERIFY(!dialog);
    QVERIFY(!m_chooser);
}

QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
