#include "sqf/configreader.h"
#include "sqf/statements.h"
#include "sqf/values.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

using Kind = sqf::Fault::Kind;

Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(std::optional<QStringList>)
Q_DECLARE_METATYPE(std::optional<sqf::Fault>)
Q_DECLARE_METATYPE(std::optional<double>)

namespace {

std::optional<QStringList> elements(const QStringList &list)
{
    return list;
}

// The classes read, "name:base{field=value;array[]=value}" each, joined by " | "; or the problem.
QString summary(const sqf::ConfigReading &reading)
{
    if (!reading.problem.isEmpty())
        return "problem: " + reading.problem;
    QStringList classes;
    for (const sqf::ConfigClass &read : reading.classes) {
        QStringList entries;
        for (const sqf::ConfigEntry &entry : read.entries)
            entries << entry.name + (entry.isArray ? "[]" : "") + (entry.appends ? "+=" : "=")
                           + entry.value.simplified();
        classes << read.name + ':' + read.base + '{' + entries.join(';') + '}'
                       + (read.nestedClasses.isEmpty() ? QString() : '(' + read.nestedClasses.join(',') + ')');
    }
    return classes.join(" | ");
}

} // namespace

class TestSqf : public QObject {
    Q_OBJECT
private slots:
    void removeBlanks_data();
    void removeBlanks();
    void stringLiterals_data();
    void stringLiterals();
    void doubleQuotedReadsBack();
    void faults_data();
    void faults();
    void closingBracket_data();
    void closingBracket();
    void splitElements_data();
    void splitElements();
    void arrays_data();
    void arrays();
    void plainNumber_data();
    void plainNumber();
    void formatNumber_data();
    void formatNumber();
    void formatNumberReadsBack();
    void splitStatements_data();
    void splitStatements();
    void readStatement_data();
    void readStatement();
    void commandWord_data();
    void commandWord();
    void configClasses_data();
    void configClasses();
    void configTree_data();
    void configTree();
    void braceElements_data();
    void braceElements();
};

void TestSqf::removeBlanks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("only blanks") << " \t \t"
                                 << "";
    QTest::newRow("start and end") << "  a b \t"
                                   << "a b";
    QTest::newRow("around commas") << "1 ,\t2 , 3"
                                   << "1,2,3";
    QTest::newRow("around square brackets") << "[ [ 1 ] , [ 2 ] ]"
                                            << "[[1],[2]]";
    QTest::newRow("expression kept") << "[random 0.5 - random 0.7, 1]"
                                     << "[random 0.5 - random 0.7,1]";
    QTest::newRow("parentheses keep their blanks") << "( 1 + 2 )"
                                                   << "( 1 + 2 )";
    QTest::newRow("run of mixed blanks inside") << "a \t b"
                                                << "a \t b";
    QTest::newRow("inside a string") << R"([ "x y ", ' a , b ' ])"
                                     << R"(["x y ",' a , b '])";
    QTest::newRow("doubled quote does not end the string") << R"(" a "" , b " , c)"
                                                           << R"(" a "" , b ",c)";
    QTest::newRow("blank before a string") << R"(hint "x y"; _this setDamage 1)"
                                           << R"(hint "x y"; _this setDamage 1)";
    QTest::newRow("unclosed string runs to the end") << R"([ "a , b   )"
                                                     << R"(["a , b   )";
    QTest::newRow("other quote inside") << R"(" ' , " , ' "" ')"
                                        << R"(" ' , ",' "" ')";
    QTest::newRow("keyword and semicolon") << "drop [ 1 ] ;  "
                                           << "drop[1];";
    QTest::newRow("line break is no blank") << "a \n b"
                                            << "a \n b";
}

void TestSqf::removeBlanks()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(sqf::removeBlanks(text), expected);
}

void TestSqf::stringLiterals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<QString>>("content");
    QTest::addColumn<std::optional<QString>>("value");
    const std::optional<QString> none;
    QTest::newRow("double quoted") << R"("abc")" << std::optional<QString>("abc") << std::optional<QString>("abc");
    QTest::newRow("empty") << R"("")" << std::optional<QString>("") << std::optional<QString>("");
    QTest::newRow("single quoted") << "'a b'" << std::optional<QString>("a b") << std::optional<QString>("a b");
    QTest::newRow("doubled quotes stay in the content")
        << R"("[_this, 2] exec ""fx.sqs""")" << std::optional<QString>(R"([_this, 2] exec ""fx.sqs"")")
        << std::optional<QString>(R"([_this, 2] exec "fx.sqs")");
    QTest::newRow("single doubled") << "'it''s'" << std::optional<QString>("it''s") << std::optional<QString>("it's");
    QTest::newRow("other quote is plain")
        << R"('say "hi"')" << std::optional<QString>(R"(say "hi")") << std::optional<QString>(R"(say "hi")");
    QTest::newRow("only the quote") << R"(")" << none << none;
    QTest::newRow("unclosed") << R"("abc)" << none << none;
    QTest::newRow("ends on a doubled quote") << R"("abc"")" << none << none;
    QTest::newRow("text after the string") << R"("a"b)" << none << none;
    QTest::newRow("two strings") << R"("a" + "b")" << none << none;
    QTest::newRow("blank before") << R"( "a")" << none << none;
    QTest::newRow("no quote") << "abc" << none << none;
    QTest::newRow("nothing") << "" << none << none;
    QTest::newRow("mixed quotes") << R"("a')" << none << none;
}

void TestSqf::stringLiterals()
{
    QFETCH(QString, text);
    QFETCH(std::optional<QString>, content);
    QFETCH(std::optional<QString>, value);
    QCOMPARE(sqf::stringContent(text), content);
    QCOMPARE(sqf::stringValue(text), value);
    QCOMPARE(sqf::stringEnd(text, 0) == text.size(), content.has_value());
}

void TestSqf::doubleQuotedReadsBack()
{
    QRandomGenerator random(311);
    const QString alphabet = "ab \"',[]";
    for (int round = 0; round < 2000; ++round) {
        QString value;
        for (int i = random.bounded(8); i > 0; --i)
            value += alphabet.at(random.bounded(int(alphabet.size())));
        const QString literal = sqf::doubleQuoted(value);
        QCOMPARE(sqf::stringValue(literal), std::optional<QString>(value));
        QCOMPARE(sqf::splitElements(literal + "," + literal), elements({literal, literal}));
    }
}

void TestSqf::faults_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<sqf::Fault>>("fault");
    const std::optional<sqf::Fault> none;
    QTest::newRow("empty") << "" << none;
    QTest::newRow("balanced") << R"([1, (2 + [3]), "]", ')'])" << none;
    QTest::newRow("unclosed string") << R"([1, "ab])" << std::optional(sqf::Fault{Kind::UnclosedString, 4});
    QTest::newRow("unclosed single quote") << "[1, 'ab\"]" << std::optional(sqf::Fault{Kind::UnclosedString, 4});
    QTest::newRow("unclosed bracket, innermost named")
        << "[1, [2, (3)" << std::optional(sqf::Fault{Kind::UnclosedBracket, 4});
    QTest::newRow("unclosed outer") << "[1, [2]" << std::optional(sqf::Fault{Kind::UnclosedBracket, 0});
    QTest::newRow("stray closing") << "1]" << std::optional(sqf::Fault{Kind::StrayClosing, 1});
    QTest::newRow("stray parenthesis") << "[1])" << std::optional(sqf::Fault{Kind::StrayClosing, 3});
    QTest::newRow("wrong closing") << "[1, (2]" << std::optional(sqf::Fault{Kind::WrongClosing, 6, 4});
    QTest::newRow("bracket inside a string does not count") << R"x(["[", '(', ")"])x" << none;
}

void TestSqf::faults()
{
    QFETCH(QString, text);
    QFETCH(std::optional<sqf::Fault>, fault);
    QCOMPARE(sqf::firstFault(text), fault);
}

void TestSqf::closingBracket_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("closing");
    QTest::addColumn<bool>("fault");
    QTest::newRow("whole text") << "[1,[2],3]" << 0 << 8 << false;
    QTest::newRow("inner") << "[1,[2],3]" << 3 << 5 << false;
    QTest::newRow("text after it is not read") << "[1]; \"" << 0 << 2 << false;
    QTest::newRow("string holding a bracket") << R"(["]"])" << 0 << 4 << false;
    QTest::newRow("parenthesis") << "(a, [b])" << 0 << 7 << false;
    QTest::newRow("unclosed") << "[1,[2]" << 0 << -1 << true;
    QTest::newRow("wrong closing") << "[1)" << 0 << -1 << true;
    QTest::newRow("not an opening") << "1[]" << 0 << -1 << false;
    QTest::newRow("past the end") << "[]" << 2 << -1 << false;
}

void TestSqf::closingBracket()
{
    QFETCH(QString, text);
    QFETCH(int, at);
    QFETCH(int, closing);
    QFETCH(bool, fault);
    const sqf::Closing result = sqf::closingBracket(text, at);
    QCOMPARE(result.at, qsizetype(closing));
    QCOMPARE(result.fault.has_value(), fault);
}

void TestSqf::splitElements_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<QStringList>>("elements");
    const std::optional<QStringList> none;
    QTest::newRow("empty") << "" << elements({});
    QTest::newRow("blanks only") << " \t " << elements({});
    QTest::newRow("one") << " a " << elements({"a"});
    QTest::newRow("empty ones") << ",," << elements({"", "", ""});
    QTest::newRow("trailing comma") << "a, " << elements({"a", ""});
    QTest::newRow("nested") << "1, [2, 3], ( 4, 5), f(6, [7])" << elements({"1", "[2,3]", "( 4,5)", "f(6,[7])"});
    QTest::newRow("quoted commas") << R"("a, b", 'c, ''d', "e"",f")"
                                   << elements({R"("a, b")", "'c, ''d'", R"("e"",f")"});
    QTest::newRow("expressions keep their blanks")
        << "\trandom 0.5 - random 0.7 ,\t_x select 1\t" << elements({"random 0.5 - random 0.7", "_x select 1"});
    QTest::newRow("unclosed string") << R"(a, "b, c)" << none;
    QTest::newRow("unclosed bracket") << "a, [b, c" << none;
    QTest::newRow("stray closing") << "a], b" << none;
    QTest::newRow("mismatched") << "(a], b" << none;
}

void TestSqf::splitElements()
{
    QFETCH(QString, text);
    QFETCH(std::optional<QStringList>, elements);
    QCOMPARE(sqf::splitElements(text), elements);
}

void TestSqf::arrays_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<QString>>("content");
    QTest::addColumn<std::optional<QStringList>>("elements");
    const std::optional<QString> noContent;
    const std::optional<QStringList> noElements;
    QTest::newRow("empty array") << "[]" << std::optional<QString>("") << elements({});
    QTest::newRow("blank inside") << " [ ] " << std::optional<QString>("") << elements({});
    QTest::newRow("list of an empty list") << "[[]]" << std::optional<QString>("[]") << elements({"[]"});
    QTest::newRow("colour list") << "[[1, 1, 1, 1], [0.5, 0.5, 0.5, 0]]"
                                 << std::optional<QString>("[1,1,1,1],[0.5,0.5,0.5,0]")
                                 << elements({"[1,1,1,1]", "[0.5,0.5,0.5,0]"});
    QTest::newRow("tabs and lines of a vector")
        << "[\t0.3 ,\t3\t]" << std::optional<QString>("0.3,3") << elements({"0.3", "3"});
    QTest::newRow("two arrays") << "[1],[2]" << noContent << noElements;
    QTest::newRow("text after it") << "[1];" << noContent << noElements;
    QTest::newRow("not an array") << "mycolors" << noContent << noElements;
    QTest::newRow("parentheses") << "(1, 2)" << noContent << noElements;
    QTest::newRow("unclosed") << "[1, 2" << noContent << noElements;
    QTest::newRow("unclosed string inside") << R"(["a])" << noContent << noElements;
}

void TestSqf::arrays()
{
    QFETCH(QString, text);
    QFETCH(std::optional<QString>, content);
    QFETCH(std::optional<QStringList>, elements);
    QCOMPARE(sqf::bracketContent(text), content);
    QCOMPARE(sqf::isBracketed(text), content.has_value());
    QCOMPARE(sqf::arrayElements(text), elements);
}

void TestSqf::plainNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("value");
    const std::optional<double> none;
    QTest::newRow("integer") << "3" << std::optional(3.0);
    QTest::newRow("fraction") << "0.3" << std::optional(0.3);
    QTest::newRow("negative") << "-2.5" << std::optional(-2.5);
    QTest::newRow("leading point") << ".5" << std::optional(0.5);
    QTest::newRow("trailing point") << "5." << std::optional(5.0);
    QTest::newRow("empty") << "" << none;
    QTest::newRow("only a point") << "." << none;
    QTest::newRow("only a sign") << "-" << none;
    QTest::newRow("two points") << "1.2.3" << none;
    QTest::newRow("plus sign") << "+1" << none;
    QTest::newRow("exponent") << "1e5" << none;
    QTest::newRow("comma") << "0,5" << none;
    QTest::newRow("blank") << "1 " << none;
    QTest::newRow("expression") << "random 1" << none;
    QTest::newRow("too large") << "1" + QString(400, '0') << none;
}

void TestSqf::plainNumber()
{
    QFETCH(QString, text);
    QFETCH(std::optional<double>, value);
    QCOMPARE(sqf::plainNumber(text), value);
}

void TestSqf::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("midpoint of 0.3 and 3") << (0.3 + 3) / 2 << "1.65";
    QTest::newRow("integer") << 3.0 << "3";
    QTest::newRow("negative") << -0.25 << "-0.25";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("small, no exponent") << 0.00001 << "0.00001";
    QTest::newRow("large, no exponent") << 1e20 << "100000000000000000000";
    QTest::newRow("a third") << 1.0 / 3 << "0.3333333333333333";
}

void TestSqf::formatNumber()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(sqf::formatNumber(value), text);
}

void TestSqf::formatNumberReadsBack()
{
    QRandomGenerator random(977);
    for (int round = 0; round < 5000; ++round) {
        const double value = (random.generateDouble() - 0.5) * std::pow(10.0, random.bounded(-12, 16));
        const QString text = sqf::formatNumber(value);
        QVERIFY2(!text.contains('e') && !text.contains(','), qPrintable(text));
        QCOMPARE(sqf::plainNumber(text), std::optional<double>(value == 0 ? 0.0 : value));
    }
    QCOMPARE(sqf::plainNumber(sqf::formatNumber(std::numeric_limits<double>::max())),
             std::optional(std::numeric_limits<double>::max()));
}

void TestSqf::splitStatements_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<std::optional<sqf::Fault>>("fault");
    const std::optional<sqf::Fault> none;
    QTest::newRow("empty") << "" << QStringList() << none;
    QTest::newRow("only separators and blanks") << " ;\n;\t; " << QStringList() << none;
    QTest::newRow("one without a semicolon")
        << "  _ps setDropInterval 0.1 " << QStringList{"_ps setDropInterval 0.1"} << none;
    QTest::newRow("lines, blank lines dropped") << "_a = 1;\r\n\r\n_b = 2;\n"
                                                << QStringList{"_a = 1", "_b = 2"} << none;
    QTest::newRow("one line") << "_a = 1; _b = [1, 2]; hint \"x\"" << QStringList{"_a = 1", "_b = [1, 2]", "hint \"x\""}
                              << none;
    QTest::newRow("semicolons in both quote kinds")
        << R"(hint "a;b"; hint 'c;''d'; x)" << QStringList{R"(hint "a;b")", "hint 'c;''d'", "x"} << none;
    QTest::newRow("doubled quote does not end the string")
        << R"(hint "a"";b"; y)" << QStringList{R"(hint "a"";b")", "y"} << none;
    QTest::newRow("semicolons in brackets, parentheses and braces")
        << "a = [1;2]; b = (c; d); if (x) then {y; z}; w"
        << QStringList{"a = [1;2]", "b = (c; d)", "if (x) then {y; z}", "w"} << none;
    QTest::newRow("line comment with a semicolon, inside an array")
        << "_p setParticleRandom [1, // life; more\n 2];\n_q = 3"
        << QStringList{"_p setParticleRandom [1, \n 2]", "_q = 3"} << none;
    QTest::newRow("block comment with a semicolon and brackets")
        << "_a = [1, /* ] ; [ */ 2]; /* whole ; line */ _b = 1" << QStringList{"_a = [1,   2]", "_b = 1"} << none;
    QTest::newRow("comment marks inside a string stay")
        << R"(hint "// a; /* b */")" << QStringList{R"(hint "// a; /* b */")"} << none;
    QTest::newRow("comment only") << "// nothing here;\n/* nor ; here */" << QStringList() << none;
    QTest::newRow("unclosed block comment runs to the end") << "_a = 1; /* _b = 2;" << QStringList{"_a = 1"} << none;
    QTest::newRow("unclosed string") << "_a = 1; hint \"x;" << QStringList()
                                     << std::optional(sqf::Fault{Kind::UnclosedString, 13});
    QTest::newRow("unclosed bracket") << "_a = [1, 2; _b = 1" << QStringList()
                                      << std::optional(sqf::Fault{Kind::UnclosedBracket, 5});
    QTest::newRow("unclosed brace") << "call {a; b" << QStringList()
                                    << std::optional(sqf::Fault{Kind::UnclosedBracket, 5});
    QTest::newRow("stray brace") << "a; }; b" << QStringList() << std::optional(sqf::Fault{Kind::StrayClosing, 3});
    QTest::newRow("brace closed by a bracket")
        << "{a]" << QStringList() << std::optional(sqf::Fault{Kind::WrongClosing, 2, 0});
    QTest::newRow("fault position counts comments")
        << "/* [ */ ]" << QStringList() << std::optional(sqf::Fault{Kind::StrayClosing, 8});
}

void TestSqf::splitStatements()
{
    QFETCH(QString, text);
    QFETCH(QStringList, statements);
    QFETCH(std::optional<sqf::Fault>, fault);
    const sqf::StatementSplit split = sqf::splitStatements(text);
    QCOMPARE(split.statements, statements);
    QCOMPARE(split.fault, fault);
}

void TestSqf::readStatement_data()
{
    using SKind = sqf::Statement::Kind;
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<bool>("isPrivate");
    const auto command = [](const char *row, const QString &text, const QString &name, const QString &word,
                            const QString &argument) {
        QTest::newRow(row) << text << int(SKind::Command) << name << word << argument << false;
    };
    const auto assignment = [](const char *row, const QString &text, const QString &name, const QString &expression,
                               bool isPrivate) {
        QTest::newRow(row) << text << int(SKind::Assignment) << name << QString() << expression << isPrivate;
    };
    const auto other = [](const char *row, const QString &text, const QString &word) {
        QTest::newRow(row) << text << int(SKind::Other) << QString() << word << QString() << false;
    };
    command("source command", "_ps setParticleRandom [2, [0.3, 0.3, 0.3]]", "_ps", "setParticleRandom",
            "[2, [0.3, 0.3, 0.3]]");
    command("blanks and line breaks kept inside", "  _PS\tsetDropInterval\n 0.1 + random 0.5 ", "_PS",
            "setDropInterval", "0.1 + random 0.5");
    command("no blank before the array", "_ps setParticleParams[\"a\"]", "_ps", "setParticleParams", "[\"a\"]");
    command("a variable argument", "_ps setParticleParams _parray", "_ps", "setParticleParams", "_parray");
    command("a global name", "smoke1 setParticleClass \"X\"", "smoke1", "setParticleClass", "\"X\"");
    command("no argument", "_ps setDropInterval", "_ps", "setDropInterval", "");
    command("parenthesised operand", "(_this select 0) setPos [0, 0, 1]", "(_this select 0)", "setPos", "[0, 0, 1]");
    command("string operand without a blank", "\"#particlesource\"createVehicleLocal _pos", "\"#particlesource\"",
            "createVehicleLocal", "_pos");
    command("array operand", "[_a] call _fnc", "[_a]", "call", "_fnc");
    command("attachTo", "_ps attachTo [_veh, [0, 0, 1]]", "_ps", "attachTo", "[_veh, [0, 0, 1]]");
    assignment("assignment", "_color = [[1, 0, 0, 1], [0, 1, 0, 0.5]]", "_color", "[[1, 0, 0, 1], [0, 1, 0, 0.5]]",
               false);
    assignment("no blanks", "_i=0.1", "_i", "0.1", false);
    assignment("private", "private _ps = \"#particlesource\" createVehicleLocal getPos _obj", "_ps",
               "\"#particlesource\" createVehicleLocal getPos _obj", true);
    assignment("PRIVATE in capitals", "PRIVATE _a=1", "_a", "1", true);
    assignment("empty expression", "_a =", "_a", "", false);
    other("unary command with a string", "playSound \"boom\"", "playSound");
    other("unary command on a local variable", "deleteVehicle _ps", "deleteVehicle");
    other("private list", "private [\"_ps\", \"_color\"]", "private");
    other("private name", "private _ps", "private");
    other("comparison is no assignment", "_a == 1", "");
    other("control structure", "if (_a > 1) then {hint \"x\"}", "if");
    other("number first", "0 = [] spawn {sleep 1}", "spawn");
    other("one word", "_ps", "");
}

void TestSqf::readStatement()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(QString, name);
    QFETCH(QString, command);
    QFETCH(QString, argument);
    QFETCH(bool, isPrivate);
    const sqf::Statement statement = sqf::readStatement(text);
    QCOMPARE(int(statement.kind), kind);
    QCOMPARE(statement.text, text.trimmed());
    QCOMPARE(statement.name, name);
    QCOMPARE(statement.command, command);
    QCOMPARE(statement.argument, argument);
    QCOMPARE(statement.isPrivate, isPrivate);
}

void TestSqf::commandWord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("word");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("local variables are no command") << "_a + _b"
                                                    << "";
    QTest::newRow("after a string") << R"("#particlesource" createVehicleLocal getPos _obj)"
                                    << "createVehicleLocal";
    QTest::newRow("words inside brackets do not count") << "[getPos _o, 1] call _f"
                                                        << "call";
    QTest::newRow("letters of a number do not count") << "1e5 + 0x1F max 2"
                                                      << "max";
    QTest::newRow("unclosed string ends the search") << "_a \"b c"
                                                     << "";
}

void TestSqf::commandWord()
{
    QFETCH(QString, text);
    QFETCH(QString, word);
    QCOMPARE(sqf::commandWord(text), word);
}

void TestSqf::configClasses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("classes");
    QTest::addColumn<bool>("startsWithClass");
    QTest::newRow("with a base") << "class A: Default { interval = 0.05; size[] = {1, 2}; };"
                                 << "A:Default{interval=0.05;size[]={1, 2}}" << true;
    QTest::newRow("inside CfgCloudlets")
        << "class CfgCloudlets {\n  class Default;\n  class A: Default { lifeTime = 2; };\n};"
        << "A:Default{lifeTime=2}" << true;
    QTest::newRow("comments and a define") << "// mine\n#define SMOKE 1\nclass A { // c\n a = \"x;y\"; /* b = 1; */ };"
                                           << "A:{a=\"x;y\"}" << true;
    QTest::newRow("a define carried on") << "#define LONG 1, \\\n 2\nclass A { a = 1; };"
                                         << "A:{a=1}" << true;
    QTest::newRow("doubled quotes") << R"(class A { t = "say ""hi; there"""; };)"
                                    << R"(A:{t="say ""hi; there"""})" << true;
    QTest::newRow("macro names and calls") << "class CLASS(Flare_Blue): FLARE_BASE { colorCoef[] = SMOKE_RED; };"
                                           << "CLASS(Flare_Blue):FLARE_BASE{colorCoef[]=SMOKE_RED}" << true;
    QTest::newRow("braces over lines") << "class A {\n color[] = {\n  {1,1,1,1},\n  {1,1,1,0}\n };\n};"
                                       << "A:{color[]={ {1,1,1,1}, {1,1,1,0} }}" << true;
    QTest::newRow("nested class left out") << "class A { x = 1; class Inner { y = 2; }; z = 3; };"
                                           << "A:{x=1;z=3}(Inner)" << true;
    QTest::newRow("several") << "class A { x = 1; };\nclass B: A { y = 2; };"
                             << "A:{x=1} | B:A{y=2}" << true;
    QTest::newRow("no ';' after the class") << "class A { x = 1; }"
                                            << "A:{x=1}" << true;
    QTest::newRow("arithmetic and words") << "Class A { interval = 3*10; particleType = Billboard; };"
                                          << "A:{interval=3*10;particleType=Billboard}" << true;
    QTest::newRow("an array added to") << "class A: B { colorCoef[] += {1, 0.5}; };"
                                       << "A:B{colorCoef[]+={1, 0.5}}" << true;
    QTest::newRow("an empty class") << "class A: B {};"
                                    << "A:B{}" << true;
    QTest::newRow("brace not closed") << "class A { x = 1;"
                                      << "problem: the brace of class A at character 9 does not close" << true;
    QTest::newRow("value brace not closed") << "class A { x[] = {1, 2; "
                                            << "problem: the value of x opens a brace that does not close" << true;
    QTest::newRow("value brace closing the class")
        << "class A { x[] = {1, 2; };"
        << "problem: the brace of class A at character 9 does not close" << true;
    QTest::newRow("closes nothing") << "class A {}; }"
                                    << "problem: the '}' at character 13 closes nothing" << true;
    QTest::newRow("value not ended") << "class A { x = 1 }"
                                     << "problem: the value of x is not ended by ';'" << true;
    QTest::newRow("string not closed") << "class A { t = \"abc; };"
                                       << "problem: the string at character 15 does not close" << true;
    QTest::newRow("fields without a class") << "x = 1;"
                                            << "problem: it has fields (x) but no class around them" << false;
    QTest::newRow("a declaration only") << "class Default;"
                                        << "problem: it defines no class with a body in braces" << true;
    QTest::newRow("no name") << "class { x = 1; };"
                             << "problem: the class at character 1 has no name" << true;
    QTest::newRow("a word beginning with class")
        << "classic = 1;"
        << "problem: it has fields (classic) but no class around them" << false;
    QTest::newRow("a drop array") << "drop [\"cl_basic\"]"
                                  << "problem: the field drop has \"\"cl_basic\"]\" at character 7 where \"[]\" belongs"
                                  << false;
}

void TestSqf::configClasses()
{
    QFETCH(QString, text);
    QFETCH(QString, classes);
    QFETCH(bool, startsWithClass);
    QCOMPARE(summary(sqf::readConfigClasses(text)), classes);
    QCOMPARE(sqf::startsWithClass(text), startsWithClass);
}

namespace {

QString treeSummary(const QList<sqf::ConfigNode> &nodes)
{
    QStringList classes;
    for (const sqf::ConfigNode &node : nodes) {
        QStringList entries;
        for (const sqf::ConfigEntry &entry : node.entries)
            entries << entry.name + (entry.isArray ? "[]" : "") + '=' + entry.value;
        classes << node.name + ':' + node.base + '{' + entries.join(';')
                       + (node.classes.isEmpty() ? QString() : " " + treeSummary(node.classes)) + '}';
    }
    return classes.join(" | ");
}

} // namespace

void TestSqf::configTree_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tree");
    QTest::newRow("classes inside classes, declarations left out")
        << "class CfgLights { class Base; class L: Base { a = 1; class Attenuation { q = 2; }; }; };"
        << "CfgLights:{ L:Base{a=1 Attenuation:{q=2}}}";
    QTest::newRow("a root and its parts, fields beside them")
        << "class R { x = 0; class P1 { s = \"light\"; }; class P2: P1 { }; };\nclass C { };"
        << "R:{x=0 P1:{s=\"light\"} | P2:P1{}} | C:{}";
    QTest::newRow("a value over lines is one line, strings as written")
        << "class A { p[] = { 0,\n\t\t1.8,\n\t\t0\n\t}; t = \"a  b\"; };"
        << "A:{p[]={ 0, 1.8, 0 };t=\"a  b\"}";
    QTest::newRow("refused as a whole") << "class A { class B { x = 1; };"
                                        << "";
}

void TestSqf::configTree()
{
    QFETCH(QString, text);
    QFETCH(QString, tree);
    const sqf::ConfigTree read = sqf::readConfigTree(text);
    QCOMPARE(treeSummary(read.classes), tree);
    QCOMPARE(read.problem.isEmpty(), !tree.isEmpty());
}

void TestSqf::braceElements_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<std::optional<QStringList>>("expected");
    QTest::newRow("numbers") << "{1, 2.5, -3}" << elements({"1", "2.5", "-3"});
    QTest::newRow("nested") << "{ {1,1}, {0, 0} }" << elements({"{1,1}", "{0, 0}"});
    QTest::newRow("empty") << "{}" << elements({});
    QTest::newRow("a comma in a string") << R"({"a,b", f(1,2)})" << elements({R"("a,b")", "f(1,2)"});
    QTest::newRow("a macro") << "SMOKE_RED" << std::optional<QStringList>();
    QTest::newRow("not closed") << "{{1}" << std::optional<QStringList>();
    QTest::newRow("closing too early") << "{1}, {2}" << std::optional<QStringList>();
}

void TestSqf::braceElements()
{
    QFETCH(QString, value);
    QFETCH(std::optional<QStringList>, expected);
    QCOMPARE(sqf::braceElements(value), expected);
}

QTEST_APPLESS_MAIN(TestSqf)
#include "tst_sqf.moc"
