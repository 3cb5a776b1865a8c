#include "form1.h"

#include "icon.h"
#include "platform/display.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (const QString problem = platform::displayProblem(); !problem.isEmpty()) {
        std::fprintf(stderr, "plumewright: %s\n", qPrintable(problem));
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Plumewright"));
    QApplication::setApplicationName(QStringLiteral("Plumewright"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    QApplication::setWindowIcon(plumeIcon());

    Form1 window;
    window.show();
    return app.exec();
}
