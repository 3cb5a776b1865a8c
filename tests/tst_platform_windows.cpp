#include "app/form1.h"
#include "app/statusbar.h"
#include "colour/clickablelabel.h"
#include "colour/form2.h"
#include "colour/form3.h"
#include "import/form4.h"
#include "platform/frmOnTop.h"
#include "platform/keyindicators.h"
#include "platform/screenpixel.h"
#include "userinput.h"

#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

#include <windows.h>

namespace {

// A borderless window filled with one colour.
std::unique_ptr<QWidget> colourWindow(const QColor &colour, const QRect &geometry)
{
    auto window = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, colour);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setGeometry(geometry);
    window->show();
    return window;
}

bool topmost(const QWidget *window)
{
    const auto handle = reinterpret_cast<HWND>(window->winId());
    return (GetWindowLongPtrW(handle, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// A key pressed and released on the keyboard, as the system's input queue receives it.
void tapKey(WORD key)
{
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = key;
    inputs[0].ki.dwFlags = KEYEVENTF_EXTENDEDKEY * (key == VK_NUMLOCK);
    inputs[1].ki.dwFlags = inputs[0].ki.dwFlags | KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

} // namespace

// The platform layer on Qt's windows platform (run under Wine, which draws into an X server).
class TestPlatformWindows : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void screenPixelReadsTheScreen_data();
    void screenPixelReadsTheScreen();

    void dialogsJoinTheTopmostBand_data();
    void dialogsJoinTheTopmostBand();
    void setOnTopLeavesAShownWindowInPlace();
    void setOnTopFalseLeavesTheTopmostBand();

    void keyIndicatorFollowsTheKeyboard_data();
    void keyIndicatorFollowsTheKeyboard();
    void keyIndicatorReadsTheStateAtStart_data();
    void keyIndicatorReadsTheStateAtStart();
};

void TestPlatformWindows::cleanup()
{
    if (colour::Form3 *dialog = colour::Form3::existing())
        dialog->close();
    if (import::Form4 *dialog = import::Form4::existing())
        dialog->close();
    if (colour::Form2 *chooser = colour::Form2::existing())
        chooser->close();
    processDeletes();
}

void TestPlatformWindows::screenPixelReadsTheScreen_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::newRow("red") << QColor(255, 0, 0);
    QTest::newRow("white") << QColor(255, 255, 255);
    QTest::newRow("black") << QColor(0, 0, 0);
    QTest::newRow("mixed") << QColor(18, 52, 86);
}

void TestPlatformWindows::screenPixelReadsTheScreen()
{
    QFETCH(QColor, colour);
    QVERIFY(platform::canReadScreen());
    const QRect place(300, 200, 120, 80);
    const auto window = colourWindow(colour, place);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTRY_COMPARE(platform::screenPixel(place.center()).value_or(0x12345678u), colour.rgb());
    QCOMPARE(platform::screenPixel(place.topLeft()).value_or(0), colour.rgb());
    QCOMPARE(platform::screenPixel(place.bottomRight()).value_or(0), colour.rgb());
    QCOMPARE(platform::screenPixel(QPoint(-5, 10)), std::nullopt);
}

void TestPlatformWindows::dialogsJoinTheTopmostBand_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("onTop");
    QTest::newRow("main window") << "Form1" << false;
    QTest::newRow("colour chooser") << "Form2" << false;
    QTest::newRow("decimal colour") << "Form3" << true;
    QTest::newRow("import") << "Form4" << true;
}

void TestPlatformWindows::dialogsJoinTheTopmostBand()
{
    QFETCH(QString, window);
    QFETCH(bool, onTop);
    Form1 main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTest::mouseClick(main.Command1, Qt::LeftButton);
    QPointer<colour::Form2> chooser = colour::Form2::existing();
    QVERIFY(chooser);
    QTest::mouseClick(chooser->Label4, Qt::LeftButton);
    QTest::mouseClick(main.Command6, Qt::LeftButton);
    QPointer<colour::Form3> decimal = colour::Form3::existing();
    QPointer<import::Form4> import = import::Form4::existing();
    QVERIFY(decimal);
    QVERIFY(import);

    QWidget *shown = window == "Form1"   ? static_cast<QWidget *>(&main)
                     : window == "Form2" ? static_cast<QWidget *>(chooser.data())
                     : window == "Form3" ? static_cast<QWidget *>(decimal.data())
                                         : static_cast<QWidget *>(import.data());
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    QTRY_COMPARE(topmost(shown), onTop);
    // Activating the main window takes no dialog out of the band.
    main.activateWindow();
    QTest::qWait(200);
    QCOMPARE(topmost(shown), onTop);
}

void TestPlatformWindows::setOnTopLeavesAShownWindowInPlace()
{
    QWidget window;
    window.setGeometry(220, 180, 300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect geometry = window.geometry();
    const WId id = window.winId();
    QVERIFY(!topmost(&window));

    SetOnTop(&window, true);
    QTRY_VERIFY(topmost(&window));
    QVERIFY(window.isVisible());
    QCOMPARE(window.winId(), id);
    QCOMPARE(window.geometry(), geometry);
}

void TestPlatformWindows::setOnTopFalseLeavesTheTopmostBand()
{
    QWidget window;
    window.setGeometry(150, 150, 250, 150);
    SetOnTop(&window, true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(topmost(&window));
    const WId id = window.winId();

    SetOnTop(&window, false);
    QTRY_VERIFY(!topmost(&window));
    QCOMPARE(window.winId(), id);
    QVERIFY(window.isVisible());
}

void TestPlatformWindows::keyIndicatorFollowsTheKeyboard_data()
{
    QTest::addColumn<int>("panel");
    QTest::addColumn<int>("key");
    QTest::newRow("Caps Lock") << 3 << int(VK_CAPITAL);
    QTest::newRow("Num Lock") << 4 << int(VK_NUMLOCK);
}

void TestPlatformWindows::keyIndicatorFollowsTheKeyboard()
{
    QFETCH(int, panel);
    QFETCH(int, key);
    StatusBar bar;
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    bar.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&bar));
    // The indicators learn of changes from the key messages; nothing in them polls.
    QVERIFY(bar.findChildren<QTimer *>().isEmpty());
    const bool before = (GetKeyState(key) & 1) != 0;
    QCOMPARE(bar.panelActive(panel), before);

    tapKey(WORD(key));
    QTRY_COMPARE(bar.panelActive(panel), !before);
    tapKey(WORD(key));
    QTRY_COMPARE(bar.panelActive(panel), before);
}

void TestPlatformWindows::keyIndicatorReadsTheStateAtStart_data()
{
    keyIndicatorFollowsTheKeyboard_data();
}

void TestPlatformWindows::keyIndicatorReadsTheStateAtStart()
{
    QFETCH(int, panel);
    QFETCH(int, key);
    QWidget other;
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    // The key goes into the thread's keyboard state before any status bar exists.
    const bool before = (GetKeyState(key) & 1) != 0;
    tapKey(WORD(key));
    QTRY_COMPARE((GetKeyState(key) & 1) != 0, !before);
    {
        StatusBar bar;
        QCOMPARE(bar.panelActive(panel), !before);
    }
    tapKey(WORD(key));
    QTRY_COMPARE((GetKeyState(key) & 1) != 0, before);
}

QTEST_MAIN(TestPlatformWindows)
#include "tst_platform_windows.moc"
