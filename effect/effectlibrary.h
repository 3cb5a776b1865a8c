#pragma once

#include "layers.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace effect {

struct Effect {
    QString name;
    QList<Layer> layers;       // at least one particle layer; one alone from a file before version 4
    ConfigEffect configEffect; // the root class of a complex effect it was imported from; none for most
    QString description;       // built-ins only
    QDateTime saved;           // own effects only, in UTC
    bool builtIn = false;
};

// The effects that come with the program, in the order they are listed.
const QList<Effect> &builtInEffects();

// The built-in of that name (letter case aside), or nullptr.
const Effect *findBuiltIn(const QString &name);

// The author's own effects, kept by name in one JSON file. The file is read as a whole; while it
// cannot be read, it is never written, so that nothing in it is lost. A file of an earlier format
// version is copied once to effects.vN.json beside it (N its version) before it is first written
// in the current version, so that the program that wrote it still reads it; an earlier copy there
// is kept.
class EffectLibrary {
public:
    // The file in the user's data folder.
    static QString defaultPath();

    explicit EffectLibrary(QString path);

    const QString &path() const { return m_path; }

    // Reads the file again. A missing file is an empty library.
    void reload();
    // Why the file cannot be read, naming it; empty while it can.
    const QString &problem() const { return m_problem; }
    // The own effects, sorted by name without regard to letter case.
    const QList<Effect> &effects() const { return m_effects; }
    // Where a file of an earlier format version is kept before it is written anew.
    QString earlierVersionPath(int version) const;
    // The own effect of that name (letter case aside), or nullptr.
    const Effect *find(const QString &name) const;

    // Why an effect cannot be saved under that name (empty, a built-in's), or nothing.
    static std::optional<QString> nameRefusal(const QString &name);

    // Keeps the layers, and the root class of a complex effect they were imported from, under the
    // name, replacing an own effect of the same name (letter case aside), and writes the file; the
    // file is read again first. Refused with the reason for a built-in's name, an empty name,
    // layers that cannot be one effect, a file that cannot be read or cannot be written.
    std::optional<QString> save(const QString &name, const QList<Layer> &layers,
                                const QDateTime &when = QDateTime::currentDateTimeUtc(),
                                const ConfigEffect &configEffect = {});
    // Removes the own effect of that name and writes the file; the refusals as for save.
    std::optional<QString> remove(const QString &name);

private:
    std::optional<QString> write(const QList<Effect> &effects);

    QString m_path;
    QString m_problem;
    QList<Effect> m_effects;
    int m_fileVersion = 0; // of the file as last read; 0 when there was none
};

// The rules of the file, apart from its place: the effects a text holds, or why it cannot be read.
// Version 1 holds the fields only: its effects are read with the start source settings. Version 2
// adds each effect's source settings, set flags and texts, and, where it has one, its config class
// name and base: an optional key, so that a program that does not know it still reads the file.
// Version 3 adds to the config class its field marks and its config-only fields. Version 4 holds
// each effect's layers, each with the fields, source settings and config class an effect held
// before, its offset, start and end texts, and its mute and class-only marks; an effect of an
// earlier version is one layer at the anchor, for the whole effect. Version 5 adds light layers: a
// light layer holds its name and its light settings (the type, every command's set flag and
// texts, which of intensity and brightness came first, the attenuation as written, the flicker and
// the other commands) in place of the fields, with the offset, times and mute mark of any layer; a
// file of version 4 has none. Other versions are refused.
struct FileReading {
    QList<Effect> effects;
    QString problem; // empty when the text was read
    int version = 0; // the format version read
};
FileReading readEffectFile(const QByteArray &bytes);
QByteArray writeEffectFile(const QList<Effect> &effects);

inline constexpr int kEffectFileVersion = 5;

} // namespace effect
