#include "sidepanel.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace preview {
namespace {

// Room kept above and below a control scrolled into sight, so that its neighbours show too.
constexpr int kSightMargin = 8;

} // namespace

SidePanel::SidePanel(QWidget *parent)
    : QScrollArea(parent)
{
    // The groups' controls take the focus, not the area around them.
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    m_column = new QWidget;
    m_groups = new QVBoxLayout(m_column);
    m_groups->setContentsMargins(0, 0, 0, 0);
    m_groups->addStretch(1);
    setWidget(m_column);
    m_column->installEventFilter(this);
    connectHandlers();
}

void SidePanel::connectHandlers()
{
    connect(qApp, &QApplication::focusChanged, this, &SidePanel::Application_FocusChanged);
}

void SidePanel::addGroup(QWidget *group)
{
    m_groups->insertWidget(m_groups->count() - 1, group);
}

void SidePanel::showControl(QWidget *control)
{
    QRect area(control->mapTo(m_column, QPoint(0, 0)), control->size());
    // A group's check box is its title, at the top of the group however tall the group is.
    if (qobject_cast<QGroupBox *>(control))
        area.setHeight(std::min(area.height(), 2 * control->fontMetrics().height()));
    area.setHeight(std::min(area.height(), viewport()->height() - 2 * kSightMargin));
    const QPoint centre = area.center();
    ensureVisible(centre.x(), centre.y(), 0, area.height() / 2 + kSightMargin);
}

QSize SidePanel::sizeHint() const
{
    const QSize column = m_column->sizeHint();
    return {column.width() + scrollBarWidth(), column.height()};
}

QSize SidePanel::minimumSizeHint() const
{
    // As wide as the groups want, so that only the height ever scrolls; a few lines high at least.
    return {m_column->sizeHint().width() + scrollBarWidth(), 6 * fontMetrics().height()};
}

bool SidePanel::eventFilter(QObject *watched, QEvent *event)
{
    // A group grew or shrank (rows of variables came or went): the window lays the column out anew.
    if (watched == m_column && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}

bool SidePanel::focusNextPrevChild(bool next)
{
    const bool moved = QScrollArea::focusNextPrevChild(next);
    // The scroll area centres a group taller than the panel, its title out of sight.
    QWidget *now = QApplication::focusWidget();
    if (moved && now && m_column->isAncestorOf(now))
        showControl(now);
    return moved;
}

void SidePanel::Application_FocusChanged(QWidget *, QWidget *now)
{
    if (now && m_column->isAncestorOf(now))
        showControl(now);
}

int SidePanel::scrollBarWidth() const
{
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
}

} // namespace preview
