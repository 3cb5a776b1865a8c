#include "drop/dropstring.h"
#include "effect/recipe.h"
#include "effect/simulation.h"
#include "export/emitterscript.h"
#include "export/sourcescript.h"
#include "filesizelimit.h"
#include "import/effectscript.h"
#include "import/importparser.h"
#include "platform/scriptfile.h"
#include "sqf/values.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <optional>

using namespace effect;
using namespace exporter;

Q_DECLARE_METATYPE(exporter::EmitterSettings)
Q_DECLARE_METATYPE(effect::SourceSettings)

namespace {

// What a run of a loop script gives: the times of its drops, in seconds, and whether it ended.
struct ScriptRun {
    QList<double> drops;
    bool exited = false;
    QString error;
};

// A model of the loop format's timing, with the statements the written scripts use: comments,
// labels, assignments, ~delay, "? a < b : statement", goto, exit and drop. The clock _time counts
// whole microseconds from the start and a ~ wait lasts exactly its delay, so that the count and
// times of the drops follow from the script's own numbers. Assignments of anything but a time
// (the object, a colour) are taken and left aside.
ScriptRun runLoopScript(const QStringList &lines, double until)
{
    ScriptRun run;
    QHash<QString, qsizetype> labels;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines.at(i).startsWith(QLatin1Char('#')))
            labels.insert(lines.at(i).mid(1).trimmed().toLower(), i);
    QHash<QString, qint64> times;
    qint64 now = 0;
    const auto micro = [](const QString &text) -> std::optional<qint64> {
        bool ok = false;
        const double seconds = text.trimmed().toDouble(&ok);
        return ok ? std::optional<qint64>(std::llround(seconds * 1e6)) : std::nullopt;
    };
    const auto value = [&](const QString &text) -> std::optional<qint64> {
        const QString name = text.trimmed().toLower();
        if (name == QLatin1String("_time"))
            return now;
        if (times.contains(name))
            return times.value(name);
        return micro(name);
    };
    qsizetype next = 0;
    std::function<bool(const QString &)> execute = [&](const QString &statement) {
        const QString line = statement.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            return true;
        if (line.startsWith(QLatin1Char('~'))) {
            const auto delay = micro(line.mid(1));
            if (!delay || *delay < 0)
                return false;
            now += *delay;
            return true;
        }
        if (line == QLatin1String("exit")) {
            run.exited = true;
            next = lines.size();
            return true;
        }
        if (line.startsWith(QLatin1String("goto "))) {
            const QString label = line.mid(5).trimmed().remove(QLatin1Char('"')).toLower();
            if (!labels.contains(label))
                return false;
            next = labels.value(label);
            return true;
        }
        if (line.startsWith(QLatin1Char('?'))) {
            const qsizetype colon = line.indexOf(QLatin1Char(':'));
            const QStringList sides = line.mid(1, colon - 1).split(QLatin1Char('<'));
            if (colon < 0 || sides.size() != 2)
                return false;
            const auto left = value(sides.at(0));
            const auto right = value(sides.at(1));
            if (!left || !right)
                return false;
            return *left < *right ? execute(line.mid(colon + 1)) : true;
        }
        if (line.startsWith(QLatin1String("drop "), Qt::CaseInsensitive)
            || line.startsWith(QLatin1String("drop["), Qt::CaseInsensitive)) {
            run.drops << double(now) / 1e6;
            return true;
        }
        const qsizetype equals = line.indexOf(QLatin1String(" = "));
        if (equals > 0) {
            const QString name = line.left(equals).trimmed().toLower();
            const QString expression = line.mid(equals + 3);
            if (expression.startsWith(QLatin1String("_time + "))) {
                const auto add = micro(expression.mid(8));
                if (!add)
                    return false;
                times.insert(name, now + *add);
            }
            return true;
        }
        return false;
    };
    while (next < lines.size() && now <= std::llround(until * 1e6)) {
        const QString &line = lines.at(next++);
        if (!execute(line)) {
            run.error = QStringLiteral("not in the model: ") + line;
            return run;
        }
    }
    return run;
}

// The main window's start texts with the given fields (by number) replaced.
QStringList fields(std::initializer_list<std::pair<int, QString>> changed)
{
    QStringList texts = drop::startTexts();
    for (const auto &[number, text] : changed)
        texts[number - 1] = text;
    return texts;
}

// The birth times of the preview's particles over the given simulated time.
QList<double> previewEmissions(double interval, double duration, double until, bool *over)
{
    Simulation simulation;
    SourceSettings source;
    source.interval.text = scriptNumber(interval);
    simulation.setRecipe(readRecipe(fields({{5, "0.2"}, {13, "1.275"}, {14, "1"}}), source));
    simulation.setDuration(duration);
    simulation.restart();
    QList<double> times;
    std::int64_t seen = 0;
    while (simulation.time() < until) {
        simulation.step();
        if (simulation.emissions() - seen > 1)
            qFatal("more than one particle born in one step");
        if (simulation.emissions() > seen)
            times << simulation.lastEmission();
        seen = simulation.emissions();
    }
    *over = simulation.emissionOver();
    return times;
}

// Source settings with setParticleRandom of the given element count and texts (17 of them, in
// its order), setParticleCircle and setDropInterval where given.
SourceSettings sourceWith(int elements, const QStringList &random, const QStringList &circle = {},
                          const QString &interval = {})
{
    SourceSettings source;
    source.random.set = elements > 0;
    source.random.elements = std::max(elements, 8);
    for (qsizetype i = 0; i < random.size(); ++i)
        source.random.texts[std::size_t(i)] = random.at(i);
    source.circle.set = !circle.isEmpty();
    for (qsizetype i = 0; i < circle.size(); ++i)
        source.circle.texts[std::size_t(i)] = circle.at(i);
    source.interval.set = !interval.isEmpty();
    if (!interval.isEmpty())
        source.interval.text = interval;
    return source;
}

EmitterSettings settingsFor(const QStringList &texts, bool separate, double interval, double duration)
{
    EmitterSettings settings;
    settings.shapeName = texts.at(0);
    settings.objectText = texts.at(26);
    settings.separateColours = separate;
    settings.dropString =
        drop::formatDropString(texts, separate ? drop::ColourMode::Separate : drop::ColourMode::Inline, "_color");
    settings.colourLine = separate ? drop::formatColourLine("_color", texts.at(18)) : QString();
    settings.interval = interval;
    settings.duration = duration;
    return settings;
}

} // namespace

class TestEmitterScript : public QObject {
    Q_OBJECT
private slots:
    void scriptText_data();
    void scriptText();
    void proposedName_data();
    void proposedName();
    void objectIsTheFirstElement_data();
    void objectIsTheFirstElement();
    void loopRunsAsThePreviewEmits_data();
    void loopRunsAsThePreviewEmits();
    void dropLineReadsBackIntoTheFields_data();
    void dropLineReadsBackIntoTheFields();
    void sourceCommands_data();
    void sourceCommands();
    void sourceScript_data();
    void sourceScript();
    void effectScript_data();
    void effectScript();
    void effectCommands_data();
    void effectCommands();
    void lightCommands_data();
    void lightCommands();
    void intervalZeroRefused();
    void linesEndInCrLf();
    void characterTheCodePageCannotHoldStopsTheWrite();
    void failedWriteKeepsTheOldFile();
    void writeIntoAFolderThatIsAFileFails();
    void writeFailingHalfwayKeepsTheOldFile();
};

void TestEmitterScript::scriptText_data()
{
    QTest::addColumn<EmitterSettings>("settings");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QStringList>("expected");

    const QString plain =
        R"(Drop ["cl_basic","","Billboard",1,5,[0,0,1],[0,0,0.5],0,1.275,1,0,[1,2,3],[[1,1,1,1]],[0],0,0,"","",])";
    EmitterSettings endless;
    endless.shapeName = "cl_basic";
    endless.dropString = plain;
    endless.interval = 0.05;
    QTest::newRow("sqs without end, no object")
        << endless << "smoke.sqs"
        << QStringList{"; Particles of cl_basic: one drop every 0.05 s, without end.",
                       "; Start it with: [] exec \"smoke.sqs\"",
                       "#loop",
                       plain,
                       "~0.05",
                       "goto \"loop\""};
    QTest::newRow("sqf without end, no object")
        << endless << "smoke.sqf"
        << QStringList{
               "// Particles of cl_basic: one drop every 0.05 s, without end.",
               "// Start it with: [] execVM \"smoke.sqf\";",
               "while {true} do {",
               R"(    drop ["cl_basic","","Billboard",1,5,[0,0,1],[0,0,0.5],0,1.275,1,0,[1,2,3],[[1,1,1,1]],[0],0,0,"","",];)",
               "    sleep 0.05;",
               "};"};

    const QString withObject =
        R"(Drop ["\ca\data\cl_basic","","Billboard",1,_life,[0,0,_h],[0,0,0.5],0,1.275,1,0,[1,2,3],[_color],[0],0,0,"","",_obj])";
    EmitterSettings timed;
    timed.shapeName = "\\ca\\data\\cl_basic";
    timed.objectText = "_obj";
    timed.dropString = withObject;
    timed.separateColours = true;
    timed.colourLine = "_color = [1,1,1,0.5]";
    timed.variables = {{"_life", 4.5}, {"_h", -0.25}, {"windSpeed", 3}};
    timed.interval = 0.1;
    timed.duration = 12.5;
    QTest::newRow("sqs for a duration, object, colour variable, local and global variables")
        << timed << "chimney.sqs"
        << QStringList{"; Particles of \\ca\\data\\cl_basic: one drop every 0.1 s, for 12.5 s.",
                       "; Start it with: [unit] exec \"chimney.sqs\"",
                       "; unit: the object the particles come from (this in the object's init line).",
                       "; Expected from the mission: windSpeed.",
                       "; The values the preview assumed; change them here.",
                       "_obj = _this select 0",
                       "_life = 4.5",
                       "_h = -0.25",
                       "_color = [1,1,1,0.5]",
                       "_plwEnd = _time + 12.5",
                       "#loop",
                       withObject,
                       "~0.1",
                       "? _time < _plwEnd : goto \"loop\"",
                       "exit"};
    QTest::newRow("sqf for a duration, object, colour variable, local and global variables")
        << timed << "chimney.sqf"
        << QStringList{
               "// Particles of \\ca\\data\\cl_basic: one drop every 0.1 s, for 12.5 s.",
               "// Start it with: [unit] execVM \"chimney.sqf\";",
               "// unit: the object the particles come from (this in the object's init line).",
               "// Expected from the mission: windSpeed.",
               "// The values the preview assumed; change them here.",
               "private _obj = _this select 0;",
               "private _life = 4.5;",
               "private _h = -0.25;",
               "private _color = [1,1,1,0.5];",
               "private _plwEnd = time + 12.5;",
               "while {time < _plwEnd} do {",
               R"(    drop ["\ca\data\cl_basic","","Billboard",1,_life,[0,0,_h],[0,0,0.5],0,1.275,1,0,[1,2,3],[_color],[0],0,0,"","",_obj];)",
               "    sleep 0.1;",
               "};"};

    // The later games' parameters after the object stay in the drop; the object is the first.
    EmitterSettings extra = endless;
    extra.shapeName = "";
    extra.objectText = "_Obj, 0, true";
    extra.dropString = R"(Drop ["","","",0,1,[0,0,0],[0,0,0],0,1,1,0,[1],[[]],[0],0,0,"","",_Obj, 0, true])";
    extra.variables = {{"_obj", 1}, {"_time", 2}, {"_this", 0}};
    extra.interval = 2;
    extra.duration = 3600;
    QTest::newRow("sqs object with later parameters; _time and _this are not assigned")
        << extra << "e.sqs"
        << QStringList{"; Particles of no shape given: one drop every 2 s, for 3600 s.",
                       "; Start it with: [unit] exec \"e.sqs\"",
                       "; unit: the object the particles come from (this in the object's init line).",
                       "_Obj = _this select 0",
                       "_plwEnd = _time + 3600",
                       "#loop",
                       extra.dropString,
                       "~2",
                       "? _time < _plwEnd : goto \"loop\"",
                       "exit"};

    EmitterSettings argument = endless;
    argument.objectText = "_this";
    argument.dropString = R"(Drop ["cl_basic","","",0,1,[0,0,0],[0,0,0],0,1,1,0,[1],[[]],[0],0,0,"","",_this])";
    argument.variables = {{"_time", 2}};
    QTest::newRow("sqf object is the argument itself; _time is a variable there")
        << argument << "a.sqf"
        << QStringList{"// Particles of cl_basic: one drop every 0.05 s, without end.",
                       "// Start it with: unit execVM \"a.sqf\";",
                       "// unit: the object the particles come from (this in the object's init line).",
                       "// The values the preview assumed; change them here.",
                       "private _time = 2;",
                       "while {true} do {",
                       R"(    drop ["cl_basic","","",0,1,[0,0,0],[0,0,0],0,1,1,0,[1],[[]],[0],0,0,"","",_this];)",
                       "    sleep 0.05;",
                       "};"};

    EmitterSettings global = endless;
    global.objectText = "tank1";
    global.separateColours = true;
    global.colourLine = "smokeColour = [0.5,0.5,0.5,1]";
    global.variables = {{"height", 2}};
    global.interval = 0.25;
    global.duration = 1;
    QTest::newRow("sqf global object and colour variable are not made private")
        << global << "g.sqf"
        << QStringList{
               "// Particles of cl_basic: one drop every 0.25 s, for 1 s.",
               "// Start it with: [] execVM \"g.sqf\";",
               "// Expected from the mission: height.",
               "smokeColour = [0.5,0.5,0.5,1];",
               "private _plwEnd = time + 1;",
               "while {time < _plwEnd} do {",
               R"(    drop ["cl_basic","","Billboard",1,5,[0,0,1],[0,0,0.5],0,1.275,1,0,[1,2,3],[[1,1,1,1]],[0],0,0,"","",];)",
               "    sleep 0.25;",
               "};"};

    EmitterSettings unplayed = endless;
    unplayed.sourceRandom = true;
    unplayed.sourceCircle = true;
    QTest::newRow("sqs with randomness and a circle set")
        << unplayed << "u.sqs"
        << QStringList{"; Particles of cl_basic: one drop every 0.05 s, without end.",
                       "; Start it with: [] exec \"u.sqs\"",
                       QString("; A drop loop does not play setParticleRandom or setParticleCircle: every drop is "
                               "alike. A source script does."),
                       "#loop",
                       plain,
                       "~0.05",
                       "goto \"loop\""};
    unplayed.sourceRandom = false;
    QTest::newRow("sqf with a circle set")
        << unplayed << "u.sqf"
        << QStringList{
               "// Particles of cl_basic: one drop every 0.05 s, without end.",
               "// Start it with: [] execVM \"u.sqf\";",
               "// A drop loop does not play setParticleCircle: every drop is alike. A source script does.",
               "while {true} do {",
               R"(    drop ["cl_basic","","Billboard",1,5,[0,0,1],[0,0,0.5],0,1.275,1,0,[1,2,3],[[1,1,1,1]],[0],0,0,"","",];)",
               "    sleep 0.05;",
               "};"};
}

void TestEmitterScript::scriptText()
{
    QFETCH(EmitterSettings, settings);
    QFETCH(QString, fileName);
    QFETCH(QStringList, expected);
    const QStringList lines = emitterScriptLines(settings, scriptFormatFor(fileName), fileName);
    if (lines != expected) {
        qDebug().noquote() << "written:\n" + lines.join('\n') + "\nexpected:\n" + expected.join('\n');
        QFAIL("the script differs");
    }
}

void TestEmitterScript::proposedName_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QString>("sqs");
    QTest::addColumn<QString>("sqf");
    QTest::newRow("plain") << "cl_basic"
                           << "cl_basic.sqs"
                           << "cl_basic.sqf";
    QTest::newRow("in folders") << "\\ca\\data\\cl_fire"
                                << "cl_fire.sqs"
                                << "cl_fire.sqf";
    QTest::newRow("with extension") << "\\ca\\data\\ParticleEffects\\Universal\\Universal.p3d"
                                    << "Universal.sqs"
                                    << "Universal.sqf";
    QTest::newRow("blank and unsafe characters") << " my smoke:1 "
                                                 << "my_smoke_1.sqs"
                                                 << "my_smoke_1.sqf";
    QTest::newRow("none") << ""
                          << "effect.sqs"
                          << "effect.sqf";
    QTest::newRow("only a folder") << "\\ca\\data\\"
                                   << "effect.sqs"
                                   << "effect.sqf";
    QTest::newRow("nothing usable") << "???"
                                    << "effect.sqs"
                                    << "effect.sqf";
}

void TestEmitterScript::proposedName()
{
    QFETCH(QString, shape);
    QFETCH(QString, sqs);
    QFETCH(QString, sqf);
    QCOMPARE(proposedScriptName(shape), sqs);
    QCOMPARE(proposedScriptName(shape, ScriptFormat::Sqf), sqf);
    QCOMPARE(scriptFormatFor(sqf.toUpper()), ScriptFormat::Sqf);
    QCOMPARE(scriptFormatFor(sqs), ScriptFormat::Sqs);
}

void TestEmitterScript::objectIsTheFirstElement_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("variable");
    QTest::newRow("local") << "_obj"
                           << "_obj";
    QTest::newRow("later parameters") << "_obj, 0, true"
                                      << "_obj";
    QTest::newRow("blanks") << "  _smoker  "
                            << "_smoker";
    QTest::newRow("array after it") << "_obj,[1,2],\"a,b\""
                                    << "_obj";
    QTest::newRow("the argument") << "_this"
                                  << "";
    QTest::newRow("the argument in capitals") << "_THIS, 1"
                                              << "";
    QTest::newRow("global") << "player"
                            << "";
    QTest::newRow("command") << "_this select 0"
                             << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("open string") << "\"_obj"
                                 << "";
}

void TestEmitterScript::objectIsTheFirstElement()
{
    QFETCH(QString, object);
    QFETCH(QString, variable);
    QCOMPARE(objectVariable(object), variable);
}

void TestEmitterScript::loopRunsAsThePreviewEmits_data()
{
    QTest::addColumn<double>("interval");
    QTest::addColumn<double>("duration");
    QTest::addColumn<int>("drops"); // -1: without end
    QTest::newRow("0.05 for 1 s") << 0.05 << 1.0 << 20;
    QTest::newRow("0.1 for 1 s (ten tenths sum to less than 1)") << 0.1 << 1.0 << 10;
    QTest::newRow("0.1 for 0.3 s (three tenths sum to more)") << 0.1 << 0.3 << 3;
    QTest::newRow("0.1 for 0.7 s") << 0.1 << 0.7 << 7;
    QTest::newRow("0.01 for 2.1 s") << 0.01 << 2.1 << 210;
    QTest::newRow("0.15 for 4.5 s") << 0.15 << 4.5 << 30;
    QTest::newRow("0.3 for 1 s, not whole") << 0.3 << 1.0 << 4;
    QTest::newRow("0.07 for 2.5 s, not whole") << 0.07 << 2.5 << 36;
    QTest::newRow("duration shorter than one interval") << 2.0 << 1.0 << 1;
    QTest::newRow("duration of one interval") << 0.5 << 0.5 << 1;
    QTest::newRow("0.01 for 60 s") << 0.01 << 60.0 << 6000;
    QTest::newRow("0.05 without end") << 0.05 << 0.0 << -1;
    QTest::newRow("0.1 without end") << 0.1 << 0.0 << -1;
    QTest::newRow("0.33 without end") << 0.33 << 0.0 << -1;
}

void TestEmitterScript::loopRunsAsThePreviewEmits()
{
    QFETCH(double, interval);
    QFETCH(double, duration);
    QFETCH(int, drops);
    const EmitterSettings settings = settingsFor(fields({{1, "cl_basic"}, {5, "0.2"}}), false, interval, duration);
    const double until = duration > 0 ? duration + 1 : 5;
    const ScriptRun script = runLoopScript(emitterScriptLines(settings, ScriptFormat::Sqs, "x.sqs"), until);
    QVERIFY2(script.error.isEmpty(), qPrintable(script.error));
    bool over = false;
    QList<double> preview = previewEmissions(interval, duration, until, &over);
    QList<double> written = script.drops;
    if (drops < 0) {
        // Both go on: compare what each did before the end of the run.
        QVERIFY(!script.exited);
        QVERIFY(!over);
        const auto before = [until](double t) { return t > until - 1; };
        written.removeIf(before);
        preview.removeIf(before);
        QCOMPARE(written.size(), qsizetype(std::floor((until - 1) / interval + 1e-9)) + 1);
    } else {
        QVERIFY(script.exited);
        QVERIFY(over);
        QCOMPARE(written.size(), drops);
    }
    QCOMPARE(preview.size(), written.size());
    for (qsizetype i = 0; i < written.size(); ++i)
        if (std::abs(preview.at(i) - written.at(i)) > 1e-6)
            QFAIL(qPrintable(QStringLiteral("drop %1: the script at %2 s, the preview at %3 s")
                                 .arg(i)
                                 .arg(written.at(i), 0, 'g', 17)
                                 .arg(preview.at(i), 0, 'g', 17)));
}

void TestEmitterScript::dropLineReadsBackIntoTheFields_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("separate");
    QTest::newRow("start texts") << drop::startTexts() << false;
    QTest::newRow("smoke with variables and object") << fields({{1, "\\ca\\data\\cl_basic"},
                                                                {3, "Billboard"},
                                                                {4, "1"},
                                                                {5, "_life"},
                                                                {8, "_h + 1"},
                                                                {11, "random 2"},
                                                                {16, "1"},
                                                                {17, "2.5"},
                                                                {18, "4"},
                                                                {19, "[1,1,1,0.5],[1,1,1,0]"},
                                                                {27, "_obj"}})
                                                     << false;
    QTest::newRow("shape array whose file is a variable") << fields({{1, "[_fetti,1,0,1,1]"}, {5, "3"}}) << false;
    QTest::newRow("colour variable") << fields({{1, "cl_fire"}, {5, "3"}, {19, "[1,0.5,0,1]"}, {25, "on.sqs"}}) << true;
    QTest::newRow("colour variable of three colours")
        << fields({{1, "cl_fire"}, {5, "3"}, {19, "[1,0.5,0,1],[1,0,0,0.5],[0,0,0,0]"}}) << true;
    QTest::newRow("colour variable of no colours") << fields({{1, "cl_fire"}, {19, ""}}) << true;
}

void TestEmitterScript::dropLineReadsBackIntoTheFields()
{
    QFETCH(QStringList, texts);
    QFETCH(bool, separate);
    const EmitterSettings settings = settingsFor(texts, separate, 0.05, 2);
    for (const ScriptFormat format : {ScriptFormat::Sqs, ScriptFormat::Sqf}) {
        const QStringList lines = emitterScriptLines(settings, format, "x");
        const auto drop = std::find_if(lines.cbegin(), lines.cend(), [](const QString &line) {
            return line.trimmed().startsWith(QLatin1String("drop"), Qt::CaseInsensitive);
        });
        QVERIFY(drop != lines.cend());
        const import::ParseOutcome outcome = import::parseDropArray(*drop, separate, texts.at(18));
        QVERIFY2(outcome.array, qPrintable(*drop));
        QCOMPARE(outcome.array->fields, texts);
        if (separate) {
            QCOMPARE(outcome.array->colorVarName, QString("_color"));
            // The colour variable gets one array, ahead of the drop.
            const QString assignment = format == ScriptFormat::Sqf ? "private _color = " : "_color = ";
            const auto line = std::find_if(lines.cbegin(), drop,
                                           [&assignment](const QString &line) { return line.startsWith(assignment); });
            QVERIFY(line != drop);
            QVERIFY2(sqf::isBracketed(line->mid(assignment.size()).remove(QLatin1Char(';'))), qPrintable(*line));
        }
    }
}

void TestEmitterScript::sourceCommands_data()
{
    QTest::addColumn<SourceSettings>("source");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QStringList>("expected");
    const QStringList random{"2", "0.3", "0.3", "0.3", "1.5", "1.5", "1",   "20", "0.2",
                             "0", "0",   "0",   "0.1", "0",   "0",   "360", "0.5"};
    const QString params =
        R"(_ps setParticleParams ["cl_basic","","Billboard",1,5,[0,0,1],[0,0,0.5],0,1.275,1,0,[1,2,3],[_color],[0],0,0,"","",_obj];)";

    QTest::newRow("nothing set: the array alone") << SourceSettings{} << false << QStringList{params};
    QTest::newRow("everything, nine elements")
        << sourceWith(9, random, {"3", "0", "0", "0.5"}, "0.1") << false
        << QStringList{params,
                       "_ps setParticleRandom [2, [0.3, 0.3, 0.3], [1.5, 1.5, 1], 20, 0.2, [0, 0, 0, 0.1], 0, 0, 360];",
                       "_ps setParticleCircle [3, [0, 0, 0.5]];", "_ps setDropInterval 0.1;"};
    QTest::newRow("eight elements, circle unset though written")
        <<
        [&] {
            SourceSettings source = sourceWith(8, random, {"3", "0", "0", "0.5"});
            source.circle.set = false;
            return source;
        }()
        << false
        << QStringList{params,
                       "_ps setParticleRandom [2, [0.3, 0.3, 0.3], [1.5, 1.5, 1], 20, 0.2, [0, 0, 0, 0.1], 0, 0];"};
    QTest::newRow("ten elements") << sourceWith(10, random) << false
                                  << QStringList{params,
                                                 "_ps setParticleRandom [2, [0.3, 0.3, 0.3], [1.5, 1.5, 1], 20, "
                                                 "0.2, [0, 0, 0, 0.1], 0, 0, 360, 0.5];"};
    QStringList whole = random;
    whole[1] = "_posVar";
    whole[2] = "";
    whole[3] = "";
    whole[9] = "_cv";
    whole[10] = whole[11] = whole[12] = "";
    QTest::newRow("vectors kept as one expression; interval a variable")
        << sourceWith(8, whole, {"_r", "_cvel", "", ""}, "_int") << false
        << QStringList{params, "_ps setParticleRandom [2, _posVar, [1.5, 1.5, 1], 20, 0.2, _cv, 0, 0];",
                       "_ps setParticleCircle [_r, _cvel];", "_ps setDropInterval _int;"};
    SourceSettings kept = sourceWith(0, {}, {}, "0");
    kept.name = "_Smoke";
    kept.otherCommands = {"setParticleFire [0.3, 1, 0.5]", "setParticleClass \"Base\""};
    QTest::newRow("colour line, class first, other commands, own name, interval 0")
        << kept << true
        << QStringList{"_color = [1,1,1,0.5];", "_Smoke setParticleClass \"Base\";",
                       QString(params).replace("_ps ", "_Smoke "), "_Smoke setParticleFire [0.3, 1, 0.5];",
                       "_Smoke setDropInterval 0;"};
}

void TestEmitterScript::sourceCommands()
{
    QFETCH(SourceSettings, source);
    QFETCH(bool, separate);
    QFETCH(QStringList, expected);
    const QString dropString =
        R"(Drop ["cl_basic","","Billboard",1,5,[0,0,1],[0,0,0.5],0,1.275,1,0,[1,2,3],[_color],[0],0,0,"","",_obj])";
    const QStringList lines = sourceCommandLines(source, dropString, separate, "_color = [1,1,1,0.5]");
    if (lines != expected) {
        qDebug().noquote() << "written:\n" + lines.join('\n') + "\nexpected:\n" + expected.join('\n');
        QFAIL("the commands differ");
    }
}

void TestEmitterScript::sourceScript_data()
{
    QTest::addColumn<EmitterSettings>("settings");
    QTest::addColumn<SourceSettings>("source");
    QTest::addColumn<QStringList>("expected");
    const QString array =
        R"(["cl_basic","","Billboard",1,_life,[0,0,1],[0,0,0.5],0,1.275,1,0,[1,2,3],[_color],[0],0,0,"","",%1])";
    const QString comment = "// Source commands act only on the machine that runs them: run this script on every "
                            "machine (from init.sqf, for example) for every player to see the effect.";
    const SourceSettings source = sourceWith(8, {"1", "0.5", "0.5", "0"}, {}, "_int");

    EmitterSettings local;
    local.shapeName = "cl_basic";
    local.objectText = "_obj, 0, false, 0.5";
    local.dropString = "Drop " + array.arg(local.objectText);
    local.separateColours = true;
    local.colourLine = "_color = [1,1,1,0.5]";
    local.variables = {{"_life", 4.5}, {"_int", 0.1}, {"_obj", 2}, {"_color", 1}, {"windSpeed", 3}};
    local.duration = 12.5;
    QTest::newRow("object variable, for a duration")
        << local << source
        << QStringList{"// Particle source of cl_basic: setDropInterval _int, for 12.5 s.",
                       "// Start it with: [unit] execVM \"smoke.sqf\";",
                       "// unit: the object the source is made at (this in the object's init line).",
                       comment,
                       "// Expected from the mission: windSpeed.",
                       "// The values the preview assumed; change them here.",
                       "private _obj = _this select 0;",
                       "private _life = 4.5;",
                       "private _int = 0.1;",
                       "private _ps = \"#particlesource\" createVehicleLocal getPos _obj;",
                       "_color = [1,1,1,0.5];",
                       "_ps setParticleParams " + array.arg(local.objectText) + ";",
                       "_ps setParticleRandom [1, [0.5, 0.5, 0], [0, 0, 0], 0, 0, [0, 0, 0, 0], 0, 0];",
                       "_ps setDropInterval _int;",
                       "sleep 12.5;",
                       "deleteVehicle _ps;"};

    EmitterSettings argument = local;
    argument.objectText = "_this";
    argument.dropString = "Drop " + array.arg("_this");
    argument.separateColours = false;
    argument.variables = {{"_life", 2}};
    argument.duration = 0;
    SourceSettings named = source;
    named.name = "_Smoke";
    QTest::newRow("the argument is the object, without end: deleted once it is gone")
        << argument << named
        << QStringList{"// Particle source of cl_basic: setDropInterval _int, while _this exists.",
                       "// Start it with: unit execVM \"smoke.sqf\";",
                       "// unit: the object the source is made at (this in the object's init line).",
                       comment,
                       "// The values the preview assumed; change them here.",
                       "private _life = 2;",
                       "private _Smoke = \"#particlesource\" createVehicleLocal getPos _this;",
                       "_Smoke setParticleParams " + array.arg("_this") + ";",
                       "_Smoke setParticleRandom [1, [0.5, 0.5, 0], [0, 0, 0], 0, 0, [0, 0, 0, 0], 0, 0];",
                       "_Smoke setDropInterval _int;",
                       "waitUntil {sleep 1; isNull _this};",
                       "deleteVehicle _Smoke;"};

    EmitterSettings global = argument;
    global.objectText = "tank1";
    global.dropString = "Drop " + array.arg("tank1");
    global.variables = {};
    QTest::newRow("a global object: a place as the argument, deleted once the object is gone")
        << global << SourceSettings{}
        << QStringList{"// Particle source of cl_basic: setDropInterval 0.05, while tank1 exists.",
                       "// Start it with: [place] execVM \"smoke.sqf\";",
                       "// place: a position [x, y, z] or an object, where the source is made.",
                       comment,
                       "private _plwPlace = _this select 0;",
                       "if (_plwPlace isEqualType objNull) then {_plwPlace = getPos _plwPlace};",
                       "private _ps = \"#particlesource\" createVehicleLocal _plwPlace;",
                       "_ps setParticleParams " + array.arg("tank1") + ";",
                       "waitUntil {sleep 1; isNull tank1};",
                       "deleteVehicle _ps;"};

    EmitterSettings none = global;
    none.objectText = "\"\"";
    none.dropString = "Drop " + array.arg("\"\"");
    none.duration = 30;
    QTest::newRow("no object, for a duration")
        << none << sourceWith(0, {}, {"5", "0", "0", "0"}, "0.01")
        << QStringList{"// Particle source of cl_basic: setDropInterval 0.01, for 30 s.",
                       "// Start it with: [place] execVM \"smoke.sqf\";",
                       "// place: a position [x, y, z] or an object, where the source is made.",
                       comment,
                       "private _plwPlace = _this select 0;",
                       "if (_plwPlace isEqualType objNull) then {_plwPlace = getPos _plwPlace};",
                       "private _ps = \"#particlesource\" createVehicleLocal _plwPlace;",
                       "_ps setParticleParams " + array.arg("\"\"") + ";",
                       "_ps setParticleCircle [5, [0, 0, 0]];",
                       "_ps setDropInterval 0.01;",
                       "sleep 30;",
                       "deleteVehicle _ps;"};
    none.duration = 0;
    QTest::newRow("no object, without end: the source stays")
        << none << SourceSettings{}
        << QStringList{"// Particle source of cl_basic: setDropInterval 0.05, without end.",
                       "// Start it with: [place] execVM \"smoke.sqf\";",
                       "// place: a position [x, y, z] or an object, where the source is made.",
                       comment,
                       "private _plwPlace = _this select 0;",
                       "if (_plwPlace isEqualType objNull) then {_plwPlace = getPos _plwPlace};",
                       "private _ps = \"#particlesource\" createVehicleLocal _plwPlace;",
                       "_ps setParticleParams " + array.arg("\"\"") + ";"};
}

void TestEmitterScript::sourceScript()
{
    QFETCH(EmitterSettings, settings);
    QFETCH(SourceSettings, source);
    QFETCH(QStringList, expected);
    const QStringList lines = sourceScriptLines(settings, source, "smoke.sqf");
    if (lines != expected) {
        qDebug().noquote() << "written:\n" + lines.join('\n') + "\nexpected:\n" + expected.join('\n');
        QFAIL("the script differs");
    }
    // After its lines of setting up, the script runs exactly the copied commands.
    const QStringList commands =
        sourceCommandLines(source, settings.dropString, settings.separateColours, settings.colourLine);
    QVERIFY(lines.join('\n').contains(commands.join('\n')));
}

namespace {

// A layer of the start texts with its own shape, at the object _obj.
Layer layerNamed(const QString &name, const QString &shape, const QString &interval = {})
{
    QStringList texts = drop::startTexts();
    texts[0] = shape;
    texts[26] = "_obj";
    Layer layer;
    layer.fields.texts = texts;
    layer.fields.source = sourceWith(0, {}, {}, interval);
    layer.fields.source.name = name;
    return layer;
}

QString paramsLine(const Layer &layer)
{
    return layer.name() + " setParticleParams "
           + dropArray(drop::formatDropString(layer.fields.texts, drop::ColourMode::Inline, "_color")) + ";";
}

} // namespace

Q_DECLARE_METATYPE(effect::Layer)
Q_DECLARE_METATYPE(effect::LightSettings)

void TestEmitterScript::effectScript_data()
{
    QTest::addColumn<EmitterSettings>("settings");
    QTest::addColumn<QList<Layer>>("layers");
    QTest::addColumn<QStringList>("expected");
    const QString comment = "// Source commands act only on the machine that runs them: run this script on every "
                            "machine (from init.sqf, for example) for every player to see the effect.";
    EmitterSettings object;
    object.objectText = "_obj";
    object.variables = {{"_life", 2}, {"_smoke", 1}};
    object.duration = 10;
    const Layer fire = layerNamed("_fire", "cl_fire", "0.02");
    Layer smoke = layerNamed("_smoke", "cl_basic");
    smoke.offset = {"0", "0", "2"};
    smoke.start = "1.5";
    smoke.end = "8";
    QTest::newRow("two layers at an object variable, the second later and ended, for a duration")
        << object << QList<Layer>{fire, smoke}
        << QStringList{"// Particle effect of 2 layers, for 10 s: _fire, _smoke.",
                       "// Layer _fire: setDropInterval 0.02, from 0 s, at [0, 0, 0] from the anchor.",
                       "// Layer _smoke: setDropInterval 0.05, from 1.5 s to 8 s, at [0, 0, 2] from the anchor.",
                       "// Start it with: [unit] execVM \"fire.sqf\";",
                       "// unit: the object the effect is made at (this in the object's init line).",
                       comment,
                       "// The values the preview assumed; change them here.",
                       "private _obj = _this select 0;",
                       "private _life = 2;",
                       "private _plwStart = time;",
                       "private _fire = \"#particlesource\" createVehicleLocal getPos _obj;",
                       paramsLine(fire),
                       "_fire setDropInterval 0.02;",
                       "private _smoke = \"#particlesource\" createVehicleLocal getPos _obj;",
                       "_smoke attachTo [_obj, [0, 0, 2]];",
                       "waitUntil {time >= _plwStart + 1.5 || isNull _obj};",
                       paramsLine(smoke),
                       "waitUntil {time >= _plwStart + 8 || isNull _obj};",
                       "deleteVehicle _smoke;",
                       "waitUntil {time >= _plwStart + 10 || isNull _obj};",
                       "{deleteVehicle _x} forEach [_fire, _smoke];"};

    EmitterSettings place;
    place.objectText = "\"\"";
    Layer shifted = fire;
    shifted.offset = {"1", "0", "_h"};
    Layer haze = layerNamed("_haze", "", "0.5");
    haze.classOnly = true;
    haze.fields.texts = drop::startTexts(); // a class has no array: the import gives the start texts
    haze.fields.source.otherCommands = {"setParticleClass \"Refract\""};
    haze.end = "3";
    QTest::newRow("a place without end: the layers stay, a class-only layer writes no array")
        << place << QList<Layer>{shifted, haze}
        << QStringList{"// Particle effect of 2 layers, without end: _fire, _haze.",
                       "// Layer _fire: setDropInterval 0.02, from 0 s, at [1, 0, _h] from the anchor.",
                       "// Layer _haze: its class as written, from 0 s to 3 s, at [0, 0, 0] from the anchor.",
                       "// Start it with: [place] execVM \"fire.sqf\";",
                       "// place: a position [x, y, z] or an object, where the effect is made.",
                       comment,
                       "private _plwPlace = _this select 0;",
                       "if (_plwPlace isEqualType objNull) then {_plwPlace = getPos _plwPlace};",
                       "private _plwStart = time;",
                       "private _fire = \"#particlesource\" createVehicleLocal _plwPlace;",
                       "_fire setPos (_plwPlace vectorAdd [1, 0, _h]);",
                       paramsLine(fire),
                       "_fire setDropInterval 0.02;",
                       "private _haze = \"#particlesource\" createVehicleLocal _plwPlace;",
                       "_haze setParticleClass \"Refract\";",
                       "_haze setDropInterval 0.5;",
                       "waitUntil {time >= _plwStart + 3};",
                       "deleteVehicle _haze;"};

    LightSettings flash;
    flash.intensity = {true, "20000"};
    flash.flicker = {LightFlicker::Intensity, "15000", "20000", "0.05", "0.05"};
    Layer light = lightLayerOf("_flash", flash);
    light.offset = {"0", "0", "1"};
    light.start = "0.5";
    light.end = "2";
    Layer glow = lightLayerOf("_glow", LightSettings{});
    glow.light->type = "#lightreflector";
    glow.light->colour = {true, {"1", "0.5", "0"}};
    QTest::newRow("lights among the sources: a later one made at its start and deleted at its end")
        << object << QList<Layer>{light, fire, glow}
        << QStringList{"// Particle effect of 3 layers, for 10 s: _flash, _fire, _glow.",
                       "// Layer _flash: a light (#lightpoint), from 0.5 s to 2 s, at [0, 0, 1] from the anchor.",
                       "// Layer _fire: setDropInterval 0.02, from 0 s, at [0, 0, 0] from the anchor.",
                       "// Layer _glow: a light (#lightreflector), from 0 s, at [0, 0, 0] from the anchor.",
                       "// Start it with: [unit] execVM \"fire.sqf\";",
                       "// unit: the object the effect is made at (this in the object's init line).",
                       comment,
                       "// The values the preview assumed; change them here.",
                       "private _obj = _this select 0;",
                       "private _life = 2;",
                       "private _smoke = 1;",
                       "private _plwStart = time;",
                       "private _flash = objNull;",
                       "private _fire = \"#particlesource\" createVehicleLocal getPos _obj;",
                       paramsLine(fire),
                       "_fire setDropInterval 0.02;",
                       "private _glow = \"#lightreflector\" createVehicleLocal getPos _obj;",
                       "_glow setLightColor [1, 0.5, 0];",
                       "waitUntil {time >= _plwStart + 0.5 || isNull _obj};",
                       "_flash = \"#lightpoint\" createVehicleLocal getPos _obj;",
                       "_flash setLightIntensity 20000;",
                       "_flash lightAttachObject [_obj, [0, 0, 1]];",
                       QString("[_flash] spawn { params [\"_l\"]; while {!isNull _l} do { _l setLightIntensity ")
                           + "(15000 + random 5000); sleep 0.05; }; };",
                       "waitUntil {time >= _plwStart + 2 || isNull _obj};",
                       "deleteVehicle _flash;",
                       "waitUntil {time >= _plwStart + 10 || isNull _obj};",
                       "{deleteVehicle _x} forEach [_flash, _fire, _glow];"};

    EmitterSettings argument;
    argument.objectText = "_this";
    Layer late = fire;
    late.start = "2";
    QTest::newRow("one layer starting late at the argument, while it exists")
        << argument << QList<Layer>{late}
        << QStringList{"// Particle effect of 1 layer, while _this exists: _fire.",
                       "// Layer _fire: setDropInterval 0.02, from 2 s, at [0, 0, 0] from the anchor.",
                       "// Start it with: unit execVM \"fire.sqf\";",
                       "// unit: the object the effect is made at (this in the object's init line).",
                       comment,
                       "private _plwStart = time;",
                       "private _fire = \"#particlesource\" createVehicleLocal getPos _this;",
                       "waitUntil {time >= _plwStart + 2 || isNull _this};",
                       paramsLine(fire),
                       "_fire setDropInterval 0.02;",
                       "waitUntil {sleep 1; isNull _this};",
                       "{deleteVehicle _x} forEach [_fire];"};
}

void TestEmitterScript::effectScript()
{
    QFETCH(EmitterSettings, settings);
    QFETCH(QList<Layer>, layers);
    QFETCH(QStringList, expected);
    const QStringList lines = effectScriptLines(settings, layers, "fire.sqf");
    if (lines != expected) {
        qDebug().noquote() << "written:\n" + lines.join('\n') + "\nexpected:\n" + expected.join('\n');
        QFAIL("the script differs");
    }
    const import::EffectOutcome read = import::parseEffectScript(lines.join('\n'), false, {});
    QVERIFY2(read.layers, qPrintable(read.problem));
    QCOMPARE(read.layers->size(), layers.size());
    for (qsizetype i = 0; i < layers.size(); ++i)
        QVERIFY2(read.layers->at(i) == layers.at(i), qPrintable(layers.at(i).name()));
}

void TestEmitterScript::effectCommands_data()
{
    QTest::addColumn<QString>("objectText");
    QTest::addColumn<QList<Layer>>("layers");
    QTest::addColumn<QStringList>("expected");
    const Layer fire = layerNamed("_fire", "cl_fire", "0.02");
    Layer smoke = layerNamed("_smoke", "cl_basic");
    smoke.offset = {"0", "0", "2"};
    smoke.start = "1.5";
    QTest::newRow("one layer at the anchor: what Copy Source copies")
        << "_obj" << QList<Layer>{fire} << QStringList{paramsLine(fire), "_fire setDropInterval 0.02;"};
    QTest::newRow("one layer off the anchor: made and attached")
        << "_obj, 0, false" << QList<Layer>{smoke}
        << QStringList{"_smoke = \"#particlesource\" createVehicleLocal getPos _obj;", paramsLine(smoke),
                       "_smoke attachTo [_obj, [0, 0, 2]];"};
    QTest::newRow("two layers at a global object")
        << "tank1" << QList<Layer>{fire, smoke}
        << QStringList{"_fire = \"#particlesource\" createVehicleLocal getPos tank1;",
                       paramsLine(fire),
                       "_fire setDropInterval 0.02;",
                       "_fire attachTo [tank1, [0, 0, 0]];",
                       "_smoke = \"#particlesource\" createVehicleLocal getPos tank1;",
                       paramsLine(smoke),
                       "_smoke attachTo [tank1, [0, 0, 2]];"};
    QTest::newRow("two layers at a position")
        << "[10, 20, 0]" << QList<Layer>{fire, smoke}
        << QStringList{"_fire = \"#particlesource\" createVehicleLocal [10,20,0];",
                       paramsLine(fire),
                       "_fire setDropInterval 0.02;",
                       "_fire setPos ([10,20,0] vectorAdd [0, 0, 0]);",
                       "_smoke = \"#particlesource\" createVehicleLocal [10,20,0];",
                       paramsLine(smoke),
                       "_smoke setPos ([10,20,0] vectorAdd [0, 0, 2]);"};
    Layer light = lightLayerOf("_light", LightSettings{});
    light.light->intensity = {true, "500"};
    light.offset = {"0", "0", "1.5"};
    QTest::newRow("a light at an object follows it")
        << "_obj" << QList<Layer>{fire, light}
        << QStringList{"_fire = \"#particlesource\" createVehicleLocal getPos _obj;",
                       paramsLine(fire),
                       "_fire setDropInterval 0.02;",
                       "_fire attachTo [_obj, [0, 0, 0]];",
                       "_light = \"#lightpoint\" createVehicleLocal getPos _obj;",
                       "_light setLightIntensity 500;",
                       "_light lightAttachObject [_obj, [0, 0, 1.5]];"};
    light.light->flicker = {LightFlicker::Intensity, "400", "600", "0.1", "0.1"};
    QTest::newRow("a light at a position is placed there, its flicker last")
        << "[10, 20, 0]" << QList<Layer>{light, fire}
        << QStringList{"_light = \"#lightpoint\" createVehicleLocal [10,20,0];",
                       "_light setLightIntensity 500;",
                       "_light setPos ([10,20,0] vectorAdd [0, 0, 1.5]);",
                       QString("[_light] spawn { params [\"_l\"]; while {!isNull _l} do { _l setLightIntensity ")
                           + "(400 + random 200); sleep 0.1; }; };",
                       "_fire = \"#particlesource\" createVehicleLocal [10,20,0];",
                       paramsLine(fire),
                       "_fire setDropInterval 0.02;",
                       "_fire setPos ([10,20,0] vectorAdd [0, 0, 0]);"};
    QTest::newRow("two layers without an object: at _pos")
        << "objNull" << QList<Layer>{fire, smoke}
        << QStringList{"_fire = \"#particlesource\" createVehicleLocal _pos;",
                       paramsLine(fire),
                       "_fire setDropInterval 0.02;",
                       "_fire setPos (_pos vectorAdd [0, 0, 0]);",
                       "_smoke = \"#particlesource\" createVehicleLocal _pos;",
                       paramsLine(smoke),
                       "_smoke setPos (_pos vectorAdd [0, 0, 2]);"};
}

void TestEmitterScript::lightCommands_data()
{
    QTest::addColumn<LightSettings>("light");
    QTest::addColumn<QStringList>("expected");
    using F = LightFlicker;
    QTest::newRow("a new light writes every value")
        << newLight()
        << QStringList{"_light setLightColor [1, 0.45, 0.15];", "_light setLightAmbient [0.15, 0.05, 0];",
                       "_light setLightIntensity 2500;",        "_light setLightAttenuation [0, 0, 0, 2, 30, 40];",
                       "_light setLightDayLight false;",        "_light setLightUseFlare false;",
                       "_light setLightFlareSize 1;",           "_light setLightFlareMaxDistance 300;"};
    QTest::newRow("nothing set, nothing written") << LightSettings{} << QStringList{};
    LightSettings both;
    both.intensity = {true, "3000"};
    both.brightness = {true, "0.8"};
    QTest::newRow("intensity before brightness")
        << both << QStringList{"_light setLightIntensity 3000;", "_light setLightBrightness 0.8;"};
    both.brightnessFirst = true;
    QTest::newRow("brightness first where it came first")
        << both << QStringList{"_light setLightBrightness 0.8;", "_light setLightIntensity 3000;"};
    LightSettings kept;
    kept.attenuation = {true, {}, "[2,4, 4, 0]"};
    kept.otherCommands = {"setLightConePars [45, 20, 1]", "setLightIR true"};
    kept.dayLight = {true, "_day"};
    QTest::newRow("attenuation as written, other commands last")
        << kept
        << QStringList{"_light setLightAttenuation [2,4, 4, 0];", "_light setLightDayLight _day;",
                       "_light setLightConePars [45, 20, 1];", "_light setLightIR true;"};
    const QString loop = "[_light] spawn { params [\"_l\"]; while {!isNull _l} do { _l %1 %2; sleep %3; }; };";
    LightSettings flicker;
    flicker.flicker = {F::Intensity, "2000", "3000", "0.05", "0.15"};
    QTest::newRow("flicker of plain numbers: the spans worked out")
        << flicker << QStringList{loop.arg("setLightIntensity", "(2000 + random 1000)", "(0.05 + random 0.1)")};
    flicker.flicker = {F::Brightness, "0.1", "0.3", "0.1", "0.1"};
    QTest::newRow("brightness flicker of a fixed period, the span to the places written")
        << flicker << QStringList{loop.arg("setLightBrightness", "(0.1 + random 0.2)", "0.1")};
    flicker.flicker = {F::Intensity, "2000", "3000.0", "_p * 2", "_p * 2"};
    QTest::newRow("a high bound the span would not give back, a period of an expression")
        << flicker << QStringList{loop.arg("setLightIntensity", "(2000 + random ((3000.0) - (2000)))", "(_p * 2)")};
    flicker.flicker = {F::Intensity, "_a max 5", "_b", "random 0.1", "random 0.1"};
    QTest::newRow("bounds of expressions; a fixed period of a draw as a range of one value")
        << flicker
        << QStringList{loop.arg("setLightIntensity", "((_a max 5) + random ((_b) - (_a max 5)))",
                                "((random 0.1) + random ((random 0.1) - (random 0.1)))")};
}

void TestEmitterScript::lightCommands()
{
    QFETCH(LightSettings, light);
    QFETCH(QStringList, expected);
    const Layer layer = lightLayerOf("_light", light);
    QCOMPARE(lightCommandLines(layer), expected);
    QCOMPARE(layerCommandLines(layer, "_color"), expected);
    // Each reads back beside a source into the same light.
    Layer fire = layerNamed("_fire", "cl_fire", "0.02");
    const QString script = (layerCommandLines(fire, "_color")
                            + QStringList{"_light = \"#lightpoint\" createVehicleLocal _pos;"} + expected)
                               .join('\n');
    const import::EffectOutcome read = import::parseEffectScript(script, false, {});
    QVERIFY2(read.layers && read.layers->size() == 2, qPrintable(read.problem));
    QVERIFY(read.layers->at(1) == layer);
}

void TestEmitterScript::effectCommands()
{
    QFETCH(QString, objectText);
    QFETCH(QList<Layer>, layers);
    QFETCH(QStringList, expected);
    EmitterSettings settings;
    settings.objectText = objectText;
    const QStringList lines = effectCommandLines(layers, settings);
    if (lines != expected) {
        qDebug().noquote() << "written:\n" + lines.join('\n') + "\nexpected:\n" + expected.join('\n');
        QFAIL("the commands differ");
    }
}

void TestEmitterScript::intervalZeroRefused()
{
    EmitterSettings settings = settingsFor(fields({{1, "cl_basic"}, {5, "1"}}), false, 0, 0);
    const std::optional<QString> refusal = emitterScriptRefusal(settings);
    QVERIFY(refusal);
    QVERIFY2(refusal->startsWith("The interval is 0"), qPrintable(*refusal));
    QCOMPARE(emitterScriptLines(settings, ScriptFormat::Sqf, "x.sqf"), QStringList());
    settings.interval = -1;
    QVERIFY(emitterScriptRefusal(settings));
    settings.interval = 0.0001;
    QCOMPARE(emitterScriptRefusal(settings), std::nullopt);
    QVERIFY(!emitterScriptLines(settings, ScriptFormat::Sqs, "x.sqs").isEmpty());
}

void TestEmitterScript::linesEndInCrLf()
{
    const platform::ScriptBytes script = platform::encodeScriptLines({"; a", "", "#loop"});
    QVERIFY(!script.unencodable);
    QCOMPARE(script.bytes, QByteArray("; a\r\n\r\n#loop\r\n"));
}

void TestEmitterScript::characterTheCodePageCannotHoldStopsTheWrite()
{
    // A lone surrogate is held by no code page.
    const QString lone = QString(QChar(0xd800));
    const platform::ScriptBytes script = platform::encodeScriptLines({"; fine", "Drop [\"a" + lone + "\"]"});
    QCOMPARE(script.unencodable, std::optional<QString>(lone));
    QVERIFY(script.bytes.isEmpty());
}

void TestEmitterScript::failedWriteKeepsTheOldFile()
{
    // A folder that holds a file, where the script should go: the write cannot replace it.
    QTemporaryDir directory;
    const QString path = directory.filePath("smoke.sqs");
    QVERIFY(QDir(directory.path()).mkdir("smoke.sqs"));
    QFile inside(path + "/kept");
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.write("old");
    inside.close();
    QString reason;
    QVERIFY(!platform::writeFileWhole(path, "new", &reason));
    QVERIFY(!reason.isEmpty());
    QVERIFY(inside.open(QIODevice::ReadOnly));
    QCOMPARE(inside.readAll(), QByteArray("old"));
    // Nothing half written is left beside it.
    QCOMPARE(QDir(directory.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"smoke.sqs"});
}

void TestEmitterScript::writeIntoAFolderThatIsAFileFails()
{
    QTemporaryDir directory;
    QFile blocker(directory.filePath("notafolder"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.write("kept");
    blocker.close();
    QString reason;
    QVERIFY(!platform::writeFileWhole(directory.filePath("notafolder/smoke.sqs"), "new", &reason));
    QVERIFY(!reason.isEmpty());
    QVERIFY(blocker.open(QIODevice::ReadOnly));
    QCOMPARE(blocker.readAll(), QByteArray("kept"));
    QCOMPARE(QDir(directory.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"notafolder"});
}

void TestEmitterScript::writeFailingHalfwayKeepsTheOldFile()
{
#ifdef Q_OS_LINUX
    // A file size limit makes the write fail halfway, also for root.
    QTemporaryDir directory;
    const QString path = directory.filePath("smoke.sqs");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old line\r\n");
    old.close();
    QString reason;
    bool written = true;
    {
        const FileSizeLimit limit(64);
        QVERIFY(limit.isSet());
        written = platform::writeFileWhole(path, QByteArray(500, 'x'), &reason);
    }
    QVERIFY(!written);
    QVERIFY(!reason.isEmpty());
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old line\r\n"));
    QCOMPARE(QDir(directory.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"smoke.sqs"});
#else
    QSKIP("needs a file size limit");
#endif
}

QTEST_APPLESS_MAIN(TestEmitterScript)
#include "tst_emitterscript.moc"
