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
    // commit() flushes too, but Qt 6.4 does not count a failed final flush as a write error and
    // would rename a cut-off file over the old one (a full disk, a file size limit).
    if (file.write(contents) != contents.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace sqs
