#pragma once

#include <QScrollArea>

class QVBoxLayout;

namespace preview {

// The column of groups beside the views (the source settings, the variables, ...), as wide as the
// groups want and scrolled up and down when the window is shorter than they are. A control that
// takes the focus, by Tab, a mnemonic or a click, is scrolled into sight.
class SidePanel : public QScrollArea {
    Q_OBJECT
public:
    explicit SidePanel(QWidget *parent);

    // Adds a group at the foot of the column.
    void addGroup(QWidget *group);
    // Scrolls the column so that the control, one of its groups' own, is in sight.
    void showControl(QWidget *control);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void connectHandlers();
    void Application_FocusChanged(QWidget *old, QWidget *now);

    int scrollBarWidth() const;

    QWidget *m_column = nullptr;
    QVBoxLayout *m_groups = nullptr;
};

} // namespace preview
