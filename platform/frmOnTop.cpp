#include "frmOnTop.h"

#include <QWidget>
#include <QWindow>

void SetOnTop(QWidget *window, bool onTop)
{
    if (!window || !window->isWindow())
        return;
    const Qt::WindowFlags flags =
        onTop ? window->windowFlags() | Qt::WindowStaysOnTopHint : window->windowFlags() & ~Qt::WindowStaysOnTopHint;
    if (flags == window->windowFlags())
        return;
    QWindow *native = window->windowHandle();
    if (!native || !window->testAttribute(Qt::WA_WState_Created)) {
        // Not yet on screen: the flag takes effect when the window is first shown.
        window->setWindowFlags(flags);
        return;
    }
    // QWidget::setWindowFlags would hide and re-create a shown window. Tell the widget without
    // touching the window system, then let the platform window update its state in place
    // (_NET_WM_STATE_ABOVE on X11, HWND_TOPMOST on Windows).
    window->overrideWindowFlags(flags);
    native->setFlags(flags);
}
