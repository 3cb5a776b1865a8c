// A second baseline for bench_startup: the minimal program with one caption and one text field,
// so that it pays for the font set-up that any window showing text needs.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal with text"));
    window.resize(793, 322);
    auto *label = new QLabel(QStringLiteral("ShapeName"), &window);
    label->move(16, 16);
    auto *field = new QLineEdit(QStringLiteral("0"), &window);
    field->move(16, 40);
    window.show();
    return app.exec();
}
