#pragma once

#include <QObject>

#include <memory>

namespace platform {

// Follows the Caps Lock and Num Lock state of the keyboard. The window system tells of each change
// (X11: the keyboard's indicator events; Windows: each key message and each activation); nothing
// polls. Where the platform gives no state (offscreen, an unknown window system) both
// stay off and changed() is never emitted.
class KeyIndicators : public QObject {
    Q_OBJECT
public:
    // The source for the platform the application runs on.
    static std::unique_ptr<KeyIndicators> create(QObject *parent = nullptr);

    bool capsLock() const { return m_caps; }
    bool numLock() const { return m_num; }
    // Whether the platform reports the state at all.
    virtual bool available() const { return false; }

signals:
    void changed();

protected:
    using QObject::QObject;
    void update(bool caps, bool num);

private:
    bool m_caps = false;
    bool m_num = false;
};

} // namespace platform
