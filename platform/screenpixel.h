#pragma once

#include <QPoint>
#include <QRgb>

#include <optional>

namespace platform {

// The colour of the screen pixel at a point in screen coordinates, whatever window shows it, or
// nothing when it cannot be read: outside every screen, or on a platform that gives no access to
// the screen's contents (Wayland, offscreen).
std::optional<QRgb> screenPixel(QPoint position);

// Whether this platform can read the screen at all.
bool canReadScreen();

} // namespace platform
