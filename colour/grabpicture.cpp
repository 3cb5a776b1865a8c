#include "grabpicture.h"

#include <QMouseEvent>
#include <QPainter>

namespace colour {

GrabPicture::GrabPicture(QWidget *parent)
    : QLabel(parent)
{
    setPixmap(picture());
    setFixedSize(32, 32);
}

QPixmap GrabPicture::picture()
{
    // A black eyedropper on white, its tip at the bottom left.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::black);
    painter.drawPolygon(QPolygon({{20, 4}, {27, 11}, {23, 15}, {16, 8}}));
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygon({{17, 11}, {20, 14}, {7, 27}, {4, 27}, {4, 24}}));
    painter.drawLine(2, 29, 4, 27);
    return pixmap;
}

void GrabPicture::mousePressEvent(QMouseEvent *event)
{
    emit pressed();
    event->accept();
}

void GrabPicture::mouseReleaseEvent(QMouseEvent *event)
{
    emit released();
    event->accept();
}

} // namespace colour
