#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace preview {

// Where a window opens on a screen: the size it wants, no larger than the available area leaves
// room for once its frame is around it, and never smaller than its minimum; centred in the area,
// or at the area's top left corner when it is larger. The rectangle returned is the window's own,
// without the frame.
QRect fitWindow(QSize wanted, QSize minimum, QMargins frame, QRect available);

} // namespace preview
