#include "sqswriter.h"

#include <QSaveFile>

namespace sqs {

QString scriptPath(const QString &directory)
{
    return directory + QLatin1String("/init.sqs");
}

QByteArray scriptContents(const QString &colourLine, const QString &dropString)
{
    return colourLine.toLocal8Bit() + "\r\n" + dropString.toLocal8Bit() + "\r\n";
}

bool writeScript(const QString &path, const QString &colourLine, const QString &dropString)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray contents = scriptContents(colourLine, dropString);
    if (file.write(contents) != contents.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace sqs
