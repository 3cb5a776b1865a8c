// The baseline for bench_startup: the least a Qt Widgets program does to show a window of the
// main window's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(793, 322);
    window.show();
    return app.exec();
}
