#include "windowfit.h"

#include <algorithm>

namespace preview {

QRect fitWindow(QSize wanted, QSize minimum, QMargins frame, QRect available)
{
    const QSize room = available.marginsRemoved(frame).size();
    const QSize size = wanted.boundedTo(room).expandedTo(minimum);
    const QSize framed = size.grownBy(frame);
    const int x = available.left() + std::max(0, (available.width() - framed.width()) / 2);
    const int y = available.top() + std::max(0, (available.height() - framed.height()) / 2);
    return {QPoint(x + frame.left(), y + frame.top()), size};
}

} // namespace preview
