#include "screenpixel.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

namespace platform {

bool canReadScreen()
{
    // Where the root window's contents are the screen's contents. Wayland hands no client the
    // screen, and the offscreen platform's "screen" only composes this program's own windows.
    const QString name = QGuiApplication::platformName();
    return name == QLatin1String("xcb") || name == QLatin1String("windows") || name == QLatin1String("cocoa");
}

std::optional<QRgb> screenPixel(QPoint position)
{
    if (!canReadScreen())
        return std::nullopt;
    QScreen *screen = QGuiApplication::screenAt(position);
    if (!screen)
        return std::nullopt;
    const QPoint local = position - screen->geometry().topLeft();
    const QImage image = screen->grabWindow(0, local.x(), local.y(), 1, 1).toImage();
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return std::nullopt;
    return qRgb(qRed(image.pixel(0, 0)), qGreen(image.pixel(0, 0)), qBlue(image.pixel(0, 0)));
}

} // namespace platform
