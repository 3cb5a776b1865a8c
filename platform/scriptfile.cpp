#include "scriptfile.h"

#include <QSaveFile>

namespace platform {
namespace {

// A character survives when the code page gives it back unchanged: this catches the '?' put in
// for a missing one as well as a look-alike that a best-fit table would put in.
bool survives(QStringView text)
{
    const QString piece = text.toString();
    return QString::fromLocal8Bit(piece.toLocal8Bit()) == piece;
}

std::optional<QString> firstUnencodable(const QString &line)
{
    if (survives(line))
        return std::nullopt;
    for (qsizetype i = 0; i < line.size();) {
        const qsizetype length =
            line.at(i).isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QStringView character = QStringView(line).mid(i, length);
        if (!survives(character))
            return character.toString();
        i += length;
    }
    // Only a sequence of characters fails (a code page with shift states): name the line's first.
    return line.left(1);
}

} // namespace

ScriptBytes encodeScriptLines(const QStringList &lines)
{
    ScriptBytes result;
    for (const QString &line : lines) {
        if (auto character = firstUnencodable(line)) {
            result.unencodable = std::move(character);
            result.bytes.clear();
            return result;
        }
        result.bytes += line.toLocal8Bit();
        result.bytes += "\r\n";
    }
    return result;
}

bool writeFileWhole(const QString &path, const QByteArray &bytes, QString *reason)
{
    QSaveFile file(path);
    const auto failed = [&file, reason] {
        if (reason)
            *reason = file.errorString();
        file.cancelWriting();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed();
    // commit() flushes too, but Qt 6.4 does not count a failed final flush as a write error and
    // would rename a cut-off file over the old one (a full disk, a file size limit).
    if (file.write(bytes) != bytes.size() || !file.flush())
        return failed();
    if (!file.commit()) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    return true;
}

} // namespace platform
