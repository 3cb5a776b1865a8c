// The bare Qt Widgets window that idlecheck.sh measures beside the program: one focused line
// edit, whose caret blinks while the window is active, and nothing else.
// --timer-hz N keeps a timer running for nothing, N times a second; --busy never lets the event
// loop sleep. Both are the faults the idle check exists to catch.
#include <QApplication>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption timerHz(QStringLiteral("timer-hz"), QStringLiteral("Wake up N times a second."),
                                     QStringLiteral("N"));
    const QCommandLineOption busy(QStringLiteral("busy"), QStringLiteral("Never sleep."));
    parser.addOptions({timerHz, busy});
    parser.process(app);

    QWidget window;
    // idlecheck.sh finds the windows it waits for by this name.
    window.setWindowTitle(QStringLiteral("Plumewright idle baseline"));
    window.resize(793, 322);
    auto *layout = new QVBoxLayout(&window);
    auto *field = new QLineEdit(QStringLiteral("0.5"), &window);
    layout->addWidget(field);
    layout->addStretch();
    field->setFocus();

    QTimer waste;
    QObject::connect(&waste, &QTimer::timeout, &window, [] {});
    if (parser.isSet(busy)) {
        waste.start(0);
    } else if (const int hz = parser.value(timerHz).toInt(); hz > 0) {
        waste.setTimerType(Qt::PreciseTimer);
        waste.start(1000 / hz);
    }

    window.show();
    return app.exec();
}
