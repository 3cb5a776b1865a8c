#include "icon.h"

#include <QPainter>
#include <QPainterPath>

QPixmap plumePixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    // The spark at the foot of the plume.
    QPainterPath flame;
    flame.moveTo(16, 31);
    flame.cubicTo(9, 30, 9, 23, 13, 19);
    flame.cubicTo(13, 23, 15, 24, 16, 21);
    flame.cubicTo(17, 24, 19, 23, 19, 19);
    flame.cubicTo(23, 23, 23, 30, 16, 31);
    painter.setPen(QPen(QColor(150, 60, 0), 0.8));
    painter.setBrush(QColor(245, 140, 20));
    painter.drawPath(flame);

    // Smoke puffs growing as they rise.
    painter.setPen(QPen(QColor(70, 70, 80), 0.8));
    const struct {
        qreal x, y, r;
        int grey;
    } puffs[] = {{16, 16, 3.5, 150}, {13, 11, 4.5, 170}, {19, 8, 5, 190}, {11, 4.5, 4, 205}, {22, 3.5, 3.2, 220}};
    for (const auto &puff : puffs) {
        painter.setBrush(QColor(puff.grey, puff.grey, puff.grey + 10));
        painter.drawEllipse(QPointF(puff.x, puff.y), puff.r, puff.r);
    }
    return pixmap;
}

QIcon plumeIcon()
{
    // The sizes window managers and task switchers ask for; every one is drawn when a window shows,
    // and a 256 pixel picture alone would cost as much as all the others together.
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(plumePixmap(size));
    return icon;
}
