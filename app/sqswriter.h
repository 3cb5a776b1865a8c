#pragma once

#include <QString>

namespace sqs {

// Where the script file goes: the directory, a separator (always added) and "init.sqs".
QString scriptPath(const QString &directory);

// The file's bytes: the colour variable line and the drop string, each ended by CR LF, in the
// system's code page. Empty when a character cannot be held by it.
QByteArray scriptContents(const QString &colourLine, const QString &dropString);

// Replaces the file at path with the two lines. The new file appears whole or not at all: it is
// written beside the old one and renamed over it. False when anything fails, and when a character
// cannot be held by the code page (nothing is written then); the old file stays as it was.
bool writeScript(const QString &path, const QString &colourLine, const QString &dropString);

} // namespace sqs
