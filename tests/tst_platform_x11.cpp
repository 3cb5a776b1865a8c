#include "app/form1.h"
#include "app/statusbar.h"
#include "colour/form3.h"
#include "platform/frmOnTop.h"
#include "platform/keyindicators.h"
#include "platform/screenpixel.h"
#include "x11session.h"

#include <QPointer>
#include <QTimer>

#include <X11/keysym.h>

#include <algorithm>
#include <memory>

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

// Counts the hide events a widget receives.
class HideCounter : public QObject {
public:
    int hides = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide)
            ++hides;
        return false;
    }
};

// Position of a window in the window manager's stacking order, bottom first; -1 when unlisted.
qsizetype stackingIndex(const x11::Connection &x, const QWidget *window)
{
    const std::vector<Window> stacking = x.rootWindowList("_NET_CLIENT_LIST_STACKING");
    const auto found = std::find(stacking.begin(), stacking.end(), Window(window->winId()));
    return found == stacking.end() ? -1 : found - stacking.begin();
}

bool hasState(const x11::Connection &x, const QWidget *window, const char *state)
{
    const std::vector<Atom> states = x.netWmState(window->winId());
    return std::find(states.begin(), states.end(), x.atom(state)) != states.end();
}

void activate(QWidget *window)
{
    window->raise();
    window->activateWindow();
}

} // namespace

// The window manager runs for the whole test program: the stacking tests need one, and the other
// tests must hold under one as well.
class TestPlatformX11 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void screenPixelReadsTheScreen_data();
    void screenPixelReadsTheScreen();
    void screenPixelFailsOutsideTheScreen_data();
    void screenPixelFailsOutsideTheScreen();

    void setOnTopLeavesAShownWindowInPlace();
    void topmostDialogStaysAboveTheActivatedMainWindow();
    void setOnTopOnAShownWindowKeepsItAboveOthers();
    void setOnTopFalseLeavesTheTopBand();

    void keyIndicatorFollowsTheKeyboard_data();
    void keyIndicatorFollowsTheKeyboard();

private:
    x11::Connection x;
    std::unique_ptr<x11::WindowManager> manager;
};

void TestPlatformX11::initTestCase()
{
    manager = std::make_unique<x11::WindowManager>(x);
    if (!manager->running())
        qWarning("no window manager on the display (openbox not installed): stacking is checked through the "
                 "window flags and state only");
}

void TestPlatformX11::cleanupTestCase()
{
    manager.reset();
}

void TestPlatformX11::cleanup()
{
    if (colour::Form3 *dialog = colour::Form3::existing())
        dialog->close();
    QTest::qWait(50);
}

void TestPlatformX11::screenPixelReadsTheScreen_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::newRow("red") << QColor(255, 0, 0);
    QTest::newRow("green") << QColor(0, 255, 0);
    QTest::newRow("blue") << QColor(0, 0, 255);
    QTest::newRow("white") << QColor(255, 255, 255);
    QTest::newRow("black") << QColor(0, 0, 0);
    QTest::newRow("mixed") << QColor(18, 52, 86);
}

void TestPlatformX11::screenPixelReadsTheScreen()
{
    QFETCH(QColor, colour);
    QVERIFY(platform::canReadScreen());
    const QRect place(300, 200, 120, 80);
    const auto window = colourWindow(colour, place);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTRY_COMPARE(platform::screenPixel(place.center()).value_or(0x12345678u), colour.rgb());
    // The corners belong to the window as well: the read is not off by one.
    QCOMPARE(platform::screenPixel(place.topLeft()).value_or(0), colour.rgb());
    QCOMPARE(platform::screenPixel(place.bottomRight()).value_or(0), colour.rgb());
}

void TestPlatformX11::screenPixelFailsOutsideTheScreen_data()
{
    QTest::addColumn<QPoint>("position");
    QTest::newRow("left of it") << QPoint(-5, 10);
    QTest::newRow("above it") << QPoint(10, -1);
    QTest::newRow("far right") << QPoint(100000, 10);
    QTest::newRow("far below") << QPoint(10, 100000);
}

void TestPlatformX11::screenPixelFailsOutsideTheScreen()
{
    QFETCH(QPoint, position);
    QCOMPARE(platform::screenPixel(position), std::nullopt);
}

void TestPlatformX11::setOnTopLeavesAShownWindowInPlace()
{
    QWidget window;
    window.setGeometry(220, 180, 300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);
    const QRect geometry = window.geometry();
    const WId id = window.winId();
    HideCounter counter;
    window.installEventFilter(&counter);

    SetOnTop(&window, true);
    QTest::qWait(300);

    QCOMPARE(counter.hides, 0);
    QVERIFY(window.isVisible());
    QCOMPARE(window.winId(), id);
    QCOMPARE(window.geometry(), geometry);
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    if (manager->running())
        QTRY_VERIFY(hasState(x, &window, "_NET_WM_STATE_ABOVE"));
}

void TestPlatformX11::topmostDialogStaysAboveTheActivatedMainWindow()
{
    Form1 main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    // An ordinary window opened after the main window, the control: activating the main window
    // puts it below.
    QWidget ordinary(nullptr, Qt::Tool);
    ordinary.setGeometry(main.geometry().center().x(), main.geometry().center().y(), 200, 100);
    ordinary.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ordinary));
    colour::Form3::open({});
    QPointer<colour::Form3> dialog = colour::Form3::existing();
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));
    QVERIFY(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    if (!manager->running()) {
        // Without a window manager nothing keeps a stacking band; what can be checked is that the
        // dialog asks for it.
        QVERIFY(hasState(x, dialog, "_NET_WM_STATE_ABOVE"));
        return;
    }
    QTRY_VERIFY(hasState(x, dialog, "_NET_WM_STATE_ABOVE"));
    for (int round = 0; round < 2; ++round) {
        activate(&main);
        QTRY_VERIFY(stackingIndex(x, &main) > stackingIndex(x, &ordinary));
        QTest::qWait(100);
        QVERIFY(stackingIndex(x, dialog) > stackingIndex(x, &main));
        activate(&ordinary);
        QTRY_VERIFY(stackingIndex(x, &ordinary) > stackingIndex(x, &main));
        QVERIFY(stackingIndex(x, dialog) > stackingIndex(x, &ordinary));
    }
}

void TestPlatformX11::setOnTopOnAShownWindowKeepsItAboveOthers()
{
    if (!manager->running())
        QSKIP("no window manager to keep a stacking order (openbox not installed)");
    QWidget topmost;
    topmost.setGeometry(150, 150, 250, 150);
    topmost.show();
    QVERIFY(QTest::qWaitForWindowExposed(&topmost));
    QWidget other;
    other.setGeometry(200, 200, 400, 300);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    QTRY_VERIFY(stackingIndex(x, &other) > stackingIndex(x, &topmost));
    const QRect geometry = topmost.geometry();

    SetOnTop(&topmost, true);
    QTRY_VERIFY(hasState(x, &topmost, "_NET_WM_STATE_ABOVE"));
    QTRY_VERIFY(stackingIndex(x, &topmost) > stackingIndex(x, &other));
    activate(&other);
    QTest::qWait(300);
    QVERIFY(stackingIndex(x, &topmost) > stackingIndex(x, &other));
    QCOMPARE(topmost.geometry(), geometry);
    QVERIFY(topmost.isVisible());
}

void TestPlatformX11::setOnTopFalseLeavesTheTopBand()
{
    if (!manager->running())
        QSKIP("no window manager to keep a stacking order (openbox not installed)");
    QWidget window;
    window.setGeometry(150, 150, 250, 150);
    SetOnTop(&window, true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(hasState(x, &window, "_NET_WM_STATE_ABOVE"));
    QWidget other;
    other.setGeometry(200, 200, 400, 300);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));

    SetOnTop(&window, false);
    QTRY_VERIFY(!hasState(x, &window, "_NET_WM_STATE_ABOVE"));
    activate(&other);
    QTRY_VERIFY(stackingIndex(x, &other) > stackingIndex(x, &window));
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void TestPlatformX11::keyIndicatorFollowsTheKeyboard_data()
{
    QTest::addColumn<int>("panel");
    QTest::addColumn<int>("key");
    QTest::newRow("Caps Lock") << 3 << int(XK_Caps_Lock);
    QTest::newRow("Num Lock") << 4 << int(XK_Num_Lock);
}

void TestPlatformX11::keyIndicatorFollowsTheKeyboard()
{
    QFETCH(int, panel);
    QFETCH(int, key);
    if (!x.hasXTest())
        QSKIP("the X server has no XTest extension to press keys with");
#ifdef PLW_HAVE_XTEST
    StatusBar bar;
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    // The indicators learn of changes from the X server; nothing in them polls.
    QVERIFY(bar.findChildren<QTimer *>().isEmpty());
    const bool before = bar.panelActive(panel);

    x.tapKey(KeySym(key));
    QTRY_COMPARE(bar.panelActive(panel), !before);
    x.tapKey(KeySym(key));
    QTRY_COMPARE(bar.panelActive(panel), before);
#endif
}

int main(int argc, char **argv)
{
    TestPlatformX11 test;
    return x11::run(test, argc, argv);
}

#include "tst_platform_x11.moc"
