#include "drop/dropstring.h"
#include "drop/fieldtable.h"

#include <QTest>

using drop::ColourMode;

class TestDropString : public QObject {
    Q_OBJECT
private slots:
    void formatsFields_data();
    void formatsFields();
    void sizeDisplay_data();
    void sizeDisplay();
    void colourVarNameIsTheFirstWord_data();
    void colourVarNameIsTheFirstWord();
    void shapeTypeCorrection_data();
    void shapeTypeCorrection();
    void separateColourForms_data();
    void separateColourForms();
    void emptyNameGivesEmptyBrackets();
};

namespace {
QStringList withField(int number, const QString &text)
{
    QStringList fields = drop::startTexts();
    fields[number - 1] = text;
    return fields;
}

QStringList withFields(std::initializer_list<std::pair<int, QString>> changed)
{
    QStringList fields = drop::startTexts();
    for (const auto &[number, text] : changed)
        fields[number - 1] = text;
    return fields;
}
} // namespace

// clang-format off
void TestDropString::formatsFields_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QString>("expected");

    QTest::newRow("start texts inline") << drop::startTexts() << false
                                        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])";
    QTest::newRow("start texts separate")
        << drop::startTexts() << true << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[_color],[0,0,0],0,0,"","",])";
    QTest::newRow("one colour inline") << withField(19, "[1,1,1,1]") << false
                                       << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[1,1,1,1]],[0,0,0],0,0,"","",])";
    QTest::newRow("one colour separate")
        << withField(19, "[1,1,1,1]") << true
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[_color],[0,0,0],0,0,"","",])";
    // A list of none or of several colours goes into the variable in one pair of brackets, so the
    // drop string names the variable bare.
    QTest::newRow("no colours separate")
        << withField(19, "") << true
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],_color,[0,0,0],0,0,"","",])";
    QTest::newRow("two colours separate")
        << withField(19, "[1,0,0,1],[0,1,0,0.5]") << true
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],_color,[0,0,0],0,0,"","",])";
    QTest::newRow("three colours separate")
        << withField(19, "[1,0,0,1],[0,1,0,0.5],[0,0,1,0]") << true
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],_color,[0,0,0],0,0,"","",])";
    QStringList position = drop::startTexts();
    position[5] = "1";
    position[6] = "";
    position[7] = "3";
    QTest::newRow("emptied component") << position << false
                                       << R"(Drop ["","","",0,0,[1,,3],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])";
    QTest::newRow("quote copied unescaped")
        << withField(1, R"(a"b)") << false << R"(Drop ["a"b","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])";
    QTest::newRow("blanks and commas kept")
        << withField(9, " 1,2 ") << false << R"(Drop ["","","",0,0,[0,0,0],[ 1,2 ,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])";
    // The forms the import reads from the arrays authors write, given back as written.
    QTest::newRow("whole-value Position")
        << withFields({{6, "getPos _bullet"}, {7, ""}, {8, ""}}) << false
        << R"(Drop ["","","",0,0,getPos _bullet,[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])";
    QTest::newRow("whole-value Size and AnimationPhase")
        << withFields({{16, "(_e select 3)"}, {17, ""}, {18, ""}, {20, "_phase"}, {21, ""}, {22, ""}}) << false
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,(_e select 3),[[]],_phase,0,0,"","",])";
    QTest::newRow("all three components empty")
        << withFields({{9, ""}, {10, ""}, {11, ""}}) << false
        << R"(Drop ["","","",0,0,[0,0,0],,0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])";
    // Written alone it would read as the vector itself.
    QTest::newRow("bracketed first component stays in the vector")
        << withFields({{6, "[1,2,3]"}, {7, ""}, {8, ""}}) << false
        << R"(Drop ["","","",0,0,[[1,2,3],,],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])";
    QTest::newRow("two-value Size and AnimationPhase")
        << withFields({{16, "1"}, {17, ""}, {18, "random 4"}, {20, ""}, {21, ""}, {22, "1"}}) << false
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[1,random 4],[[]],[,1],0,0,"","",])";
    QTest::newRow("empty middle of Position stays")
        << withFields({{6, "1"}, {7, ""}, {8, "3"}}) << false
        << R"(Drop ["","","",0,0,[1,,3],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])";
    QTest::newRow("Size of five values")
        << withFields({{16, "0.5"}, {17, "1.5,2.5,3"}, {18, "8"}}) << false
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0.5,1.5,2.5,3,8],[[]],[0,0,0],0,0,"","",])";
    QTest::newRow("shape array")
        << withField(1, R"(["\A3\data_f\Universal",16,12,8,0])") << false
        << R"(Drop [["\A3\data_f\Universal",16,12,8,0],"","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])";
    QTest::newRow("bracket later in a shape name is quoted")
        << withField(1, "a[1]") << false
        << R"(Drop ["a[1]","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",])";
    QTest::newRow("string expressions in parentheses")
        << withFields({{3, "(_type)"}, {25, R"((_pathS + "exhaust2.sqs"))"}}) << false
        << R"(Drop ["","",(_type),0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,(_pathS + "exhaust2.sqs"),"",])";
    QTest::newRow("parentheses that do not enclose it all are quoted")
        << withFields({{2, "(a) + (b)"}, {26, " (x)"}}) << false
        << R"x(Drop ["","(a) + (b)","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,""," (x)",])x";
    QTest::newRow("colour list expression inline")
        << withField(19, "([_rgb, 0.8] call _fnc_colors)") << false
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],([_rgb, 0.8] call _fnc_colors),[0,0,0],0,0,"","",])";
    QTest::newRow("colour list expression separate")
        << withField(19, "(_e select 4)") << true
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[_color],[0,0,0],0,0,"","",])";
    QTest::newRow("plain colour variable bracketed")
        << withField(19, "_c") << false
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[_c],[0,0,0],0,0,"","",])";
    QTest::newRow("later parameters after the object")
        << withField(27, "_this,0,true,0,[[0,0,0,0]]") << false
        << R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",_this,0,true,0,[[0,0,0,0]]])";
    QStringList every;
    for (int n = 1; n <= drop::kFieldCount; ++n)
        every << QStringLiteral("v%1").arg(n);
    QTest::newRow("every field in its place")
        << every << false
        << R"(Drop ["v1","v2","v3",v4,v5,[v6,v7,v8],[v9,v10,v11],v12,v13,v14,v15,[v16,v17,v18],[v19],[v20,v21,v22],v23,v24,"v25","v26",v27])";
}
// clang-format on

void TestDropString::formatsFields()
{
    QFETCH(QStringList, fields);
    QFETCH(bool, separate);
    QFETCH(QString, expected);
    QCOMPARE(drop::formatDropString(fields, separate ? ColourMode::Separate : ColourMode::Inline, "_color"), expected);
}

// clang-format off
void TestDropString::sizeDisplay_data()
{
    QTest::addColumn<bool>("separate");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("inline") << false << 75 << 0 << "75 Byte";
    QTest::newRow("separate") << true << 79 << 11 << "79 Byte + 11 Byte";
    QTest::newRow("separate with empty line") << true << 79 << 0 << "79 Byte + 0 Byte";
    QTest::newRow("no grouping") << false << 1234567 << 0 << "1234567 Byte";
}
// clang-format on

void TestDropString::sizeDisplay()
{
    QFETCH(bool, separate);
    QFETCH(int, result);
    QFETCH(int, line);
    QFETCH(QString, expected);
    QCOMPARE(drop::formatSizeDisplay(separate ? ColourMode::Separate : ColourMode::Inline, result, line), expected);
}

// clang-format off
void TestDropString::colourVarNameIsTheFirstWord_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("names");
    QTest::addColumn<QString>("name");
    QTest::newRow("whole line") << "_color = [1,1,1,1]" << true << "_color";
    QTest::newRow("no blank") << "smoke" << true << "smoke";
    QTest::newRow("leading blank") << " smoke = []" << true << "";
    QTest::newRow("tab is no separator") << "a\tb c" << true << "a\tb";
    QTest::newRow("empty") << "" << false << "";
}
// clang-format on

void TestDropString::colourVarNameIsTheFirstWord()
{
    QFETCH(QString, line);
    QFETCH(bool, names);
    QFETCH(QString, name);
    const auto found = drop::colourVarNameFromLine(line);
    QCOMPARE(found.has_value(), names);
    if (names)
        QCOMPARE(*found, name);
}

// clang-format off
void TestDropString::shapeTypeCorrection_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("corrected");
    QTest::newRow("billboard") << "billboard" << "Billboard";
    QTest::newRow("spaceobject") << "spaceobject" << "SpaceObject";
    QTest::newRow("capitals stay") << "BILLBOARD" << "";
    QTest::newRow("blanks stay") << " billboard" << "";
    QTest::newRow("already right") << "Billboard" << "";
}
// clang-format on

void TestDropString::shapeTypeCorrection()
{
    QFETCH(QString, typed);
    QFETCH(QString, corrected);
    const auto result = drop::correctedShapeType(typed);
    QCOMPARE(result.value_or(QString()), corrected);
}

// clang-format off
void TestDropString::separateColourForms_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("colours");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("value13");
    QTest::newRow("start text") << "_color" << "[]" << "_color = []" << "[_color]";
    QTest::newRow("no colours") << "_color" << "" << "_color = []" << "_color";
    QTest::newRow("only blanks") << "_color" << "  " << "_color = [  ]" << "_color";
    QTest::newRow("one colour") << "_color" << "[1,1,1,1]" << "_color = [1,1,1,1]" << "[_color]";
    QTest::newRow("two colours") << "_color" << "[1,0,0,1],[0,1,0,0.5]" << "_color = [[1,0,0,1],[0,1,0,0.5]]" << "_color";
    QTest::newRow("three colours, renamed") << "smoke" << "[1,0,0,1], [0,1,0,0.5], [0,0,1,0]"
                                            << "smoke = [[1,0,0,1], [0,1,0,0.5], [0,0,1,0]]" << "smoke";
    QTest::newRow("one colour, renamed") << "smoke" << "[0.5,0.5,0.5,1]" << "smoke = [0.5,0.5,0.5,1]" << "[smoke]";
    QTest::newRow("colour and variable") << "_color" << "_c1,[1,1,1,0]" << "_color = [_c1,[1,1,1,0]]" << "_color";
    QTest::newRow("commas inside a colour expression") << "_color" << "[_r, 0, 0, 1],(_e select 4)"
                                                       << "_color = [[_r, 0, 0, 1],(_e select 4)]" << "_color";
    // Read conservatively: one element, or a text that runs in neither form, stays as typed.
    QTest::newRow("variable") << "_color" << "_c" << "_color = _c" << "[_color]";
    QTest::newRow("parenthesised list") << "_color" << "([1,1,1,1],[0,0,0,0])" << "_color = ([1,1,1,1],[0,0,0,0])"
                                        << "[_color]";
    QTest::newRow("trailing comma") << "_color" << "[1,1,1,1]," << "_color = [1,1,1,1]," << "[_color]";
    QTest::newRow("empty element") << "_color" << "[1,1,1,1],,[0,0,0,0]" << "_color = [1,1,1,1],,[0,0,0,0]"
                                   << "[_color]";
    QTest::newRow("open bracket") << "_color" << "[1,1,1,1],[0,0" << "_color = [1,1,1,1],[0,0" << "[_color]";
    QTest::newRow("comma in a string") << "_color" << "\"a,b\"" << "_color = \"a,b\"" << "[_color]";
}
// clang-format on

void TestDropString::separateColourForms()
{
    QFETCH(QString, name);
    QFETCH(QString, colours);
    QFETCH(QString, line);
    QFETCH(QString, value13);
    QCOMPARE(drop::formatColourLine(name, colours), line);
    QCOMPARE(drop::colourVariableValue(name, colours), value13);
    QCOMPARE(drop::formatDropString(withField(19, colours), ColourMode::Separate, name),
             R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],)" + value13 + R"(,[0,0,0],0,0,"","",])");
}

void TestDropString::emptyNameGivesEmptyBrackets()
{
    const QString text = drop::formatDropString(drop::startTexts(), ColourMode::Separate, QString());
    QVERIFY(text.contains(",[0,0,0],[],[0,0,0],"));
    QCOMPARE(drop::formatColourLine(QString(), "[]"), " = []");
    // A bare empty name would leave value 13 out; the list still goes into brackets.
    const QString twoColours = "[1,1,1,1],[0,0,0,0]";
    QVERIFY(drop::formatDropString(withField(19, twoColours), ColourMode::Separate, QString())
                .contains(",[0,0,0],[],[0,0,0],"));
    QCOMPARE(drop::formatColourLine(QString(), twoColours), " = [[1,1,1,1],[0,0,0,0]]");
}

QTEST_APPLESS_MAIN(TestDropString)
#include "tst_dropstring.moc"
