#include "sqswriter.h"

#include "platform/scriptfile.h"

namespace sqs {

QString scriptPath(const QString &directory)
{
    return directory + QLatin1String("/init.sqs");
}

QByteArray scriptContents(const QString &colourLine, const QString &dropString)
{
    return platform::encodeScriptLines({colourLine, dropString}).bytes;
}

bool writeScript(const QString &path, const QString &colourLine, const QString &dropString)
{
    const platform::ScriptBytes script = platform::encodeScriptLines({colourLine, dropString});
    if (script.unencodable)
        return false;
    return platform::writeFileWhole(path, script.bytes);
}

} // namespace sqs
