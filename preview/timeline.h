#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace preview {

// The seconds the time line shows: from 0 to the effect's end, or for an effect without end the
// last 30 seconds up to now (the first 30 until then), moving on as it plays.
struct TimeRange {
    double from = 0;
    double to = 30;
};
inline constexpr double kTimeWindow = 30;
TimeRange timeRange(std::optional<double> effectEnd, double now);

// A time typed into the time field: seconds, with a point or the locale's decimal comma, an "s"
// after them or not; nothing for anything else or a time below 0.
std::optional<double> typedTime(const QString &text);

// The bar of the time line: the range with a tick every few seconds, each layer's span (its start
// to its end) as a bar of its own row in its colour, and the current time as a line. A click or a
// drag asks for the time under the pointer.
class TimeBar : public QWidget {
    Q_OBJECT
public:
    struct Span {
        double start = 0;
        std::optional<double> end; // none: it lasts as long as the effect
        QColor colour;
    };

    explicit TimeBar(QWidget *parent);
    void setSpans(const QList<Span> &spans);
    void setRange(TimeRange range);
    void setTime(double seconds);
    TimeRange range() const { return m_range; }
    double time() const { return m_time; }
    // The time at a point of the bar, within the range.
    double timeAt(double x) const;
    QSize sizeHint() const override;

signals:
    void seekAsked(double seconds);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    double xAt(double seconds) const;

    QList<Span> m_spans;
    TimeRange m_range;
    double m_time = 0;
};

// The effect's time: the bar under the views, and for the row of controls the time field (a time
// and Return go there), what a long seek is doing, and New Draw, which plays the same effect with
// other random draws. The controls are the parent's to lay out.
class TimeLine : public QObject {
    Q_OBJECT
public:
    explicit TimeLine(QWidget *parent);

    TimeBar *Bar = nullptr;
    QLabel *TimeLabel = nullptr;
    QLineEdit *TimeText = nullptr;
    QLabel *WorkingLabel = nullptr; // shown while a seek takes longer than a frame
    QPushButton *NewDrawButton = nullptr;

    // The current time, shown in the field unless the user is typing there.
    void setTime(double seconds);
    void setWorking(bool working);

signals:
    void seekAsked(double seconds);
    void newDrawAsked();

private:
    void TimeText_Return();
};

} // namespace preview
