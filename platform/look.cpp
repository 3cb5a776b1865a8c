#include "look.h"

#include <QApplication>
#include <QPalette>

namespace platform {

QFont windowFont(bool bold)
{
    QFont font;
    // DejaVu Sans descends from Bitstream Vera, drawn to Verdana's metrics; it is on every Debian desktop.
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"), QStringLiteral("Bitstream Vera Sans"),
                      QStringLiteral("Tahoma"), QStringLiteral("Sans Serif")});
    font.setPointSizeF(8.25);
    font.setBold(bold);
    return font;
}

QColor windowBackgroundColour()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Base);
}

QColor buttonFaceColour()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

QColor errorTextColour()
{
    return windowBackgroundColour().lightness() < 128 ? QColor(0xff, 0x70, 0x70) : QColor(0xc0, 0x00, 0x00);
}

} // namespace platform
