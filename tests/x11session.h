#pragma once

// Helpers for the tests that need a real X server: the test program's start, pointer and key
// input through the XTest extension, and a window manager started for the duration of a test.

#include <QApplication>
#include <QColor>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#ifdef PLW_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif
#ifdef PLW_HAVE_XFIXES
#include <X11/extensions/Xfixes.h>
#endif

#include <cstdio>
#include <vector>

namespace x11 {

// What ctest counts as a skipped test.
constexpr int kSkipped = 77;

// Runs the test object under the xcb platform, or reports a skip when there is no X server.
inline int run(QObject &test, int argc, char **argv)
{
    Display *probe = XOpenDisplay(nullptr);
    if (!probe) {
        std::fprintf(stderr, "no X server reachable (DISPLAY=%s): skipped\n", qgetenv("DISPLAY").constData());
        return kSkipped;
    }
    XCloseDisplay(probe);
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return QTest::qExec(&test, argc, argv);
}

// A connection of the test's own to the X server, for input and for reading window manager state.
class Connection {
public:
    Connection()
        : m_display(XOpenDisplay(nullptr))
    {
#ifdef PLW_HAVE_XTEST
        int event = 0, error = 0, major = 0, minor = 0;
        m_xtest = m_display && XTestQueryExtension(m_display, &event, &error, &major, &minor);
#endif
#ifdef PLW_HAVE_XFIXES
        // The extension answers only clients that have asked for its version first.
        int fixesEvent = 0, fixesError = 0, fixesMajor = 4, fixesMinor = 0;
        m_xfixes = m_display && XFixesQueryExtension(m_display, &fixesEvent, &fixesError)
                   && XFixesQueryVersion(m_display, &fixesMajor, &fixesMinor) && fixesMajor >= 1;
#endif
    }
    ~Connection()
    {
#ifdef PLW_HAVE_XTEST
        // A test that ends early must not leave the button down for the tests after it.
        if (m_buttonDown)
            button(false);
#endif
        if (m_display)
            XCloseDisplay(m_display);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    Display *display() const
    {
        return m_display;
    }
    bool hasXTest() const
    {
        return m_xtest;
    }

#ifdef PLW_HAVE_XTEST
    void movePointer(QPoint position)
    {
        XTestFakeMotionEvent(m_display, -1, position.x(), position.y(), CurrentTime);
        XFlush(m_display);
    }
    void button(bool down)
    {
        XTestFakeButtonEvent(m_display, 1, down, CurrentTime);
        XFlush(m_display);
        m_buttonDown = down;
    }
    void tapKey(KeySym key)
    {
        const KeyCode code = XKeysymToKeycode(m_display, key);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        XFlush(m_display);
    }
#endif

    // A window of this connection, and so of another program than the one under test, which the
    // server itself fills with one colour. It is placed where asked, without a window manager, and
    // lives as long as the connection.
    Window createWindow(const QRect &geometry, const QColor &colour)
    {
        XColor pixel{};
        pixel.red = static_cast<unsigned short>(colour.red() * 257);
        pixel.green = static_cast<unsigned short>(colour.green() * 257);
        pixel.blue = static_cast<unsigned short>(colour.blue() * 257);
        XAllocColor(m_display, DefaultColormap(m_display, DefaultScreen(m_display)), &pixel);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = pixel.pixel;
        attributes.event_mask = ButtonPressMask | ButtonReleaseMask;
        const Window window = XCreateWindow(
            m_display, DefaultRootWindow(m_display), geometry.x(), geometry.y(),
            static_cast<unsigned int>(geometry.width()), static_cast<unsigned int>(geometry.height()), 0,
            CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
        XMapRaised(m_display, window);
        XSync(m_display, False);
        return window;
    }

    // Whether some client holds the pointer: the server refuses a grab of this connection then.
    bool pointerHeld() const
    {
        const int result = XGrabPointer(m_display, DefaultRootWindow(m_display), False, ButtonReleaseMask,
                                        GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
        if (result == GrabSuccess)
            XUngrabPointer(m_display, CurrentTime);
        XSync(m_display, False);
        return result == AlreadyGrabbed;
    }

#ifdef PLW_HAVE_XFIXES
    bool hasXFixes() const
    {
        return m_xfixes;
    }
    // The size and hot spot of the pointer image that the server shows now, as a rectangle whose
    // top left corner is the hot spot; empty when it cannot be read.
    QRect pointerImage() const
    {
        XFixesCursorImage *image = m_xfixes ? XFixesGetCursorImage(m_display) : nullptr;
        if (!image)
            return {};
        const QRect shape(image->xhot, image->yhot, image->width, image->height);
        XFree(image);
        return shape;
    }
#endif

    // A window-list property of the root window, such as _NET_CLIENT_LIST_STACKING (bottom first).
    std::vector<Window> rootWindowList(const char *property) const
    {
        return windowList(DefaultRootWindow(m_display), property, XA_WINDOW);
    }
    // The atoms of a window's _NET_WM_STATE.
    std::vector<Atom> netWmState(Window window) const
    {
        return windowList(window, "_NET_WM_STATE", XA_ATOM);
    }
    Atom atom(const char *name) const
    {
        return XInternAtom(m_display, name, False);
    }
    bool hasRootProperty(const char *property) const
    {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        const bool found = XGetWindowProperty(m_display, DefaultRootWindow(m_display), atom(property), 0, 0, False,
                                              AnyPropertyType, &actualType, &format, &count, &after, &data)
                               == Success
                           && actualType != None;
        if (data)
            XFree(data);
        return found;
    }

    // Whether an EWMH window manager runs on the display: the root names a check window, and that
    // window still exists (a manager that ended leaves the root's property behind).
    bool windowManagerRuns() const
    {
        const std::vector<Window> check = rootWindowList("_NET_SUPPORTING_WM_CHECK");
        if (check.empty())
            return false;
        Window root = 0, parent = 0;
        Window *children = nullptr;
        unsigned int count = 0;
        bool found = false;
        if (XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i)
                found = found || children[i] == check.front();
            XFree(children);
        }
        return found;
    }

private:
    std::vector<Window> windowList(Window window, const char *property, Atom type) const
    {
        std::vector<Window> list;
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(m_display, window, atom(property), 0, 4096, False, type, &actualType, &format, &count,
                               &after, &data)
                == Success
            && data && format == 32) {
            const auto *items = reinterpret_cast<const unsigned long *>(data);
            list.assign(items, items + count);
        }
        if (data)
            XFree(data);
        return list;
    }

    Display *m_display = nullptr;
    bool m_xtest = false;
#ifdef PLW_HAVE_XTEST
    bool m_buttonDown = false;
#endif
#ifdef PLW_HAVE_XFIXES
    bool m_xfixes = false;
#endif
};

// openbox on the test's display for as long as the object lives, when it is installed and no other
// window manager runs.
class WindowManager {
public:
    explicit WindowManager(const Connection &connection)
    {
        if (connection.windowManagerRuns()) {
            m_running = true;
            return;
        }
        const QString program = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (program.isEmpty())
            return;
        m_process.setProgram(program);
        m_process.setArguments({QStringLiteral("--sm-disable")});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return;
        // openbox names its check window early and the work area once it manages windows.
        m_running = QTest::qWaitFor(
            [&connection] { return connection.windowManagerRuns() && connection.hasRootProperty("_NET_WORKAREA"); },
            10000);
        QTest::qWait(200);
    }
    ~WindowManager()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
    bool running() const { return m_running; }

private:
    QProcess m_process;
    bool m_running = false;
};

} // namespace x11
