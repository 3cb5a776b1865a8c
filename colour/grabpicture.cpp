#include "grabpicture.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

namespace colour {

namespace {
// Where the dropper's tip is drawn; the pixel under it is the one a grab reads.
constexpr QPoint kTip(2, 29);
} // namespace

GrabPicture::GrabPicture(QWidget *parent)
    : QLabel(parent)
{
    setPixmap(picture());
    setFixedSize(32, 32);
}

GrabPicture::~GrabPicture()
{
    setProgramPointer(false);
}

QPixmap GrabPicture::picture()
{
    // A black eyedropper with a white barrel on a transparent ground: black and white only, so it
    // reads on any background, in the window and as the pointer.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::black);
    painter.drawPolygon(QPolygon({{20, 4}, {27, 11}, {23, 15}, {16, 8}}));
    painter.drawEllipse(QRect(22, 2, 8, 8));
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygon({{17, 11}, {20, 14}, {7, 27}, {4, 27}, {4, 24}}));
    painter.drawLine(kTip, QPoint(4, 27));
    return pixmap;
}

QCursor GrabPicture::pointer()
{
    return QCursor(picture(), kTip.x(), kTip.y());
}

void GrabPicture::setProgramPointer(bool on)
{
    if (on == m_programPointer)
        return;
    m_programPointer = on;
    if (on)
        QGuiApplication::setOverrideCursor(pointer());
    else
        QGuiApplication::restoreOverrideCursor();
}

void GrabPicture::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    emit pressed();
}

void GrabPicture::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    emit released();
}

} // namespace colour
