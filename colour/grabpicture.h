#pragma once

#include <QCursor>
#include <QLabel>
#include <QPixmap>

namespace colour {

// The grab picture: a 32 x 32 two-colour icon that reports the press of a mouse button on it and
// the releases that reach it. The window that starts a grab on the press holds the pointer
// itself, so that it hears the release wherever it happens.
class GrabPicture final : public QLabel {
    Q_OBJECT
public:
    explicit GrabPicture(QWidget *parent = nullptr);
    ~GrabPicture() override;

    // The picture, also the pointer image during a grab.
    static QPixmap picture();
    // The picture as a pointer whose hot spot is the dropper's tip.
    static QCursor pointer();

    // Puts the pointer over the whole program (true) or takes it away again (false). Setting it
    // twice or taking it away when it is not set does nothing, and the picture takes it away when
    // it is destroyed during a grab, so the program never keeps the grab pointer by mistake.
    void setProgramPointer(bool on);
    bool programPointer() const { return m_programPointer; }

signals:
    void pressed();
    void released();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_programPointer = false;
};

} // namespace colour
