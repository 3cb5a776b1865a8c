#include "drop/dropstring.h"
#include "import/importparser.h"
#include "import/xstrings.h"

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
    void extraTokensOnlyReachTheList();
    void inlineListPastedWithBoxSetIsCutByPosition();
    void colourList_data();
    void colourList();
    void separateWithoutColoursLeavesColourEmpty();
    void lineBreaksAreRemovedLikeBlanks();
    void blanksInsideQuotesAreLost();
    void megabyteOfBlanksImports();
    void roundTripInline();
    void roundTripSeparate();
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
    QTest::newRow("no keyword") << ""
                                << "" << true;
    QTest::newRow("after something else") << "x drop "
                                          << "xdrop" << true;
    QTest::newRow("twice") << "drop drop "
                           << "drop" << true;
    QTest::newRow("truncated keyword") << "dro "
                                       << "dro" << true;
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
    if (cleanedPrefix.isEmpty())
        QCOMPARE(outcome.array->fields, exampleFields(kExampleColours));
    else // the first two characters dropped are no longer the bracket and the quote
        QVERIFY(outcome.array->fields.at(0) != "shape1");
}

void TestImport::failuresYieldNothing_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QString>("cleaned");
    const QString ok = kExampleCleaned;
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("empty, box set") << "" << true << "";
    QTest::newRow("only blanks, box set") << "    " << true << "";
    QTest::newRow("keyword only") << "drop" << true << "";
    QTest::newRow("vector of two") << QString(ok).replace("[0,0,0.5]", "[0,0.5]") << false
                                   << QString(ok).replace("[0,0,0.5]", "[0,0.5]");
    QTest::newRow("parameter missing") << QString(ok).replace("0.1,0.05,", "0.1,") << false
                                       << QString(ok).replace("0.1,0.05,", "0.1,");
    QTest::newRow("starts with [[") << "[[1,1,1,1]]" + ok << false << "[[1,1,1,1]]" + ok;
    QTest::newRow("]] long before [[") << "]]x" + ok << false << "]]x" + ok;
    QTest::newRow("leading comma") << "," + ok << false << "," + ok;
    QTest::newRow("object missing, trailing comma")
        << QString(ok).replace("obj1]", "") << false << QString(ok).replace("obj1]", "");
    QTest::newRow("variable without box")
        << QString(kExampleWithVariable) << false << QString(kExampleWithVariable).mid(4).remove(' ');
    const QString variable = QString(kExampleWithVariable).mid(4).remove(' ');
    QTest::newRow("box set, colour token empty")
        << QString(variable).replace("[mycolors]", "") << true << QString(variable).replace("[mycolors]", "");
    QTest::newRow("box set, colour token one character")
        << QString(variable).replace("[mycolors]", "m") << true << QString(variable).replace("[mycolors]", "m");
    QTest::newRow("garbage") << "drop]]],,,[[[" << false << "]]],,,[[[";
}

void TestImport::failuresYieldNothing()
{
    QFETCH(QString, pasted);
    QFETCH(bool, separate);
    QFETCH(QString, cleaned);
    const import::ParseOutcome outcome = import::parseDropArray(pasted, separate, "[1,1,1,1]");
    QVERIFY(!outcome.array);
    QCOMPARE(outcome.cleanedText, cleaned);
}

void TestImport::extraTokensOnlyReachTheList()
{
    // A comma inside a quoted value adds a token; every value after it moves one place.
    const QString pasted = QString(kExampleCleaned).replace(R"("shape1")", R"("sha,pe1")");
    const import::ParseOutcome outcome = import::parseDropArray(pasted, false, {});
    QVERIFY(outcome.array);
    QCOMPARE(outcome.array->tokens.size(), 28);
    QCOMPARE(outcome.array->fields.size(), 27);
    QCOMPARE(outcome.array->fields.at(0), "sh");
    QCOMPARE(outcome.array->fields.at(1), "e1");
    QCOMPARE(outcome.array->fields.at(26), R"(")");
    QCOMPARE(outcome.array->tokens.at(27), "obj1]");
}

void TestImport::inlineListPastedWithBoxSetIsCutByPosition()
{
    const import::ParseOutcome outcome = import::parseDropArray(kExample, true, "[2,2,2,2]");
    QVERIFY(outcome.array);
    QCOMPARE(outcome.array->tokens.size(), 34);
    QCOMPARE(outcome.array->colorVarName, std::optional<QString>("["));
    QCOMPARE(outcome.array->fields.at(18), "[2,2,2,2]");
    QCOMPARE(outcome.array->fields.at(19), "");
    QCOMPARE(outcome.array->fields.at(20), "1");
    QCOMPARE(outcome.array->fields.at(26), "[");
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
    QTest::newRow("no closing ]]") << "[[1,1,1,1]"
                                   << "";
}

void TestImport::colourList()
{
    QFETCH(QString, value13);
    QFETCH(QString, text19);
    const QString pasted = QString(kExampleCleaned).replace("[[1,1,1,1],[0.5,0.5,0.5,0]]", value13);
    const import::ParseOutcome outcome = import::parseDropArray(pasted, false, {});
    if (text19.isEmpty()) {
        // Without "]]" the colour text runs to the end and nothing is left for the later values.
        QVERIFY(!outcome.array);
        return;
    }
    QVERIFY(outcome.array);
    QCOMPARE(outcome.array->fields, exampleFields(text19));
}

void TestImport::separateWithoutColoursLeavesColourEmpty()
{
    const import::ParseOutcome outcome = import::parseDropArray(kExampleWithVariable, true, {});
    QVERIFY(outcome.array);
    QCOMPARE(outcome.array->fields.at(18), "");
    QCOMPARE(outcome.array->colorVarName, std::optional<QString>("mycolors"));
}

void TestImport::lineBreaksAreRemovedLikeBlanks()
{
    QString pasted = kExample;
    pasted.replace(", [[", ",\r\n    [[").replace("obj1]", "ob\nj1]").replace("\"shape1\"", "\"sha\rpe1\"");
    const import::ParseOutcome outcome = import::parseDropArray(pasted, false, {});
    QCOMPARE(outcome.cleanedText, kExampleCleaned);
    QVERIFY(outcome.array);
    QCOMPARE(outcome.array->fields, exampleFields(kExampleColours));
}

void TestImport::blanksInsideQuotesAreLost()
{
    const QString pasted = QString(kExample).replace("\"shape1\"", "\"my shape\"");
    const import::ParseOutcome outcome = import::parseDropArray(pasted, false, {});
    QVERIFY(outcome.array);
    QCOMPARE(outcome.array->fields.at(0), "myshape");
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

void TestImport::roundTripInline()
{
    QRandomGenerator random(1789);
    // Blanks and commas do not survive a round trip; nor do brackets, which could form a "[[" or
    // "]]" outside the colour list.
    const QString alphabet = "abcXYZ019.-_\"'=;:!?+*/\t";
    for (int round = 0; round < 500; ++round) {
        QStringList fields;
        for (int n = 1; n <= 27; ++n)
            fields << (n == 19 ? randomColourList(random, alphabet) : randomText(random, alphabet, 6));
        const QString dropString = drop::formatDropString(fields, drop::ColourMode::Inline, "_color");
        const import::ParseOutcome outcome = import::parseDropArray(dropString, false, {});
        QVERIFY2(outcome.array, qPrintable(dropString));
        QCOMPARE(outcome.array->fields, fields);
        QCOMPARE(outcome.array->tokens, fields);
    }
}

void TestImport::roundTripSeparate()
{
    QRandomGenerator random(1848);
    const QString alphabet = "abcXYZ019.-_\"'=;:!?+*/[]\t";
    for (int round = 0; round < 500; ++round) {
        QStringList fields;
        for (int n = 1; n <= 27; ++n)
            fields << randomText(random, alphabet, 6);
        // The colour list is copied into the dialog's own field, which takes it as it is.
        fields[18] = randomText(random, alphabet + ", ", 12);
        const QString name = randomText(random, alphabet, 8);
        const QString dropString = drop::formatDropString(fields, drop::ColourMode::Separate, name);
        const import::ParseOutcome outcome = import::parseDropArray(dropString, true, fields[18]);
        QVERIFY2(outcome.array, qPrintable(dropString));
        QCOMPARE(outcome.array->fields, fields);
        QCOMPARE(outcome.array->colorVarName, std::optional<QString>(name));
    }
}

QTEST_APPLESS_MAIN(TestImport)
#include "tst_import.moc"
