// Writes the program's icon as PNG files into a hicolor icon theme tree, so that the
// installed icon is the same picture the windows draw for themselves.
#include "app/icon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Runs during the build, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: plw_iconrender THEME_DIR ICON_NAME SIZE...\n");
        return 2;
    }
    const QString &themeDir = args.at(1);
    const QString &iconName = args.at(2);
    for (qsizetype i = 3; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size <= 0) {
            std::fprintf(stderr, "plw_iconrender: bad size %s\n", qPrintable(args.at(i)));
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(themeDir).arg(size);
        const QString path = dir + QLatin1Char('/') + iconName + QLatin1String(".png");
        if (!QDir().mkpath(dir) || !plumePixmap(size).save(path, "PNG")) {
            std::fprintf(stderr, "plw_iconrender: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
