#include "timeline.h"

#include "sqf/values.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace preview {
namespace {

constexpr int kMargin = 6;      // on either side of the range, so that its ends can be reached
constexpr int kTickHeight = 12; // the strip of the tick labels
constexpr int kRowHeight = 4;

// Ticks 1, 2 or 5 times a power of ten apart, at most ten along the range.
double tickStep(double seconds)
{
    const double wanted = std::max(seconds, 0.1) / 10;
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (power * factor >= wanted)
            return power * factor;
    return power * 10;
}

} // namespace

TimeRange timeRange(std::optional<double> effectEnd, double now)
{
    if (effectEnd && *effectEnd > 0)
        return {0, std::max(*effectEnd, now)};
    return {std::max(0.0, now - kTimeWindow), std::max(kTimeWindow, now)};
}

std::optional<double> typedTime(const QString &text)
{
    QString number = text.trimmed();
    if (number.endsWith(QLatin1Char('s'), Qt::CaseInsensitive))
        number.chop(1);
    number = number.trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    const auto seconds = sqf::plainNumber(number);
    if (!seconds || *seconds < 0)
        return std::nullopt;
    return seconds;
}

TimeBar::TimeBar(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Click or drag to show a moment: the preview pauses there"));
}

void TimeBar::setSpans(const QList<Span> &spans)
{
    if (spans.size() != m_spans.size())
        updateGeometry();
    m_spans = spans;
    update();
}

void TimeBar::setRange(TimeRange range)
{
    m_range = range;
    update();
}

void TimeBar::setTime(double seconds)
{
    m_time = seconds;
    update();
}

QSize TimeBar::sizeHint() const
{
    return {300, kTickHeight + 3 + int(std::clamp<qsizetype>(m_spans.size(), 1, 6)) * kRowHeight + 2};
}

double TimeBar::xAt(double seconds) const
{
    const double width = std::max(1, this->width() - 2 * kMargin);
    const double span = std::max(1e-9, m_range.to - m_range.from);
    return kMargin + (seconds - m_range.from) / span * width;
}

double TimeBar::timeAt(double x) const
{
    const double width = std::max(1, this->width() - 2 * kMargin);
    const double seconds = m_range.from + (x - kMargin) / width * (m_range.to - m_range.from);
    return std::clamp(seconds, m_range.from, m_range.to);
}

void TimeBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Base));
    painter.setPen(colours.color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    // Ticks and their seconds.
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    painter.setFont(small);
    const double step = tickStep(m_range.to - m_range.from);
    const auto first = std::int64_t(std::ceil(m_range.from / step - 1e-9));
    const auto last = std::int64_t(std::floor(m_range.to / step + 1e-9));
    for (std::int64_t tick = first; tick <= last; ++tick) {
        const double t = double(tick) * step;
        const double x = xAt(t);
        painter.setPen(colours.color(QPalette::Mid));
        painter.drawLine(QPointF(x, kTickHeight), QPointF(x, height() - 2));
        painter.setPen(colours.color(QPalette::Text));
        // Right of its tick, or left of it where the bar ends.
        const QString label = QLocale().toString(t, 'g', 4);
        const int labelWidth = painter.fontMetrics().horizontalAdvance(label);
        const double left = x + 2 + labelWidth > width() - 2 ? x - 2 - labelWidth : x + 2;
        painter.drawText(QPointF(left, kTickHeight - 2), label);
    }

    // Each layer's span in its row.
    for (qsizetype i = 0; i < m_spans.size(); ++i) {
        const Span &span = m_spans.at(i);
        const double from = xAt(std::max(span.start, m_range.from));
        const double to = xAt(std::min(span.end.value_or(m_range.to), m_range.to));
        if (to <= from)
            continue;
        const double y = kTickHeight + 3 + double(i) * kRowHeight;
        painter.fillRect(QRectF(from, y, to - from, kRowHeight - 1), span.colour);
    }

    // Now.
    const double x = xAt(std::clamp(m_time, m_range.from, m_range.to));
    painter.setPen(QPen(colours.color(QPalette::Highlight), 2));
    painter.drawLine(QPointF(x, 1), QPointF(x, height() - 1));
}

void TimeBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit seekAsked(timeAt(event->position().x()));
}

void TimeBar::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        emit seekAsked(timeAt(event->position().x()));
}

TimeLine::TimeLine(QWidget *parent)
    : QObject(parent)
{
    Bar = new TimeBar(parent);
    TimeLabel = new QLabel(QStringLiteral("Time:"), parent);
    TimeText = new QLineEdit(parent);
    TimeText->setToolTip(QStringLiteral("Go to Time (Ctrl+G): a time in seconds and Return shows that moment, paused"));
    TimeText->setMaximumWidth(TimeText->fontMetrics().horizontalAdvance(QStringLiteral("00000.00 s")) + 12);
    TimeLabel->setBuddy(TimeText);
    TimeText->setAccessibleName(QStringLiteral("Go to Time"));
    WorkingLabel = new QLabel(QStringLiteral("replaying…"), parent);
    WorkingLabel->setEnabled(false);
    // Its room is kept, so that the row does not jump when it shows.
    QSizePolicy kept = WorkingLabel->sizePolicy();
    kept.setRetainSizeWhenHidden(true);
    WorkingLabel->setSizePolicy(kept);
    WorkingLabel->hide();
    NewDrawButton = new QPushButton(QStringLiteral("New Draw"), parent);
    NewDrawButton->setToolTip(
        QStringLiteral("Plays the same effect with other random draws from its start (Ctrl+Shift+R)"));

    connect(Bar, &TimeBar::seekAsked, this, &TimeLine::seekAsked);
    connect(TimeText, &QLineEdit::returnPressed, this, &TimeLine::TimeText_Return);
    connect(NewDrawButton, &QPushButton::clicked, this, &TimeLine::newDrawAsked);
}

void TimeLine::setTime(double seconds)
{
    Bar->setTime(seconds);
    if (!TimeText->hasFocus())
        TimeText->setText(QStringLiteral("%1 s").arg(QLocale().toString(seconds, 'f', 2)));
}

void TimeLine::setWorking(bool working)
{
    WorkingLabel->setVisible(working);
}

void TimeLine::TimeText_Return()
{
    const std::optional<double> seconds = typedTime(TimeText->text());
    if (!seconds) {
        TimeText->setToolTip(QStringLiteral("\"%1\" is no time: type seconds, such as 2.5").arg(TimeText->text()));
        TimeText->selectAll();
        return;
    }
    TimeText->setToolTip(QStringLiteral("Go to Time (Ctrl+G): a time in seconds and Return shows that moment, paused"));
    emit seekAsked(*seconds);
}

} // namespace preview
