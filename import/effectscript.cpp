#include "effectscript.h"

#include "classimport.h"
#include "configeffect.h"

#include "drop/dropstring.h"
#include "input/singleline.h"
#include "lightreader.h"
#include "sourcereader.h"
#include "sqf/statements.h"
#include "sqf/values.h"

#include <QRegularExpression>

#include <algorithm>

namespace import {
namespace {

using sqf::Statement;

bool is(const QString &word, QLatin1StringView name)
{
    return word.compare(name, Qt::CaseInsensitive) == 0;
}

// A source or a light of the script: its variable and where it is created or first commanded.
struct Part {
    QString name;
    qsizetype at = 0;
    bool created = false;
    bool light = false;
    QRegularExpression mention; // the name as a whole word
};

qsizetype partNamed(const QList<Part> &parts, const QString &name)
{
    for (qsizetype i = 0; i < parts.size(); ++i)
        if (sameName(parts.at(i).name, name))
            return i;
    return -1;
}

// The variable's name as a whole word in any letter case: a rough test that tells which layer a
// left-out statement is about.
QRegularExpression mentionOf(const QString &name)
{
    return QRegularExpression(
        QStringLiteral("(?<![A-Za-z0-9_])%1(?![A-Za-z0-9_])").arg(QRegularExpression::escape(name)),
        QRegularExpression::CaseInsensitiveOption);
}

// The statements the saved source script writes for its clock and its end.
const QRegularExpression &clockStart()
{
    static const QRegularExpression pattern(QStringLiteral("^(?:private\\s+)?_plwStart\\s*=\\s*time$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression &clockStep()
{
    static const QRegularExpression pattern(
        QStringLiteral(
            "^waitUntil\\s*\\{\\s*time\\s*>=\\s*_plwStart\\s*\\+\\s*(\\S.*?)\\s*(?:\\|\\|\\s*isNull\\s+[^{}|]+?"
            "\\s*)?\\}$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression &effectEnd()
{
    static const QRegularExpression pattern(
        QStringLiteral(
            "^(?:waitUntil\\s*\\{\\s*sleep\\s+1\\s*;\\s*isNull\\s+[^{}]+\\}|\\{\\s*deleteVehicle\\s+_x\\s*\\}"
            "\\s*forEach\\s*\\[[^\\]]*\\])$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression &deletion()
{
    static const QRegularExpression pattern(QStringLiteral("^deleteVehicle\\s+(\\S+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

class ScriptReader {
public:
    ScriptReader(const QList<Statement> &statements, bool separateColours, const QString &separateColourText)
        : m_statements(statements)
        , m_separateColours(separateColours)
        , m_separateColourText(separateColourText)
    {}

    EffectOutcome read();

private:
    QString findParts();
    QString readLayer(qsizetype index);
    QString readLightLayer(qsizetype index);
    void readFlickers();
    void readPlaces();
    QStringList layeredNotes() const;

    const QList<Statement> &m_statements;
    const bool m_separateColours;
    const QString &m_separateColourText;
    QList<Part> m_parts; // the sources and lights in the order created: the layers' order
    QList<effect::Layer> m_layers;
    QStringList m_colourNames;
    QList<QStringList> m_layerNotes; // a layer's repeats and values kept as written
    QList<bool> m_started;
    QList<qsizetype> m_used;  // statements a layer holds, or that the saved script writes for its clock
    QList<qsizetype> m_owner; // the layer each statement belongs to, -1 before any
};

QString ScriptReader::findParts()
{
    QString twice;
    QList<Part> sources;
    QList<Part> lights;
    const auto madeTwice = [&twice](const QString &name, const char *what) {
        if (twice.isEmpty())
            twice = QStringLiteral("%1: created twice: give each %2 its own variable").arg(name, QLatin1String(what));
    };
    for (qsizetype i = 0; i < m_statements.size(); ++i) {
        const Statement &statement = m_statements.at(i);
        if (createsALight(statement)) {
            if (partNamed(lights, statement.name) < 0)
                lights << Part{statement.name, i, true, true, mentionOf(statement.name)};
            else
                madeTwice(statement.name, "light");
            continue;
        }
        const bool creates = createsASource(statement);
        if (!creates && !commandsASource(statement))
            continue;
        const qsizetype known = partNamed(sources, statement.name);
        if (known < 0) {
            sources << Part{statement.name, i, creates, false, mentionOf(statement.name)};
        } else if (creates && sources.at(known).created) {
            madeTwice(statement.name, "source");
        } else if (creates) {
            sources[known].at = i;
            sources[known].created = true;
        }
    }
    // A light made later keeps the place where it is declared: "private _light = objNull;".
    for (Part &light : lights) {
        const auto declared =
            std::find_if(m_statements.cbegin(), m_statements.cbegin() + light.at,
                         [&light](const Statement &statement) { return declaresALight(statement, light.name); });
        light.at = declared - m_statements.cbegin();
    }
    m_parts = sources + lights;
    std::stable_sort(m_parts.begin(), m_parts.end(), [](const Part &a, const Part &b) { return a.at < b.at; });
    for (const Part &light : std::as_const(lights))
        if (partNamed(sources, light.name) >= 0)
            return QStringLiteral("%1: made a light and given particle source commands: give each its own variable")
                .arg(light.name);
    if (m_parts.size() < 2)
        return {}; // one source made again reads as the block import reads it: with all its commands
    // A layer is written back as its own variable's creation, which an expression cannot take.
    for (const Part &source : std::as_const(sources))
        if (!sqf::isIdentifier(source.name))
            return QStringLiteral("%1: a layer needs a variable of its own, not an expression").arg(source.name);
    return twice;
}

QString ScriptReader::readLayer(qsizetype index)
{
    if (m_parts.at(index).light)
        return readLightLayer(index);
    const QString &name = m_parts.at(index).name;
    SourceRead read = readSource(m_statements, name, m_separateColours, m_separateColourText);
    effect::EffectFields fields;
    bool classOnly = false;
    if (read.failure) {
        const bool noParams = read.failure->kind == BlockFailure::Kind::NoParticleParams;
        if (noParams && read.hasClass) {
            classOnly = true;
        } else if (m_parts.size() == 1) {
            return blockFailureReason(*read.failure);
        } else if (read.used.isEmpty()) {
            return QStringLiteral("%1: created but given no commands").arg(name);
        } else if (noParams) {
            return QStringLiteral("%1: given neither a setParticleParams array nor a setParticleClass").arg(name);
        } else {
            return name + QStringLiteral(": ") + blockFailureReason(*read.failure);
        }
    }
    if (classOnly) {
        fields.texts = drop::startTexts();
    } else {
        fields.texts = read.block.array.fields;
        fields.separateColours = read.block.separateColours;
    }
    fields.source = read.block.settings;
    effect::Layer layer = effect::layerOf(fields);
    layer.classOnly = classOnly;
    m_layers << layer;
    m_colourNames << (classOnly ? QString() : read.block.array.colorVarName.value_or(QString()));
    m_layerNotes << read.repeats;
    m_started << false;
    m_used << read.used;
    return {};
}

QString ScriptReader::readLightLayer(qsizetype index)
{
    const QString &name = m_parts.at(index).name;
    const LightRead read = readLightCommands(m_statements, name);
    if (!read.failure.isEmpty())
        return name + QStringLiteral(": ") + read.failure;
    m_layers << effect::lightLayerOf(name, read.settings);
    m_colourNames << QString();
    m_layerNotes << read.notes;
    m_started << false;
    m_used << read.used;
    return {};
}

// The loops that make a light flicker; the last of a light's counts, as its commands do.
void ScriptReader::readFlickers()
{
    QList<int> loops(m_layers.size(), 0);
    for (qsizetype i = 0; i < m_statements.size(); ++i) {
        if (m_used.contains(i))
            continue;
        const std::optional<FlickerLoop> loop = flickerLoopOf(m_statements.at(i));
        const qsizetype layer = loop ? partNamed(m_parts, loop->light) : -1;
        if (layer < 0 || !m_parts.at(layer).light)
            continue;
        m_layers[layer].light->flicker = loop->flicker;
        ++loops[layer];
        m_used << i;
    }
    for (qsizetype i = 0; i < loops.size(); ++i)
        if (loops.at(i) > 1)
            m_layerNotes[i] << QStringLiteral("%1 flicker loops: the last was taken").arg(loops.at(i));
}

// Offsets, starts and ends, and which layer each statement belongs to. A source starts with its
// first command, a light with its creation.
void ScriptReader::readPlaces()
{
    const bool clocked = std::any_of(m_statements.cbegin(), m_statements.cend(), [](const Statement &statement) {
        return clockStart().match(statement.text).hasMatch();
    });
    QString step = QStringLiteral("0");
    qsizetype owner = -1;
    for (qsizetype i = 0; i < m_statements.size(); ++i) {
        const Statement &statement = m_statements.at(i);
        const qsizetype named = statement.kind == Statement::Kind::Other ? -1 : partNamed(m_parts, statement.name);
        if (named >= 0) {
            owner = named;
            const bool starts = m_parts.at(named).light ? createsALight(statement) : commandsASource(statement);
            if (const std::optional<std::array<QString, 3>> offset =
                    statement.kind == Statement::Kind::Command ? offsetOf(statement) : std::nullopt) {
                m_layers[named].offset = *offset;
                m_used << i;
            } else if (clocked && starts && !m_started.at(named)) {
                m_layers[named].start = step;
                m_started[named] = true;
            }
        } else if (clocked) {
            const QRegularExpressionMatch stepped = clockStep().match(statement.text);
            const QRegularExpressionMatch deleted = deletion().match(statement.text);
            const qsizetype ended = deleted.hasMatch() ? partNamed(m_parts, deleted.captured(1)) : -1;
            if (stepped.hasMatch())
                step = stepped.captured(1);
            if (ended >= 0)
                m_layers[ended].end = step;
            if (stepped.hasMatch() || ended >= 0 || clockStart().match(statement.text).hasMatch()
                || effectEnd().match(statement.text).hasMatch())
                m_used << i;
        }
        m_owner << owner;
    }
}

// Each left-out statement named once under the layer it belongs to: the first whose name it
// mentions, else the one before it; a loop about a light that is no flicker as such.
QStringList ScriptReader::layeredNotes() const
{
    QList<QStringList> leftOut(m_layers.size());
    QList<bool> loops(m_layers.size(), false);
    for (qsizetype i = 0; i < m_statements.size(); ++i) {
        const Statement &statement = m_statements.at(i);
        if (m_used.contains(i) || createsASource(statement) || commandsASource(statement))
            continue;
        const auto mentions = [&statement](const Part &part) { return part.mention.match(statement.text).hasMatch(); };
        const auto light = std::find_if(m_parts.cbegin(), m_parts.cend(),
                                        [&mentions](const Part &part) { return part.light && mentions(part); });
        if (light != m_parts.cend() && isLoop(statement)) {
            loops[light - m_parts.cbegin()] = true;
            continue;
        }
        const QString &word = statement.kind == Statement::Kind::Assignment ? statement.name : statement.command;
        if (word.isEmpty() || is(word, QLatin1StringView("private")))
            continue;
        qsizetype layer = std::find_if(m_parts.cbegin(), m_parts.cend(), mentions) - m_parts.cbegin();
        if (layer == m_parts.size())
            layer = std::max<qsizetype>(m_owner.at(i), 0);
        QStringList &words = leftOut[layer];
        if (std::none_of(words.cbegin(), words.cend(), [&word](const QString &named) { return sameName(named, word); }))
            words << word;
    }
    QStringList notes;
    for (qsizetype i = 0; i < m_layers.size(); ++i) {
        const QString &name = m_layers.at(i).name();
        if (!leftOut.at(i).isEmpty())
            notes << QStringLiteral("%1: left out: %2").arg(name, leftOut.at(i).join(QStringLiteral(", ")));
        if (loops.at(i))
            notes << name + QStringLiteral(": a loop that is not a flicker: left out");
        for (const QString &note : m_layerNotes.at(i))
            notes << name + QStringLiteral(": ") + note;
    }
    return notes;
}

EffectOutcome ScriptReader::read()
{
    EffectOutcome outcome;
    outcome.problem = findParts();
    for (qsizetype i = 0; outcome.problem.isEmpty() && i < m_parts.size(); ++i)
        outcome.problem = readLayer(i);
    if (!outcome.problem.isEmpty())
        return outcome;
    readFlickers();
    readPlaces();
    if (m_parts.size() == 1) {
        // One source reads as the block import reads it, its offset and times beside.
        outcome.notes = blockNotes(m_statements, m_used, 1, m_layerNotes.front());
    } else {
        outcome.notes = layeredNotes();
    }
    for (const effect::Layer &layer : std::as_const(m_layers)) {
        if (layer.classOnly)
            outcome.notes
                << QStringLiteral("%1: given only setParticleClass: kept as written, not previewed").arg(layer.name());
    }
    outcome.layers = m_layers;
    outcome.colourNames = m_colourNames;
    return outcome;
}

// The one layer of what parseSourceBlock reads.
EffectOutcome oneLayer(const BlockOutcome &block)
{
    EffectOutcome outcome;
    if (!block.block) {
        outcome.problem = block.failure ? blockFailureReason(*block.failure) : QString();
        return outcome;
    }
    effect::EffectFields fields;
    fields.texts = block.block->array.fields;
    fields.separateColours = block.block->separateColours;
    fields.source = block.block->settings;
    outcome.layers = QList<effect::Layer>{effect::layerOf(fields)};
    outcome.colourNames = QStringList{block.block->array.colorVarName.value_or(QString())};
    outcome.notes = block.block->notes;
    return outcome;
}

} // namespace

EffectOutcome parseEffectScript(const QString &pasted, bool separateColours, const QString &separateColourText)
{
    const sqf::StatementSplit split = sqf::splitStatements(pasted);
    QList<Statement> statements;
    if (!split.fault && !(!split.statements.isEmpty() && isPlainArray(split.statements.constFirst()))) {
        statements.reserve(split.statements.size());
        // Line breaks inside a statement read as blanks, as the block import reads them.
        for (const QString &statement : split.statements)
            statements << sqf::readStatement(input::joinLines(statement));
    }
    const bool lights = std::any_of(statements.cbegin(), statements.cend(), createsALight);
    if (lights && std::none_of(statements.cbegin(), statements.cend(), [](const Statement &statement) {
            return commandsASource(statement) || createsASource(statement);
        })) {
        EffectOutcome outcome;
        outcome.problem = QStringLiteral(
            "the script creates no particle source: an effect keeps at least one particle layer beside its lights");
        return outcome;
    }
    // A plain array, a text of no source command and a fault of its brackets: the block import's.
    if (!lights && std::none_of(statements.cbegin(), statements.cend(), commandsASource))
        return oneLayer(parseSourceBlock(pasted, separateColours, separateColourText));
    return ScriptReader(statements, separateColours, separateColourText).read();
}

EffectOutcome parsePastedLayers(const QString &pasted)
{
    EffectOutcome outcome;
    if (pasted.trimmed().isEmpty()) {
        outcome.problem = QStringLiteral("there is no text to paste");
        return outcome;
    }
    if (!sqf::startsWithClass(pasted))
        return parseEffectScript(pasted, false, {});
    // A complex effect's parts come as its layers, each with its sub-class.
    const ConfigEffectOutcome effect = parseConfigEffect(pasted);
    if (effect.isEffect && effect.layers) {
        outcome.layers = effect.layers;
        for (qsizetype i = 0; i < effect.layers->size(); ++i)
            outcome.colourNames << QString();
        outcome.notes = effect.notes;
        return outcome;
    }
    const ClassOutcome read = parseConfigClass(pasted);
    if (!read.imported) {
        outcome.problem = read.problem;
        return outcome;
    }
    const effect::EffectFields fields{read.imported->fields, false, read.imported->settings,
                                      read.imported->configClass};
    outcome.layers = QList<effect::Layer>{effect::layerOf(fields)};
    outcome.colourNames = QStringList{QString()};
    outcome.notes = read.imported->notes;
    return outcome;
}

} // namespace import
