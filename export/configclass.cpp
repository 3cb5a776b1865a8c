#include "configclass.h"

#include "drop/fieldtable.h"
#include "sqf/values.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <variant>

namespace exporter {

using namespace effect;

namespace {

using namespace drop::field;

// The config's axis order, as the documented comment of moveVelocity reads it: [x, z, y], the
// height second where scripts put it third. That position, positionVar, moveVelocityVar and
// circleVelocity follow the same order is read from sample values only: the best reading there
// is, not a documented one. The script's component at each place of the config's vector:
constexpr std::array<int, 3> kScriptComponentAt{0, 2, 1};

// One value as the config writes it.
struct Value {
    QString text; // as written in the class
    double number = 0;
    QString note;      // the text it stands for, when it is not written as it was
    double spread = 0; // half the range of a random draw in it
};

// A worked-out number without the last digits of the double's noise (0.09999999999999998 for 0.1).
double tidy(double value)
{
    return QString::number(value, 'g', 12).toDouble();
}

QString quotedNote(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A field value: a plain number as it is; anything else worked out with the assumed values of its
// variables and its random draws at their middle, with a note of the text it stands for.
Value number(const QString &text, const sqf::VariableValues &assumed)
{
    const QString trimmed = text.trimmed();
    if (const auto plain = sqf::plainNumber(trimmed))
        return {sqf::formatNumber(*plain), *plain, {}, 0};
    if (trimmed.isEmpty())
        return {QStringLiteral("0"), 0, QStringLiteral("empty: 0 written"), 0};
    const auto read = sqf::readExpression(trimmed);
    const auto *expression = std::get_if<sqf::Expression>(&read);
    if (!expression)
        return {QStringLiteral("0"), 0,
                QStringLiteral("stands for %1, which cannot be worked out here: 0 written").arg(quotedNote(trimmed)),
                0};
    const double low = expression->evaluateAt(0, assumed);
    const double high = expression->evaluateAt(1, assumed);
    if (!std::isfinite(low) || !std::isfinite(high))
        return {QStringLiteral("0"), 0,
                QStringLiteral("stands for %1, which is no number: 0 written").arg(quotedNote(trimmed)), 0};
    Value value;
    value.number = tidy((low + high) / 2);
    value.text = sqf::formatNumber(value.number);
    value.note = QStringLiteral("stands for ") + quotedNote(trimmed);
    if (expression->isRandom()) {
        value.spread = tidy(std::abs(high - low) / 2);
        value.note += QStringLiteral(": the middle of its draw");
    }
    QStringList variables;
    for (const QString &name : expression->variables())
        variables << QStringLiteral("%1 = %2").arg(name, sqf::formatNumber(assumed.value(name.toLower(), 0.0)));
    if (!variables.isEmpty())
        value.note += QStringLiteral(" with the preview's assumed ") + variables.join(QStringLiteral(", "));
    return value;
}

// A boolean written 0 or 1; true and false as words too.
Value boolean(const QString &text, const sqf::VariableValues &assumed)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("1"), 1, {}, 0};
    if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("0"), 0, {}, 0};
    return number(text, assumed);
}

Value plain(double number)
{
    return {sqf::formatNumber(number), number, {}, 0};
}

// A key list of Size or AnimationPhase: the first field, the values of the middle field (none,
// one, or several joined by commas), the last field; or one value for the whole list.
QStringList keyTexts(const QStringList &texts, int first)
{
    const QString a = texts.value(first - 1);
    const QString b = texts.value(first);
    const QString c = texts.value(first + 1);
    if (b.isEmpty() && c.isEmpty())
        return {a};
    QStringList keys{a};
    if (!b.isEmpty())
        keys << sqf::splitElements(b).value_or(QStringList{b});
    keys << c;
    return keys;
}

// The colour keys of the colour field: its list, with or without the outer brackets.
QList<QStringList> colourKeys(const QString &text)
{
    QList<QStringList> keys;
    const QString list = sqf::removeBlanks(text);
    std::optional<QStringList> pieces = sqf::splitElements(list);
    if (!pieces)
        return keys;
    if (pieces->size() == 1 && sqf::isBracketed(pieces->front())) {
        const auto inside = sqf::arrayElements(pieces->front());
        if (inside && !inside->isEmpty() && std::all_of(inside->cbegin(), inside->cend(), sqf::isBracketed))
            pieces = inside;
    }
    for (const QString &piece : *pieces)
        keys << sqf::arrayElements(piece).value_or(QStringList{piece});
    return keys;
}

class ClassWriter {
public:
    explicit ClassWriter(const sqf::VariableValues &assumed)
        : m_assumed(assumed)
    {}

    void comment(const QString &text) { m_lines << ClassLine{{}, false, {}, text}; }

    void scalar(const char *name, const Value &value)
    {
        m_lines << ClassLine{QLatin1String(name), false, value.text, value.note};
    }

    void text(const char *name, const QString &text, const QString &note = {})
    {
        m_lines << ClassLine{QLatin1String(name), false, sqf::doubleQuoted(text), note};
    }

    // An array of values, or of arrays of values; each note names its place when there are several.
    void array(const char *name, const QList<QList<Value>> &rows, bool nested)
    {
        QStringList written;
        QStringList notes;
        for (qsizetype r = 0; r < rows.size(); ++r) {
            QStringList row;
            for (qsizetype c = 0; c < rows.at(r).size(); ++c) {
                const Value &value = rows.at(r).at(c);
                row << value.text;
                if (!value.note.isEmpty())
                    notes << (nested ? QStringLiteral("%1/%2: ").arg(r + 1).arg(c + 1)
                                     : QStringLiteral("%1: ").arg(c + 1))
                                 + value.note;
            }
            written << (nested ? braces(row) : row.join(QStringLiteral(", ")));
        }
        m_lines << ClassLine{QLatin1String(name), true, braces(written), notes.join(QStringLiteral("; "))};
    }

    void array(const char *name, const QList<Value> &values) { array(name, {values}, false); }

    // A vector of three field texts in script order, written in the config's axis order; a vector
    // given as one expression cannot be cut into its axes.
    QList<Value> vector(const QString &x, const QString &y, const QString &z) const
    {
        if (!x.isEmpty() && y.isEmpty() && z.isEmpty() && !sqf::isBracketed(x)) {
            QList<Value> zeros{plain(0), plain(0), plain(0)};
            zeros[0].note = QStringLiteral("the vector is %1, one expression for all of it: 0 written")
                                .arg(quotedNote(x.trimmed()));
            return zeros;
        }
        const std::array<QString, 3> script{x, y, z};
        QList<Value> values;
        for (const int component : kScriptComponentAt)
            values << number(script[std::size_t(component)], m_assumed);
        return values;
    }

    Value value(const QString &text) const { return number(text, m_assumed); }
    Value flag(const QString &text) const { return boolean(text, m_assumed); }

    const QList<ClassLine> &lines() const { return m_lines; }

private:
    static QString braces(const QStringList &items)
    {
        return QLatin1Char('{') + items.join(QStringLiteral(", ")) + QLatin1Char('}');
    }

    const sqf::VariableValues &m_assumed;
    QList<ClassLine> m_lines;
};

// A ...Var value: the source's spread for it, widened by the spread of a random draw in the field
// itself, whose middle the field takes.
Value spreadValue(const ClassWriter &writer, const SourceSettings &source, int value, double fieldSpread)
{
    const int count = std::clamp(source.random.elements, 8, 10) == 8   ? SourceRandom::Angle
                      : std::clamp(source.random.elements, 8, 10) == 9 ? SourceRandom::BounceOnSurface
                                                                       : SourceRandom::ValueCount;
    Value spread =
        source.random.set && value < count ? writer.value(source.random.texts[std::size_t(value)]) : plain(0);
    if (fieldSpread > 0) {
        const double total = tidy(std::abs(spread.number) + fieldSpread);
        const QString part = QStringLiteral("%1 from the field's random draw").arg(sqf::formatNumber(fieldSpread));
        spread = {sqf::formatNumber(total), total,
                  spread.note.isEmpty() ? part : spread.note + QStringLiteral(", ") + part, 0};
    }
    return spread;
}

// The source's vector spread (x, y, z in script order from `first`) in the config's axis order.
QList<Value> spreadVector(const ClassWriter &writer, const SourceSettings &source, int first,
                          const QList<Value> &fieldValues)
{
    const auto &texts = source.random.texts;
    const bool whole = source.random.set && !texts[std::size_t(first)].isEmpty()
                       && texts[std::size_t(first) + 1].isEmpty() && texts[std::size_t(first) + 2].isEmpty()
                       && !sqf::isBracketed(texts[std::size_t(first)]);
    QList<Value> values;
    for (int place = 0; place < 3; ++place) {
        const int component = kScriptComponentAt[std::size_t(place)];
        Value value =
            whole ? plain(0) : spreadValue(writer, source, first + component, fieldValues.value(place).spread);
        if (whole && place == 0)
            value.note = QStringLiteral("the spread is %1, one expression for all of it: 0 written")
                             .arg(quotedNote(texts[std::size_t(first)].trimmed()));
        values << value;
    }
    return values;
}

double largestSpread(const QList<Value> &values)
{
    double spread = 0;
    for (const Value &value : values)
        spread = std::max(spread, value.spread);
    return spread;
}

} // namespace

ConfigValue configNumber(const QString &text, const sqf::VariableValues &assumed)
{
    const Value value = number(text, assumed);
    return {value.text, value.note};
}

ConfigValue configSwitch(const QString &text, const sqf::VariableValues &assumed)
{
    const Value value = boolean(text, assumed);
    return {value.text, value.note};
}

QString entryLine(const sqf::ConfigEntry &entry)
{
    return QStringLiteral("    ") + entry.name + (entry.isArray ? QStringLiteral("[]") : QString())
           + (entry.appends ? QStringLiteral(" += ") : QStringLiteral(" = ")) + entry.value + QLatin1Char(';');
}

QString configIdentifier(const QString &name)
{
    QString identifier;
    bool gap = false;
    for (const QChar c : name) {
        const bool kept = (c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('_');
        if (kept) {
            if (gap && !identifier.isEmpty())
                identifier += QLatin1Char('_');
            identifier += c;
        }
        gap = !kept;
    }
    if (identifier.isEmpty()
        || std::all_of(identifier.cbegin(), identifier.cend(), [](QChar c) { return c == QLatin1Char('_'); }))
        return QLatin1String(kDefaultClassName);
    if (identifier.front().isDigit())
        identifier.prepend(QLatin1Char('_'));
    return identifier;
}

EffectClass classNameFor(const EffectClass &own, const QString &effectName)
{
    EffectClass named = own;
    named.name = own.name.trimmed();
    named.base = own.base.trimmed();
    // An imported class keeps its header as written, a base or none.
    if (named.name.isEmpty()) {
        named.name = configIdentifier(effectName);
        if (named.base.isEmpty())
            named.base = QLatin1String(kDefaultClassBase);
    }
    return named;
}

QList<ClassLine> configClassFields(const QStringList &texts, const SourceSettings &source,
                                   const sqf::VariableValues &assumed)
{
    const auto field = [&texts](int number) { return texts.value(number - 1); };
    ClassWriter w(assumed);

    // setDropInterval and setParticleCircle.
    w.scalar("interval", w.value(source.interval.text));
    const auto &circle = source.circle.texts;
    w.scalar("circleRadius", source.circle.set ? w.value(circle[SourceCircle::Radius]) : plain(0));
    w.array("circleVelocity", source.circle.set
                                  ? w.vector(circle[SourceCircle::VelocityX], circle[SourceCircle::VelocityY],
                                             circle[SourceCircle::VelocityZ])
                                  : QList<Value>{plain(0), plain(0), plain(0)});

    // The shape: an array by its brackets ["file", ntieth, index, frameCount, loop], or a plain name
    // that shows the whole texture: 1, 0, 1, 1. A file that is no string (a variable, most often) is
    // written as the preview takes it, the text as it stands. An empty or unclosed array is a name.
    const QString shape = field(kShape).trimmed();
    const std::optional<QStringList> shapeArray =
        shape.startsWith(QLatin1Char('[')) ? sqf::arrayElements(shape) : std::nullopt;
    if (shapeArray && !shapeArray->isEmpty()) {
        const QString fileText = shapeArray->front().trimmed();
        if (const std::optional<QString> file = sqf::stringValue(fileText))
            w.text("particleShape", *file);
        else
            w.text("particleShape", fileText,
                   QStringLiteral("stands for %1, a text the preview cannot work out: written as it stands")
                       .arg(quotedNote(fileText)));
        const char *names[] = {"particleFSNtieth", "particleFSIndex", "particleFSFrameCount", "particleFSLoop"};
        const double defaults[] = {1, 0, 1, 1};
        for (int i = 0; i < 4; ++i)
            w.scalar(names[i], i + 1 < shapeArray->size() ? w.value(shapeArray->at(i + 1)) : plain(defaults[i]));
    } else {
        w.text("particleShape", field(kShape));
        w.scalar("particleFSNtieth", plain(1));
        w.scalar("particleFSIndex", plain(0));
        w.scalar("particleFSFrameCount", plain(1));
        w.scalar("particleFSLoop", plain(1));
    }

    w.text("animationName", field(kAnimationName));
    w.text("particleType", field(kType));
    w.scalar("timerPeriod", w.value(field(kTimePeriod)));
    const Value lifeTime = w.value(field(kLifeTime));
    w.scalar("lifeTime", lifeTime);
    const QList<Value> position = w.vector(field(kPosition), field(kPosition + 1), field(kPosition + 2));
    w.array("position", position);
    const QList<Value> velocity = w.vector(field(kVelocity), field(kVelocity + 1), field(kVelocity + 2));
    w.array("moveVelocity", velocity);
    const Value rotation = w.value(field(kRotation));
    w.scalar("rotationVelocity", rotation);
    w.scalar("weight", w.value(field(kWeight)));
    w.scalar("volume", w.value(field(kVolume)));
    w.scalar("rubbing", w.value(field(kRubbing)));

    QList<Value> sizes;
    for (const QString &key : keyTexts(texts, kSize))
        sizes << w.value(key);
    w.array("size", sizes);
    QList<QList<Value>> colours;
    std::array<double, 4> colourSpread{};
    for (const QStringList &key : colourKeys(field(kColour))) {
        QList<Value> colour;
        for (const QString &channel : key)
            colour << w.value(channel);
        for (qsizetype c = 0; c < colour.size() && c < 4; ++c)
            colourSpread[std::size_t(c)] = std::max(colourSpread[std::size_t(c)], colour.at(c).spread);
        colours << colour;
    }
    w.array("color", colours, true);
    QList<Value> phases;
    for (const QString &key : keyTexts(texts, kPhase))
        phases << w.value(key);
    w.array("animationSpeed", phases);
    const Value period = w.value(field(kPeriod));
    w.scalar("randomDirectionPeriod", period);
    const Value intensity = w.value(field(kIntensity));
    w.scalar("randomDirectionIntensity", intensity);
    w.text("onTimerScript", field(kOnTimer));
    w.text("beforeDestroyScript", field(kBeforeDestroy));

    // The Object field: the object, then the later elements angle, onSurface, bounceOnSurface,
    // emissiveColor and vectorDir.
    const QString objectText = field(kObject);
    const QStringList later = sqf::splitElements(objectText).value_or(QStringList{objectText.trimmed()});
    const QString object = later.value(0).trimmed();
    w.comment(object.isEmpty() || object == QLatin1String("\"\"")
                  ? QStringLiteral("The object has no field in a class: the source it is given to places it.")
                  : QStringLiteral("The object (%1) has no field in a class: the source it is given to places it.")
                        .arg(object));
    const Value angle = later.size() > 1 ? w.value(later.at(1)) : plain(0);
    w.scalar("angle", angle);
    w.scalar("onSurface", later.size() > 2 ? w.flag(later.at(2)) : plain(0));
    const Value bounce = later.size() > 3 ? w.value(later.at(3)) : plain(-1);
    w.scalar("bounceOnSurface", bounce);
    QList<QList<Value>> emissive;
    if (later.size() > 4) {
        const QStringList keys = sqf::arrayElements(later.at(4).trimmed()).value_or(QStringList{});
        const bool oneKey = !keys.isEmpty() && !sqf::isBracketed(keys.front());
        for (const QString &key : oneKey ? QStringList{later.at(4).trimmed()} : keys) {
            QList<Value> channels;
            for (const QString &channel : sqf::arrayElements(key).value_or(QStringList{key}))
                channels << w.value(channel);
            emissive << channels;
        }
    } else {
        emissive << QList<Value>{plain(0), plain(0), plain(0), plain(0)};
    }
    w.array("emissiveColor", emissive, true);
    if (later.size() > 5)
        w.comment(QStringLiteral("vectorDir (%1) has no field known in a class: it is left out.")
                      .arg(later.mid(5).join(QLatin1Char(','))));

    // setParticleRandom, with the spreads of random draws in the fields.
    w.scalar("lifeTimeVar", spreadValue(w, source, SourceRandom::LifeTime, lifeTime.spread));
    w.array("positionVar", spreadVector(w, source, SourceRandom::PositionX, position));
    w.array("moveVelocityVar", spreadVector(w, source, SourceRandom::VelocityX, velocity));
    w.scalar("rotationVelocityVar", spreadValue(w, source, SourceRandom::RotationVelocity, rotation.spread));
    w.scalar("sizeVar", spreadValue(w, source, SourceRandom::Size, largestSpread(sizes)));
    QList<Value> colourVar;
    const bool wholeColour = source.random.set && !source.random.texts[SourceRandom::ColorR].isEmpty()
                             && source.random.texts[SourceRandom::ColorG].isEmpty()
                             && !sqf::isBracketed(source.random.texts[SourceRandom::ColorR]);
    for (int c = 0; c < 4; ++c) {
        Value value =
            wholeColour ? plain(0) : spreadValue(w, source, SourceRandom::ColorR + c, colourSpread[std::size_t(c)]);
        if (wholeColour && c == 0)
            value.note = QStringLiteral("the spread is %1, one expression for all of it: 0 written")
                             .arg(quotedNote(source.random.texts[SourceRandom::ColorR].trimmed()));
        colourVar << value;
    }
    w.array("colorVar", colourVar);
    w.scalar("randomDirectionPeriodVar", spreadValue(w, source, SourceRandom::DirPeriod, period.spread));
    w.scalar("randomDirectionIntensityVar", spreadValue(w, source, SourceRandom::DirIntensity, intensity.spread));
    w.scalar("angleVar", spreadValue(w, source, SourceRandom::Angle, angle.spread));
    w.scalar("bounceOnSurfaceVar", spreadValue(w, source, SourceRandom::BounceOnSurface, bounce.spread));

    return w.lines();
}

QString fieldAsGiven(const ClassLine &line)
{
    return line.value + QStringLiteral(" // ") + line.note;
}

QStringList configClassLines(const QStringList &texts, const SourceSettings &source, const EffectClass &configClass,
                             const sqf::VariableValues &assumed)
{
    const EffectClass written = classNameFor(configClass, QString());
    const QList<ClassLine> fields = configClassFields(texts, source, assumed);
    // The marks compare the fields as given without assumed values, which the preview may change.
    const QList<ClassLine> given = written.marks.isEmpty() ? fields : configClassFields(texts, source, {});
    QStringList lines;
    const QString use = QStringLiteral("or use it by name: _ps setParticleClass \"%1\";").arg(written.name);
    if (written.base.isEmpty())
        lines << QStringLiteral("// Paste into class CfgCloudlets, ") + use
              << QStringLiteral("class %1 {").arg(written.name);
    else
        lines << QStringLiteral("// Paste into class CfgCloudlets, beside the class %1 it inherits from (class %1; "
                                "declares it), %2")
                     .arg(written.base, use)
              << QStringLiteral("class %1: %2 {").arg(written.name, written.base);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const ClassLine &line = fields.at(i);
        if (line.field.isEmpty()) {
            lines << QStringLiteral("    // ") + line.note;
            continue;
        }
        const auto mark = std::find_if(written.marks.cbegin(), written.marks.cend(),
                                       [&line](const ConfigFieldMark &mark) { return mark.field == line.field; });
        if (mark != written.marks.cend() && mark->importedAs == fieldAsGiven(given.at(i))) {
            if (!mark->written.isEmpty())
                lines << entryLine({line.field, line.isArray, mark->written, mark->appends});
            continue;
        }
        lines << entryLine({line.field, line.isArray, line.value, false})
                     + (line.note.isEmpty() ? QString() : QStringLiteral(" // ") + line.note);
    }
    if (!written.configOnly.isEmpty()) {
        lines << QStringLiteral("    // Fields only a config has, as the class wrote them (the preview does not show "
                                "them):");
        for (const sqf::ConfigEntry &entry : written.configOnly)
            lines << entryLine(entry);
    }
    lines << QStringLiteral("};");
    return lines;
}

} // namespace exporter
