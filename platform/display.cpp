#include "display.h"

#include <QtGlobal>

#ifdef PLW_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace platform {

QString displayProblem()
{
#ifdef PLW_HAVE_X11
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return {}; // another platform plugin was asked for; it reports its own problems
    const QByteArray name = qgetenv("DISPLAY");
    if (name.isEmpty()) {
        if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && platform.isEmpty())
            return {};
        return QStringLiteral("no display: DISPLAY is not set (start Plumewright from a graphical session)");
    }
    Display *display = XOpenDisplay(name.constData());
    if (!display)
        return QStringLiteral("cannot open display %1").arg(QString::fromLocal8Bit(name));
    XCloseDisplay(display);
#endif
    return {};
}

} // namespace platform
