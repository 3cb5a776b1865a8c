#include "form2.h"

#include "grabpicture.h"
#include "platform/screenpixel.h"

#include <QCursor>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>

// The screen colour grab of the chooser: while a mouse button is held down on the grab picture,
// the pixel under the pointer goes into the red, green and blue value fields.

namespace colour {

void Form2::Picture1_MouseDown()
{
    StartGrab();
}

void Form2::Picture1_MouseUp()
{
    StopGrab();
}

// The chooser holds the pointer for the whole grab. The press alone would leave it with the picture,
// and a picture with a native window of its own loses it when it is hidden: the release would then
// go to whatever lies under the pointer and the grab would never end.
void Form2::StartGrab()
{
    grabMouse();
    Picture1->hide();
    setCursor(GrabPicture::pointer());
    Picture1->setProgramPointer(true);
    Timer1->start();
}

void Form2::StopGrab()
{
    Timer1->stop();
    releaseMouse();
    unsetCursor();
    Picture1->setProgramPointer(false);
    Picture1->show();
}

void Form2::mouseReleaseEvent(QMouseEvent *event)
{
    // While the chooser holds the pointer, every release comes here, wherever the pointer is.
    if (mouseGrabber() != this) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    Picture1_MouseUp();
}

void Form2::hideEvent(QHideEvent *event)
{
    // A hidden window cannot hold the pointer: closing the chooser, or the window system taking it
    // off the screen, ends a grab.
    if (Timer1->isActive())
        StopGrab();
    QWidget::hideEvent(event);
}

void Form2::Timer1_Timer()
{
    const QPoint position = QCursor::pos();
    // A resting pointer reads nothing, even when the screen under it changes.
    if (position == m_grabPosition)
        return;
    m_grabPosition = position;
    const std::optional<QRgb> pixel = platform::screenPixel(position);
    if (!pixel)
        return;
    Text1->setText(QString::number(qRed(*pixel)));
    Text2->setText(QString::number(qGreen(*pixel)));
    Text3->setText(QString::number(qBlue(*pixel)));
}

} // namespace colour
