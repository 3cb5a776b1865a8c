#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// The bytes of a script file: every line ended by CR LF, in the system's code page, no mark.
struct ScriptBytes {
    QByteArray bytes;
    // The first character the code page cannot hold; the bytes are then empty and nothing may be
    // written, since the game would read another character in its place.
    std::optional<QString> unencodable;
};
ScriptBytes encodeScriptLines(const QStringList &lines);

// Replaces the file at path with the bytes, whole or not at all: they are written beside it and
// renamed over it, so that a failure leaves an old file as it was. False on failure, with the
// system's reason in *reason when given.
bool writeFileWhole(const QString &path, const QByteArray &bytes, QString *reason = nullptr);

} // namespace platform
