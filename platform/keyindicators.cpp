#include "keyindicators.h"

#include <QGuiApplication>

#ifdef Q_OS_WIN
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>
#endif

#ifdef PLW_HAVE_X11
#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace platform {

void KeyIndicators::update(bool caps, bool num)
{
    if (caps == m_caps && num == m_num)
        return;
    m_caps = caps;
    m_num = num;
    emit changed();
}

namespace {

#ifdef PLW_HAVE_X11
// A connection of its own to the X server, subscribed to the keyboard's indicator events; its
// socket wakes the event loop only when an indicator changes.
class X11KeyIndicators final : public KeyIndicators {
public:
    explicit X11KeyIndicators(QObject *parent)
        : KeyIndicators(parent)
    {
        int error = 0, major = XkbMajorVersion, minor = XkbMinorVersion, reason = 0;
        m_display = XkbOpenDisplay(nullptr, &m_eventBase, &error, &major, &minor, &reason);
        if (!m_display)
            return;
        m_capsMask = indicatorMask("Caps Lock");
        m_numMask = indicatorMask("Num Lock");
        XkbSelectEvents(m_display, XkbUseCoreKbd, XkbIndicatorStateNotifyMask, XkbIndicatorStateNotifyMask);
        unsigned int state = 0;
        if (XkbGetIndicatorState(m_display, XkbUseCoreKbd, &state) == Success)
            update(state & m_capsMask, state & m_numMask);
        XFlush(m_display);
        m_notifier = new QSocketNotifier(ConnectionNumber(m_display), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &X11KeyIndicators::readEvents);
        // Events that arrived with the replies above already sit in Xlib's queue, where the
        // socket will not announce them.
        readEvents();
    }

    ~X11KeyIndicators() override
    {
        delete m_notifier;
        if (m_display)
            XCloseDisplay(m_display);
    }

    bool available() const override { return m_display != nullptr; }

private:
    unsigned int indicatorMask(const char *name) const
    {
        const Atom atom = XInternAtom(m_display, name, False);
        int index = -1;
        if (atom == None || !XkbGetNamedIndicator(m_display, atom, &index, nullptr, nullptr, nullptr) || index < 0)
            return 0;
        return 1u << index;
    }

    void readEvents()
    {
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type != m_eventBase)
                continue;
            const auto *xkb = reinterpret_cast<const XkbEvent *>(&event);
            if (xkb->any.xkb_type == XkbIndicatorStateNotify)
                update(xkb->indicators.state & m_capsMask, xkb->indicators.state & m_numMask);
        }
    }

    Display *m_display = nullptr;
    int m_eventBase = 0;
    unsigned int m_capsMask = 0;
    unsigned int m_numMask = 0;
    QSocketNotifier *m_notifier = nullptr;
};
#endif

#ifdef Q_OS_WIN
// Windows keeps the toggle states with the thread's keyboard state, which GetKeyState reads as of
// the input message last taken from the queue. So they are read at start, whenever the program
// becomes active (the user may have pressed the keys in another program) and on each key message.
class WindowsKeyIndicators final : public KeyIndicators, public QAbstractNativeEventFilter {
public:
    explicit WindowsKeyIndicators(QObject *parent)
        : KeyIndicators(parent)
    {
        read();
        QCoreApplication::instance()->installNativeEventFilter(this);
        connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                read();
        });
    }

    ~WindowsKeyIndicators() override
    {
        if (QCoreApplication *app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
    }

    bool available() const override { return true; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        switch (static_cast<const MSG *>(message)->message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            read();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void read() { update(GetKeyState(VK_CAPITAL) & 1, GetKeyState(VK_NUMLOCK) & 1); }
};
#endif

class NoKeyIndicators final : public KeyIndicators {
public:
    using KeyIndicators::KeyIndicators;
};

} // namespace

std::unique_ptr<KeyIndicators> KeyIndicators::create(QObject *parent)
{
#ifdef Q_OS_WIN
    if (QGuiApplication::platformName() == QLatin1String("windows"))
        return std::make_unique<WindowsKeyIndicators>(parent);
#endif
#ifdef PLW_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto x11 = std::make_unique<X11KeyIndicators>(parent);
        if (x11->available())
            return x11;
    }
#endif
    return std::make_unique<NoKeyIndicators>(parent);
}

} // namespace platform
