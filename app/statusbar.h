#pragma once

#include <QStatusBar>

#include <array>

class QLabel;

namespace platform {
class KeyIndicators;
}

// The main window's status bar: a help panel, a size panel, and the Caps Lock and Num Lock
// indicators, which follow the keyboard by themselves.
class StatusBar final : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget *parent = nullptr);
    ~StatusBar() override;

    // Panels by their number, 1 to 4.
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    // Whether an indicator panel (3 or 4) shows its key as on.
    bool panelActive(int panel) const;

private:
    void showKeyStates();

    std::array<QLabel *, 4> m_panels{};
    std::unique_ptr<platform::KeyIndicators> m_keys;
};
