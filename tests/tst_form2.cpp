#include "app/form1.h"
#include "chooserchannels.h"
#include "colour/clickablelabel.h"
#include "colour/form2.h"
#include "colour/form3.h"
#include "colour/grabpicture.h"
#include "messagesfake.h"
#include "platform/look.h"
#include "userinput.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

using colour::Form2;

namespace {

QColor previewColour(const Form2 *chooser)
{
    return chooser->Label4->palette().color(QPalette::Window);
}

} // namespace

class TestForm2 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opensWithTheDefaults();
    void windowIsAFixedModelessToolWindow();
    void controlsHaveTheirCaptionsColoursAndFonts();
    void tabOrder();
    void openingTwiceKeepsOneChooser();

    void draggingSliderShowsValueFractionAndArray_data();
    void draggingSliderShowsValueFractionAndArray();
    void mouseMovementOverSliderTakesItsPosition();
    void typedValueIsCorrected_data();
    void typedValueIsCorrected();
    void pastedValueIsCorrected_data();
    void pastedValueIsCorrected();
    void valueFieldsHoldThreeCharacters();
    void fractionEndPointsAreWrittenAsZeroAndOne();
    void previewFollowsTheColourChannelsOnly();
    void decimalCommaLocaleStillWritesPoints();

    void addColorTwiceAndApplyCarriesTheListIntoTheDropString();
    void applyWithEmptyListEmptiesTheColourField();
    void applyDropsTheLastCharacterOfAHandEditedList();
    void clearButtonsClearTheirFieldOnly();
    void resetAnsweredNoChangesNothing();
    void resetAnsweredYesRestoresTheMaxima();

    void rgbTakesTheChosenColour();
    void rgbCancelledChangesNothing();
    void rgbTakesBlack();

    void cancelDiscardsAndNextOpeningStartsFromDefaults();
    void closeBoxDiscardsToo();
    void reopeningBeforeTheDeletionStartsAFreshChooser();
    void clickOnPreviewOpensTheDecimalDialog();

private:
    Form2 *openChooser();

    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<MessagesFake> m_messages;
    Form2 *m_chooser = nullptr;
    int m_dialogCalls = 0;
    std::optional<QColor> m_dialogAnswer;
};

void TestForm2::init()
{
    m_messages = std::make_unique<MessagesFake>();
    m_dialogCalls = 0;
    m_dialogAnswer.reset();
    Form2::setColourDialog([this](QWidget *) {
        ++m_dialogCalls;
        return m_dialogAnswer;
    });
    m_form1 = std::make_unique<Form1>();
    m_form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form1.get()));
    m_chooser = openChooser();
    QVERIFY(m_chooser);
}

void TestForm2::cleanup()
{
    if (colour::Form3 *dialog = colour::Form3::existing())
        dialog->close();
    if (Form2 *chooser = Form2::existing())
        chooser->close();
    m_form1.reset();
    processDeletes();
    Form2::setColourDialog({});
    m_messages.reset();
    QLocale::setDefault(QLocale::c());
}

Form2 *TestForm2::openChooser()
{
    QTest::mouseClick(m_form1->Command1, Qt::LeftButton);
    Form2 *chooser = Form2::existing();
    if (chooser && !QTest::qWaitForWindowExposed(chooser))
        return nullptr;
    return chooser;
}

void TestForm2::opensWithTheDefaults()
{
    QCOMPARE(m_chooser->windowTitle(), QStringLiteral("Choose Color"));
    QVERIFY(m_chooser->isVisible());
    QCOMPARE(m_chooser->Text1->text(), QStringLiteral("255"));
    QCOMPARE(m_chooser->Text2->text(), QStringLiteral("255"));
    QCOMPARE(m_chooser->Text3->text(), QStringLiteral("255"));
    QCOMPARE(m_chooser->Text8->text(), QStringLiteral("100"));
    for (const QLineEdit *fraction : {m_chooser->Text4, m_chooser->Text5, m_chooser->Text6, m_chooser->Text9}) {
        QCOMPARE(fraction->text(), QStringLiteral("1"));
        QVERIFY(fraction->isReadOnly());
    }
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[1,1,1,1]"));
    QCOMPARE(m_chooser->Text10->text(), QString());
    QCOMPARE(m_chooser->Slider1->value(), 255);
    QCOMPARE(m_chooser->Slider2->value(), 255);
    QCOMPARE(m_chooser->Slider3->value(), 255);
    QCOMPARE(m_chooser->Slider4->value(), 100);
    QCOMPARE(m_chooser->Slider1->maximum(), 255);
    QCOMPARE(m_chooser->Slider4->maximum(), 100);
    QCOMPARE(m_chooser->Slider4->minimum(), 0);
    QCOMPARE(previewColour(m_chooser), platform::windowBackgroundColour());
    QCOMPARE(m_chooser->Timer1->interval(), 50);
    QVERIFY(!m_chooser->Timer1->isActive());
    QCOMPARE(m_messages->shown, QStringList());
}

void TestForm2::windowIsAFixedModelessToolWindow()
{
    QCOMPARE(m_chooser->parentWidget(), nullptr);
    QVERIFY(!m_chooser->isModal());
    QCOMPARE(m_chooser->windowType(), Qt::Tool);
    const Qt::WindowFlags flags = m_chooser->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowStaysOnTopHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(m_chooser->size(), QSize(443, 273));
    QCOMPARE(m_chooser->minimumSize(), m_chooser->maximumSize());
    // The main window stays usable beside it.
    retype(m_form1->Text(1), QStringLiteral("fx"));
    QVERIFY(m_form1->Text28->text().startsWith(QStringLiteral("Drop [\"fx\"")));
}

void TestForm2::controlsHaveTheirCaptionsColoursAndFonts()
{
    const struct {
        QLabel *label;
        QLineEdit *value;
        const char *caption;
        QColor colour;
    } channels[] = {
        {m_chooser->Label1, m_chooser->Text1, "Red", QColor(255, 0, 0)},
        {m_chooser->Label2, m_chooser->Text2, "Green", QColor(0, 192, 0)},
        {m_chooser->Label3, m_chooser->Text3, "Blue", QColor(0, 0, 255)},
        {m_chooser->Label5, m_chooser->Text8, "Alpha", QColor(0, 0, 0)},
    };
    for (const auto &channel : channels) {
        QCOMPARE(channel.label->text(), QString::fromLatin1(channel.caption));
        QCOMPARE(channel.label->palette().color(QPalette::WindowText), channel.colour);
        QCOMPARE(channel.value->palette().color(QPalette::Text), channel.colour);
    }
    QCOMPARE(m_chooser->Label6->text(), QStringLiteral("Grab Color :"));
    QCOMPARE(m_chooser->Label4->text(), QString());
    QVERIFY(m_chooser->Label4->frameShape() != QFrame::NoFrame);
    QCOMPARE(m_chooser->Label4->toolTip(), QStringLiteral("Click here to enter a decimal color value"));
    QCOMPARE(m_chooser->Command1->text(), QStringLiteral("Add Color"));
    QCOMPARE(m_chooser->Command2->text(), QStringLiteral("Apply"));
    QCOMPARE(m_chooser->Command3->text(), QStringLiteral("Cancel"));
    QCOMPARE(m_chooser->Command4->text(), QStringLiteral("R G B"));
    QCOMPARE(m_chooser->Command5->text(), QStringLiteral("Reset"));
    QCOMPARE(m_chooser->Command6->text(), QStringLiteral("X"));
    QCOMPARE(m_chooser->Command7->text(), QStringLiteral("X"));
    QVERIFY(m_chooser->Picture1);
    QCOMPARE(m_chooser->Picture1->size(), QSize(32, 32));
    QCOMPARE(m_chooser->Text1->font(), platform::windowFont());
    QCOMPARE(m_chooser->Command1->font(), platform::windowFont());
    // Right column: swatch beside "R G B", the grab picture beside its label, buttons in a row.
    QVERIFY(m_chooser->Command4->x() > m_chooser->Label4->geometry().right());
    QVERIFY(m_chooser->Picture1->x() > m_chooser->Label6->x());
    QCOMPARE(m_chooser->Command5->y(), m_chooser->Command2->y());
    QVERIFY(m_chooser->Command2->x() < m_chooser->Command5->x() && m_chooser->Command5->x() < m_chooser->Command3->x());
    QVERIFY(m_chooser->Text4->x() > m_chooser->Text1->x() && m_chooser->Text4->width() > m_chooser->Text1->width());
}

void TestForm2::tabOrder()
{
    const QList<QWidget *> expected{
        m_chooser->Text1,    m_chooser->Text2,    m_chooser->Text3,    m_chooser->Text8,    m_chooser->Slider1,
        m_chooser->Slider2,  m_chooser->Slider3,  m_chooser->Slider4,  m_chooser->Text4,    m_chooser->Text5,
        m_chooser->Text6,    m_chooser->Text9,    m_chooser->Text7,    m_chooser->Command1, m_chooser->Command6,
        m_chooser->Text10,   m_chooser->Command7, m_chooser->Command2, m_chooser->Command5, m_chooser->Command3,
        m_chooser->Picture1, m_chooser->Command4,
    };
    QList<QWidget *> order;
    QWidget *widget = m_chooser->Text1;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order << widget;
        widget = widget->nextInFocusChain();
    } while (widget != m_chooser->Text1 && order.size() <= expected.size());
    QCOMPARE(order, expected);
}

void TestForm2::openingTwiceKeepsOneChooser()
{
    QTest::mouseClick(m_form1->Command1, Qt::LeftButton);
    QCOMPARE(Form2::existing(), m_chooser);
    int choosers = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (qobject_cast<Form2 *>(window))
            ++choosers;
    QCOMPARE(choosers, 1);
}

void TestForm2::draggingSliderShowsValueFractionAndArray_data()
{
    QTest::addColumn<int>("slider");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("fraction");
    QTest::addColumn<QString>("array");

    QTest::newRow("red 128") << 1 << 128 << "128"
                             << "0.5020"
                             << "[0.5020,1,1,1]";
    QTest::newRow("red 0") << 1 << 0 << "0"
                           << "0"
                           << "[0,1,1,1]";
    QTest::newRow("green 1") << 2 << 1 << "1"
                             << "0.0039"
                             << "[1,0.0039,1,1]";
    QTest::newRow("blue 254") << 3 << 254 << "254"
                              << "0.9961"
                              << "[1,1,0.9961,1]";
    QTest::newRow("blue 64") << 3 << 64 << "64"
                             << "0.2510"
                             << "[1,1,0.2510,1]";
    QTest::newRow("alpha 50") << 4 << 50 << "50"
                              << "0.50"
                              << "[1,1,1,0.50]";
    QTest::newRow("alpha 5") << 4 << 5 << "5"
                             << "0.05"
                             << "[1,1,1,0.05]";
    QTest::newRow("alpha 0") << 4 << 0 << "0"
                             << "0"
                             << "[1,1,1,0]";
}

void TestForm2::draggingSliderShowsValueFractionAndArray()
{
    QFETCH(int, slider);
    QFETCH(int, position);
    QFETCH(QString, value);
    QFETCH(QString, fraction);
    QFETCH(QString, array);

    const ChooserChannel channel = chooserChannels(m_chooser).at(slider - 1);
    channel.slider->setValue(position);
    QCOMPARE(channel.value->text(), value);
    QCOMPARE(channel.fraction->text(), fraction);
    QCOMPARE(m_chooser->Text7->text(), array);
}

void TestForm2::mouseMovementOverSliderTakesItsPosition()
{
    // A position the slider has not reported yet, as in a drag before the slider's change.
    {
        const QSignalBlocker quiet(m_chooser->Slider1);
        m_chooser->Slider1->setValue(128);
    }
    QCOMPARE(m_chooser->Text1->text(), QStringLiteral("255"));
    QTest::mouseMove(m_chooser->windowHandle(), m_chooser->Slider1->geometry().center());
    QTRY_COMPARE(m_chooser->Text1->text(), QStringLiteral("128"));
    QCOMPARE(m_chooser->Text4->text(), QStringLiteral("0.5020"));
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[0.5020,1,1,1]"));

    {
        const QSignalBlocker quiet(m_chooser->Slider4);
        m_chooser->Slider4->setValue(30);
    }
    QTest::mouseMove(m_chooser->windowHandle(), m_chooser->Slider4->geometry().center());
    QTRY_COMPARE(m_chooser->Text8->text(), QStringLiteral("30"));
    QCOMPARE(m_chooser->Text9->text(), QStringLiteral("0.30"));
}

void TestForm2::typedValueIsCorrected_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("fraction");

    QTest::newRow("above the maximum") << 1 << "300"
                                       << "255" << 255 << "1";
    QTest::newRow("deleted") << 2 << ""
                             << "0" << 0 << "0";
    QTest::newRow("a letter") << 3 << "x"
                              << "255" << 255 << "1";
    QTest::newRow("a letter after digits") << 3 << "12x"
                                           << "255" << 255 << "1";
    QTest::newRow("alpha 50") << 4 << "50"
                              << "50" << 50 << "0.50";
    QTest::newRow("alpha 0") << 4 << "0"
                             << "0" << 0 << "0";
    QTest::newRow("alpha 100") << 4 << "100"
                               << "100" << 100 << "1";
    QTest::newRow("alpha above the maximum") << 4 << "101"
                                             << "100" << 100 << "1";
    QTest::newRow("red 128") << 1 << "128"
                             << "128" << 128 << "0.5020";
    QTest::newRow("leading zeros taken from the slider") << 2 << "064"
                                                         << "64" << 64 << "0.2510";
    QTest::newRow("half rounds to even: up") << 1 << "3.5"
                                             << "4" << 4 << "0.0157";
    // 2.5 rounds to 2, where the slider already stands after "2": the text stays as typed.
    QTest::newRow("half rounds to even: down") << 1 << "2.5"
                                               << "2.5" << 2 << "0.0098";
    QTest::newRow("trailing point") << 3 << "12."
                                    << "12." << 12 << "0.0471";
}

void TestForm2::typedValueIsCorrected()
{
    QFETCH(int, channel);
    QFETCH(QString, typed);
    QFETCH(QString, value);
    QFETCH(int, position);
    QFETCH(QString, fraction);

    const ChooserChannel controls = chooserChannels(m_chooser).at(channel - 1);
    retype(controls.value, typed);
    QCOMPARE(controls.value->text(), value);
    QCOMPARE(controls.slider->value(), position);
    QCOMPARE(controls.fraction->text(), fraction);
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[%1,%2,%3,%4]")
                                           .arg(m_chooser->Text4->text(), m_chooser->Text5->text(),
                                                m_chooser->Text6->text(), m_chooser->Text9->text()));
}

void TestForm2::pastedValueIsCorrected_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("fraction");

    QTest::newRow("above the maximum") << 1 << "300"
                                       << "255" << 255 << "1";
    QTest::newRow("negative") << 1 << "-5"
                              << "0" << 0 << "0";
    QTest::newRow("negative fraction") << 2 << "-.4"
                                       << "0" << 0 << "0";
    QTest::newRow("negative zero") << 3 << "-0"
                                   << "0" << 0 << "0";
    QTest::newRow("negative alpha") << 4 << "-50"
                                    << "0" << 0 << "0";
    QTest::newRow("blank") << 2 << " "
                           << "255" << 255 << "1";
    QTest::newRow("blank before digits") << 2 << " 7"
                                         << "7" << 7 << "0.0275";
    QTest::newRow("exponent is not a number") << 1 << "1e2"
                                              << "255" << 255 << "1";
    QTest::newRow("comma is not a number") << 4 << "5,5"
                                           << "100" << 100 << "1";
}

void TestForm2::pastedValueIsCorrected()
{
    QFETCH(int, channel);
    QFETCH(QString, pasted);
    QFETCH(QString, value);
    QFETCH(int, position);
    QFETCH(QString, fraction);

    const ChooserChannel controls = chooserChannels(m_chooser).at(channel - 1);
    // Start away from the end points, so that every correction shows.
    controls.slider->setValue(10);
    paste(controls.value, pasted);
    QCOMPARE(controls.value->text(), value);
    QCOMPARE(controls.slider->value(), position);
    QCOMPARE(controls.fraction->text(), fraction);
    if (channel != 4) {
        const QColor preview = previewColour(m_chooser);
        const int channelValue[] = {preview.red(), preview.green(), preview.blue()};
        QCOMPARE(channelValue[channel - 1], position);
    }
}

void TestForm2::valueFieldsHoldThreeCharacters()
{
    for (QLineEdit *value : {m_chooser->Text1, m_chooser->Text2, m_chooser->Text3, m_chooser->Text8})
        QCOMPARE(value->maxLength(), 3);
    retype(m_chooser->Text2, QStringLiteral("1234"));
    QCOMPARE(m_chooser->Text2->text(), QStringLiteral("123"));
    QCOMPARE(m_chooser->Slider2->value(), 123);
}

void TestForm2::fractionEndPointsAreWrittenAsZeroAndOne()
{
    QSignalSpy written(m_chooser->Text9, &QLineEdit::textChanged);
    m_chooser->Slider4->setValue(0);
    QCOMPARE(m_chooser->Text9->text(), QStringLiteral("0"));
    m_chooser->Slider4->setValue(100);
    QCOMPARE(m_chooser->Text9->text(), QStringLiteral("1"));
    // The formatted end points are written first and then turned into "0" and "1".
    QStringList texts;
    for (const QList<QVariant> &change : written)
        texts << change.at(0).toString();
    QVERIFY2(texts.contains(QStringLiteral("0.00")) && texts.contains(QStringLiteral("1.00")),
             qPrintable(texts.join(QLatin1Char(' '))));
}

void TestForm2::previewFollowsTheColourChannelsOnly()
{
    retype(m_chooser->Text8, QStringLiteral("40"));
    QCOMPARE(previewColour(m_chooser), platform::windowBackgroundColour());
    retype(m_chooser->Text1, QStringLiteral("128"));
    QCOMPARE(previewColour(m_chooser), QColor(128, 255, 255));
    m_chooser->Slider3->setValue(7);
    QCOMPARE(previewColour(m_chooser), QColor(128, 255, 7));
    m_chooser->Slider4->setValue(90);
    QCOMPARE(previewColour(m_chooser), QColor(128, 255, 7));
}

void TestForm2::decimalCommaLocaleStillWritesPoints()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));
    QSignalSpy written(m_chooser->Text4, &QLineEdit::textChanged);
    m_chooser->Slider1->setValue(128);
    QCOMPARE(m_chooser->Text4->text(), QStringLiteral("0.5020"));
    // Written with the locale's comma, then turned into "." by the filter bound to the field.
    QCOMPARE(written.count(), 2);
    QCOMPARE(written.at(0).at(0).toString(), QStringLiteral("0,5020"));
    retype(m_chooser->Text8, QStringLiteral("50"));
    QCOMPARE(m_chooser->Text9->text(), QStringLiteral("0.50"));
    retype(m_chooser->Text3, QStringLiteral("64"));
    QCOMPARE(m_chooser->Text6->text(), QStringLiteral("0.2510"));
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[0.5020,1,0.2510,0.50]"));
}

void TestForm2::addColorTwiceAndApplyCarriesTheListIntoTheDropString()
{
    QTest::mouseClick(m_chooser->Command1, Qt::LeftButton);
    QTest::mouseClick(m_chooser->Command1, Qt::LeftButton);
    QCOMPARE(m_chooser->Text10->text(), QStringLiteral("[1,1,1,1],[1,1,1,1],"));
    QTest::mouseClick(m_chooser->Command2, Qt::LeftButton);
    QCOMPARE(m_form1->Text(19)->text(), QStringLiteral("[1,1,1,1],[1,1,1,1]"));
    QVERIFY2(m_form1->Text28->text().contains(QStringLiteral(",[[1,1,1,1],[1,1,1,1]],")),
             qPrintable(m_form1->Text28->text()));

    // A changed colour after the first two, applied again: the chooser stays open.
    m_chooser->Slider1->setValue(128);
    m_chooser->Slider2->setValue(64);
    m_chooser->Slider3->setValue(0);
    retype(m_chooser->Text8, QStringLiteral("50"));
    QTest::mouseClick(m_chooser->Command1, Qt::LeftButton);
    QTest::mouseClick(m_chooser->Command2, Qt::LeftButton);
    QVERIFY(m_chooser->isVisible());
    QCOMPARE(m_form1->Text(19)->text(), QStringLiteral("[1,1,1,1],[1,1,1,1],[0.5020,0.2510,0,0.50]"));
    QVERIFY2(m_form1->Text28->text().contains(QStringLiteral(",[[1,1,1,1],[1,1,1,1],[0.5020,0.2510,0,0.50]],")),
             qPrintable(m_form1->Text28->text()));
}

void TestForm2::applyWithEmptyListEmptiesTheColourField()
{
    QVERIFY(!m_form1->Text(19)->text().isEmpty());
    QTest::mouseClick(m_chooser->Command2, Qt::LeftButton);
    QCOMPARE(m_form1->Text(19)->text(), QString());
    QVERIFY2(m_form1->Text28->text().contains(QStringLiteral(",[],")), qPrintable(m_form1->Text28->text()));
}

void TestForm2::applyDropsTheLastCharacterOfAHandEditedList()
{
    retype(m_chooser->Text10, QStringLiteral("[0,0,0,1]"));
    QTest::mouseClick(m_chooser->Command2, Qt::LeftButton);
    QCOMPARE(m_form1->Text(19)->text(), QStringLiteral("[0,0,0,1"));
}

void TestForm2::clearButtonsClearTheirFieldOnly()
{
    m_chooser->Slider1->setValue(0);
    QTest::mouseClick(m_chooser->Command1, Qt::LeftButton);
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[0,1,1,1]"));
    QTest::mouseClick(m_chooser->Command6, Qt::LeftButton);
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[1,1,1,1]"));
    QCOMPARE(m_chooser->Text1->text(), QStringLiteral("0"));
    QCOMPARE(m_chooser->Text4->text(), QStringLiteral("0"));
    QCOMPARE(m_chooser->Text10->text(), QStringLiteral("[0,1,1,1],"));
    QTest::mouseClick(m_chooser->Command7, Qt::LeftButton);
    QCOMPARE(m_chooser->Text10->text(), QString());
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[1,1,1,1]"));
    QCOMPARE(m_chooser->Slider1->value(), 0);
}

void TestForm2::resetAnsweredNoChangesNothing()
{
    m_chooser->Slider2->setValue(20);
    retype(m_chooser->Text8, QStringLiteral("30"));
    QTest::mouseClick(m_chooser->Command1, Qt::LeftButton);
    const QString list = m_chooser->Text10->text();
    const QString array = m_chooser->Text7->text();
    m_messages->answer = false;
    QTest::mouseClick(m_chooser->Command5, Qt::LeftButton);
    QCOMPARE(m_messages->shown, QStringList{"question|PLW|Do you really want to reset all fields ?"});
    QCOMPARE(m_chooser->Text2->text(), QStringLiteral("20"));
    QCOMPARE(m_chooser->Slider2->value(), 20);
    QCOMPARE(m_chooser->Text8->text(), QStringLiteral("30"));
    QCOMPARE(m_chooser->Text10->text(), list);
    QCOMPARE(m_chooser->Text7->text(), array);
}

void TestForm2::resetAnsweredYesRestoresTheMaxima()
{
    m_chooser->Slider1->setValue(1);
    m_chooser->Slider2->setValue(2);
    m_chooser->Slider3->setValue(3);
    m_chooser->Slider4->setValue(4);
    QTest::mouseClick(m_chooser->Command1, Qt::LeftButton);
    m_messages->answer = true;
    QTest::mouseClick(m_chooser->Command5, Qt::LeftButton);
    QCOMPARE(m_messages->shown.size(), 1);
    QCOMPARE(m_chooser->Text1->text(), QStringLiteral("255"));
    QCOMPARE(m_chooser->Text2->text(), QStringLiteral("255"));
    QCOMPARE(m_chooser->Text3->text(), QStringLiteral("255"));
    QCOMPARE(m_chooser->Text8->text(), QStringLiteral("100"));
    QCOMPARE(m_chooser->Slider1->value(), 255);
    QCOMPARE(m_chooser->Slider4->value(), 100);
    QCOMPARE(m_chooser->Text4->text(), QStringLiteral("1"));
    QCOMPARE(m_chooser->Text9->text(), QStringLiteral("1"));
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[1,1,1,1]"));
    QCOMPARE(m_chooser->Text10->text(), QString());
    QCOMPARE(previewColour(m_chooser), QColor(255, 255, 255));
}

void TestForm2::rgbTakesTheChosenColour()
{
    m_dialogAnswer = QColor(255, 128, 0);
    QTest::mouseClick(m_chooser->Command4, Qt::LeftButton);
    QCOMPARE(m_dialogCalls, 1);
    QCOMPARE(m_chooser->Text1->text(), QStringLiteral("255"));
    QCOMPARE(m_chooser->Text2->text(), QStringLiteral("128"));
    QCOMPARE(m_chooser->Text3->text(), QStringLiteral("0"));
    QCOMPARE(m_chooser->Slider1->value(), 255);
    QCOMPARE(m_chooser->Slider2->value(), 128);
    QCOMPARE(m_chooser->Slider3->value(), 0);
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[1,0.5020,0,1]"));
    QCOMPARE(previewColour(m_chooser), QColor(255, 128, 0));
}

void TestForm2::rgbCancelledChangesNothing()
{
    m_dialogAnswer = QColor(10, 20, 30);
    QTest::mouseClick(m_chooser->Command4, Qt::LeftButton);
    m_chooser->Slider1->setValue(200);
    m_dialogAnswer.reset();
    QTest::mouseClick(m_chooser->Command4, Qt::LeftButton);
    QCOMPARE(m_dialogCalls, 2);
    QCOMPARE(m_chooser->Text1->text(), QStringLiteral("200"));
    QCOMPARE(m_chooser->Text2->text(), QStringLiteral("20"));
    QCOMPARE(m_chooser->Text3->text(), QStringLiteral("30"));
    QCOMPARE(m_messages->shown, QStringList());
}

void TestForm2::rgbTakesBlack()
{
    m_dialogAnswer = QColor(0, 0, 0);
    QTest::mouseClick(m_chooser->Command4, Qt::LeftButton);
    QCOMPARE(m_chooser->Text1->text(), QStringLiteral("0"));
    QCOMPARE(m_chooser->Text2->text(), QStringLiteral("0"));
    QCOMPARE(m_chooser->Text3->text(), QStringLiteral("0"));
    QCOMPARE(m_chooser->Slider3->value(), 0);
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[0,0,0,1]"));
    QCOMPARE(previewColour(m_chooser), QColor(0, 0, 0));
}

void TestForm2::cancelDiscardsAndNextOpeningStartsFromDefaults()
{
    const QString colourField = m_form1->Text(19)->text();
    m_chooser->Slider1->setValue(12);
    QTest::mouseClick(m_chooser->Command1, Qt::LeftButton);
    QTest::mouseClick(m_chooser->Command3, Qt::LeftButton);
    processDeletes();
    QCOMPARE(Form2::existing(), nullptr);
    QCOMPARE(m_form1->Text(19)->text(), colourField);

    m_chooser = openChooser();
    QVERIFY(m_chooser);
    QCOMPARE(m_chooser->Text1->text(), QStringLiteral("255"));
    QCOMPARE(m_chooser->Slider1->value(), 255);
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[1,1,1,1]"));
    QCOMPARE(m_chooser->Text10->text(), QString());
    QCOMPARE(previewColour(m_chooser), platform::windowBackgroundColour());
}

void TestForm2::closeBoxDiscardsToo()
{
    retype(m_chooser->Text10, QStringLiteral("[0,0,0,0],"));
    QVERIFY(m_chooser->close());
    processDeletes();
    QCOMPARE(Form2::existing(), nullptr);
    m_chooser = openChooser();
    QVERIFY(m_chooser);
    QCOMPARE(m_chooser->Text10->text(), QString());
}

void TestForm2::reopeningBeforeTheDeletionStartsAFreshChooser()
{
    // The closed chooser's deletion waits for the event loop; showing it again meanwhile would let
    // the deletion take an open window.
    QPointer<Form2> closed = m_chooser;
    retype(m_chooser->Text10, QStringLiteral("[0,0,0,0],"));
    QTest::mouseClick(m_chooser->Command3, Qt::LeftButton);
    QCOMPARE(Form2::existing(), nullptr);
    QTest::mouseClick(m_form1->Command1, Qt::LeftButton);
    m_chooser = Form2::existing();
    QVERIFY(m_chooser);
    QVERIFY(m_chooser != closed);
    processDeletes();
    QVERIFY(!closed);
    QCOMPARE(Form2::existing(), m_chooser);
    QVERIFY(m_chooser->isVisible());
    QCOMPARE(m_chooser->Text10->text(), QString());
}

void TestForm2::clickOnPreviewOpensTheDecimalDialog()
{
    QCOMPARE(colour::Form3::existing(), nullptr);
    QTest::mouseClick(m_chooser->Label4, Qt::LeftButton);
    QVERIFY(colour::Form3::existing());
    QVERIFY(colour::Form3::existing()->isVisible());
    QCOMPARE(colour::Form3::existing()->parentWidget(), nullptr);
}

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
