// Linked into the programs that bench_startup launches. Once the first top-level window has
// been painted, it writes one byte to the file descriptor named by PLW_FIRST_PAINT_FD and ends
// the event loop, so the launcher can time start-up to the first painted window.
#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <unistd.h>

namespace {

class FirstPaintWatcher final : public QObject {
public:
    explicit FirstPaintWatcher(int fd)
        : QObject(qApp)
        , m_fd(fd)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow()) {
            qApp->removeEventFilter(this);
            // Queued, so that the window's children are painted and the frame flushed first.
            QMetaObject::invokeMethod(this, &FirstPaintWatcher::report, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void report()
    {
        const char painted = 'p';
        if (::write(m_fd, &painted, 1) != 1)
            ::_exit(3);
        ::close(m_fd);
        QCoreApplication::exit(0);
    }

    int m_fd;
};

void watchFirstPaint()
{
    bool ok = false;
    const int fd = qEnvironmentVariableIntValue("PLW_FIRST_PAINT_FD", &ok);
    if (ok && fd > 2)
        new FirstPaintWatcher(fd);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchFirstPaint)
