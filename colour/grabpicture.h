#pragma once

#include <QLabel>
#include <QPixmap>

namespace colour {

// The grab picture: a 32 x 32 two-colour icon that reports the press of a mouse button on it and
// the release of that button, wherever the pointer then is (the press captures the mouse).
class GrabPicture final : public QLabel {
    Q_OBJECT
public:
    explicit GrabPicture(QWidget *parent = nullptr);

    // The picture, also the pointer image during a grab.
    static QPixmap picture();

signals:
    void pressed();
    void released();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace colour
