#include "app/form1.h"
#include "colour/form2.h"
#include "colour/grabpicture.h"
#include "platform/screenpixel.h"
#include "userinput.h"
#include "x11session.h"

#include <QCursor>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <memory>

namespace {

// A borderless window of the program filled with one colour, placed away from the chooser.
class ColourWindow : public QWidget {
public:
    ColourWindow(const QColor &colour, const QRect &geometry)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        setAutoFillBackground(true);
        setGeometry(geometry);
        fill(colour);
        show();
    }
    void fill(const QColor &colour)
    {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, colour);
        setPalette(palette);
        update();
    }
};

QString channels(const colour::Form2 *chooser)
{
    return chooser->Text1->text() + QLatin1Char(',') + chooser->Text2->text() + QLatin1Char(',')
           + chooser->Text3->text();
}

bool grabbing(const colour::Form2 *chooser)
{
    return chooser->Timer1->isActive();
}

// Idle: the timer stopped, the picture shown, no pointer of the grab anywhere, the pointer free.
bool idle(const colour::Form2 *chooser)
{
    return !chooser->Timer1->isActive() && chooser->Picture1->isVisible() && !QGuiApplication::overrideCursor()
           && chooser->cursor().shape() == Qt::ArrowCursor && !QWidget::mouseGrabber();
}

#ifdef PLW_HAVE_XFIXES
// Whether the server shows the grab pointer now, wherever the pointer is.
bool showsGrabPointer(const x11::Connection &x)
{
    const QCursor pointer = colour::GrabPicture::pointer();
    return x.pointerImage() == QRect(pointer.hotSpot(), pointer.pixmap().size());
}
#endif

// The ways a grab can end other than by the release.
enum Leaving { ChooserCloses, MainWindowExit, MainWindowCloses, ChooserHidden };

const QRect kRedPlace(40, 40, 200, 150);
// Where a window of another program lies.
const QRect kForeignPlace(1040, 40, 200, 150);

} // namespace

// The screen colour grab of the chooser on a real X server: what lies on the screen under the
// pointer reaches the channel fields.
class TestGrab : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pressShowsThePictureAsPointer();
    void grabTakesTheColourUnderThePointer();
    void restingPointerTakesNothing();
    void newGrabWithoutMoveKeepsTheFields();
    void grabLeavesAlphaListAndMainWindowAlone();
    void releaseAnywhereEndsTheGrab_data();
    void releaseAnywhereEndsTheGrab();
    void leavingDuringAGrabEndsIt_data();
    void leavingDuringAGrabEndsIt();

private:
    void startGrab();
    void stopGrab();

    std::unique_ptr<Form1> m_main;
    QPointer<colour::Form2> m_chooser;
    std::unique_ptr<ColourWindow> m_red;
};

void TestGrab::init()
{
    m_red = std::make_unique<ColourWindow>(Qt::red, kRedPlace);
    QVERIFY(QTest::qWaitForWindowExposed(m_red.get()));
    m_main = std::make_unique<Form1>();
    m_main->show();
    QTest::mouseClick(m_main->Command1, Qt::LeftButton);
    m_chooser = colour::Form2::existing();
    QVERIFY(m_chooser);
    QVERIFY(QTest::qWaitForWindowExposed(m_chooser.data()));
    // Run with QT_USE_NATIVE_WINDOWS=1, every widget has a window of its own on the X server.
    if (qEnvironmentVariableIsSet("QT_USE_NATIVE_WINDOWS"))
        QVERIFY(m_chooser->Picture1->internalWinId());
    QTRY_COMPARE(platform::screenPixel(kRedPlace.center()), std::optional<QRgb>(qRgb(255, 0, 0)));
}

void TestGrab::cleanup()
{
    if (m_chooser && grabbing(m_chooser))
        stopGrab();
    m_main.reset();
    m_red.reset();
    processDeletes();
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestGrab::startGrab()
{
    QTest::mousePress(m_chooser->Picture1, Qt::LeftButton, {}, QPoint(16, 16));
}

void TestGrab::stopGrab()
{
    QTest::mouseRelease(m_chooser->Picture1, Qt::LeftButton, {}, QPoint(16, 16));
}

void TestGrab::pressShowsThePictureAsPointer()
{
    QVERIFY(idle(m_chooser));
    QCOMPARE(m_chooser->Timer1->interval(), 50);
    startGrab();
    QVERIFY(grabbing(m_chooser));
    QVERIFY(!m_chooser->Picture1->isVisible());
    const QCursor *pointer = QGuiApplication::overrideCursor();
    QVERIFY(pointer);
    QCOMPARE(pointer->pixmap().toImage(), colour::GrabPicture::picture().toImage());
    QCOMPARE(m_chooser->cursor().pixmap().toImage(), colour::GrabPicture::picture().toImage());
    stopGrab();
    QVERIFY(idle(m_chooser));
    QCOMPARE(m_chooser->Picture1->pixmap().toImage(), colour::GrabPicture::picture().toImage());
}

void TestGrab::grabTakesTheColourUnderThePointer()
{
    QCursor::setPos(kRedPlace.center());
    startGrab();
    QTRY_COMPARE(channels(m_chooser), QStringLiteral("255,0,0"));
    // The channel change ran for each field: sliders and colour array follow.
    QCOMPARE(m_chooser->Slider1->value(), 255);
    QCOMPARE(m_chooser->Slider2->value(), 0);
    QCOMPARE(m_chooser->Slider3->value(), 0);
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[1,0,0,1]"));

    // The pointer follows live.
    m_red->fill(QColor(0, 128, 255));
    QTRY_COMPARE(platform::screenPixel(kRedPlace.center()), std::optional<QRgb>(qRgb(0, 128, 255)));
    QCursor::setPos(kRedPlace.center() + QPoint(1, 0));
    QTRY_COMPARE(channels(m_chooser), QStringLiteral("0,128,255"));
    stopGrab();
    QVERIFY(idle(m_chooser));
    QCOMPARE(channels(m_chooser), QStringLiteral("0,128,255")); // the last colour stays
}

void TestGrab::restingPointerTakesNothing()
{
    QCursor::setPos(kRedPlace.center());
    startGrab();
    QTRY_COMPARE(channels(m_chooser), QStringLiteral("255,0,0"));
    m_red->fill(Qt::green);
    QTRY_COMPARE(platform::screenPixel(kRedPlace.center()), std::optional<QRgb>(qRgb(0, 255, 0)));
    QTest::qWait(300); // six ticks
    QCOMPARE(channels(m_chooser), QStringLiteral("255,0,0"));
    stopGrab();
}

void TestGrab::newGrabWithoutMoveKeepsTheFields()
{
    QCursor::setPos(kRedPlace.center());
    startGrab();
    QTRY_COMPARE(channels(m_chooser), QStringLiteral("255,0,0"));
    stopGrab();
    m_chooser->Text3->setText(QStringLiteral("77"));
    // The pointer is still where the last tick read it: the next grab reads nothing until it moves.
    startGrab();
    QTest::qWait(300);
    QCOMPARE(channels(m_chooser), QStringLiteral("255,0,77"));
    QCursor::setPos(kRedPlace.center() + QPoint(0, 1));
    QTRY_COMPARE(channels(m_chooser), QStringLiteral("255,0,0"));
    stopGrab();
}

void TestGrab::grabLeavesAlphaListAndMainWindowAlone()
{
    m_chooser->Text8->setText(QStringLiteral("40"));
    m_chooser->Text10->setText(QStringLiteral("[1,1,1,1],"));
    const QString drop = m_main->Text28->text();
    QCursor::setPos(kRedPlace.center());
    startGrab();
    QTRY_COMPARE(channels(m_chooser), QStringLiteral("255,0,0"));
    stopGrab();
    QCOMPARE(m_chooser->Text8->text(), QStringLiteral("40"));
    QCOMPARE(m_chooser->Slider4->value(), 40);
    QCOMPARE(m_chooser->Text10->text(), QStringLiteral("[1,1,1,1],"));
    QCOMPARE(m_chooser->Text7->text(), QStringLiteral("[1,0,0,0.40]"));
    QCOMPARE(m_main->Text(19)->text(), QStringLiteral("[]"));
    QCOMPARE(m_main->Text28->text(), drop);
}

void TestGrab::releaseAnywhereEndsTheGrab_data()
{
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<QString>("colourThere"); // what the grab reads there, when it is known
    QTest::addColumn<bool>("pictureWindow");  // the picture has a window of its own on the server
    for (const bool pictureWindow : {false, true}) {
        const char *const how = pictureWindow ? ", the picture in a window of its own" : "";
        QTest::addRow("over another window of the program%s", how)
            << kRedPlace.center() << QStringLiteral("255,0,0") << pictureWindow;
        QTest::addRow("over another program's window%s", how)
            << kForeignPlace.center() << QStringLiteral("0,255,0") << pictureWindow;
        QTest::addRow("over the bare screen, outside the program%s", how)
            << QPoint(1250, 1000) << QString() << pictureWindow;
        QTest::addRow("back over the picture's place%s", how) << QPoint(-1, -1) << QString() << pictureWindow;
    }
}

void TestGrab::releaseAnywhereEndsTheGrab()
{
    QFETCH(QPoint, releaseAt);
    QFETCH(QString, colourThere);
    QFETCH(bool, pictureWindow);
    x11::Connection x;
    if (!x.hasXTest())
        QSKIP("the X server has no XTest extension to press buttons with");
#ifdef PLW_HAVE_XTEST
    x.createWindow(kForeignPlace, Qt::green);
    QTRY_COMPARE(platform::screenPixel(kForeignPlace.center()), std::optional<QRgb>(qRgb(0, 255, 0)));
    if (pictureWindow)
        QVERIFY(m_chooser->Picture1->winId());
    const QPoint picture = m_chooser->Picture1->mapToGlobal(QPoint(16, 16));
    if (releaseAt == QPoint(-1, -1))
        releaseAt = picture;
    m_chooser->activateWindow();
    x.movePointer(picture);
    QTRY_COMPARE(QCursor::pos(), picture);
    x.button(true);
    QTRY_VERIFY(grabbing(m_chooser));
    QVERIFY(!m_chooser->Picture1->isVisible());
    QVERIFY(QGuiApplication::overrideCursor());
    // The program holds the pointer for the whole grab, not only until the picture is hidden.
    QVERIFY(x.pointerHeld());

    x.movePointer(kRedPlace.center() + QPoint(3, 3));
    QTRY_COMPARE(channels(m_chooser), QStringLiteral("255,0,0"));
    x.movePointer(releaseAt + QPoint(1, 1));
    x.movePointer(releaseAt);
    QTRY_COMPARE(QCursor::pos(), releaseAt);
    if (!colourThere.isEmpty())
        QTRY_COMPARE(channels(m_chooser), colourThere);
    QVERIFY(x.pointerHeld());
#ifdef PLW_HAVE_XFIXES
    if (x.hasXFixes())
        QTRY_VERIFY(showsGrabPointer(x));
#endif
    x.button(false);
    QTRY_VERIFY(idle(m_chooser));
    QVERIFY(!x.pointerHeld());
    // Ended for good: moving on reads nothing more, and the pointer is the ordinary one again.
    const QString taken = channels(m_chooser);
    m_red->fill(Qt::blue);
    x.movePointer(kRedPlace.center() + QPoint(5, 5));
#ifdef PLW_HAVE_XFIXES
    if (x.hasXFixes())
        QTRY_VERIFY(!showsGrabPointer(x));
#endif
    QTest::qWait(200);
    QCOMPARE(channels(m_chooser), taken);
    QVERIFY(idle(m_chooser));
#endif
}

void TestGrab::leavingDuringAGrabEndsIt_data()
{
    QTest::addColumn<int>("way");
    QTest::addColumn<bool>("closes");
    QTest::newRow("the chooser closes") << int(ChooserCloses) << true;
    QTest::newRow("the main window's \"Exit\"") << int(MainWindowExit) << true;
    QTest::newRow("the main window closes") << int(MainWindowCloses) << true;
    QTest::newRow("the chooser is taken off the screen") << int(ChooserHidden) << false;
}

void TestGrab::leavingDuringAGrabEndsIt()
{
    QFETCH(int, way);
    QFETCH(bool, closes);
    startGrab();
    QVERIFY(grabbing(m_chooser));
    QVERIFY(QWidget::mouseGrabber());
    switch (way) {
    case ChooserCloses:
        m_chooser->close();
        break;
    case MainWindowExit:
        m_main->Command2->click();
        break;
    case MainWindowCloses:
        m_main->close();
        break;
    default:
        m_chooser->hide();
        break;
    }
    // At once, before the closed chooser is deleted: no timer, no held pointer, no grab pointer.
    QVERIFY(m_chooser);
    QVERIFY(!grabbing(m_chooser));
    QVERIFY(!QWidget::mouseGrabber());
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(m_chooser->cursor().shape(), Qt::ArrowCursor);
    processDeletes();
    QCOMPARE(m_chooser.isNull(), closes);
}

int main(int argc, char **argv)
{
    TestGrab test;
    return x11::run(test, argc, argv);
}

#include "tst_grab.moc"
