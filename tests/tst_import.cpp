#include "configsummary.h"
#include "drop/dropstring.h"
#include "effect/effectlibrary.h"
#include "export/configeffect.h"
#include "export/sourcescript.h"
#include "import/classimport.h"
#include "import/configeffect.h"
#include "import/effectscript.h"
#include "import/importparser.h"
#include "import/lightreader.h"
#include "import/sourceblock.h"
#include "import/xstrings.h"
#include "roundtripfields.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

const QString kExample = QStringLiteral(
    R"(drop ["shape1", "", "Billboard", 1, 5, [0, 0, 0.5], [0, 0, 1], 0, 1.275, 1, 0, [0.5, 2, 4], [[1, 1, 1, 1], [0.5, 0.5, 0.5, 0]], [0, 1, 2], 0.1, 0.05, "", "", obj1])");
const QString kExampleCleaned = QStringLiteral(
    R"(["shape1","","Billboard",1,5,[0,0,0.5],[0,0,1],0,1.275,1,0,[0.5,2,4],[[1,1,1,1],[0.5,0.5,0.5,0]],[0,1,2],0.1,0.05,"","",obj1])");
const QString kExampleColours = QStringLiteral("[1,1,1,1],[0.5,0.5,0.5,0]");
const QString kExampleWithVariable = QStringLiteral(
    R"(drop ["shape1", "", "Billboard", 1, 5, [0, 0, 0.5], [0, 0, 1], 0, 1.275, 1, 0, [0.5, 2, 4], [mycolors], [0, 1, 2], 0.1, 0.05, "", "", obj1])");

QStringList exampleFields(const QString &colour)
{
    return {"shape1", "",    "Billboard", "1", "5",    "0", "0", "0.5", "0",   "0",    "1", "0", "1.275", "1",
            "0",      "0.5", "2",         "4", colour, "0", "1", "2",   "0.1", "0.05", "",  "",  "obj1"};
}

// The repetition as a user of ReplaceAll understands it: replace the first occurrence, search
// again from the start, until there is none.
QString replaceFirstUntilNone(QString text, const QString &search, const QString &replacement)
{
    for (qsizetype at = text.indexOf(search); at >= 0; at = text.indexOf(search))
        text.replace(at, search.size(), replacement);
    return text;
}

QString randomText(QRandomGenerator &random, const QString &alphabet, int maxLength)
{
    QString text;
    const int length = random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i)
        text += alphabet.at(random.bounded(int(alphabet.size())));
    return text;
}

// A colour list as the chooser writes it: bracketed arrays joined by commas, no bracket inside.
QString randomColourList(QRandomGenerator &random, const QString &alphabet)
{
    QStringList arrays;
    const int count = random.bounded(1, 4);
    for (int i = 0; i < count; ++i) {
        QStringList values;
        const int valueCount = random.bounded(0, 5);
        for (int v = 0; v < valueCount; ++v)
            values << randomText(random, alphabet, 4);
        arrays << "[" + values.join(",") + "]";
    }
    return arrays.join(",");
}

// What an imported class gives, by key: "1" .. "27" the fields, "class" its name and base,
// "interval", "circle" and "random" the source's commands ("-" when unset), "notes" the notes.
QString classPart(const import::ClassOutcome &outcome, const QString &key)
{
    if (!outcome.imported)
        return "refused: " + outcome.problem;
    const import::ImportedClass &imported = *outcome.imported;
    const effect::SourceSettings &source = imported.settings;
    bool number = false;
    const int field = key.toInt(&number);
    if (number)
        return imported.fields.value(field - 1);
    if (key == "class")
        return imported.configClass.name + ':' + imported.configClass.base;
    if (key == "interval")
        return source.interval.set ? source.interval.text : "-";
    if (key == "circle")
        return source.circle.set ? QStringList(source.circle.texts.begin(), source.circle.texts.end()).join(',') : "-";
    if (key == "random")
        return source.random.set ? QString::number(source.random.elements) + ':'
                                       + QStringList(source.random.texts.begin(), source.random.texts.end()).join(',')
                                 : "-";
    return imported.notes.join(" / ");
}

QString layerSummary(const effect::Layer &layer)
{
    const QString kind = layer.classOnly ? "external" : layer.isLight() ? "light" : "particles";
    QString text = layer.name() + ' ' + kind + " at " + QStringList(layer.offset.begin(), layer.offset.end()).join(',');
    if (!layer.end.isEmpty())
        text += " to " + layer.end;
    if (layer.muted)
        text += " muted";
    return text;
}

QString effectPart(const import::ConfigEffectOutcome &outcome, const QString &key)
{
    if (!outcome.isEffect)
        return "no effect";
    if (!outcome.layers)
        return "refused: " + outcome.problem;
    const QList<effect::Layer> &layers = *outcome.layers;
    if (key == "layers") {
        QStringList summaries;
        for (const effect::Layer &layer : layers)
            summaries << layerSummary(layer);
        return summaries.join(" | ");
    }
    if (key == "root") {
        QStringList kept;
        for (const effect::KeptConfigClass &k : outcome.root.kept)
            kept << k.wrapper + '/' + k.node.name;
        return outcome.root.name + ':' + outcome.root.base + " fields " + QString::number(outcome.root.entries.size())
               + " kept " + kept.join(',');
    }
    // "light N": the light of layer N; "N:k": text k of layer N's fields; "class N": its class.
    const QStringList parts = key.split(' ');
    if (parts.front() == "light") {
        const effect::LightSettings &light = *layers.at(parts.at(1).toInt() - 1).light;
        const auto set = [](const effect::LightValue &v) { return v.set ? v.text : QStringLiteral("-"); };
        return QStringList(light.colour.texts.begin(), light.colour.texts.end()).join(',') + " / "
               + (light.ambient.set ? QStringList(light.ambient.texts.begin(), light.ambient.texts.end()).join(',')
                                    : "-")
               + " / " + set(light.intensity) + " / " + set(light.brightness) + " / "
               + (light.attenuation.set
                      ? QStringList(light.attenuation.texts.begin(), light.attenuation.texts.end()).join(',')
                      : "-")
               + " / " + set(light.dayLight) + ',' + set(light.useFlare) + ',' + set(light.flareSize) + ','
               + set(light.flareMaxDistance);
    }
    if (parts.front() == "class") {
        const effect::Layer &layer = layers.at(parts.at(1).toInt() - 1);
        return layer.fields.configClass.name + ':' + layer.fields.configClass.base + ' '
               + layer.fields.source.otherCommands.join(';');
    }
    if (parts.front().contains(':')) {
        const QStringList at = parts.front().split(':');
        return layers.at(at.at(0).toInt() - 1).fields.texts.value(at.at(1).toInt() - 1);
    }
    if (key == "last note")
        return outcome.notes.value(outcome.notes.size() - 1);
    return outcome.notes.join(" / ");
}

// The effect of a pasted config copied back by Copy Config Effect.
QString copiedBack(const import::ConfigEffectOutcome &outcome)
{
    return exporter::configEffectLines(*outcome.layers, outcome.root, "Pasted").join('\n');
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT
private slots:
    void replaceAll_data();
    void replaceAll();
    void replaceAllMatchesTheRepetition();

    void inlineExampleFillsAllFields();
    void separateExampleTakesColoursAndName();
    void keywordRemovedOnlyAtTheFront_data();
    void keywordRemovedOnlyAtTheFront();
    void failuresYieldNothing_data();
    void failuresYieldNothing();
    void failureReasonsName_data();
    void failureReasonsName();
    void laterParametersStayWithTheObject();
    void forms_data();
    void forms();
    void realStyleArrays_data();
    void realStyleArrays();
    void colourList_data();
    void colourList();
    void separateWithoutColoursLeavesColourEmpty();
    void separateColourVariableReadsBack_data();
    void separateColourVariableReadsBack();
    void scriptArrays_data();
    void scriptArrays();
    void lineBreaksBecomeBlanks();
    void megabyteOfBlanksImports();
    void roundTrip_data();
    void roundTrip();
    void blankFreeArraysReadAsBefore();
    void sourceBlocks_data();
    void sourceBlocks();
    void builtInsSurviveCopySource_data();
    void builtInsSurviveCopySource();
    void pastedLayers_data();
    void pastedLayers();
    void effectScripts_data();
    void effectScripts();
    void effectRefusalsNameTheLayer_data();
    void effectRefusalsNameTheLayer();
    void lightScripts_data();
    void lightScripts();
    void randomRanges_data();
    void randomRanges();
    void builtInsSurviveCopyEffectAndScript_data();
    void builtInsSurviveCopyEffectAndScript();
    void layeredBuiltInsSurviveCopyEffectAndScript_data();
    void layeredBuiltInsSurviveCopyEffectAndScript();
    void blockRefusals_data();
    void blockRefusals();
    void configClasses_data();
    void configEffects_data();
    void configEffects();
    void configEffectsCopiedBackUnedited_data();
    void configEffectsCopiedBackUnedited();
    void configEffectEditsAreWrittenAnew_data();
    void configEffectEditsAreWrittenAnew();
    void complexEffectCopiedAsAScript();
    void builtInsSurviveCopyConfigEffect_data();
    void builtInsSurviveCopyConfigEffect();
    void configClasses();
};

void TestImport::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blanks removed") << " a  b c "
                                    << " "
                                    << ""
                                    << "abc";
    QTest::newRow("tabs stay") << "a\t b"
                               << " "
                               << ""
                               << "a\tb";
    QTest::newRow("nothing to find") << "abc"
                                     << " "
                                     << ""
                                     << "abc";
    QTest::newRow("empty text") << ""
                                << " "
                                << ""
                                << "";
    QTest::newRow("only blanks") << "     "
                                 << " "
                                 << ""
                                 << "";
    QTest::newRow("letter case counts") << "aAaA"
                                        << "a"
                                        << ""
                                        << "AA";
    QTest::newRow("removal joins a new occurrence") << "aabb"
                                                    << "ab"
                                                    << ""
                                                    << "";
    QTest::newRow("nested removals") << "xaaabbby"
                                     << "ab"
                                     << ""
                                     << "xy";
    QTest::newRow("shorter replacement joins") << "aaabbb"
                                               << "ab"
                                               << "a"
                                               << "aaa";
    QTest::newRow("longer replacement") << "a-b-c"
                                        << "-"
                                        << "--"
                                        << "a--b--c";
    QTest::newRow("empty search") << "abc"
                                  << ""
                                  << "x"
                                  << "abc";
    QTest::newRow("search longer than text") << "ab"
                                             << "abc"
                                             << ""
                                             << "ab";
    // Repeating would never end here: each occurrence of the text is replaced once.
    QTest::newRow("replacement holds the search") << "a b"
                                                  << " "
                                                  << "  "
                                                  << "a  b";
    QTest::newRow("replacement equals the search") << "aa"
                                                   << "a"
                                                   << "a"
                                                   << "aa";
    QTest::newRow("longer, joining") << "aab"
                                     << "ab"
                                     << "bba"
                                     << "abba";
}

void TestImport::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    QCOMPARE(XStrings::ReplaceAll(text, search, replacement), expected);
}

void TestImport::replaceAllMatchesTheRepetition()
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 5000; ++round) {
        const QString text = randomText(random, "abc", 24);
        QString search = randomText(random, "abc", 4);
        if (search.isEmpty())
            search = "a";
        const QString replacement = randomText(random, "abc", int(search.size()) - 1);
        if (replacement.contains(search))
            continue;
        QCOMPARE(XStrings::ReplaceAll(text, search, replacement), replaceFirstUntilNone(text, search, replacement));
    }
}

void TestImport::inlineExampleFillsAllFields()
{
    const import::ParseOutcome outcome = import::parseDropArray(kExample, false, "ignored");
    QCOMPARE(outcome.cleanedText, kExampleCleaned);
    QVERIFY(outcome.array);
    QVERIFY(!outcome.failure);
    QCOMPARE(outcome.array->fields, exampleFields(kExampleColours));
    QVERIFY(!outcome.array->colorVarName);
    QCOMPARE(outcome.array->tokens, exampleFields(kExampleColours));
}

void TestImport::separateExampleTakesColoursAndName()
{
    const QString typedColours = "[1, 1, 1, 1], [0.5,0.5,0.5,0]";
    const import::ParseOutcome outcome = import::parseDropArray(kExampleWithVariable, true, typedColours);
    QVERIFY(outcome.array);
    QCOMPARE(outcome.array->fields, exampleFields(typedColours));
    QCOMPARE(outcome.array->colorVarName, std::optional<QString>("mycolors"));
    QCOMPARE(outcome.array->tokens.at(18), "mycolors");
    QCOMPARE(outcome.array->tokens.size(), 27);
}

void TestImport::keywordRemovedOnlyAtTheFront_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("cleanedPrefix");
    QTest::addColumn<bool>("imports");
    QTest::newRow("Drop") << "Drop "
                          << "" << true;
    QTest::newRow("drop") << "drop"
                          << "" << true;
    QTest::newRow("DROP") << "DROP "
                          << "" << true;
    QTest::newRow("blanks around") << "   dRoP   "
                                   << "" << true;
    QTest::newRow("tabs and a line break around") << "\tdrop\r\n\t"
                                                  << "" << true;
    QTest::newRow("no keyword") << ""
                                << "" << true;
    // Anything but the keyword before the array is not a drop array.
    QTest::newRow("after something else") << "x drop "
                                          << "x drop" << false;
    QTest::newRow("twice") << "drop drop "
                           << "drop" << false;
    QTest::newRow("truncated keyword") << "dro "
                                       << "dro" << false;
}

void TestImport::keywordRemovedOnlyAtTheFront()
{
    QFETCH(QString, prefix);
    QFETCH(QString, cleanedPrefix);
    QFETCH(bool, imports);
    const QString array = kExample.mid(5);
    const import::ParseOutcome outcome = import::parseDropArray(prefix + array, false, {});
    QCOMPARE(outcome.cleanedText, cleanedPrefix + kExampleCleaned);
    QCOMPARE(bool(outcome.array), imports);
    if (imports)
        QCOMPARE(outcome.array->fields, exampleFields(kExampleColours));
    else
        QCOMPARE(outcome.failure->kind, import::ImportFailure::Kind::NotAnArray);
}

void TestImport::failuresYieldNothing_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QString>("cleaned");
    QTest::addColumn<QString>("reason");
    const QString ok = kExampleCleaned;
    const QString variable = QString(kExampleWithVariable).mid(4).remove(' ');
    const auto changed = [&ok](const QString &from, const QString &to) { return QString(ok).replace(from, to); };
    const auto row = [](const char *name, const QString &text, bool separate, const QString &reason) {
        QTest::newRow(name) << text << separate << text << reason;
    };

    QTest::newRow("empty") << "" << false << ""
                           << "There is no drop array to import";
    QTest::newRow("empty, box set") << "" << true << ""
                                    << "There is no drop array to import";
    QTest::newRow("only blanks, box set") << "  \t  " << true << ""
                                          << "There is no drop array to import";
    QTest::newRow("keyword only") << "drop" << true << ""
                                  << "There is no drop array to import";
    row("]] long before [[", "]]x" + ok, false, "The drop array does not begin with [");
    row("leading comma", "," + ok, false, "The drop array does not begin with [");
    QTest::newRow("garbage") << "drop]]],,,[[[" << false << "]]],,,[[["
                             << "The drop array does not begin with [";
    const QString unclosedString = changed(R"("","",obj1])", R"("","",obj1,"])");
    row("unclosed string", unclosedString, false,
        QString("The string at character %1 is not closed").arg(unclosedString.lastIndexOf('"') + 1));
    row("object missing, trailing comma", changed("obj1]", ""), false, "The bracket at character 1 is not closed");
    const QString wrongBracket = changed("[0,0,0.5]", "[0,0,0.5)");
    row("wrong closing bracket", wrongBracket, false,
        QString("The bracket at character %1 does not close the one at character %2")
            .arg(wrongBracket.indexOf(')') + 1)
            .arg(wrongBracket.indexOf("[0,0,0.5") + 1));
    row("starts with [[", "[[1,1,1,1]]" + ok, false, "Only a ; may follow the closing ] at character 11");
    row("two semicolons", ok + ";;", false,
        QString("Only a ; may follow the closing ] at character %1").arg(ok.size()));
    row("a second array", ok + ";" + ok, false,
        QString("Only a ; may follow the closing ] at character %1").arg(ok.size()));
    row("parameter missing", changed("0.1,0.05,", "0.1,"), false, "The drop array has 18 values; drop takes 19");
    row("one value", "[1]", false, "The drop array has 1 value; drop takes 19");
    row("no values", "[]", false, "The drop array has no values; drop takes 19");
    row("vector of two", changed("[0,0,0.5]", "[0,0.5]"), false, "Position has 2 values; its fields take 3");
    row("empty Size", changed("[0.5,2,4]", "[]"), false, "Size has no values; its fields take 3");
    row("empty shape name", changed(R"("shape1")", ""), false, "ShapeName is not a string in quotes");
    row("Position of four", changed("[0,0,0.5]", "[0,0,0.5,1]"), false, "Position has 4 values; its fields take 3");
    row("bracketed empty AnimationPhase", changed("[0,1,2]", "[]"), false,
        "AnimationPhase has no values; its fields take 3");
    row("empty colour", changed("[[1,1,1,1],[0.5,0.5,0.5,0]]", ""), false,
        "Color is not a list of colour arrays; for a colour variable check \"Seperate color(s)\"");
    const QString noColourName = "Color is not a colour variable name; for a colour list clear \"Seperate color(s)\"";
    row("box set, colour token empty", QString(variable).replace("[mycolors]", ""), true, noColourName);
    row("box set, colour token a string", QString(variable).replace("[mycolors]", "\"mycolors\""), true, noColourName);
    row("box set, colour token an expression", QString(variable).replace("[mycolors]", "(mycolors)"), true,
        noColourName);
    row("inline list pasted with the box set", ok, true, noColourName);
}

void TestImport::failuresYieldNothing()
{
    QFETCH(QString, pasted);
    QFETCH(bool, separate);
    QFETCH(QString, cleaned);
    QFETCH(QString, reason);
    const import::ParseOutcome outcome = import::parseDropArray(pasted, separate, "[1,1,1,1]");
    QVERIFY(!outcome.array);
    QCOMPARE(outcome.cleanedText, cleaned);
    QVERIFY(outcome.failure);
    QCOMPARE(import::failureReason(*outcome.failure), reason);
}

void TestImport::failureReasonsName_data()
{
    using Kind = import::ImportFailure::Kind;
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("parameter");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unclosed bracket") << int(Kind::UnclosedBracket) << -1 << 0
                                      << "The bracket at character 7 is not closed";
    QTest::newRow("Size with one value too many")
        << int(Kind::WrongValueCount) << 11 << 4 << "Size has 4 values; its fields take 3";
    QTest::newRow("AnimationPhase empty")
        << int(Kind::WrongValueCount) << 13 << 0 << "AnimationPhase has no values; its fields take 3";
    QTest::newRow("Position of one") << int(Kind::WrongValueCount) << 5 << 1
                                     << "Position has 1 value; its fields take 3";
    QTest::newRow("BeforeDestroy") << int(Kind::NotAString) << 17 << 0 << "BeforeDestroy is not a string in quotes";
}

void TestImport::failureReasonsName()
{
    QFETCH(int, kind);
    QFETCH(int, parameter);
    QFETCH(int, count);
    QFETCH(QString, reason);
    import::ImportFailure failure{import::ImportFailure::Kind(kind), parameter, count, 7};
    QCOMPARE(import::failureReason(failure), reason);
}

void TestImport::laterParametersStayWithTheObject()
{
    // The later games' particle arrays take parameters after the object, here a list.
    const QString pasted = QString(kExample).replace("obj1]", "obj1, [1, \"a,b\"], true]");
    const import::ParseOutcome outcome = import::parseDropArray(pasted, false, {});
    QVERIFY(outcome.array);
    QStringList fields = exampleFields(kExampleColours);
    fields[26] = R"(obj1,[1,"a,b"],true)";
    QCOMPARE(outcome.array->fields, fields);
    // The list shows the object alone, then every later element.
    QCOMPARE(outcome.array->tokens, exampleFields(kExampleColours) << R"([1,"a,b"])"
                                                                   << "true");
}

void TestImport::colourList_data()
{
    QTest::addColumn<QString>("value13");
    QTest::addColumn<QString>("text19");
    QTest::newRow("empty list") << "[[]]"
                                << "[]";
    QTest::newRow("one colour") << "[[1,1,1,1]]"
                                << "[1,1,1,1]";
    QTest::newRow("two colours") << "[[1,1,1,1],[0,0,0,0]]"
                                 << "[1,1,1,1],[0,0,0,0]";
    QTest::newRow("no colours") << "[]"
                                << "";
    QTest::newRow("blanks at the brackets go") << "[ [ 1, 1, 1, 1 ] ,\t[0,0,0,0] ]"
                                               << "[1,1,1,1],[0,0,0,0]";
    QTest::newRow("expressions stay") << "[[random 1, 0.5 * _a, 0, 1]]"
                                      << "[random 1,0.5 * _a,0,1]";
}

void TestImport::colourList()
{
    QFETCH(QString, value13);
    QFETCH(QString, text19);
    const QString pasted = QString(kExampleCleaned).replace("[[1,1,1,1],[0.5,0.5,0.5,0]]", value13);
    const import::ParseOutcome outcome = import::parseDropArray(pasted, false, {});
    QVERIFY(outcome.array);
    QCOMPARE(outcome.array->fields, exampleFields(text19));
    QCOMPARE(outcome.array->tokens.at(18), text19);
}

void TestImport::separateWithoutColoursLeavesColourEmpty()
{
    const import::ParseOutcome outcome = import::parseDropArray(kExampleWithVariable, true, {});
    QVERIFY(outcome.array);
    QCOMPARE(outcome.array->fields.at(18), "");
    QCOMPARE(outcome.array->colorVarName, std::optional<QString>("mycolors"));
}

void TestImport::separateColourVariableReadsBack_data()
{
    QTest::addColumn<QString>("colours"); // Text19, and the dialog's Text2
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value13"); // as the drop string writes it
    QTest::addColumn<QString>("otherForm");
    QTest::newRow("no colours") << ""
                                << "_color"
                                << "_color"
                                << "[_color]";
    QTest::newRow("start text") << "[]"
                                << "_color"
                                << "[_color]"
                                << "_color";
    QTest::newRow("one colour") << "[1,1,1,1]"
                                << "_color"
                                << "[_color]"
                                << "_color";
    QTest::newRow("two colours") << "[1,0,0,1],[0,1,0,0.5]"
                                 << "_color"
                                 << "_color"
                                 << "[_color]";
    QTest::newRow("three colours") << "[1,0,0,1],[0,1,0,0.5],[0,0,1,0]"
                                   << "_color"
                                   << "_color"
                                   << "[_color]";
    QTest::newRow("no colours, renamed") << ""
                                         << "mist"
                                         << "mist"
                                         << "[mist]";
    QTest::newRow("one colour, renamed") << "[0.5,0.5,0.5,1]"
                                         << "mist"
                                         << "[mist]"
                                         << "mist";
    QTest::newRow("three colours with blanks, renamed") << "[1, 0, 0, 1], [0,1,0,0.5] ,[0,0,1,0]"
                                                        << "smoke_2"
                                                        << "smoke_2"
                                                        << "[smoke_2]";
}

// The drop string of the separate mode, read back with its colour list typed into the dialog;
// pasted in the other form of the colour variable it reads the same.
void TestImport::separateColourVariableReadsBack()
{
    QFETCH(QString, colours);
    QFETCH(QString, name);
    QFETCH(QString, value13);
    QFETCH(QString, otherForm);
    const QStringList fields = exampleFields(colours);
    const QString dropString = drop::formatDropString(fields, drop::ColourMode::Separate, name);
    QCOMPARE(dropString, "Drop " + QString(kExampleCleaned).replace("[[1,1,1,1],[0.5,0.5,0.5,0]]", value13));
    for (const QString &pasted :
         {dropString, QString(dropString).replace("," + value13 + ",", "," + otherForm + ",")}) {
        const import::ParseOutcome outcome = import::parseDropArray(pasted, true, colours);
        QVERIFY2(outcome.array, qPrintable(pasted));
        QCOMPARE(outcome.array->fields, fields);
        QCOMPARE(outcome.array->colorVarName, std::optional<QString>(name));
        QCOMPARE(outcome.array->tokens.at(18), name);
    }
}

void TestImport::scriptArrays_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("name");

    QTest::newRow("tab-indented lines, one-value Size, [0] phase, quoted comma")
        << "drop [\r\n"
           "\t\"\\Ca\\Data\\ParticleEffects\\Universal\\Universal\", \"\", \"Billboard\",\r\n"
           "\t1, 3,\r\n"
           "\t[0, 0, 0.5],\r\n"
           "\t[random 0.5 - random 0.7, random 0.5 - random 0.7, 1 + random 2],\r\n"
           "\t0, 1.275, 1, 0.05,\r\n"
           "\t[0.5],\r\n"
           "\t[[0.2, 0.2, 0.2, 0.8], [0.5, 0.5, 0.5, 0]],\r\n"
           "\t[0],\r\n"
           "\t0.1, 0.05,\r\n"
           "\t\"[_this, 2] exec \"\"fx.sqs\"\"\", \"\",\r\n"
           "\t_smoker\r\n"
           "];\r\n"
        << false
        << QStringList{"\\Ca\\Data\\ParticleEffects\\Universal\\Universal",
                       "",
                       "Billboard",
                       "1",
                       "3",
                       "0",
                       "0",
                       "0.5",
                       "random 0.5 - random 0.7",
                       "random 0.5 - random 0.7",
                       "1 + random 2",
                       "0",
                       "1.275",
                       "1",
                       "0.05",
                       "0.5",
                       "0.5",
                       "0.5",
                       "[0.2,0.2,0.2,0.8],[0.5,0.5,0.5,0]",
                       "0",
                       "0",
                       "0",
                       "0.1",
                       "0.05",
                       R"([_this, 2] exec ""fx.sqs"")",
                       "",
                       "_smoker"}
        << "";
    QTest::newRow("own output with blanks inside values")
        << R"(Drop ["my shape","","Billboard",0,0,[0,0,0],[random 1,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"hint "x y"; _this setDamage 1","",])"
        << false << QStringList{"my shape", "",  "Billboard", "0",        "0",
                                "0",        "0", "0",         "random 1", "0",
                                "0",        "0", "0",         "0",        "0",
                                "0",        "0", "0",         "[]",       "0",
                                "0",        "0", "0",         "0",        R"(hint "x y"; _this setDamage 1)",
                                "",         ""}
        << "";
    QTest::newRow("two-value Size and AnimationPhase, colour variable")
        << "DROP [\"cl_basic\", \"\", \"Billboard\", 1, 8, [0, 0, 0], [0, 0, 0.8], 1, 1.25, 1, 0.1,\n"
           "\t\t[0.3, 3], [smokecolors], [0, 1], 0.2, 0.3, \"\", \"\", getPos player]"
        << true << QStringList{"cl_basic",  "",    "Billboard", "1",    "8",   "0",   "0",   "0", "0",
                               "0",         "0.8", "1",         "1.25", "1",   "0.1", "0.3", "",  "3",
                               "[1,1,1,1]", "0",   "",          "1",    "0.2", "0.3", "",    "",  "getPos player"}
        << "smokecolors";
    QTest::newRow("negative two-value Size, single-quoted strings")
        << "['shape', 'it''s', 'Billboard', 1, 1, [0,0,0], [0,0,0], 0, 0, 0, 0, [-1, 0.5], [[]], [0, 0, 0], 0, 0,"
           " 'hint \"x\"', '', obj]"
        << false << QStringList{"shape", "it's", "Billboard", "1",  "1",
                                "0",     "0",    "0",         "0",  "0",
                                "0",     "0",    "0",         "0",  "0",
                                "-1",    "",     "0.5",       "[]", "0",
                                "0",     "0",    "0",         "0",  R"(hint ""x"")",
                                "",      "obj"}
        << "";
    QTest::newRow("doubled quotes stay doubled")
        << R"(["a","","Billboard",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"hint ""x, y""","",])" << false
        << QStringList{"a", "",  "Billboard", "0",  "0",
                       "0", "0", "0",         "0",  "0",
                       "0", "0", "0",         "0",  "0",
                       "0", "0", "0",         "[]", "0",
                       "0", "0", "0",         "0",  R"(hint ""x, y"")",
                       "",  ""}
        << "";
    QTest::newRow("script line with a blank before the semicolon")
        << "drop [\"a\",\"\",\"Billboard\",0,0,[0,0,0],[0,0,0],0,0,0,0,[1,2,3],[[1,1,1,1]],[0,0,0],0,0,\"\",\"\",this] "
           ";"
        << false << QStringList{"a", "",  "Billboard", "0", "0",         "0", "0", "0", "0", "0", "0", "0", "0",   "0",
                                "0", "1", "2",         "3", "[1,1,1,1]", "0", "0", "0", "0", "0", "",  "",  "this"}
        << "";
}

void TestImport::scriptArrays()
{
    QFETCH(QString, pasted);
    QFETCH(bool, separate);
    QFETCH(QStringList, fields);
    QFETCH(QString, name);
    const import::ParseOutcome outcome = import::parseDropArray(pasted, separate, "[1,1,1,1]");
    QVERIFY2(outcome.array, outcome.failure ? qPrintable(import::failureReason(*outcome.failure)) : "");
    QCOMPARE(outcome.array->fields, fields);
    QCOMPARE(outcome.array->colorVarName, separate ? std::optional<QString>(name) : std::nullopt);
}

void TestImport::lineBreaksBecomeBlanks()
{
    // Line breaks next to commas and brackets disappear with the blanks around them, as before.
    QString pasted = kExample;
    pasted.replace(", [[", ",\r\n    [[").replace("obj1]", "obj1\n]").replace(", 5", ",\r5");
    import::ParseOutcome outcome = import::parseDropArray(pasted, false, {});
    QCOMPARE(outcome.cleanedText, kExampleCleaned);
    QVERIFY(outcome.array);
    QCOMPARE(outcome.array->fields, exampleFields(kExampleColours));

    // Inside a value a line break is a blank like any other.
    pasted = QString(kExample).replace("\"shape1\"", "\"sha\r\npe1\"").replace("obj1]", "ob\nj1]");
    outcome = import::parseDropArray(pasted, false, {});
    QVERIFY(outcome.array);
    QCOMPARE(outcome.array->fields.at(0), "sha pe1");
    QCOMPARE(outcome.array->fields.at(26), "ob j1");
}

void TestImport::megabyteOfBlanksImports()
{
    // A repetition that searched from the start after every removal would need minutes here.
    QString pasted = QString(1 << 19, ' ') + kExample + QString(1 << 19, ' ');
    pasted.insert(pasted.indexOf("obj1"), QString(1 << 18, ' '));
    const import::ParseOutcome outcome = import::parseDropArray(pasted, false, {});
    QCOMPARE(outcome.cleanedText, kExampleCleaned);
    QVERIFY(outcome.array);
    QCOMPARE(outcome.array->fields, exampleFields(kExampleColours));
}

namespace {

// The example's fields with the given ones (by number) replaced.
QStringList exampleWith(std::initializer_list<std::pair<int, QString>> changed)
{
    QStringList fields = exampleFields(kExampleColours);
    for (const auto &[number, text] : changed)
        fields[number - 1] = text;
    return fields;
}

// Reads the array, compares the fields, then reads the drop string those fields give: it must
// give the same fields (and the same colour variable) again.
void checkBothWays(const QString &pasted, bool separate, const QStringList &fields, const QString &reason)
{
    const QString separateColours = "[1,1,1,1]";
    const import::ParseOutcome outcome = import::parseDropArray(pasted, separate, separateColours);
    if (!reason.isEmpty()) {
        QVERIFY(!outcome.array);
        QVERIFY(outcome.failure);
        QCOMPARE(import::failureReason(*outcome.failure), reason);
        return;
    }
    QVERIFY2(outcome.array, outcome.failure ? qPrintable(import::failureReason(*outcome.failure)) : "");
    QCOMPARE(outcome.array->fields, fields);
    const QString name = outcome.array->colorVarName.value_or("_color");
    const QString dropString =
        drop::formatDropString(fields, separate ? drop::ColourMode::Separate : drop::ColourMode::Inline, name);
    const import::ParseOutcome again = import::parseDropArray(dropString, separate, fields.at(18));
    QVERIFY2(again.array, qPrintable(dropString));
    QCOMPARE(again.array->fields, fields);
    QCOMPARE(again.array->colorVarName, outcome.array->colorVarName);
}

} // namespace

void TestImport::forms_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("reason");
    const auto changed = [](const QString &from, const QString &to) {
        QString text = kExampleCleaned;
        Q_ASSERT(text.contains(from));
        return text.replace(from, to);
    };
    const QString position = "[0,0,0.5]";
    const QString velocity = "[0,0,1]";
    const QString size = "[0.5,2,4]";
    const QString colours = "[[1,1,1,1],[0.5,0.5,0.5,0]]";
    const QString phase = "[0,1,2]";
    const auto fails = [](const char *name, const QString &pasted, bool separate, const QString &reason) {
        QTest::newRow(name) << pasted << separate << QStringList() << reason;
    };

    QTest::newRow("the example") << kExample << false << exampleFields(kExampleColours) << "";
    QTest::newRow("Position as a command")
        << changed(position, "getPos _bullet") << false << exampleWith({{6, "getPos _bullet"}, {7, ""}, {8, ""}}) << "";
    QTest::newRow("Position as a variable")
        << changed(position, "_posb") << false << exampleWith({{6, "_posb"}, {7, ""}, {8, ""}}) << "";
    QTest::newRow("Position in parentheses") << changed(position, "(getPosATL _missile)") << false
                                             << exampleWith({{6, "(getPosATL _missile)"}, {7, ""}, {8, ""}}) << "";
    QTest::newRow("MoveVelocity as a vector sum")
        << changed(velocity, "_offset vectorAdd _jitter") << false
        << exampleWith({{9, "_offset vectorAdd _jitter"}, {10, ""}, {11, ""}}) << "";
    QTest::newRow("MoveVelocity in parentheses with commas")
        << changed(velocity, "(0,0,1)") << false << exampleWith({{9, "(0,0,1)"}, {10, ""}, {11, ""}}) << "";
    QTest::newRow("Size as a select") << changed(size, "(_e select 3)") << false
                                      << exampleWith({{16, "(_e select 3)"}, {17, ""}, {18, ""}}) << "";
    QTest::newRow("AnimationPhase as a variable")
        << changed(phase, "_phase") << false << exampleWith({{20, "_phase"}, {21, ""}, {22, ""}}) << "";
    QTest::newRow("Size of one") << changed(size, "[0.5]") << false
                                 << exampleWith({{16, "0.5"}, {17, "0.5"}, {18, "0.5"}}) << "";
    QTest::newRow("Size of two numbers") << changed(size, "[0.3,3]") << false
                                         << exampleWith({{16, "0.3"}, {17, ""}, {18, "3"}}) << "";
    QTest::newRow("AnimationPhase of two expressions")
        << changed(phase, "[0,random 2]") << false << exampleWith({{20, "0"}, {21, ""}, {22, "random 2"}}) << "";
    QTest::newRow("Size of four") << changed(size, "[0.5,1.5,2.5,4]") << false
                                  << exampleWith({{16, "0.5"}, {17, "1.5,2.5"}, {18, "4"}}) << "";
    QTest::newRow("Size of five, an empty one among them")
        << changed(size, "[1,,2,3,_s]") << false << exampleWith({{16, "1"}, {17, ",2,3"}, {18, "_s"}}) << "";
    QTest::newRow("AnimationPhase of seventeen")
        << changed(phase, "[0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16]") << false
        << exampleWith({{20, "0"}, {21, "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15"}, {22, "16"}}) << "";
    QTest::newRow("shape array")
        << changed(R"("shape1")", R"(["\A3\data_f\ParticleEffects\Universal\Universal", 16, 12, 8, 0])") << false
        << exampleWith({{1, R"(["\A3\data_f\ParticleEffects\Universal\Universal",16,12,8,0])"}}) << "";
    QTest::newRow("shape name as a variable")
        << changed(R"("shape1")", "shape1") << false << exampleWith({{1, "(shape1)"}}) << "";
    QTest::newRow("OnTimer as a string sum") << changed(R"("","",obj1])", R"(_pathS + "exhaust2.sqs","",obj1])")
                                             << false << exampleWith({{25, R"((_pathS + "exhaust2.sqs"))"}}) << "";
    QTest::newRow("OnTimer as a format") << changed(R"("","",obj1])", R"(format["%1",2],"",obj1])") << false
                                         << exampleWith({{25, R"((format["%1",2]))"}}) << "";
    QTest::newRow("BeforeDestroy in parentheses already")
        << changed(R"("","",obj1])", R"("",('a' + 'b'),obj1])") << false << exampleWith({{26, "('a' + 'b')"}}) << "";
    // Written back without quotes these would be expressions: the quotes stay, in parentheses.
    QTest::newRow("string wholly in parentheses") << changed(R"("","",obj1])", R"x("(hint 'a')","",obj1])x") << false
                                                  << exampleWith({{25, R"x(("(hint 'a')"))x"}}) << "";
    QTest::newRow("shape name string beginning with a bracket")
        << changed(R"("shape1")", R"('[shape')") << false << exampleWith({{1, R"x(("[shape"))x"}}) << "";
    QTest::newRow("colour variable, box clear")
        << changed(colours, "_color") << false << exampleWith({{19, "(_color)"}}) << "";
    QTest::newRow("colour select, box clear")
        << changed(colours, "(_e select 4)") << false << exampleWith({{19, "(_e select 4)"}}) << "";
    QTest::newRow("colour function, box clear") << changed(colours, "[_rgb,0.8,_life] call _fnc_colors") << false
                                                << exampleWith({{19, "([_rgb,0.8,_life]call _fnc_colors)"}}) << "";
    QTest::newRow("bracketed colour variable, box clear")
        << changed(colours, "[_colour]") << false << exampleWith({{19, "_colour"}}) << "";
    QTest::newRow("variable and colour, box clear")
        << changed(colours, "[_c1,[1,1,1,0]]") << false << exampleWith({{19, "_c1,[1,1,1,0]"}}) << "";
    // A blank keeps it a list of one colour: without it the drop string would write the colour alone.
    QTest::newRow("one parenthesised colour, box clear")
        << changed(colours, "[(_c)]") << false << exampleWith({{19, " (_c)"}}) << "";
    QTest::newRow("later parameters") << changed("obj1]", "obj1,0,true,0,[[0,0,0,0]]]") << false
                                      << exampleWith({{27, "obj1,0,true,0,[[0,0,0,0]]"}}) << "";
    QTest::newRow("later parameters, no object") << changed("obj1]", ",0]") << false << exampleWith({{27, ",0"}}) << "";
    QTest::newRow("line comment") << QString(kExample).replace("obj1]", "// the object, later\nobj1]") << false
                                  << exampleFields(kExampleColours) << "";
    QTest::newRow("block comment over lines")
        << QString(kExample).replace("[0, 0, 1],", "[0, /* up,\r\n fast */ 0, 1],") << false
        << exampleFields(kExampleColours) << "";
    QTest::newRow("comment marks in strings stay")
        << changed(R"("shape1")", R"("a//b /* c */")") << false << exampleWith({{1, "a//b /* c */"}}) << "";
    QTest::newRow("drop[ without a blank")
        << "drop" + kExampleCleaned + ";" << false << exampleFields(kExampleColours) << "";
    QTest::newRow("setParticleParams") << "_ps setParticleParams " + kExampleCleaned << false
                                       << exampleFields(kExampleColours) << "";
    QTest::newRow("SETPARTICLEPARAMS after a command") << "(_this select 0) SETPARTICLEPARAMS" + kExampleCleaned + " ;"
                                                       << false << exampleFields(kExampleColours) << "";
    QTest::newRow("separate colours, whole-value Position")
        << QString(kExampleWithVariable).replace("[0, 0, 0.5]", "_pos") << true
        << exampleWith({{6, "_pos"}, {7, ""}, {8, ""}, {19, "[1,1,1,1]"}}) << "";
    QTest::newRow("separate colours, bare colour variable")
        << QString(kExampleWithVariable).replace("[mycolors]", "mycolors") << true << exampleWith({{19, "[1,1,1,1]"}})
        << "";

    // What still fails, with its reason.
    fails("empty", "", false, "There is no drop array to import");
    fails("not an array", "x drop " + kExampleCleaned, false, "The drop array does not begin with [");
    fails("keyword in a string", R"(_ps = "setParticleParams"; )" + kExampleCleaned, false,
          "The drop array does not begin with [");
    const QString unclosed = changed("obj1]", "obj1,\"]");
    fails("unclosed string", unclosed, false,
          QString("The string at character %1 is not closed").arg(unclosed.lastIndexOf('"') + 1));
    fails("unclosed bracket", changed("obj1]", "obj1"), false, "The bracket at character 1 is not closed");
    fails("unclosed block comment", changed("obj1]", "obj1/*]"), false, "The bracket at character 1 is not closed");
    fails("stray bracket", "]" + kExampleCleaned, false, "The drop array does not begin with [");
    fails("wrong bracket", changed(position, "[0,0,0.5)"), false,
          "The bracket at character 38 does not close the one at character 30");
    fails("text after the array", kExampleCleaned + ";x", false,
          QString("Only a ; may follow the closing ] at character %1").arg(kExampleCleaned.size()));
    fails("too few values", changed(",0.1,0.05,", ",0.1,"), false, "The drop array has 18 values; drop takes 19");
    fails("empty string parameter", changed(R"("Billboard")", ""), false, "Type is not a string in quotes");
    fails("Position of two", changed(position, "[0,0.5]"), false, "Position has 2 values; its fields take 3");
    fails("MoveVelocity of four", changed(velocity, "[0,0,1,1]"), false,
          "MoveVelocity has 4 values; its fields take 3");
    fails("Size with no values", changed(size, "[]"), false, "Size has no values; its fields take 3");
    fails("empty colour list element", changed(colours, ""), false,
          "Color is not a list of colour arrays; for a colour variable check \"Seperate color(s)\"");
    fails("box set, colour list in the array", kExample, true,
          "Color is not a colour variable name; for a colour list clear \"Seperate color(s)\"");
}

void TestImport::forms()
{
    QFETCH(QString, pasted);
    QFETCH(bool, separate);
    QFETCH(QStringList, fields);
    QFETCH(QString, reason);
    checkBothWays(pasted, separate, fields, reason);
}

void TestImport::realStyleArrays_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("particle source, 24 elements")
        << "_ps setParticleParams [\n"
           "\t// sheet 16 x 8, frame 12, the cloud\n"
           "\t[\"\\A3\\data_f\\ParticleEffects\\Universal\\Universal\",\n"
           "\t\t16, 12, 8, 0],\n"
           "\t\"\", \"Billboard\",\n"
           "\t1, /* life, s */ 12.5,\n"
           "\t[0, 0, -0],\n"
           "\t[_flow#0, _flow#1, .005],\n"
           "\trad -45, 1.275, 1, 0.05,\n"
           "\t[.5, 2.5, 4, 6.5],\n"
           "\t[[0.1, 0.1, 0.1, 0.8], [0.3, 0.3, 0.3, 0.4], [0.5, 0.5, 0.5, 0]],\n"
           "\t[0.08],\n"
           "\t0.1, 0.05, \"\", \"\",\n"
           "\t_this, 0, true, 0.1, [[0,0,0,0]], [0, 1, 0]\n"
           "];\n"
        << false
        << QStringList{R"(["\A3\data_f\ParticleEffects\Universal\Universal",16,12,8,0])",
                       "",
                       "Billboard",
                       "1",
                       "12.5",
                       "0",
                       "0",
                       "-0",
                       "_flow#0",
                       "_flow#1",
                       ".005",
                       "rad -45",
                       "1.275",
                       "1",
                       "0.05",
                       ".5",
                       "2.5,4",
                       "6.5",
                       "[0.1,0.1,0.1,0.8],[0.3,0.3,0.3,0.4],[0.5,0.5,0.5,0]",
                       "0.08",
                       "0.08",
                       "0.08",
                       "0.1",
                       "0.05",
                       "",
                       "",
                       "_this,0,true,0.1,[[0,0,0,0]],[0,1,0]"};
    QTest::newRow("bullet trail, line comments, script sum")
        << "drop[\"cl_basic\", \"\", \"Billboard\", 1, 3 + random 2, // life\r\n"
           "\tgetPos _bullet,\r\n"
           "\t[(velocity _v select 0) * 0.1, 0, 0.5], // drift\r\n"
           "\t0, 1.7, 1.3, 0.05, [1, 6], [[0.6, 0.6, 0.6, 0.5], [0.8, 0.8, 0.8, 0]], [0, 1],\r\n"
           "\t0, 0, \"\", _pathS + \"burst.sqs\", _v];\r\n"
        << false
        << QStringList{"cl_basic",
                       "",
                       "Billboard",
                       "1",
                       "3 + random 2",
                       "getPos _bullet",
                       "",
                       "",
                       "(velocity _v select 0) * 0.1",
                       "0",
                       "0.5",
                       "0",
                       "1.7",
                       "1.3",
                       "0.05",
                       "1",
                       "",
                       "6",
                       "[0.6,0.6,0.6,0.5],[0.8,0.8,0.8,0]",
                       "0",
                       "",
                       "1",
                       "0",
                       "0",
                       "",
                       R"((_pathS + "burst.sqs"))",
                       "_v"};
    QTest::newRow("missile smoke, block comment first, colour variable without the box")
        << "/* smoke trail\n"
           "   of the missile */ DROP [\n"
           "\t\"\\Ca\\Data\\ParticleEffects\\Universal\\Universal.p3d\", \"\", \"SpaceObject\", 0.5, _life,\n"
           "\t(getPosATL _missile), _offset vectorAdd _jitter, 0, 10, 7.9, 0.075,\n"
           "\t(_e select 3), _color, [0, 1, 2, 3, 4, 5, 6],\n"
           "\t0.5, 0.2, \"\", \"\", \"\"\n"
           "]"
        << false
        << QStringList{R"(\Ca\Data\ParticleEffects\Universal\Universal.p3d)",
                       "",
                       "SpaceObject",
                       "0.5",
                       "_life",
                       "(getPosATL _missile)",
                       "",
                       "",
                       "_offset vectorAdd _jitter",
                       "",
                       "",
                       "0",
                       "10",
                       "7.9",
                       "0.075",
                       "(_e select 3)",
                       "",
                       "",
                       "(_color)",
                       "0",
                       "1,2,3,4,5",
                       "6",
                       "0.5",
                       "0.2",
                       "",
                       "",
                       R"("")"};
    QTest::newRow("separate colour variable, Size of two expressions, 20 elements")
        << "\t_source setParticleParams [[\"\\A3\\data_f\\cl_basic\", 1, 0, 1], \"\", \"Billboard\", 1, _t,\n"
           "\t\t[0, 0, 0], [0, 0, 0.75], 0, 10, 7.9, 0.075, [_s, _s * 4], [_smoke],\n"
           "\t\t[0, 1], 1, 0, \"\", \"\", _obj, -0 // no angle\n"
           "\t];"
        << true
        << QStringList{R"(["\A3\data_f\cl_basic",1,0,1])",
                       "",
                       "Billboard",
                       "1",
                       "_t",
                       "0",
                       "0",
                       "0",
                       "0",
                       "0",
                       "0.75",
                       "0",
                       "10",
                       "7.9",
                       "0.075",
                       "_s",
                       "",
                       "_s * 4",
                       "[1,1,1,1]",
                       "0",
                       "",
                       "1",
                       "1",
                       "0",
                       "",
                       "",
                       "_obj,-0"};
}

void TestImport::realStyleArrays()
{
    QFETCH(QString, pasted);
    QFETCH(bool, separate);
    QFETCH(QStringList, fields);
    checkBothWays(pasted, separate, fields, QString());
}

void TestImport::roundTrip_data()
{
    QTest::addColumn<bool>("separate");
    QTest::addColumn<int>("seed");
    QTest::newRow("inline") << false << 1789;
    QTest::newRow("separate") << true << 1848;
}

void TestImport::roundTrip()
{
    QFETCH(bool, separate);
    QFETCH(int, seed);
    QRandomGenerator random(seed);
    RoundTripFields generate([&random](int n) { return int(random.bounded(n)); });
    const auto mode = separate ? drop::ColourMode::Separate : drop::ColourMode::Inline;
    for (int round = 0; round < 2000; ++round) {
        const QStringList fields = generate.fields(separate);
        const QString name = generate.name();
        const QString dropString = drop::formatDropString(fields, mode, name);
        const import::ParseOutcome outcome = import::parseDropArray(dropString, separate, fields[18]);
        QVERIFY2(outcome.array, qPrintable(dropString + "\n" + import::failureReason(*outcome.failure)));
        QCOMPARE(outcome.array->fields, fields);
        QCOMPARE(outcome.array->colorVarName, separate ? std::optional<QString>(name) : std::nullopt);
        QCOMPARE(outcome.cleanedText, dropString.mid(5));
    }
}

void TestImport::blankFreeArraysReadAsBefore()
{
    // What the fixed token positions read correctly: no blank inside a value, commas only in the
    // colour list, three-element vectors. Blanks around the separators go, as they always did.
    QRandomGenerator random(1517);
    const QString alphabet = "abcXYZ019.-_=;:!?+*/";
    for (int round = 0; round < 500; ++round) {
        QStringList fields;
        for (int n = 1; n <= 27; ++n)
            fields << withoutCommentMarks(n == 19 ? randomColourList(random, alphabet)
                                                  : randomText(random, alphabet, 6));
        QString dropString = drop::formatDropString(fields, drop::ColourMode::Inline, "_color");
        const QString cleaned = dropString.mid(5);
        for (const QString &separator : {QString(","), QString("["), QString("]")})
            dropString.replace(separator, random.bounded(2) ? " " + separator + " " : separator);
        const import::ParseOutcome outcome = import::parseDropArray(dropString, false, {});
        QVERIFY2(outcome.array, qPrintable(dropString));
        QCOMPARE(outcome.array->fields, fields);
        QCOMPARE(outcome.array->tokens, fields);
        QCOMPARE(outcome.cleanedText, cleaned);
    }
}

namespace {

const QString kArray = kExample.mid(5);
const QString kRandom = "[2, [0.3, 0.3, 0.3], [1.5, 1.5, 1], 20, 0.2, [0, 0, 0, 0.1], 0, 0, 360]";
const QString kCircle = "[3, [0, 0, 0.5]]";
// The block authors paste, as the later games' documentation writes it.
const QString kBlock = "_ps = \"#particlesource\" createVehicleLocal getPos _obj;\n"
                       "_ps setParticleParams "
                       + kArray + ";\n_ps setParticleRandom " + kRandom + ";\n_ps setParticleCircle " + kCircle
                       + ";\n_ps setDropInterval 0.1;\n";
// What a copy of kBlock's source holds: the array as the drop string writes it, then the commands.
const QString kBlockCopy = "_ps setParticleParams " + kExampleCleaned
                           + ";\n_ps setParticleRandom [2,[0.3,0.3,0.3],[1.5,1.5,1],20,0.2,[0,0,0,0.1],0,0,360];\n"
                             "_ps setParticleCircle [3,[0,0,0.5]];\n_ps setDropInterval 0.1;";

effect::SourceRandom randomOf(const QStringList &texts, int elements)
{
    effect::SourceRandom random;
    random.set = true;
    random.elements = elements;
    for (int i = 0; i < texts.size(); ++i)
        random.texts.at(i) = texts.at(i);
    return random;
}

effect::SourceCircle circleOf(const QStringList &texts)
{
    effect::SourceCircle circle;
    circle.set = true;
    for (int i = 0; i < texts.size(); ++i)
        circle.texts.at(i) = texts.at(i);
    return circle;
}

effect::SourceSettings onlyName(const QString &name)
{
    effect::SourceSettings settings;
    settings.name = name;
    return settings;
}

// kBlock's settings.
effect::SourceSettings blockSettings()
{
    effect::SourceSettings settings;
    settings.random =
        randomOf({"2", "0.3", "0.3", "0.3", "1.5", "1.5", "1", "20", "0.2", "0", "0", "0", "0.1", "0", "0", "360"}, 9);
    settings.circle = circleOf({"3", "0", "0", "0.5"});
    settings.interval.set = true;
    settings.interval.text = "0.1";
    return settings;
}

QString describe(const effect::SourceSettings &settings)
{
    QStringList random(settings.random.texts.cbegin(), settings.random.texts.cend());
    QStringList circle(settings.circle.texts.cbegin(), settings.circle.texts.cend());
    return QString("name %1; random %2 of %3: %4; circle %5: %6; interval %7: %8; other: %9")
        .arg(settings.name)
        .arg(settings.random.set)
        .arg(settings.random.elements)
        .arg(random.join('|'))
        .arg(settings.circle.set)
        .arg(circle.join('|'))
        .arg(settings.interval.set)
        .arg(settings.interval.text, settings.otherCommands.join('|'));
}

struct BlockRead {
    QStringList fields;
    bool separate;
    QString colorVarName; // empty: none
    effect::SourceSettings settings;
    QStringList notes;
};

void compareBlock(const import::BlockOutcome &outcome, const BlockRead &expected)
{
    QVERIFY2(outcome.block, outcome.failure ? qPrintable(import::blockFailureReason(*outcome.failure)) : "");
    QVERIFY(!outcome.failure);
    const import::ImportedBlock &block = *outcome.block;
    QCOMPARE(block.array.fields, expected.fields);
    QCOMPARE(block.separateColours, expected.separate);
    QCOMPARE(block.array.colorVarName.value_or(QString()), expected.colorVarName);
    QVERIFY2(block.settings == expected.settings,
             qPrintable(describe(block.settings) + "\n  expected " + describe(expected.settings)));
    QCOMPARE(block.notes, expected.notes);
}

// What Copy Source puts on the clipboard for these fields and settings, with the drop string and
// the colour line the main window builds in that mode.
QString copiedSource(const QStringList &fields, bool separate, const QString &colorVarName,
                     const effect::SourceSettings &settings)
{
    const QString name = colorVarName.isEmpty() ? QStringLiteral("_color") : colorVarName;
    const QString dropString =
        drop::formatDropString(fields, separate ? drop::ColourMode::Separate : drop::ColourMode::Inline, name);
    const QString line = separate ? drop::formatColourLine(name, fields.at(drop::kColourField - 1)) : QString();
    return exporter::sourceCommandLines(settings, dropString, separate, line).join(QLatin1Char('\n'));
}

// Copied in the other colour mode (Check1 clicked before the copy), the source reads back in that
// mode with the same fields and settings.
void compareCopyInOtherMode(const QStringList &fields, bool separate, const QString &colorVarName,
                            const effect::SourceSettings &settings)
{
    const QString name = colorVarName.isEmpty() ? QStringLiteral("_color") : colorVarName;
    compareBlock(import::parseSourceBlock(copiedSource(fields, !separate, name, settings), false, {}),
                 {fields, !separate, separate ? QString() : name, settings, {}});
}

effect::Layer layerWith(const QStringList &texts, bool separate, const effect::SourceSettings &settings)
{
    effect::EffectFields fields;
    fields.texts = texts;
    fields.separateColours = separate;
    fields.source = settings;
    return effect::layerOf(fields);
}

QString describe(const effect::LightSettings &light)
{
    const auto value = [](const effect::LightValue &v) { return v.set ? v.text : QString("-"); };
    const auto colour = [](const effect::LightColour &c) {
        return c.set ? QStringList(c.texts.cbegin(), c.texts.cend()).join('|') : QString("-");
    };
    const effect::LightAttenuation &a = light.attenuation;
    const effect::LightFlicker &f = light.flicker;
    return QString("%1 colour %2 ambient %3 intensity %4 brightness %5%6 attenuation %7 day %8 flare %9 size %10 "
                   "distance %11 flicker %12: %13..%14 every %15..%16 other: %17")
        .arg(light.type, colour(light.colour), colour(light.ambient), value(light.intensity), value(light.brightness),
             light.brightnessFirst ? QString(" (brightness first)") : QString(),
             !a.set                  ? QString("-")
             : a.asWritten.isEmpty() ? QStringList(a.texts.cbegin(), a.texts.cend()).join('|')
                                     : "as written " + a.asWritten,
             value(light.dayLight), value(light.useFlare))
        .arg(value(light.flareSize), value(light.flareMaxDistance))
        .arg(int(f.kind))
        .arg(f.low, f.high, f.shortest, f.longest, light.otherCommands.join('|'));
}

QString describe(const effect::Layer &layer)
{
    if (layer.light)
        return QString("%1 [%2] from %3 to %4%5, light: %6")
            .arg(layer.name(), QStringList(layer.offset.cbegin(), layer.offset.cend()).join(','), layer.start,
                 layer.end, layer.muted ? QString(", muted") : QString(), describe(*layer.light));
    return QString("%1 [%2] from %3 to %4%5%6, %7 colours: %8; %9")
        .arg(layer.name(), QStringList(layer.offset.cbegin(), layer.offset.cend()).join(','), layer.start, layer.end,
             layer.classOnly ? QString(", class only") : QString(), layer.muted ? QString(", muted") : QString(),
             layer.fields.separateColours ? QString("separate") : QString("inline"), layer.fields.texts.join('|'),
             describe(layer.fields.source));
}

QString describe(const QList<effect::Layer> &layers)
{
    QStringList lines;
    for (const effect::Layer &layer : layers)
        lines << describe(layer);
    return lines.join("\n  ");
}

void compareEffect(const import::EffectOutcome &outcome, const QList<effect::Layer> &layers,
                   const QStringList &colourNames, const QStringList &notes)
{
    QVERIFY2(outcome.layers, qPrintable(outcome.problem));
    QVERIFY2(*outcome.layers == layers,
             qPrintable("read\n  " + describe(*outcome.layers) + "\nexpected\n  " + describe(layers)));
    QCOMPARE(outcome.colourNames, colourNames);
    QCOMPARE(outcome.notes, notes);
    QVERIFY(outcome.problem.isEmpty());
}

// The layers as Copy Effect carries them: without their times, which only the saved script keeps.
QList<effect::Layer> untimed(QList<effect::Layer> layers)
{
    for (effect::Layer &layer : layers) {
        layer.start = "0";
        layer.end.clear();
    }
    return layers;
}

// The Object field's anchors the copies and scripts are made for: an object variable, the
// argument, a position.
exporter::EmitterSettings anchoredAt(const QString &objectText, double duration)
{
    exporter::EmitterSettings settings;
    settings.objectText = objectText;
    settings.duration = duration;
    settings.colourLine = "_color = []";
    return settings;
}

// Copy Effect and the saved script of the layers read back into the same layers, at each anchor.
void compareWrittenEffect(const QList<effect::Layer> &layers)
{
    for (const QString &anchor : {QString("_obj"), QString("_this"), QString("[1, 2, 0]"), QString("tank1")}) {
        for (const double duration : {0.0, 12.5}) {
            const exporter::EmitterSettings settings = anchoredAt(anchor, duration);
            const QString copy = exporter::effectCommandLines(layers, settings).join('\n');
            const import::EffectOutcome copied = import::parseEffectScript(copy, false, {});
            QVERIFY2(copied.layers, qPrintable(copied.problem + "\n" + copy));
            QVERIFY2(*copied.layers == untimed(layers),
                     qPrintable(anchor + ": copied\n" + copy + "\nread\n  " + describe(*copied.layers)
                                + "\nexpected\n  " + describe(untimed(layers))));
            const QString script = exporter::effectScriptLines(settings, layers, "fire.sqf").join('\n');
            const import::EffectOutcome saved = import::parseEffectScript(script, false, {});
            QVERIFY2(saved.layers, qPrintable(saved.problem + "\n" + script));
            QVERIFY2(*saved.layers == layers,
                     qPrintable(anchor + ": saved\n" + script + "\nread\n  " + describe(*saved.layers)
                                + "\nexpected\n  " + describe(layers)));
        }
    }
}

} // namespace

Q_DECLARE_METATYPE(effect::SourceSettings)
Q_DECLARE_METATYPE(effect::Layer)

void TestImport::sourceBlocks_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("box");
    QTest::addColumn<QString>("colourText");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QString>("colorVarName");
    QTest::addColumn<effect::SourceSettings>("settings");
    QTest::addColumn<QStringList>("notes");
    QTest::addColumn<QString>("copy"); // what Copy Source writes for the result
    const QStringList fields = exampleFields(kExampleColours);
    const QStringList none;
    const QString colours2 = "[1,0,0,1],[0,1,0,0.5]";
    const QString withBareColour = QString(kArray).replace("[[1, 1, 1, 1], [0.5, 0.5, 0.5, 0]]", "_color");
    const QString withColourName = QString(kArray).replace("[[1, 1, 1, 1], [0.5, 0.5, 0.5, 0]]", "[_color]");
    const QString copiedBare = QString(kExampleCleaned).replace("[[1,1,1,1],[0.5,0.5,0.5,0]]", "_color");
    const QString copiedName = QString(kExampleCleaned).replace("[[1,1,1,1],[0.5,0.5,0.5,0]]", "[_color]");
    effect::SourceSettings settings = blockSettings();

    QTest::newRow("the block over lines")
        << kBlock << false << "" << fields << false << "" << settings << none << kBlockCopy;
    QTest::newRow("one line") << QString(kBlock).replace('\n', ' ') << false << "" << fields << false << "" << settings
                              << none << kBlockCopy;
    QTest::newRow("the copy itself") << kBlockCopy << false << "" << fields << false << "" << settings << none
                                     << kBlockCopy;
    QTest::newRow("any order, creation last")
        << "_ps setDropInterval 0.1; _ps setParticleCircle " + kCircle + "; _ps setParticleRandom " + kRandom
               + "; _ps setParticleParams " + kArray + "; _ps = \"#particlesource\" createVehicleLocal _pos"
        << false << "" << fields << false << "" << settings << none << kBlockCopy;
    QTest::newRow("comments, also inside arrays, and blank lines")
        << "// smoke\n\n_ps = \"#particlesource\" createVehicleLocal getPos _obj; /* made here */\n\n"
           "_ps setParticleParams "
               + QString(kArray).replace("[0, 0, 1]", "[0, /* up */ 0, 1] // rising\n")
               + ";\r\n_ps setParticleRandom [2, // life\n[0.3, 0.3, 0.3], [1.5, 1.5, 1], 20, 0.2, [0, 0, 0, "
                 "0.1], 0, 0, /* angle */ 360];\n\n_ps setParticleCircle "
               + kCircle + "; // ring\n_ps setDropInterval 0.1; // often\n"
        << false << "" << fields << false << "" << settings << none << kBlockCopy;
    QTest::newRow("createVehicle, private and other statements between")
        << "private [\"_ps\", \"_pos\"];\n_pos = getPos player;\n_ps = \"#particlesource\" createVehicle _pos;\n"
           "_ps setPos _pos;\n_ps setParticleParams "
               + kArray + ";\n_ps attachTo [player, [0, 0, 1]];\nplaySound \"fire\";\n_ps setParticleRandom " + kRandom
               + ";\nplaySound \"fire2\";\n_ps setParticleCircle " + kCircle
               + ";\n_ps setDropInterval 0.1;\nsleep 2;\ndeleteVehicle _ps;"
        << false << "" << fields << false << "" << settings
        << QStringList{"left out: _pos, setPos, attachTo, playSound, sleep, deleteVehicle"} << kBlockCopy;
    settings.name = "_Ps";
    QTest::newRow("the name in any letter case, as the array's line writes it")
        << "private _PS = \"#particlesource\" createVehicleLocal getPos _obj; _Ps setParticleParams " + kArray
               + "; _ps setParticleRandom " + kRandom + "; _pS setParticleCircle " + kCircle
               + "; _PS setDropInterval 0.1;"
        << false << "" << fields << false << "" << settings << none << QString(kBlockCopy).replace("_ps ", "_Ps ");
    settings.name = "_ps";
    QTest::newRow("begins at the first setParticle")
        << QString(kBlock).section('\n', 1) << false << "" << fields << false << "" << settings << none << kBlockCopy;
    settings.name = "(_this select 0)";
    QTest::newRow("a source given by an expression")
        << QString(kBlockCopy).replace("_ps ", "(_this select 0) ") << false << "" << fields << false << "" << settings
        << none << QString(kBlockCopy).replace("_ps ", "(_this select 0) ");
    settings.name = "_ps";

    const QString paramsLine = "_ps setParticleParams " + kExampleCleaned + ";";
    QTest::newRow("setParticleParams alone") << "_ps setParticleParams " + kArray + ";" << false << "" << fields
                                             << false << "" << onlyName("_ps") << none << paramsLine;
    QTest::newRow("a global name") << "smoke setParticleParams " + kArray << false << "" << fields << false << ""
                                   << onlyName("smoke") << none << "smoke setParticleParams " + kExampleCleaned + ";";
    QTest::newRow("drop array") << kExample << false << "" << fields << false << "" << effect::SourceSettings() << none
                                << paramsLine;
    QTest::newRow("bare array") << kArray << false << "" << fields << false << "" << effect::SourceSettings() << none
                                << paramsLine;
    QTest::newRow("drop array, box set")
        << kExampleWithVariable << true << kExampleColours << fields << true << "mycolors" << effect::SourceSettings()
        << none
        << "mycolors = " + kExampleColours + ";\n_ps " + "setParticleParams "
               + QString(kExampleCleaned).replace("[[1,1,1,1],[0.5,0.5,0.5,0]]", "[mycolors]") + ";";

    // A colour variable assigned before the array that uses it.
    QTest::newRow("colour variable, one colour, [_color]")
        << "_color = [1, 1, 1, 1];\n_ps setParticleParams " + withColourName << false << ""
        << exampleFields("[1,1,1,1]") << true << "_color" << onlyName("_ps") << none
        << "_color = [1,1,1,1];\n_ps setParticleParams " + copiedName + ";";
    QTest::newRow("colour variable, two colours, bare _color")
        << "_color = [[1, 0, 0, 1], [0, 1, 0, 0.5]];\n_ps setParticleParams " + withBareColour << false << ""
        << exampleFields(colours2) << true << "_color" << onlyName("_ps") << none
        << "_color = [" + colours2 + "];\n_ps setParticleParams " + copiedBare + ";";
    QTest::newRow("colour variable, three colours over lines, and the source's commands")
        << "_color = [\n  [1, 0, 0, 1],\n  [0, 1, 0, 0.5],\n  [0, 0, 1, 0] // fade\n];\n" + kBlock.section('\n', 0, 0)
               + "\n_ps setParticleParams " + withBareColour + ";\n" + kBlock.section('\n', 2)
        << false << "" << exampleFields(colours2 + ",[0,0,1,0]") << true << "_color" << settings << none
        << "_color = [" + colours2 + ",[0,0,1,0]];\n" + QString(kBlockCopy).replace(kExampleCleaned, copiedBare);
    QTest::newRow("colour variable, empty list, bare _color")
        << "_color = [];\n_ps setParticleParams " + withBareColour << false << "" << exampleFields("") << true
        << "_color" << onlyName("_ps") << none << "_color = [];\n_ps setParticleParams " + copiedBare + ";";
    QTest::newRow("colour variable, as the main window starts, [_color]")
        << "_color = [];\n_ps setParticleParams " + withColourName << false << "" << exampleFields("[]") << true
        << "_color" << onlyName("_ps") << none << "_color = [];\n_ps setParticleParams " + copiedName + ";";
    QTest::newRow("colour variable with nothing assigned, [_color], as an emptied colour field gave it")
        << "_color = ;\n_ps setParticleParams " + withColourName << false << "" << exampleFields("") << true << "_color"
        << onlyName("_ps") << none << "_color = ;\n_ps setParticleParams " + copiedName + ";";
    QTest::newRow("colour variable with private, another name and letter case")
        << "private _Cols = [[1, 0, 0, 1], [0, 1, 0, 0.5]];\n_ps setParticleParams "
               + QString(withBareColour).replace("_color", "_cols")
        << false << "" << exampleFields(colours2) << true << "_cols" << onlyName("_ps") << none
        << "_cols = [" + colours2 + "];\n_ps setParticleParams " + QString(copiedBare).replace("_color", "_cols") + ";";
    QTest::newRow("colour variable: the block's list, not the box's field")
        << "_color = [1, 1, 1, 1];\n_ps setParticleParams " + withColourName << true << "[0,0,0,0],[1,1,1,1]"
        << exampleFields("[1,1,1,1]") << true << "_color" << onlyName("_ps") << none
        << "_color = [1,1,1,1];\n_ps setParticleParams " + copiedName + ";";
    QTest::newRow("colour variable: the last assignment before the array")
        << "_color = [0, 0, 0, 0]; _color = [1, 1, 1, 1]; _ps setParticleParams " + withColourName
               + "; _color = [0.5, 0.5, 0.5, 0.5]"
        << false << "" << exampleFields("[1,1,1,1]") << true << "_color" << onlyName("_ps")
        << QStringList{"left out: _color"} << "_color = [1,1,1,1];\n_ps setParticleParams " + copiedName + ";";
    QTest::newRow("colour variable assigned after the array: inline, as today")
        << "_ps setParticleParams " + withColourName + "; _color = [1, 1, 1, 1];" << false << ""
        << exampleFields("_color") << false << "" << onlyName("_ps") << QStringList{"left out: _color"}
        << "_ps setParticleParams " + copiedName + ";";
    QTest::newRow("colour variable not in the block, box set, as today")
        << "_ps setParticleParams " + withColourName << true << kExampleColours << fields << true << "_color"
        << onlyName("_ps") << none << "_color = " + kExampleColours + ";\n_ps setParticleParams " + copiedName + ";";
    QTest::newRow("bare colour variable not in the block, box set")
        << "_ps setParticleParams " + withBareColour << true << kExampleColours << fields << true << "_color"
        << onlyName("_ps") << none << "_color = [" + kExampleColours + "];\n_ps setParticleParams " + copiedBare + ";";
    QTest::newRow("colour variable holding an expression, bare: inline, the line left out")
        << "_color = _base; _ps setParticleParams " + withBareColour << false << "" << exampleFields("(_color)")
        << false << "" << onlyName("_ps") << QStringList{"left out: _color"}
        << "_ps setParticleParams " + QString(kExampleCleaned).replace("[[1,1,1,1],[0.5,0.5,0.5,0]]", "(_color)") + ";";

    // The source's commands in their other forms.
    effect::SourceSettings forms = onlyName("_ps");
    forms.random = randomOf({"_life", "_spread", "", "", "0", "0", "0", "0", "0.5", "_c", "", "", "", "0", "0"}, 8);
    QTest::newRow("randomness of 8, vectors as expressions")
        << "_ps setParticleParams " + kArray + "; _ps setParticleRandom [_life, _spread, [0, 0, 0], 0, 0.5, _c, 0, 0]"
        << false << "" << fields << false << "" << forms << none
        << paramsLine + "\n_ps setParticleRandom [_life,_spread,[0,0,0],0,0.5,_c,0,0];";
    forms.random =
        randomOf({"1", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "90", "0.5"}, 10);
    forms.circle = circleOf({"_r", "_v", "", ""});
    forms.interval.set = true;
    forms.interval.text = "(0.1 + random 0.05)";
    QTest::newRow("randomness of 10, circle velocity and interval as expressions")
        << "_ps setParticleParams " + kArray
               + "; _ps setParticleRandom [1, [0, 0, 0], [0, 0, 0], 0, 0, [0, 0, 0, 0], 0, 0, 90, 0.5];"
                 " _ps setParticleCircle [_r, _v]; _ps setDropInterval (0.1 + random 0.05)"
        << false << "" << fields << false << "" << forms << none
        << paramsLine
               + "\n_ps setParticleRandom [1,[0,0,0],[0,0,0],0,0,[0,0,0,0],0,0,90,0.5];\n"
                 "_ps setParticleCircle [_r,_v];\n_ps setDropInterval (0.1 + random 0.05);";
    effect::SourceSettings others = onlyName("_ps");
    others.otherCommands = QStringList{"setParticleClass \"ObjectDestructionFire1\"", "setParticleFire [0.3, 1, 0.5]",
                                       "setParticleFire [1, 2, 3]"};
    others.interval.set = true;
    others.interval.text = "0";
    QTest::newRow("other commands kept as written, in order, a class first")
        << "_ps setParticleFire [0.3, 1, 0.5]; _ps setParticleParams " + kArray
               + "; _ps setParticleClass \"ObjectDestructionFire1\"; _ps setDropInterval 0; _ps setParticleFire [1, 2, "
                 "3]"
        << false << "" << fields << false << "" << others << none
        << "_ps setParticleClass \"ObjectDestructionFire1\";\n" + paramsLine
               + "\n_ps setParticleFire [0.3, 1, 0.5];\n_ps setParticleFire [1, 2, 3];\n_ps setDropInterval 0;";

    // Notes.
    QTest::newRow("two sources: the first is taken")
        << kBlock + "_ps2 = \"#particlesource\" createVehicleLocal getPos _obj;\n_ps2 setParticleParams "
               + QString(kArray).replace("shape1", "shape2") + ";\n_ps2 setDropInterval 0.5;\n_ps2 attachTo [_obj];"
        << false << "" << fields << false << "" << settings
        << QStringList{"left out: attachTo", "2 sources: the first was taken"} << kBlockCopy;
    QTest::newRow("three sources, the first made elsewhere")
        << "_a setDropInterval 0.1; _b = \"#particlesource\" createVehicle _p; _c setDropInterval 1; "
           "_a setParticleParams "
               + kArray
        << false << "" << fields << false << "" <<
        [] {
            effect::SourceSettings a = onlyName("_a");
            a.interval.set = true;
            a.interval.text = "0.1";
            return a;
        }()
        << QStringList{"3 sources: the first was taken"}
        << "_a setParticleParams " + kExampleCleaned + ";\n_a setDropInterval 0.1;";
    QStringList fetti = fields;
    fetti[0] = "[_fetti,1,0,1,1]";
    QTest::newRow("a shape array whose file is a variable, kept as written")
        << QString(kBlock).replace("\"shape1\"", "[_fetti, 1, 0, 1, 1]") << false << "" << fetti << false << ""
        << settings << none << QString(kBlockCopy).replace("\"shape1\"", "[_fetti,1,0,1,1]");
    effect::SourceSettings later = settings;
    later.interval.text = "0.2";
    QTest::newRow("a command given twice: the last is taken")
        << kBlock + "_ps setDropInterval 0.2;" << false << "" << fields << false << "" << later
        << QStringList{"2 setDropInterval: the last was taken"} << QString(kBlockCopy).replace("0.1;", "0.2;");
}

void TestImport::sourceBlocks()
{
    QFETCH(QString, pasted);
    QFETCH(bool, box);
    QFETCH(QString, colourText);
    QFETCH(QStringList, fields);
    QFETCH(bool, separate);
    QFETCH(QString, colorVarName);
    QFETCH(effect::SourceSettings, settings);
    QFETCH(QStringList, notes);
    QFETCH(QString, copy);
    compareBlock(import::parseSourceBlock(pasted, box, colourText), {fields, separate, colorVarName, settings, notes});
    // The effect reader reads a text of one source into one layer of the same; it takes an attachTo
    // as the layer's offset, where the block import leaves it out.
    if (!pasted.contains("_ps2") && !pasted.contains("_c setDropInterval")) {
        QStringList effectNotes = notes;
        effect::Layer layer = layerWith(fields, separate, settings);
        if (pasted.contains("attachTo [player, [0, 0, 1]]")) {
            effectNotes.replaceInStrings(", attachTo", "");
            layer.offset = {"0", "0", "1"};
        }
        compareEffect(import::parseEffectScript(pasted, box, colourText), {layer}, {colorVarName}, effectNotes);
    }
    // A copy in the compact form reads back into the same, with the dialog as it opens; so does
    // what Copy Source writes, in this colour mode and in the other.
    compareBlock(import::parseSourceBlock(copy, false, {}), {fields, separate, colorVarName, settings, {}});
    compareBlock(import::parseSourceBlock(copiedSource(fields, separate, colorVarName, settings), false, {}),
                 {fields, separate, colorVarName, settings, {}});
    compareCopyInOtherMode(fields, separate, colorVarName, settings);
}

void TestImport::builtInsSurviveCopySource_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("separate");
    const QList<effect::Effect> &effects = effect::builtInEffects();
    for (int i = 0; i < effects.size(); ++i)
        for (const bool separate : {false, true})
            QTest::addRow("%s, %s", qPrintable(effects.at(i).name), separate ? "separate" : "inline") << i << separate;
}

void TestImport::builtInsSurviveCopySource()
{
    QFETCH(int, index);
    QFETCH(bool, separate);
    const effect::EffectFields &effect = effect::builtInEffects().at(index).layers.front().fields;
    const QString name = separate ? QStringLiteral("_color") : QString();
    compareBlock(import::parseSourceBlock(copiedSource(effect.texts, separate, name, effect.source), false, {}),
                 {effect.texts, separate, name, effect.source, {}});
}

namespace {

const QString kCreate = " = \"#particlesource\" createVehicleLocal getPos _obj;\n";

QString arrayOf(const QString &shape)
{
    return QString(kArray).replace("shape1", shape);
}

QStringList fieldsOf(const QString &shape)
{
    QStringList fields = exampleFields(kExampleColours);
    fields[0] = shape;
    return fields;
}

effect::Layer layerOf(const QString &shape, const effect::SourceSettings &settings,
                      std::array<QString, 3> offset = {"0", "0", "0"}, const QString &start = "0",
                      const QString &end = {})
{
    effect::Layer layer = layerWith(fieldsOf(shape), false, settings);
    layer.offset = std::move(offset);
    layer.start = start;
    layer.end = end;
    return layer;
}

effect::SourceSettings intervalOf(const QString &name, const QString &interval)
{
    effect::SourceSettings settings = onlyName(name);
    settings.interval.set = true;
    settings.interval.text = interval;
    return settings;
}

effect::Layer lightNamed(const QString &name, const effect::LightSettings &settings,
                         std::array<QString, 3> offset = {"0", "0", "0"}, const QString &start = "0",
                         const QString &end = {})
{
    effect::Layer layer = effect::lightLayerOf(name, settings);
    layer.offset = std::move(offset);
    layer.start = start;
    layer.end = end;
    return layer;
}

effect::LightSettings flickering(effect::LightFlicker::Kind kind, const QString &low, const QString &high,
                                 const QString &shortest, const QString &longest)
{
    effect::LightSettings light;
    light.flicker = {kind, low, high, shortest, longest};
    return light;
}

} // namespace

void TestImport::pastedLayers_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QStringList>("names"); // none when refused
    QTest::addColumn<QString>("lifeTime");  // the first layer's
    QTest::addColumn<QString>("problem");
    QTest::newRow("a class is one layer") << "class Smoke: Default { lifeTime = 7; };" << QStringList{"_ps"} << "7"
                                          << "";
    QTest::newRow("a script of two sources")
        << "_a setParticleParams " + kArray + "; _b setParticleParams " + kArray << QStringList{"_a", "_b"} << "5"
        << "";
    QTest::newRow("a bare array") << kArray << QStringList{"_ps"} << "5"
                                  << "";
    QTest::newRow("a complex effect: its parts")
        << "class C { class Fire { simulation = \"particles\"; type = \"F\"; }; class L { simulation = \"light\"; "
           "type = \"X\"; }; }; class F { lifeTime = 3; };"
        << QStringList{"_Fire", "_L"} << "3"
        << "";
    QTest::newRow("blanks only") << " \n " << QStringList{} << ""
                                 << "there is no text to paste";
}

void TestImport::pastedLayers()
{
    QFETCH(QString, pasted);
    QFETCH(QStringList, names);
    QFETCH(QString, lifeTime);
    QFETCH(QString, problem);
    const import::EffectOutcome outcome = import::parsePastedLayers(pasted);
    QCOMPARE(outcome.problem, problem);
    QCOMPARE(outcome.layers.has_value(), !names.isEmpty());
    if (!outcome.layers)
        return;
    QStringList read;
    for (const effect::Layer &layer : *outcome.layers)
        read << layer.name();
    QCOMPARE(read, names);
    QCOMPARE(outcome.layers->front().fields.texts.at(4), lifeTime);
}

void TestImport::effectScripts_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QList<effect::Layer>>("layers");
    QTest::addColumn<QStringList>("colourNames");
    QTest::addColumn<QStringList>("notes");
    const QStringList none;
    const QStringList inlineTwo{"", ""};

    effect::SourceSettings fire = intervalOf("_fire", "0.02");
    fire.circle = circleOf({"3", "0", "0", "0.5"});
    effect::SourceSettings smoke = intervalOf("_smoke", "0.1");
    smoke.random = blockSettings().random;
    QTest::newRow("two sources, their commands interleaved")
        << "_fire" + kCreate + "_smoke" + kCreate + "_smoke setParticleParams " + arrayOf("smoke")
               + ";\n_fire setParticleParams " + arrayOf("fire") + ";\n_fire setDropInterval 0.02;\n"
               + "_smoke setParticleRandom " + kRandom + ";\n_smoke setDropInterval 0.1;\n_fire setParticleCircle "
               + kCircle + ";"
        << QList<effect::Layer>{layerOf("fire", fire), layerOf("smoke", smoke)} << inlineTwo << none;

    QTest::newRow("three sources in the order created, offsets in three forms")
        << "_a" + kCreate + "_b = \"#particlesource\" createVehicle _pos; _c" + kCreate + "_c setParticleParams "
               + arrayOf("c") + "; _b setParticleParams " + arrayOf("b") + "; _a setParticleParams " + arrayOf("a")
               + "; _a attachTo [_obj, [0, 0, 1.5]]; _b setPos (_pos vectorAdd [1, -1, 0]);"
                 " _c setPos (_obj modelToWorld [_dx, 0, 2]);"
        << QList<effect::Layer>{layerOf("a", onlyName("_a"), {"0", "0", "1.5"}),
                                layerOf("b", onlyName("_b"), {"1", "-1", "0"}),
                                layerOf("c", onlyName("_c"), {"_dx", "0", "2"})}
        << QStringList{"", "", ""} << none;

    QTest::newRow("commanded first, created later: the creation orders")
        << "_b setParticleParams " + arrayOf("b") + "; _a setParticleParams " + arrayOf("a") + "; _a" + kCreate + "_b"
               + kCreate + "_b attachTo [_obj];"
        << QList<effect::Layer>{layerOf("a", onlyName("_a")), layerOf("b", onlyName("_b"))} << inlineTwo << none;

    effect::Layer haze = layerWith(drop::startTexts(), false, intervalOf("_haze", "0.5"));
    haze.fields.source.otherCommands = QStringList{"setParticleClass \"ObjectDestructionRefract\""};
    haze.classOnly = true;
    haze.offset = {"0", "0", "0.5"};
    QTest::newRow("a source given only its class is kept as a layer")
        << "_fire" + kCreate + "_fire setParticleParams " + arrayOf("fire") + ";\n_haze" + kCreate
               + "_haze setParticleClass \"ObjectDestructionRefract\";\n_haze setDropInterval 0.5;\n"
                 "_haze attachTo [_obj, [0, 0, 0.5]];"
        << QList<effect::Layer>{layerOf("fire", onlyName("_fire")), haze} << inlineTwo
        << QStringList{"_haze: given only setParticleClass: kept as written, not previewed"};
    QTest::newRow("one source given only its class")
        << "_haze" + kCreate
               + "_haze setParticleClass \"ObjectDestructionRefract\";\n_haze setDropInterval 0.5;\n"
                 "_haze attachTo [_obj, [0, 0, 0.5]];"
        << QList<effect::Layer>{haze} << QStringList{""}
        << QStringList{"_haze: given only setParticleClass: kept as written, not previewed"};

    effect::LightSettings glow;
    glow.colour = {true, {"1", "0.5", "0"}};
    glow.brightness = {true, "0.3"};
    glow.flicker = {effect::LightFlicker::Brightness, "0.2", "0.3", "0.1", "0.1"};
    QTest::newRow("a light among the sources, its loop a flicker; loops and sleeps left out, named with their layer")
        << "_fire" + kCreate + "_fire setParticleParams " + arrayOf("fire")
               + ";\n_light = \"#lightpoint\" createVehicleLocal getPos _obj;\n_light setLightColor [1, 0.5, 0];\n"
                 "_light setLightBrightness 0.3;\n_smoke"
               + kCreate + "_smoke setDropInterval 0.1;\n_smoke setParticleParams " + arrayOf("smoke")
               + ";\nsleep 0.5;\n_smoke setDropInterval 0.2;\n"
                 "while {!isNull _light} do {_light setLightBrightness (0.2 + random 0.1); sleep 0.1};\n"
                 "for \"_i\" from 1 to 3 do {_smoke setDropInterval 0.1};\n"
                 "deleteVehicle _fire;\nplaySound \"fire\";"
        << QList<effect::Layer>{layerOf("fire", onlyName("_fire")), effect::lightLayerOf("_light", glow),
                                layerOf("smoke", intervalOf("_smoke", "0.2"))}
        << QStringList{"", "", ""}
        << QStringList{"_fire: left out: deleteVehicle", "_smoke: left out: sleep, for, playSound",
                       "_smoke: 2 setDropInterval: the last was taken"};

    effect::LightSettings flash;
    flash.intensity = {true, "20000"};
    flash.flicker = {effect::LightFlicker::Intensity, "_low", "20000", "0.05", "0.1"};
    QTest::newRow("a light declared first and made later keeps its place")
        << "private _plwStart = time;\nprivate _flash = objNull;\n_fire" + kCreate + "_fire setParticleParams "
               + arrayOf("fire")
               + ";\nwaitUntil {time >= _plwStart + 0.5};\n_flash = \"#lightpoint\" createVehicleLocal getPos _obj;\n"
                 "_flash setLightIntensity 20000;\n_flash lightAttachObject [_obj, [0, 0, 1]];\n"
                 "[_flash] spawn { params [\"_l\"]; while {!isNull _l} do { _l setLightIntensity (_low + random "
                 "((20000) - (_low))); sleep (0.05 + random 0.05); }; };\n"
                 "waitUntil {time >= _plwStart + 2};\ndeleteVehicle _flash;"
        << QList<effect::Layer>{lightNamed("_flash", flash, {"0", "0", "1"}, "0.5", "2"),
                                layerOf("fire", onlyName("_fire"))}
        << QStringList{"", ""} << none;

    QTest::newRow("another author's sleeps are no timeline: starts and ends stay")
        << "_fire" + kCreate + "_fire setParticleParams " + arrayOf("fire") + ";\nsleep 2;\n_smoke" + kCreate
               + "_smoke setParticleParams " + arrayOf("smoke") + ";\nsleep 5;\ndeleteVehicle _smoke;"
        << QList<effect::Layer>{layerOf("fire", onlyName("_fire")), layerOf("smoke", onlyName("_smoke"))} << inlineTwo
        << QStringList{"_fire: left out: sleep", "_smoke: left out: sleep, deleteVehicle"};

    QTest::newRow("the saved script's clock: starts, ends and offsets")
        << "// Particle effect of 2 layers\nprivate _obj = _this select 0;\nprivate _plwStart = time;\n"
           "private _fire"
               + kCreate + "_fire setParticleParams " + arrayOf("fire") + ";\nprivate _smoke" + kCreate
               + "_smoke attachTo [_obj, [0, 0, 2]];\nwaitUntil {time >= _plwStart + 1.5 || isNull _obj};\n"
                 "_smoke setParticleParams "
               + arrayOf("smoke")
               + ";\nwaitUntil {time >= _plwStart + 4 || isNull _obj};\ndeleteVehicle _fire;\n"
                 "waitUntil {time >= _plwStart + 10 || isNull _obj};\n{deleteVehicle _x} forEach [_fire, _smoke];"
        << QList<effect::Layer>{layerOf("fire", onlyName("_fire"), {"0", "0", "0"}, "0", "4"),
                                layerOf("smoke", onlyName("_smoke"), {"0", "0", "2"}, "1.5")}
        << inlineTwo << QStringList{"_fire: left out: _obj"};
    QTest::newRow("one layer on the saved script's clock")
        << "private _plwStart = time;\nprivate _ps" + kCreate
               + "waitUntil {time >= _plwStart + 2};\n_ps setParticleParams " + arrayOf("late")
               + ";\nwaitUntil {time >= _plwStart + 5};\ndeleteVehicle _ps;"
        << QList<effect::Layer>{layerOf("late", onlyName("_ps"), {"0", "0", "0"}, "2", "5")} << QStringList{""} << none;

    QTest::newRow("one source made twice reads as the block import: with all its commands")
        << "_ps" + kCreate + "_ps setParticleParams " + arrayOf("again") + ";\n_ps" + kCreate
               + "_ps setDropInterval 0.1;"
        << QList<effect::Layer>{layerOf("again", intervalOf("_ps", "0.1"))} << QStringList{""} << none;

    effect::Layer coloured = layerWith(exampleFields("[1,0,0,1],[0,1,0,0.5]"), true, onlyName("_fire"));
    QTest::newRow("a layer of separate colours beside one of inline colours")
        << "_fire" + kCreate + "_smoke" + kCreate + "_c1 = [[1, 0, 0, 1], [0, 1, 0, 0.5]];\n_fire setParticleParams "
               + QString(kArray).replace("[[1, 1, 1, 1], [0.5, 0.5, 0.5, 0]]", "_c1") + ";\n_smoke setParticleParams "
               + arrayOf("smoke") + ";"
        << QList<effect::Layer>{coloured, layerOf("smoke", onlyName("_smoke"))} << QStringList{"_c1", ""} << none;
}

void TestImport::effectScripts()
{
    QFETCH(QString, pasted);
    QFETCH(QList<effect::Layer>, layers);
    QFETCH(QStringList, colourNames);
    QFETCH(QStringList, notes);
    compareEffect(import::parseEffectScript(pasted, false, {}), layers, colourNames, notes);
    compareWrittenEffect(layers);
}

void TestImport::effectRefusalsNameTheLayer_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("problem");
    const QString fire = "_fire" + kCreate + "_fire setParticleParams " + arrayOf("fire") + ";\n";
    QTest::newRow("setParticleParams given a variable")
        << fire + "_smoke" + kCreate + "_smoke setParticleParams _parray;"
        << "_smoke: setParticleParams is given a variable or an expression: paste the array itself";
    QTest::newRow("the first layer at fault, the second fine")
        << "_smoke" + kCreate + "_smoke setParticleParams (_base + _rest);\n" + fire
        << "_smoke: setParticleParams is given a variable or an expression: paste the array itself";
    QTest::newRow("a source without commands") << fire + "_smoke" + kCreate << "_smoke: created but given no commands";
    QTest::newRow("a source created twice")
        << fire + "_smoke" + kCreate + "_smoke setParticleParams " + arrayOf("smoke") + ";\n_FIRE" + kCreate
        << "_FIRE: created twice: give each source its own variable";
    QTest::newRow("a source given by an expression beside another")
        << fire + "(_this select 0) setParticleParams " + arrayOf("smoke") + ";"
        << "(_this select 0): a layer needs a variable of its own, not an expression";
    QTest::newRow("neither an array nor a class")
        << fire + "_smoke" + kCreate + "_smoke setDropInterval 0.1;\n_smoke setParticleRandom " + kRandom + ";"
        << "_smoke: given neither a setParticleParams array nor a setParticleClass";
    QTest::newRow("an array of too few values")
        << fire + "_smoke" + kCreate + "_smoke setParticleParams [\"a\", \"b\"];"
        << "_smoke: " + import::failureReason({import::ImportFailure::Kind::TooFewValues, -1, 2});
    QTest::newRow("randomness of 7")
        << fire + "_spark" + kCreate + "_spark setParticleParams " + arrayOf("spark")
               + ";\n_spark setParticleRandom [2, [0, 0, 0], [0, 0, 0], 0, 0, [0, 0, 0, 0], 0];"
        << "_spark: setParticleRandom has 7 values; it takes 8, 9 or 10";
    QTest::newRow("a circle without a value")
        << fire + "_spark setParticleParams " + arrayOf("spark") + ";\n_spark setParticleCircle;"
        << "_spark: setParticleCircle has no value";
    QTest::newRow("one source: the block import's reason, as today")
        << "_ps" + kCreate + "_ps setParticleParams _parray;"
        << "setParticleParams is given a variable or an expression: paste the array itself";
    QTest::newRow("one source without an array: as today") << "_ps" + kCreate + "_ps setDropInterval 0.1;"
                                                           << "The block gives _ps no setParticleParams array";
    const QString light = "_light = \"#lightpoint\" createVehicleLocal getPos _obj;\n";
    QTest::newRow("lights without a particle source")
        << light + "_light setLightIntensity 2000;\n_flash = \"#lightpoint\" createVehicle getPos _obj;"
        << "the script creates no particle source: an effect keeps at least one particle layer beside its lights";
    QTest::newRow("a light and a source created without commands")
        << light + "_ps" + kCreate << "_ps: created but given no commands";
    QTest::newRow("a light command without a value") << fire + light + "_light setLightIntensity;"
                                                     << "_light: setLightIntensity has no value";
    QTest::newRow("a light created twice")
        << fire + light + light << "_light: created twice: give each light its own variable";
    QTest::newRow("a light given source commands")
        << fire + light + "_light setDropInterval 0.1;"
        << "_light: made a light and given particle source commands: give each its own variable";
}

void TestImport::effectRefusalsNameTheLayer()
{
    QFETCH(QString, pasted);
    QFETCH(QString, problem);
    const import::EffectOutcome outcome = import::parseEffectScript(pasted, false, {});
    QVERIFY2(!outcome.layers, qPrintable(describe(outcome.layers.value_or(QList<effect::Layer>()))));
    QVERIFY(outcome.colourNames.isEmpty());
    QCOMPARE(outcome.problem, problem);
}

void TestImport::lightScripts_data()
{
    QTest::addColumn<QString>("pasted"); // after a particle source _fire
    QTest::addColumn<effect::Layer>("light");
    QTest::addColumn<QStringList>("notes");
    using F = effect::LightFlicker;
    const QStringList none;
    const QString made = "_light = \"#lightpoint\" createVehicleLocal getPos _obj;\n";

    effect::LightSettings light;
    light.colour = {true, {"255", "200", "150"}};
    light.ambient = {true, {"0.1", "0.05", "_a"}};
    QTest::newRow("colour and ambient, each value as written")
        << made + "_light setLightColor [255, 200 , 150];\n_light setLightAmbient [0.1,0.05,_a];"
        << lightNamed("_light", light) << none;
    light = {};
    light.intensity = {true, "(2500 * _k)"};
    QTest::newRow("intensity alone") << made + "_light setLightIntensity (2500 * _k);" << lightNamed("_light", light)
                                     << none;
    light = {};
    light.brightness = {true, "0.8"};
    QTest::newRow("brightness alone") << made + "_light setLightBrightness 0.8;" << lightNamed("_light", light) << none;
    light.intensity = {true, "3000"};
    QTest::newRow("intensity, then brightness")
        << made + "_light setLightIntensity 3000;\n_light setLightBrightness 0.8;" << lightNamed("_light", light)
        << none;
    light.brightnessFirst = true;
    QTest::newRow("brightness, then intensity: the order kept")
        << made + "_light setLightBrightness 0.8;\nsleep 0.1;\n_light setLightIntensity 3000;"
        << lightNamed("_light", light) << QStringList{"_light: left out: sleep"};
    light = {};
    light.intensity = {true, "3000"};
    QTest::newRow("a command given twice: the last counts")
        << made + "_light setLightIntensity 1000;\n_light setLightIntensity 3000;" << lightNamed("_light", light)
        << QStringList{"_light: 2 setLightIntensity: the last was taken"};

    light = {};
    light.attenuation.set = true;
    light.attenuation.texts = {"0", "0", "0", "2", "30", "_far"};
    QTest::newRow("attenuation of six values")
        << made + "_light setLightAttenuation [0, 0, 0, 2, 30, _far];" << lightNamed("_light", light) << none;
    light.attenuation.texts = {};
    light.attenuation.asWritten = "[2,4, 4, 0]";
    QTest::newRow("attenuation of four values kept as written")
        << made + "_light setLightAttenuation [2,4, 4, 0];" << lightNamed("_light", light)
        << QStringList{"_light: setLightAttenuation of 4 values: kept as written"};
    light.attenuation.asWritten = "[0, 0, 0, 1, 20, 40, 1]";
    QTest::newRow("attenuation of seven values kept as written")
        << made + "_light setLightAttenuation [0, 0, 0, 1, 20, 40, 1];" << lightNamed("_light", light)
        << QStringList{"_light: setLightAttenuation of 7 values: kept as written"};
    light.attenuation.asWritten = "_falloff";
    QTest::newRow("attenuation given a variable, kept as written")
        << made + "_light setLightAttenuation [0, 0, 0, 1, 2, 3];\n_light setLightAttenuation _falloff;"
        << lightNamed("_light", light)
        << QStringList{"_light: setLightAttenuation _falloff is no array: kept as written",
                       "_light: 2 setLightAttenuation: the last was taken"};

    light = {};
    light.dayLight = {true, "true"};
    light.useFlare = {true, "True"};
    light.flareSize = {true, "2.5"};
    light.flareMaxDistance = {true, "600"};
    QTest::newRow("day light, flare, its size and distance")
        << made
               + "_light setLightFlareMaxDistance 600;\n_light setLightUseFlare True;\n_light setLightDayLight true;\n"
                 "_light setLightFlareSize 2.5;"
        << lightNamed("_light", light) << none;
    light = {};
    light.colour = {true, {"1", "1", "1"}};
    light.otherCommands = {"setLightConePars [45, 20, 1]", "setLightVolumeShape [\"a3\\cone.p3d\", [1, 1, 2]]",
                           "setLightIR"};
    QTest::newRow("other commands kept as written, in order")
        << made
               + "_light setLightConePars [45, 20, 1];\n_light setLightColor [1, 1, 1];\n"
                 "_light setLightVolumeShape [\"a3\\cone.p3d\", [1, 1, 2]];\n_light setLightIR;"
        << lightNamed("_light", light) << none;
    light = {};
    light.colour = {true, {"1", "0.5", "0"}};
    light.otherCommands = {"setLightColor [1, 0.5, 0, 1]"};
    QTest::newRow("a colour of four values kept as written")
        << made + "_light setLightColor [1, 0.5, 0];\n_light setLightColor [1, 0.5, 0, 1];"
        << lightNamed("_light", light)
        << QStringList{"_light: setLightColor [1, 0.5, 0, 1] is not [r, g, b]: kept as written, not previewed",
                       "_light: 2 setLightColor: the last was taken"};

    light = {};
    light.intensity = {true, "500"};
    QTest::newRow("lightAttachObject gives the offset")
        << made + "_light setLightIntensity 500;\n_light lightAttachObject [_obj, [0, 0.5, 1.2]];"
        << lightNamed("_light", light, {"0", "0.5", "1.2"}) << none;
    QTest::newRow("attachTo gives the offset")
        << made + "_light attachTo [_obj, [_dx, 0, 2]];\n_light setLightIntensity 500;"
        << lightNamed("_light", light, {"_dx", "0", "2"}) << none;
    QTest::newRow("on the saved script's clock: made late, deleted at its end")
        << "private _plwStart = time;\nwaitUntil {time >= _plwStart + 0.5};\n" + made
               + "_light setLightIntensity 500;\nwaitUntil {time >= _plwStart + 1.25};\ndeleteVehicle _light;"
        << lightNamed("_light", light, {"0", "0", "0"}, "0.5", "1.25") << none;
    light.type = "#lightreflector";
    light.otherCommands = {"setLightConePars [30, 10, 1]"};
    QTest::newRow("a reflector keeps its type")
        << "_spot = \"#lightreflector\" createVehicle getPos _obj;\n_spot setLightIntensity 500;\n"
           "_spot setLightConePars [30, 10, 1];"
        << lightNamed("_spot", light) << none;

    QTest::newRow("flicker as the writer writes it")
        << made
               + "[_light] spawn { params [\"_l\"]; while {!isNull _l} do { _l setLightIntensity (2000 + random 1000); "
                 "sleep (0.05 + random 0.1); }; };"
        << lightNamed("_light", flickering(F::Intensity, "2000", "3000", "0.05", "0.15")) << none;
    QTest::newRow("flicker of a fixed period")
        << made
               + "[_light] spawn {params [\"_l\"]; while {!isNull _l} do {_l setLightIntensity (900 + random 200); "
                 "sleep 0.1}};"
        << lightNamed("_light", flickering(F::Intensity, "900", "1100", "0.1", "0.1")) << none;
    QTest::newRow("flicker through _this select 0, kept in a handle, on several lines")
        << made
               + "0 = [_light] spawn {\n  while {!isNull (_this select 0)} do {\n"
                 "    (_this select 0) setLightIntensity (1500 + random 500);\n    sleep 0.08;\n  };\n};"
        << lightNamed("_light", flickering(F::Intensity, "1500", "2000", "0.08", "0.08")) << none;
    QTest::newRow("brightness flicker of a variable taken from _this select 0")
        << made
               + "_h = [_light] spawn { private _l = _this select 0; while {!(isNull _l)} do "
                 "{ sleep (0.1 + random 0.05); _l setLightBrightness (0.5 + random 0.25); }; };"
        << lightNamed("_light", flickering(F::Brightness, "0.5", "0.75", "0.1", "0.15")) << none;
    QTest::newRow("flicker of the light spawned as _this")
        << made
               + "_light spawn { while {!isNull _this} do { _this setLightBrightness (0.2 + random 0.1); sleep 0.1; }; "
                 "};"
        << lightNamed("_light", flickering(F::Brightness, "0.2", "0.3", "0.1", "0.1")) << none;
    QTest::newRow("flicker between variables: the high bound as written, the others as expressions")
        << made
               + "[_light] spawn { params [\"_l\"]; while {!isNull _l} do { _l setLightIntensity (_base + random "
                 "(_top - _base)); sleep (_p + random 0.1); }; };"
        << lightNamed("_light", flickering(F::Intensity, "_base", "_top", "_p", "_p + 0.1")) << none;
    QTest::newRow("flicker as a plain loop of the script")
        << made + "while {!isNull _light} do {_light setLightIntensity (100 + random 50); sleep 0.2};"
        << lightNamed("_light", flickering(F::Intensity, "100", "150", "0.2", "0.2")) << none;
    light = {};
    light.intensity = {true, "1000"};
    QTest::newRow("a fade is no flicker: left out and noted")
        << made
               + "_light setLightIntensity 1000;\n[_light] spawn { params [\"_l\"]; for \"_i\" from 10 to 0 step -1 do "
                 "{ _l setLightIntensity (_i * 100); sleep 0.1; }; deleteVehicle _l; };\n"
                 "while {alive _obj} do {_light setLightIntensity 1000; sleep 1};\n"
                 "while {!isNull _light} do {_light setLightFlareSize (1 + random 1); sleep 0.1};\n"
                 "while {!isNull _light} do {_light setLightIntensity 900; sleep 0.1};\ndeleteVehicle _light;"
        << lightNamed("_light", light)
        << QStringList{"_light: left out: deleteVehicle", "_light: a loop that is not a flicker: left out"};

    QTest::newRow("every value of a new light, as written")
        << made + exporter::lightCommandLines(effect::lightLayerOf("_light", effect::newLight())).join('\n')
        << lightNamed("_light", effect::newLight()) << none;
}

void TestImport::lightScripts()
{
    QFETCH(QString, pasted);
    QFETCH(effect::Layer, light);
    QFETCH(QStringList, notes);
    const QString fire = "_fire" + kCreate + "_fire setParticleParams " + arrayOf("fire") + ";\n";
    const QList<effect::Layer> layers{layerOf("fire", onlyName("_fire")), light};
    compareEffect(import::parseEffectScript(fire + pasted, false, {}), layers, {"", ""}, notes);
    compareWrittenEffect(layers);
}

void TestImport::randomRanges_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fixed");  // a text without random gives both bounds
    QTest::addColumn<QString>("low"); // empty: no range
    QTest::addColumn<QString>("high");
    QTest::newRow("plain numbers: worked out") << "2000 + random 1000" << false << "2000"
                                               << "3000";
    QTest::newRow("to the places written") << "(0.2 + random 0.1)" << false << "0.2"
                                           << "0.3";
    QTest::newRow("a negative low") << "-5 +random 10" << false << "-5"
                                    << "5";
    QTest::newRow("a span up to a number") << "(2000 + random (3000 - 2000))" << false << "2000"
                                           << "3000";
    QTest::newRow("a span up to a variable") << "(_a + random ((_b) - (_a)))" << false << "_a"
                                             << "_b";
    QTest::newRow("bounds in parentheses lose them")
        << "((_a max 5) + random ((_b * 2) - (_a max 5)))" << false << "_a max 5"
        << "_b * 2";
    QTest::newRow("a span of a number above a variable") << "(_base + random 500)" << false << "_base"
                                                         << "_base + 500";
    QTest::newRow("the last random ends the low bound") << "_a + random 2 + random 3" << false << "_a + random 2"
                                                        << "_a + random 2 + 3";
    QTest::newRow("a random inside brackets is part of a bound")
        << "((_a + random 2) + random ((9) - (_a + random 2)))" << false << "_a + random 2"
        << "9";
    QTest::newRow("a fixed value") << "0.1" << true << "0.1"
                                   << "0.1";
    QTest::newRow("a fixed value in parentheses") << "(_p * 2)" << true << "_p * 2"
                                                  << "_p * 2";
    QTest::newRow("no range where one is wanted") << "0.1" << false << ""
                                                  << "";
    QTest::newRow("random alone") << "random 5" << false << ""
                                  << "";
    QTest::newRow("another word") << "_a + randomize 3" << false << ""
                                  << "";
    QTest::newRow("nothing after random") << "(5 + random )" << false << ""
                                          << "";
}

void TestImport::randomRanges()
{
    QFETCH(QString, text);
    QFETCH(bool, fixed);
    QFETCH(QString, low);
    QFETCH(QString, high);
    const auto range = import::readRandomRange(text, fixed);
    QCOMPARE(range.has_value(), !low.isEmpty());
    if (range) {
        QCOMPARE(range->first, low);
        QCOMPARE(range->second, high);
    }
}

void TestImport::builtInsSurviveCopyEffectAndScript_data()
{
    builtInsSurviveCopySource_data();
}

void TestImport::builtInsSurviveCopyEffectAndScript()
{
    QFETCH(int, index);
    QFETCH(bool, separate);
    const QList<effect::Layer> &builtIn = effect::builtInEffects().at(index).layers;
    QList<effect::Layer> layers;
    for (const effect::Layer &part : builtIn) {
        // The sources only: the effect script writes no lights.
        if (part.isLight())
            continue;
        effect::Layer layer = layerWith(part.fields.texts, separate, part.fields.source);
        layer.offset = part.offset;
        layer.start = part.start;
        layer.end = part.end;
        layers << layer;
    }
    compareWrittenEffect(layers);
    if (layers.size() > 1)
        return;
    // One layer copies what Copy Source copies, and saves the script the source script was.
    const effect::EffectFields &effect = builtIn.front().fields;
    const exporter::EmitterSettings settings = anchoredAt("_obj", 12.5);
    QCOMPARE(exporter::effectCommandLines(layers, settings).join('\n'),
             copiedSource(effect.texts, separate, separate ? QString("_color") : QString(), effect.source));
    exporter::EmitterSettings source = settings;
    source.separateColours = separate;
    source.dropString = drop::formatDropString(
        effect.texts, separate ? drop::ColourMode::Separate : drop::ColourMode::Inline, "_color");
    source.colourLine =
        separate ? drop::formatColourLine("_color", effect.texts.at(drop::kColourField - 1)) : settings.colourLine;
    QCOMPARE(exporter::effectScriptLines(settings, layers, "fire.sqf"),
             exporter::sourceScriptLines(source, effect.source, "fire.sqf"));
}

void TestImport::layeredBuiltInsSurviveCopyEffectAndScript_data()
{
    QTest::addColumn<QList<effect::Layer>>("layers");
    const QList<effect::Effect> &effects = effect::builtInEffects();
    const std::array<std::array<QString, 3>, 3> offsets{{{"0", "0", "0"}, {"0", "0", "1.5"}, {"-1", "2.25", "0.5"}}};
    const std::array<QString, 3> starts{"0", "1.5", "3"};
    const std::array<QString, 3> ends{"", "6", "4.25"};
    for (qsizetype first = 0; first < effects.size(); ++first) {
        QList<effect::Layer> layers;
        for (int i = 0; i < 3; ++i) {
            const effect::Effect &effect = effects.at((first + i) % effects.size());
            const effect::EffectFields &fields = effect.layers.front().fields;
            effect::Layer layer = layerWith(fields.texts, (first + i) % 2 == 1, fields.source);
            layer.fields.source.name = effect::uniqueLayerName(layers, layer.name());
            layer.offset = offsets.at(i);
            layer.start = starts.at(i);
            layer.end = ends.at(i);
            layers << layer;
        }
        QTest::addRow("%s and the next two", qPrintable(effects.at(first).name)) << layers;
        if (first == 0) {
            layers[1].classOnly = true;
            layers[1].fields.texts = drop::startTexts();
            layers[1].fields.separateColours = false;
            layers[1].fields.source.otherCommands.prepend("setParticleClass \"ObjectDestructionFire1\"");
            QTest::addRow("%s, the second given only its class", qPrintable(effects.at(first).name)) << layers;
        }
    }
}

void TestImport::layeredBuiltInsSurviveCopyEffectAndScript()
{
    QFETCH(QList<effect::Layer>, layers);
    compareWrittenEffect(layers);
}

void TestImport::blockRefusals_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("box");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("reason");
    const QString params = "_ps setParticleParams " + kArray + ";";
    const QString random = "_ps setParticleRandom ";
    QTest::newRow("setParticleParams given a variable")
        << "_ps = \"#particlesource\" createVehicleLocal _pos; _ps setParticleParams _parray;" << false
        << "_ps = \"#particlesource\" createVehicleLocal _pos; _ps setParticleParams _parray;"
        << "setParticleParams is given a variable or an expression: paste the array itself";
    QTest::newRow("setParticleParams given an expression")
        << "_ps setParticleParams ([\"a\"] + _rest)" << false << "_ps setParticleParams ([\"a\"] + _rest)"
        << "setParticleParams is given a variable or an expression: paste the array itself";
    QTest::newRow("setParticleParams without a value") << "_ps setParticleParams;" << false << "_ps setParticleParams;"
                                                       << "setParticleParams has no value";
    QTest::newRow("source commands without setParticleParams")
        << "_ps = \"#particlesource\" createVehicleLocal _pos;\n_ps setParticleRandom " + kRandom
               + ";\n_ps setDropInterval 0.1;"
        << false
        << "_ps = \"#particlesource\" createVehicleLocal _pos; _ps setParticleRandom " + kRandom
               + "; _ps setDropInterval 0.1;"
        << "The block gives _ps no setParticleParams array";
    QTest::newRow("the first source without setParticleParams")
        << "_one = \"#particlesource\" createVehicleLocal _pos; _two setDropInterval 1; _two setParticleParams "
               + kArray
        << false
        << "_one = \"#particlesource\" createVehicleLocal _pos; _two setDropInterval 1; _two setParticleParams "
               + kArray
        << "The block gives _one no setParticleParams array";
    QTest::newRow("randomness of 7") << params + random + "[2, [0, 0, 0], [0, 0, 0], 0, 0, [0, 0, 0, 0], 0]" << false
                                     << params + random + "[2, [0, 0, 0], [0, 0, 0], 0, 0, [0, 0, 0, 0], 0]"
                                     << "setParticleRandom has 7 values; it takes 8, 9 or 10";
    QTest::newRow("randomness of 11") << params + random
                                             + "[2, [0, 0, 0], [0, 0, 0], 0, 0, [0, 0, 0, 0], 0, 0, 0, 0, 0]"
                                      << false
                                      << params + random
                                             + "[2, [0, 0, 0], [0, 0, 0], 0, 0, [0, 0, 0, 0], 0, 0, 0, 0, 0]"
                                      << "setParticleRandom has 11 values; it takes 8, 9 or 10";
    QTest::newRow("randomness as a variable")
        << params + "_ps SETPARTICLERANDOM _rnd" << false << params + "_ps SETPARTICLERANDOM _rnd"
        << "SETPARTICLERANDOM is given a variable or an expression: paste the "
           "array itself";
    QTest::newRow("randomness Position of two")
        << params + random + "[2, [0, 0], [0, 0, 0], 0, 0, [0, 0, 0, 0], 0, 0]" << false
        << params + random + "[2, [0, 0], [0, 0, 0], 0, 0, [0, 0, 0, 0], 0, 0]"
        << "Position of setParticleRandom has 2 values; it takes 3";
    QTest::newRow("randomness Color of three")
        << params + random + "[2, [0, 0, 0], [0, 0, 0], 0, 0, [0, 0, 0], 0, 0]" << false
        << params + random + "[2, [0, 0, 0], [0, 0, 0], 0, 0, [0, 0, 0], 0, 0]"
        << "Color of setParticleRandom has 3 values; it takes 4";
    QTest::newRow("randomness with an empty value")
        << params + random + "[2, [0, 0, 0], [0, 0, 0], , 0, [0, 0, 0, 0], 0, 0]" << false
        << params + random + "[2, [0, 0, 0], [0, 0, 0], , 0, [0, 0, 0, 0], 0, 0]"
        << "RotationVelocity of setParticleRandom has an empty value";
    QTest::newRow("randomness with an empty component")
        << params + random + "[2, [0, 0, 0], [0, , 0], 0, 0, [0, 0, 0, 0], 0, 0]" << false
        << params + random + "[2, [0, 0, 0], [0, , 0], 0, 0, [0, 0, 0, 0], 0, 0]"
        << "MoveVelocity of setParticleRandom has an empty value";
    QTest::newRow("circle of one") << params + "_ps setParticleCircle [3]" << false
                                   << params + "_ps setParticleCircle [3]"
                                   << "setParticleCircle has 1 value; it takes 2: [radius, [x, y, z]]";
    QTest::newRow("circle of four numbers")
        << params + "_ps setParticleCircle [3, 0, 0, 0.5]" << false << params + "_ps setParticleCircle [3, 0, 0, 0.5]"
        << "setParticleCircle has 4 values; it takes 2: [radius, [x, y, z]]";
    QTest::newRow("circle velocity of two")
        << params + "_ps setParticleCircle [3, [0, 1]]" << false << params + "_ps setParticleCircle [3, [0, 1]]"
        << "Velocity of setParticleCircle has 2 values; it takes 3";
    QTest::newRow("circle as a number") << params + "_ps setParticleCircle 3" << false
                                        << params + "_ps setParticleCircle 3"
                                        << "setParticleCircle is given a variable or an expression: paste the array "
                                           "itself";
    QTest::newRow("interval without a value")
        << params + "_ps setDropInterval ;" << false << params + "_ps setDropInterval ;"
        << "setDropInterval has no value";
    QTest::newRow("unclosed bracket in the randomness, over lines")
        << params + "\n" + random + "[2, [0, 0, 0], [0, 0, 0;\n_ps setDropInterval 0.1;" << false
        << params + " " + random + "[2, [0, 0, 0], [0, 0, 0; _ps setDropInterval 0.1;"
        << QString("The bracket at character %1 is not closed").arg(params.size() + 39);
    QTest::newRow("unclosed string") << params + "_ps setParticleClass \"Fire;" << false
                                     << params + "_ps setParticleClass \"Fire;"
                                     << QString("The string at character %1 is not closed").arg(params.size() + 22);
    QTest::newRow("stray brace") << "_ps setDropInterval 0.1; }" << false << "_ps setDropInterval 0.1; }"
                                 << "The bracket at character 26 closes nothing";
    QTest::newRow("the array's own reason")
        << QString(params).replace("[0, 0, 0.5]", "[0, 0.5]") + "_ps setDropInterval 0.1" << false
        << QString(params).replace("[0, 0, 0.5]", "[0, 0.5]") + "_ps setDropInterval 0.1"
        << "Position has 2 values; its fields take 3";
    QTest::newRow("the array's own reason, box set") << params << true << params
                                                     << "Color is not a colour variable name; for a colour list "
                                                        "clear \"Seperate color(s)\"";
    QTest::newRow("a bare array as today") << "[1, 2" << false << "[1,2"
                                           << "The bracket at character 1 is not closed";
    QTest::newRow("text without a source command as today") << "hint \"x\"; sleep 1" << false << "hint \"x\"; sleep 1"
                                                            << "The drop array does not begin with [";
}

void TestImport::blockRefusals()
{
    QFETCH(QString, pasted);
    QFETCH(bool, box);
    QFETCH(QString, shown);
    QFETCH(QString, reason);
    const import::BlockOutcome outcome = import::parseSourceBlock(pasted, box, "[1,1,1,1]");
    QVERIFY(!outcome.block);
    QVERIFY(outcome.failure);
    QCOMPARE(import::blockFailureReason(*outcome.failure), reason);
    QCOMPARE(outcome.cleanedText, shown);
}

void TestImport::configClasses_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QString wrapped =
        "class CfgCloudlets {\n  class Default;\n  class MyTag_Smoke: Default {\n    lifeTime = 10; "
        "// seconds\n  };\n};";
    QTest::newRow("wrapped: name and base") << wrapped << "class"
                                            << "MyTag_Smoke:Default";
    QTest::newRow("wrapped: a field") << wrapped << "5"
                                      << "10";
    QTest::newRow("bare, no base") << "class A { lifeTime = 2; };"
                                   << "class"
                                   << "A:";
    QTest::newRow("macro call as name") << "class CLASS(Flare_Blue): FLARE { };"
                                        << "class"
                                        << "CLASS(Flare_Blue):FLARE";
    QTest::newRow("any letter case") << "class A { LIFETIME = 3; };"
                                     << "5"
                                     << "3";
    QTest::newRow("height second: x") << "class A { position[] = {1, 2, 3}; };"
                                      << "6"
                                      << "1";
    QTest::newRow("height second: y") << "class A { position[] = {1, 2, 3}; };"
                                      << "7"
                                      << "3";
    QTest::newRow("height second: z") << "class A { Position[] = {1, 2, 3}; };"
                                      << "8"
                                      << "2";
    QTest::newRow("rising smoke") << "class A { moveVelocity[] = {0, 0.5, 0}; };"
                                  << "11"
                                  << "0.5";
    QTest::newRow("a vector as a macro") << "class A { moveVelocity[] = UP; };"
                                         << "9"
                                         << "UP";
    QTest::newRow("true") << "class A { onSurface = true; };"
                          << "27"
                          << R"("", 0, 1)";
    QTest::newRow("later elements up to the last set")
        << "class A { angle = 90; onSurface = 0; bounceOnSurface = -1; emissiveColor[] = {{0,0,0,0}}; };"
        << "27"
        << R"("", 90)";
    QTest::newRow("emissive colour") << "class A { emissiveColor[] = {{100, 50, 0, 0}}; };"
                                     << "27"
                                     << R"("", 0, 0, -1, [[100,50,0,0]])";
    QTest::newRow("unquoted word") << "class A { particleType = Billboard; };"
                                   << "3"
                                   << "Billboard";
    QTest::newRow("quoted text, quotes doubled") << R"(class A { onTimerScript = "hint ""on"""; };)"
                                                 << "25"
                                                 << R"(hint "on")";
    QTest::newRow("arithmetic") << "class A { interval = 3*10; };"
                                << "interval"
                                << "3*10";
    QTest::newRow("expression string") << R"(class A { interval = "0.5 * speedSize + 0.5"; };)"
                                       << "interval"
                                       << "0.5 * speedSize + 0.5";
    QTest::newRow("colours over lines") << "class A {\n color[] = {\n  {1, 1, 1, 0.7},\n  {1,1,1,0}\n };\n};"
                                        << "19"
                                        << "[1,1,1,0.7],[1,1,1,0]";
    QTest::newRow("shape sheet")
        << R"(class A { particleShape = "\a\U"; particleFSNtieth = 16; particleFSIndex = 12; particleFSFrameCount = 8; particleFSLoop = 0; };)"
        << "1"
        << R"(["\a\U",16,12,8,0])";
    QTest::newRow("whole texture is a plain shape")
        << R"(class A { particleShape = "\a\U"; particleFSNtieth = 1; particleFSIndex = 0; particleFSFrameCount = 1; particleFSLoop = 1; };)"
        << "1"
        << R"(\a\U)";
    QTest::newRow("a shape named with a bracket stays a name") << R"(class A { particleShape = "[x]"; };)"
                                                               << "1"
                                                               << R"(["[x]",1,0,1,1])";
    QTest::newRow("one size") << "class A { size[] = {2}; };"
                              << "16"
                              << "2";
    QTest::newRow("one size: no end") << "class A { size[] = {2}; };"
                                      << "18"
                                      << "";
    QTest::newRow("two sizes: no middle") << "class A { size[] = {2, 3}; };"
                                          << "17"
                                          << "";
    QTest::newRow("four sizes: two middles") << "class A { size[] = {1, 2, 3, 4}; };"
                                             << "17"
                                             << "2,3";
    QTest::newRow("animation speed") << "class A { animationSpeed[] = {0.2}; };"
                                     << "20"
                                     << "0.2";
    QTest::newRow("circle") << "class A { circleRadius = 2; circleVelocity[] = {1, 3, 2}; };"
                            << "circle"
                            << "2,1,2,3";
    QTest::newRow("circle of zeros is unset") << "class A { circleRadius = 0; circleVelocity[] = {0, 0, 0}; };"
                                              << "circle"
                                              << "-";
    QTest::newRow("spreads, height second") << "class A { positionVar[] = {0.3, 0.2, 0.1}; lifeTimeVar = 2; };"
                                            << "random"
                                            << "8:2,0.3,0.1,0.2,0,0,0,0,0,0,0,0,0,0,0,0,0";
    QTest::newRow("angle spread: nine elements") << "class A { angleVar = 360; };"
                                                 << "random"
                                                 << "9:0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,360,0";
    QTest::newRow("no spread: unset") << "class A { lifeTimeVar = 0; colorVar[] = {0, 0, 0, 0}; };"
                                      << "random"
                                      << "-";
    QTest::newRow("stand-in life time") << "class A { };"
                                        << "5"
                                        << "1";
    QTest::newRow("stand-in weight") << "class A { };"
                                     << "13"
                                     << "1.275";
    QTest::newRow("stand-in size") << "class A { };"
                                   << "16"
                                   << "1";
    QTest::newRow("stand-in colour") << "class A { };"
                                     << "19"
                                     << "[1,1,1,1]";
    QTest::newRow("inherited and config-only named")
        << "class A: Default { interval = 1; ignoreWind = true; colorCoef[] = SMOKE_RED; particleShape = \"x\"; "
           "particleType = Billboard; timerPeriod = 1; lifeTime = 1; position[] = {0,0,0}; moveVelocity[] = {0,0,0}; "
           "rotationVelocity = 0; weight = 1; volume = 1; rubbing = 0; size[] = {1}; color[] = {{1,1,1,1}}; "
           "randomDirectionPeriod = 0; randomDirectionIntensity = 0; };"
        << "notes"
        << "Not in the class, inherited from Default, whose values are not known here: particleFSNtieth, "
           "particleFSIndex, particleFSFrameCount, particleFSLoop, animationName, animationSpeed, onTimerScript, "
           "beforeDestroyScript, angle, onSurface, bounceOnSurface, emissiveColor, circleRadius, circleVelocity, "
           "lifeTimeVar, positionVar, moveVelocityVar, rotationVelocityVar, sizeVar, colorVar, "
           "randomDirectionPeriodVar, randomDirectionIntensityVar, angleVar, bounceOnSurfaceVar (the preview shows "
           "stand-ins; the class is copied without them until they are edited). / Config-only fields, not "
           "previewed, kept and copied back as written: ignoreWind, colorCoef.";
    QTest::newRow("expression kept, named")
        << "class A { interval = \"0.5 * speedSize\"; lifeTime = 2; particleShape = QUOTE(x); particleFSNtieth = 1; "
           "particleFSIndex = 0; particleFSFrameCount = 1; particleFSLoop = 1; animationName = \"\"; "
           "particleType = \"Billboard\"; timerPeriod = 1; position[] = {0,0,0}; moveVelocity[] = {0,0,0}; "
           "rotationVelocity = 0; weight = 1; volume = 1; rubbing = 0; size[] = {1, \"speed\"}; "
           "color[] = {{1,1,1,1}}; animationSpeed[] = {1}; randomDirectionPeriod = 0; randomDirectionIntensity = 0; "
           "onTimerScript = \"\"; beforeDestroyScript = \"\"; angle = 0; onSurface = 0; bounceOnSurface = -1; "
           "emissiveColor[] = {{0,0,0,0}}; circleRadius = 0; circleVelocity[] = {0,0,0}; lifeTimeVar = 0; "
           "positionVar[] = {0,0,0}; moveVelocityVar[] = {0,0,0}; rotationVelocityVar = 0; sizeVar = 0; "
           "colorVar[] = {0,0,0,0}; randomDirectionPeriodVar = 0; randomDirectionIntensityVar = 0; angleVar = 0; "
           "bounceOnSurfaceVar = 0; };"
        << "notes"
        << "Written in a form the fields do not hold, previewed with worked-out or assumed values and copied back "
           "as written until edited: interval (\"0.5 * speedSize\"), particleShape (QUOTE(x)), size ({1, "
           "\"speed\"}).";
    QTest::newRow("added to, nested class: named")
        << "class A: B { size[] += {2}; class Inner { y = 2; }; };"
        << "notes"
        << "Not in the class, inherited from B, whose values are not known here: particleShape, particleFSNtieth, "
           "particleFSIndex, particleFSFrameCount, particleFSLoop, animationName, particleType, timerPeriod, "
           "lifeTime, position, moveVelocity, rotationVelocity, weight, volume, rubbing, color, animationSpeed, "
           "randomDirectionPeriod, randomDirectionIntensity, onTimerScript, beforeDestroyScript, angle, onSurface, "
           "bounceOnSurface, emissiveColor, interval, circleRadius, circleVelocity, lifeTimeVar, positionVar, "
           "moveVelocityVar, rotationVelocityVar, sizeVar, colorVar, randomDirectionPeriodVar, "
           "randomDirectionIntensityVar, angleVar, bounceOnSurfaceVar (the preview shows stand-ins; the class is "
           "copied without them until they are edited). / Written in a form the fields do not hold, previewed with "
           "worked-out or assumed values and copied back as written until edited: size (+= {2}). / Classes inside "
           "A are not read, and Copy Config Class leaves them out: Inner.";
    QTest::newRow("several classes: the first") << "class A { lifeTime = 4; }; class B: A { lifeTime = 5; };"
                                                << "5"
                                                << "4";
    QTest::newRow("several classes: said so")
        << "class A { lifeTime = 4; }; class B: A { lifeTime = 5; };"
        << "notes"
        << "The text holds 2 classes: the first, A, is imported. / Not in the class, inherited from the game's "
           "defaults, whose values are not known here: particleShape, particleFSNtieth, particleFSIndex, "
           "particleFSFrameCount, particleFSLoop, animationName, particleType, timerPeriod, position, moveVelocity, "
           "rotationVelocity, weight, volume, rubbing, size, color, animationSpeed, randomDirectionPeriod, "
           "randomDirectionIntensity, onTimerScript, beforeDestroyScript, angle, onSurface, bounceOnSurface, "
           "emissiveColor, interval, circleRadius, circleVelocity, lifeTimeVar, positionVar, moveVelocityVar, "
           "rotationVelocityVar, sizeVar, colorVar, randomDirectionPeriodVar, randomDirectionIntensityVar, angleVar, "
           "bounceOnSurfaceVar (the preview shows stand-ins; the class is copied without them until they are "
           "edited).";
    QTest::newRow("refused: brace not closed")
        << "class A { lifeTime = 1;"
        << "5"
        << "refused: The class cannot be read: the brace of class A at character 9 does not close.";
    QTest::newRow("refused: no class") << "class Default;"
                                       << "5"
                                       << "refused: The class cannot be read: it defines no class with a body in "
                                          "braces.";
}

void TestImport::configClasses()
{
    QFETCH(QString, pasted);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(classPart(import::parseConfigClass(pasted), key), expected);
}

namespace {

// Configs of complex effects in the forms mods write them.
const QString kIssueForm = R"cfg(class CfgCloudlets { class Default;
  class MyTag_Flames: Default { interval = 0.03; lifeTime = 1.2; particleShape = "\A3\data_f\ParticleEffects\Universal\Universal";
    particleFSNtieth = 16; particleFSIndex = 10; particleFSFrameCount = 32; particleFSLoop = 0;
    color[] = {{1, 0.6, 0.3, -50}, {1, 0.4, 0.2, 0}}; size[] = {0.8, 0.3}; moveVelocity[] = {0, 0.6, 0}; };
  class MyTag_Smoke: Default { interval = 0.2; lifeTime = 12; size[] = {1, 4, 8}; rubbing = 0.05;
    color[] = {{0.3, 0.3, 0.3, 0.4}, {0.5, 0.5, 0.5, 0}}; moveVelocity[] = {0, 1.5, 0}; }; };
class CfgLights { class MyTag_FireLight { color[] = {1, 0.45, 0.15}; ambient[] = {0, 0, 0, 0}; intensity = 2500;
    dayLight = 0; useFlare = 1; flareSize = 1; flareMaxDistance = 300; position[] = {0, 0.5, 0};
    class Attenuation { start = 0; constant = 0; linear = 0; quadratic = 2; hardLimitStart = 30; hardLimitEnd = 40; }; }; };
class MyTag_Campfire {
    class Flames { simulation = "particles"; type = "MyTag_Flames"; position[] = {0, 0, 0}; intensity = 1; interval = 1; qualityLevel = -1; };
    class Smoke  { simulation = "particles"; type = "MyTag_Smoke";  position[] = {0, 0.5, 0}; intensity = 1; interval = 1; lifeTime = 60; };
    class Light1 { simulation = "light";     type = "MyTag_FireLight"; position[] = {0, 0.5, 0}; intensity = 1; interval = 1; };
};)cfg";

const QString kMacroForm = R"cfg(#define SMOKE_LIFE 8
#define QUOTE(x) #x
// embers of the camp
class cfgcloudlets {
    class Default;
    class TAG_Embers: Default {
        interval = 0.05; lifeTime = SMOKE_LIFE; particleType = Billboard; /* a bare word */
        particleShape = "\A3\data_f\ParticleEffects\Universal\Universal";
        particleFSNtieth = 16; particleFSIndex = 13; particleFSFrameCount = 2; particleFSLoop = 0;
        color[] = {{1, 0.5, 0.2, -10}}; size[] = {0.05}; weight = 0.001; volume = 0.0008;
        onTimerScript = ""; ignoreWind = true; colorCoef[] = {"colorR", "colorG", "colorB", "colorA"};
    };
};
class cfglights {
    class TAG_EmberLight {
        diffuse[] = {1, 0.5, 0.2}; color[] = {1, 0.5, 0.2}; ambient[] = {0, 0, 0, 0};
        brightness = 1; size = 1; intensity = "200 * (power interpolate [0.1, 1.0, 0.4, 1.0])";
        drawLight = 1; blinking = 0;
        class Attenuation { start = 0; constant = 0; linear = 0; quadratic = 0.6; };
    };
};
class TAG_Embers_Effect {
    class Embers { simulation = particles; type = TAG_Embers; position[] = {0, 0, 0}; intensity = 1; interval = 1; qualityLevel = 2; };
    class EmbersLow: Embers { qualityLevel = 0; interval = 2; };
    class Light { simulation = light; type = TAG_EmberLight; position[] = {0, 0.2, 0}; intensity = 1; interval = 1; lifeTime = 0.5; };
};)cfg";

const QString kPatchForm = R"cfg(class TAG_BigBoom: ExploBase {
    class LightExp { simulation = "light"; type = "ExploLight"; position[] = {0, 1.5, 0}; intensity = 0.001; interval = 1; lifeTime = 0.25; };
    class Explosion1 { simulation = "particles"; type = "ExploAmmoExplosion"; position[] = {0, 0, 0}; intensity = 1; interval = 1; lifeTime = 1; };
    class Smoke1: Explosion1 { type = "TAG_BoomSmoke"; lifeTime = 2; enabled = -1; start = "1 - 2 * (speed > 0)"; };
    class Exhaust { simulation = "particles"; type = "TAG_BoomSmoke"; position = "exhaust1"; };
    class Sound { simulation = "sound"; type = "Fire_Big"; position[] = {0, 0, 0}; intensity = 1; interval = 1; lifeTime = 1; };
};
class CfgCloudlets {
    class Default;
    class TAG_SmokeBase: Default { lifeTime = 20; rubbing = 0.1; };
    class TAG_BoomSmoke: TAG_SmokeBase { interval = 0.1; size[] += {4}; };
};)cfg";

const QString kBareForm = R"cfg(class TAG_Light { color[] = {20, 10, 5}; intensity = 1e4;
    class Attenuation { constant = 1; quadratic = 0.5; hardLimitStart = 10; hardLimitEnd = 15; }; };
class TAG_Torch {
    access = 0;
    class Fire { simulation = "particles"; type = "TAG_TorchFire"; position[] = {0.1, 1.1, 0}; };
    class Glow { simulation = "light"; type = "TAG_Light"; position[] = {0.1, 1.2, 0}; };
};
class TAG_TorchFire: Default { interval = 0.02; lifeTime = 0.4; moveVelocity[] = {0, 0.8, 0}; color[] = {{1, 1, 1, -2}}; };)cfg";

const QString kLightsOnlyForm = R"cfg(class CfgLights { class TAG_Lamp { color[] = {1, 1, 0.8}; intensity = 800; }; };
class TAG_LampEffect { class Light { simulation = "light"; type = "TAG_Lamp"; position[] = {0, 2, 0}; }; };)cfg";

} // namespace

void TestImport::configEffects_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("layers in order, offsets height second, the end")
        << kIssueForm << "layers"
        << "_Flames particles at 0,0,0 | _Smoke particles at 0,0,0.5 to 60 | _Light1 light at 0,0,0.5";
    QTest::newRow("a part's cloudlet class, as a class is read") << kIssueForm << "1:5"
                                                                 << "1.2";
    QTest::newRow("its name and base") << kIssueForm << "class 2"
                                       << "MyTag_Smoke:Default ";
    QTest::newRow("the light's values, four ambient values not held")
        << kIssueForm << "light 3"
        << "1,0.45,0.15 / - / 2500 / - / 0,0,0,2,30,40 / false,true,1,300";
    QTest::newRow("the root") << kIssueForm << "root"
                              << "MyTag_Campfire: fields 0 kept ";
    QTest::newRow("lower-case wrappers, bare words, a sibling inherited")
        << kMacroForm << "layers"
        << "_Embers particles at 0,0,0 | _EmbersLow particles at 0,0,0 | _Light light at 0,0,0.2 to 0.5";
    QTest::newRow("the inherited part takes the sibling's class") << kMacroForm << "class 2"
                                                                  << "TAG_Embers:Default ";
    QTest::newRow("a macro's value kept") << kMacroForm << "1:5"
                                          << "SMOKE_LIFE";
    QTest::newRow("an engine expression is no intensity; the missing attenuation stands in")
        << kMacroForm << "light 3"
        << "1,0.5,0.2 / - / - / 1 / 0,0,0,0.6,0,0 / -,-,-,-";
    QTest::newRow("external parts, muted, memory point")
        << kPatchForm << "layers"
        << "_LightExp external at 0,0,1.5 to 0.25 | _Explosion1 external at 0,0,0 to 1 | _Smoke1 particles at "
           "0,0,0 to 2 muted | _Exhaust particles at 0,0,0 | _Sound external at 0,0,0 to 1";
    QTest::newRow("an external light plays nothing") << kPatchForm << "class 1"
                                                     << ": ";
    QTest::newRow("an external source names its class") << kPatchForm << "class 2"
                                                        << ": setParticleClass \"ExploAmmoExplosion\"";
    QTest::newRow("the root's base; a base class no part names is kept")
        << kPatchForm << "root"
        << "TAG_BigBoom:ExploBase fields 0 kept CfgCloudlets/TAG_SmokeBase";
    QTest::newRow("a base in the text gives what its class inherits") << kPatchForm << "3:5"
                                                                      << "20";
    QTest::newRow("said so")
        << kPatchForm << "notes"
        << "LightExp: ExploLight is not in the pasted text: kept and copied back as it was, not played. / "
           "Explosion1: ExploAmmoExplosion is not in the pasted text: kept and copied back as it was, not played. / "
           "Smoke1: Not in the class, inherited from Default, whose values are not known here: particleShape, "
           "particleFSNtieth, particleFSIndex, particleFSFrameCount, particleFSLoop, animationName, particleType, "
           "timerPeriod, position, moveVelocity, rotationVelocity, weight, volume, color, animationSpeed, "
           "randomDirectionPeriod, randomDirectionIntensity, onTimerScript, beforeDestroyScript, angle, onSurface, "
           "bounceOnSurface, emissiveColor, circleRadius, circleVelocity, lifeTimeVar, positionVar, moveVelocityVar, "
           "rotationVelocityVar, sizeVar, colorVar, randomDirectionPeriodVar, randomDirectionIntensityVar, angleVar, "
           "bounceOnSurfaceVar (the preview shows stand-ins; the class is copied without them until they are "
           "edited). / Smoke1: Written in a form the fields do not hold, previewed with worked-out or assumed values "
           "and copied back as written until edited: size (+= {4}). / Smoke1: Inherited from TAG_SmokeBase in the "
           "text, previewed and left out of the copy until edited: lifeTime, rubbing. / Exhaust: ";
    QTest::newRow("a light's base in the text")
        << "class CfgLights { class Base { color[] = {1, 0.5, 0}; intensity = 500; class Attenuation { quadratic = 2; "
           "}; }; class Cannon: Base { intensity = 900; }; }; class Fired { class L { simulation = \"light\"; type "
           "= \"Cannon\"; }; };"
        << "light 1"
        << "1,0.5,0 / - / 900 / - / 0,0,0,2,0,0 / -,-,-,-";
    QTest::newRow("its inherited fields said")
        << "class CfgLights { class Base { color[] = {1, 0.5, 0}; intensity = 500; class Attenuation { quadratic = 2; "
           "}; }; class Cannon: Base { intensity = 900; }; }; class Fired { class L { simulation = \"light\"; type "
           "= \"Cannon\"; }; };"
        << "notes"
        << "L: ";
    QTest::newRow("a memory point, an expression's end and switch")
        << "class R { class P { simulation = \"sound\"; position = \"exhaust\"; lifeTime = \"2 * x\"; enabled = "
           "\"engineDamage\"; }; class Q { simulation = \"sound\"; position[] = {\"positionX\", 0, 0}; }; };"
        << "notes"
        << "P: a part of the simulation sound, kept and copied back as it was, not played. / P: its position "
           "(\"exhaust\") is a point of the model it is given to: the preview plays it at the anchor. / P: its "
           "lifeTime (\"2 * x\") is no number: the preview plays it to the effect's end. / P: enabled "
           "(\"engineDamage\") is worked out by the game as it plays: the preview plays the part. / Q: a part of the "
           "simulation sound, kept and copied back as it was, not played. / Q: its position ({\"positionX\", 0, 0}) is "
           "not three numbers: the preview plays it at the anchor.";
    QTest::newRow("a macro call's name made a variable")
        << "class GVAR(fired) { class GVAR(fired) { simulation = \"particles\"; type = QGVAR(fired); }; };"
        << "layers"
        << "_GVAR_fired external at 0,0,0";
    QTest::newRow("classes outside their wrappers") << kBareForm << "layers"
                                                    << "_Fire particles at 0.1,0,1.1 | _Glow light at 0.1,0,1.2";
    QTest::newRow("a light outside CfgLights") << kBareForm << "light 2"
                                               << "20,10,5 / - / 1e4 / - / 0,1,0,0.5,10,15 / -,-,-,-";
    QTest::newRow("the root's own fields") << kBareForm << "root"
                                           << "TAG_Torch: fields 1 kept ";
    QTest::newRow("cloudlet classes alone are no effect")
        << "class CfgCloudlets { class A { lifeTime = 1; }; class B { lifeTime = 2; }; };"
        << "layers"
        << "no effect";
    QTest::newRow("an unreadable text is no effect") << "class A { class B { simulation = \"light\"; };"
                                                     << "layers"
                                                     << "no effect";
    QTest::newRow("several roots: the first")
        << "class A { class P { simulation = \"sound\"; }; }; class B { class Q { simulation = \"sound\"; }; };"
        << "notes"
        << "The text holds 2 complex effects: the first, A, is imported, not B. / P: a part of the simulation sound, "
           "kept and copied back as it was, not played.";
    QTest::newRow("a part without a simulation, another wrapper")
        << "class CfgAmmo { class B { explosionEffects = \"R\"; }; }; class R { class P: Base { enabled = -1; }; "
           "class Q { simulation = \"particles\"; }; };"
        << "notes"
        << "P: it names no simulation, as the class it inherits from may: kept and copied back as it was, not "
           "played. / Q: it names no class: kept and copied back as it was, not played. / Not part of the effect, "
           "left out: class CfgAmmo.";
    QTest::newRow("lights only") << kLightsOnlyForm << "notes"
                                 << "Light: Not in the light's class, inherited from the game's defaults, whose values "
                                    "are not known here: ambient, dayLight, useFlare, flareSize, "
                                    "flareMaxDistance, Attenuation (the preview assumes them; the class is copied "
                                    "without them until they are edited). / The effect has no particle part: the "
                                    "main window shows a new layer, which is copied as a part of its own.";
    QTest::newRow("the parts' fields the preview does not play")
        << kIssueForm << "last note"
        << "The parts' intensity, interval, qualityLevel are kept and copied back as written; the preview does not "
           "play them.";
    QTest::newRow("external named in the notes")
        << kPatchForm << "notes"
        << "LightExp: ExploLight is not in the pasted text: kept and copied back as it was, not played. / "
           "Explosion1: ExploAmmoExplosion is not in the pasted text: kept and copied back as it was, not played. / "
           "Smoke1: ";
}

void TestImport::configEffects()
{
    QFETCH(QString, pasted);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const QString actual = effectPart(import::parseConfigEffect(pasted), key);
    if (expected.endsWith(": ") && key == "notes")
        QVERIFY2(actual.startsWith(expected), qPrintable(actual));
    else
        QCOMPARE(actual, expected);
}

void TestImport::configEffectsCopiedBackUnedited_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::newRow("wrapped, as the example") << kIssueForm;
    QTest::newRow("macros, bare words, inheriting parts, one class for two parts") << kMacroForm;
    QTest::newRow("a patch: external parts, kept base, +=, memory point") << kPatchForm;
    QTest::newRow("classes outside their wrappers, the root's own field") << kBareForm;
    QTest::newRow("lights only") << kLightsOnlyForm;
}

void TestImport::configEffectsCopiedBackUnedited()
{
    QFETCH(QString, pasted);
    const import::ConfigEffectOutcome outcome = import::parseConfigEffect(pasted);
    QVERIFY(outcome.layers);
    const QString copied = copiedBack(outcome);
    QCOMPARE(configSummary(copied), configSummary(pasted));
    // And once more: what is copied reads back into the same effect.
    const import::ConfigEffectOutcome again = import::parseConfigEffect(copied);
    QVERIFY(again.layers);
    QCOMPARE(configSummary(copiedBack(again)), configSummary(pasted));
}

void TestImport::configEffectEditsAreWrittenAnew_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("expected");
    QTest::newRow("an offset") << kIssueForm << "offset 2"
                               << "position[] = {1, 3, 2};";
    QTest::newRow("an end") << kIssueForm << "end 1"
                            << "lifeTime = 5;";
    QTest::newRow("an end taken away") << kIssueForm << "no end 2"
                                       << "-lifeTime = 60;";
    QTest::newRow("a mute mark") << kIssueForm << "mute 3"
                                 << "enabled = -1;";
    QTest::newRow("a part on again that inherited nothing") << kPatchForm << "unmute 3"
                                                            << "enabled = 1;";
    QTest::newRow("a light's intensity") << kIssueForm << "intensity 3"
                                         << "intensity = 4000;";
    QTest::newRow("a light's colour") << kIssueForm << "colour 3"
                                      << "color[] = {1, 0, 0};";
    QTest::newRow("a light's colour gives its diffuse") << kIssueForm << "colour 3"
                                                        << "diffuse[] = {1, 0, 0};";
    QTest::newRow("an unedited light field stays as written") << kIssueForm << "colour 3"
                                                              << "ambient[] = {0, 0, 0, 0};";
    QTest::newRow("a cloudlet field") << kIssueForm << "life 1"
                                      << "lifeTime = 3;";
    QTest::newRow("a new layer's class") << kIssueForm << "new"
                                         << "class MyTag_Campfire_sparks: Default {";
    QTest::newRow("a new layer's sub-class") << kIssueForm << "new"
                                             << "type = \"MyTag_Campfire_sparks\";";
    QTest::newRow("a new layer in an imported effect is named after its root") << kPatchForm << "new"
                                                                               << "class TAG_BigBoom_sparks: Default {";
    QTest::newRow("a part pasted twice: the second renamed") << kIssueForm << "twice 1"
                                                             << "class Flames2 {";
    QTest::newRow("a start has no config form") << kIssueForm << "start 2"
                                                << "// _Smoke starts at 2 s, which has no config form: its part "
                                                   "starts with the effect.";
    QTest::newRow("a flicker has no config form")
        << kIssueForm << "flicker 3"
        << "// The flicker of _Light1 has no config form: its class is written steady.";
}

void TestImport::configEffectEditsAreWrittenAnew()
{
    QFETCH(QString, pasted);
    QFETCH(QString, edit);
    QFETCH(QString, expected);
    import::ConfigEffectOutcome outcome = import::parseConfigEffect(pasted);
    QVERIFY(outcome.layers);
    QList<effect::Layer> &layers = *outcome.layers;
    const QStringList words = edit.split(' ');
    effect::Layer &layer = layers[qMax(0, words.back().toInt() - 1)];
    if (words.front() == "offset")
        layer.offset = {"1", "2", "3"};
    else if (words.front() == "end")
        layer.end = "5";
    else if (edit.startsWith("no end"))
        layer.end.clear();
    else if (words.front() == "mute")
        layer.muted = true;
    else if (words.front() == "unmute")
        layer.muted = false;
    else if (words.front() == "intensity")
        layer.light->intensity = {true, "4000"};
    else if (words.front() == "colour")
        layer.light->colour = {true, {"1", "0", "0"}};
    else if (words.front() == "life")
        layer.fields.texts[drop::field::kLifeTime - 1] = "3";
    else if (words.front() == "start")
        layer.start = "2";
    else if (words.front() == "flicker")
        layer.light->flicker = {effect::LightFlicker::Intensity, "2000", "3000", "0.1", "0.1"};
    else if (words.front() == "twice")
        layers << layer;
    else if (edit == "new") {
        effect::Layer added = effect::layerOf(effect::startFields());
        added.fields.source.name = "_sparks";
        layers << added;
    }
    QStringList lines;
    for (const QString &line : exporter::configEffectLines(layers, outcome.root, "Pasted"))
        lines << line.trimmed();
    if (expected.startsWith('-'))
        QVERIFY2(!lines.contains(expected.mid(1)), qPrintable(lines.join('\n')));
    else
        QVERIFY2(lines.contains(expected), qPrintable(lines.join('\n')));
}

void TestImport::complexEffectCopiedAsAScript()
{
    // The external light and the sound have no script form; the external source keeps its class.
    const import::ConfigEffectOutcome outcome = import::parseConfigEffect(kPatchForm);
    QVERIFY(outcome.layers);
    const exporter::EmitterSettings settings = anchoredAt("_obj", 0);
    for (const QStringList &lines : {exporter::effectCommandLines(*outcome.layers, settings),
                                     exporter::effectScriptLines(settings, *outcome.layers, "boom.sqf")}) {
        QVERIFY(lines.contains("// Left out, as no script command makes them: _LightExp, _Sound."));
        const import::EffectOutcome read = import::parseEffectScript(lines.join('\n'), false, {});
        QVERIFY2(read.layers, qPrintable(read.problem + "\n" + lines.join('\n')));
        QStringList names;
        for (const effect::Layer &layer : *read.layers)
            names << layer.name();
        QCOMPARE(names, QStringList({"_Explosion1", "_Smoke1", "_Exhaust"}));
        QCOMPARE(read.layers->front().fields.source.otherCommands,
                 QStringList{"setParticleClass \"ExploAmmoExplosion\""});
    }
}

void TestImport::builtInsSurviveCopyConfigEffect_data()
{
    QTest::addColumn<int>("index");
    for (qsizetype i = 0; i < effect::builtInEffects().size(); ++i)
        QTest::addRow("%s", qPrintable(effect::builtInEffects().at(i).name)) << int(i);
}

void TestImport::builtInsSurviveCopyConfigEffect()
{
    QFETCH(int, index);
    const effect::Effect &builtIn = effect::builtInEffects().at(index);
    const QString copied = exporter::configEffectLines(builtIn.layers, {}, builtIn.name).join('\n');
    const import::ConfigEffectOutcome outcome = import::parseConfigEffect(copied);
    QVERIFY2(outcome.layers, qPrintable(copied));
    QCOMPARE(outcome.root.name, exporter::configIdentifier(builtIn.name));
    QCOMPARE(outcome.layers->size(), builtIn.layers.size());
    const auto number = [](const QString &text) { return sqf::plainNumber(text.trimmed()).value_or(-12345); };
    for (qsizetype i = 0; i < builtIn.layers.size(); ++i) {
        const effect::Layer &written = builtIn.layers.at(i);
        const effect::Layer &read = outcome.layers->at(i);
        QCOMPARE(read.isLight(), written.isLight());
        for (std::size_t axis = 0; axis < 3; ++axis)
            QCOMPARE(number(read.offset[axis]), number(written.offset[axis]));
        QCOMPARE(read.end.isEmpty(), written.end.trimmed().isEmpty());
        if (!read.end.isEmpty())
            QCOMPARE(number(read.end), number(written.end));
        QCOMPARE(read.muted, written.muted);
        if (written.isLight()) {
            // The light plays as it did, steady: a flicker has no config form.
            effect::LightSettings steady = *written.light;
            steady.flicker = {};
            const effect::LightRecipe before = effect::readLight(steady, {});
            const effect::LightRecipe after = effect::readLight(*read.light, {});
            QCOMPARE(after.colour, before.colour);
            QCOMPARE(after.intensity, before.intensity);
            QCOMPARE(after.attenuation, before.attenuation);
            QCOMPARE(after.dayLight, before.dayLight);
            QCOMPARE(after.useFlare, before.useFlare);
        }
    }
    // Read back, it is copied as the same classes.
    QCOMPARE(configSummary(exporter::configEffectLines(*outcome.layers, outcome.root, builtIn.name).join('\n')),
             configSummary(copied));
}

QTEST_APPLESS_MAIN(TestImport)
#include "tst_import.moc"
