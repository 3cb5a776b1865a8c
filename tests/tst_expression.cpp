#include "sqf/expression.h"

#include <QTest>

#include <cmath>

using sqf::ExpressionError;
using sqf::readExpression;

class TestExpression : public QObject {
    Q_OBJECT
private slots:
    void values_data();
    void values();
    void errorsStopAtTheWord_data();
    void errorsStopAtTheWord();
    void namesStandingAloneAreVariables_data();
    void namesStandingAloneAreVariables();
    void randomStaysWithinItsBound_data();
    void randomStaysWithinItsBound();
    void randomIsRepeatableWithASeed();
    void randomBindsOnlyItsOperand();
    void constantValueRefusesVariablesAndDraws();
};

void TestExpression::values_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << "5" << 5.0;
    QTest::newRow("blanks around") << "  2.5 " << 2.5;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("trailing point") << "3." << 3.0;
    QTest::newRow("exponent") << "1.5e2" << 150.0;
    QTest::newRow("nested 200 deep") << QString(200, '(') + "7" + QString(200, ')') << 7.0;
    QTest::newRow("negative exponent") << "2E-3" << 0.002;
    QTest::newRow("0x hexadecimal") << "0x1F" << 31.0;
    QTest::newRow("dollar hexadecimal") << "$ff" << 255.0;
    QTest::newRow("unary minus") << "-4" << -4.0;
    QTest::newRow("unary plus") << "+4" << 4.0;
    QTest::newRow("double minus") << "--4" << 4.0;
    QTest::newRow("times before plus") << "2 + 3 * 4" << 14.0;
    QTest::newRow("power before times") << "2 * 3 ^ 2" << 18.0;
    QTest::newRow("power left to right") << "2 ^ 3 ^ 2" << 64.0;
    QTest::newRow("minus left to right") << "10 - 4 - 3" << 3.0;
    QTest::newRow("divide left to right") << "24 / 4 / 2" << 3.0;
    QTest::newRow("unary minus binds before power") << "-2 ^ 2" << 4.0;
    QTest::newRow("function binds before power") << "abs -2 ^ 2" << 4.0;
    QTest::newRow("function binds before plus") << "sqrt 16 + 9" << 13.0;
    QTest::newRow("function of parentheses") << "sqrt (16 + 9)" << 5.0;
    QTest::newRow("nested functions") << "abs floor -2.5" << 3.0;
    QTest::newRow("min at the level of plus") << "3 min 2 + 5" << 7.0;
    QTest::newRow("max after times") << "2 * 3 max 7" << 7.0;
    QTest::newRow("parentheses") << "(2 + 3) * 4" << 20.0;
    QTest::newRow("modulo") << "7 % 3" << 1.0;
    QTest::newRow("negative modulo keeps the sign") << "-7 % 3" << -1.0;
    QTest::newRow("sine in degrees") << "sin 30" << 0.5;
    QTest::newRow("cosine in degrees") << "cos 180" << -1.0;
    QTest::newRow("tangent in degrees") << "tan 45" << 1.0;
    QTest::newRow("pi") << "pi * 2" << 2 * M_PI;
    QTest::newRow("exp and ln") << "ln exp 3" << 3.0;
    QTest::newRow("log is decimal") << "log 1000" << 3.0;
    QTest::newRow("round half away from zero") << "round -2.5" << -3.0;
    QTest::newRow("ceil") << "ceil 1.2" << 2.0;
    QTest::newRow("case of names") << "ABS -1 + PI - Pi" << 1.0;
    QTest::newRow("division by zero is zero") << "1 / 0" << 0.0;
    QTest::newRow("modulo by zero is zero") << "5 % 0" << 0.0;
}

void TestExpression::values()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const auto read = readExpression(text);
    QVERIFY2(std::holds_alternative<sqf::Expression>(read), qPrintable(text));
    sqf::Random random;
    QCOMPARE_LE(std::abs(std::get<sqf::Expression>(read).evaluate(random) - value), 1e-9);
}

void TestExpression::errorsStopAtTheWord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("word");
    QTest::newRow("empty") << "" << 1 << "";
    QTest::newRow("blanks only") << "   " << 4 << "";
    QTest::newRow("command before a variable") << "getPos _x" << 1 << "getPos";
    QTest::newRow("binary command after a variable") << "velocity _v select 0" << 1 << "velocity";
    QTest::newRow("select after a local variable") << "_v select 0" << 4 << "select";
    QTest::newRow("array") << "[1, 2]" << 1 << "[";
    QTest::newRow("string") << "\"abc\"" << 1 << "\"";
    QTest::newRow("missing operand") << "2 +" << 4 << "";
    QTest::newRow("nested too deep") << QString(300, '(') + "1" + QString(300, ')') << 257 << "(";
    QTest::newRow("a hundred thousand signs") << QString(100000, '-') + "1" << 257 << "-";
    QTest::newRow("missing closing parenthesis") << "(2 + 3" << 7 << "";
    QTest::newRow("extra closing parenthesis") << "2 + 3)" << 6 << ")";
    QTest::newRow("two numbers") << "1 2" << 3 << "2";
    QTest::newRow("decimal comma") << "0,5" << 2 << ",";
    QTest::newRow("number run into a name") << "2pi" << 1 << "2pi";
    QTest::newRow("two points") << "1.5.2" << 1 << "1.5.2";
    QTest::newRow("empty exponent") << "1e" << 1 << "1e";
    QTest::newRow("hexadecimal without digits") << "0x" << 1 << "0x";
    QTest::newRow("hexadecimal run into a name") << "$fg" << 1 << "$fg";
    QTest::newRow("function without operand") << "sqrt" << 5 << "";
    QTest::newRow("min without left operand") << "min 2" << 1 << "min";
    QTest::newRow("unknown operator") << "2 & 3" << 3 << "&";
    QTest::newRow("non-Latin letters") << QString::fromUtf8("ä") << 1 << QString::fromUtf8("ä");
}

void TestExpression::errorsStopAtTheWord()
{
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(QString, word);
    const auto read = readExpression(text);
    QVERIFY2(std::holds_alternative<ExpressionError>(read), qPrintable(text));
    QCOMPARE(std::get<ExpressionError>(read), (ExpressionError{position, word}));
}

void TestExpression::namesStandingAloneAreVariables_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<double>("value");
    QTest::newRow("local variable") << "_time" << QStringList{"_time"} << 2.0;
    QTest::newRow("global variable") << "speed" << QStringList{"speed"} << 0.0;
    QTest::newRow("in a sum") << "_r1 * 3 + _time" << QStringList{"_r1", "_time"} << 17.0;
    QTest::newRow("named twice, listed once") << "_time - _TIME + _time" << QStringList{"_time"} << 2.0;
    QTest::newRow("operand of a function") << "abs -_r1" << QStringList{"_r1"} << 5.0;
}

void TestExpression::namesStandingAloneAreVariables()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    QFETCH(double, value);
    const auto read = readExpression(text);
    QVERIFY2(std::holds_alternative<sqf::Expression>(read), qPrintable(text));
    const auto &expression = std::get<sqf::Expression>(read);
    QCOMPARE(expression.variables(), names);
    sqf::Random random;
    // "speed" is not given: a missing value counts as 0.
    QCOMPARE(expression.evaluate(random, {{"_time", 2.0}, {"_r1", 5.0}}), value);
}

void TestExpression::randomStaysWithinItsBound_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::newRow("random 2") << "random 2" << 0.0 << 2.0;
    QTest::newRow("offset") << "random 2 + 5" << 5.0 << 7.0;
    QTest::newRow("centred") << "random 1 - 0.5" << -0.5 << 0.5;
    QTest::newRow("negative bound") << "random -3" << -3.0 << 0.0;
}

void TestExpression::randomStaysWithinItsBound()
{
    QFETCH(QString, text);
    QFETCH(double, low);
    QFETCH(double, high);
    const auto expression = std::get<sqf::Expression>(readExpression(text));
    QVERIFY(expression.isRandom());
    sqf::Random random(12345);
    double smallest = high;
    double largest = low;
    double sum = 0;
    constexpr int kDraws = 20000;
    for (int i = 0; i < kDraws; ++i) {
        const double value = expression.evaluate(random);
        QVERIFY2(value >= low && value <= high, qPrintable(QString::number(value)));
        smallest = std::min(smallest, value);
        largest = std::max(largest, value);
        sum += value;
    }
    // The draws fill the whole range, evenly.
    const double width = high - low;
    QCOMPARE_LT(smallest, low + width * 0.01);
    QCOMPARE_GT(largest, high - width * 0.01);
    QCOMPARE_LT(std::abs(sum / kDraws - (low + high) / 2), width * 0.01);
}

void TestExpression::randomIsRepeatableWithASeed()
{
    const auto expression = std::get<sqf::Expression>(readExpression("random 10"));
    sqf::Random first(7);
    sqf::Random second(7);
    QList<double> a;
    QList<double> b;
    for (int i = 0; i < 5; ++i) {
        a << expression.evaluate(first);
        b << expression.evaluate(second);
    }
    QCOMPARE(a, b);
    QVERIFY(a[0] != a[1]);
}

void TestExpression::randomBindsOnlyItsOperand()
{
    // (random 2) * 0 + 5 is always 5; random (2 * 0 + 5) would spread.
    const auto expression = std::get<sqf::Expression>(readExpression("random 2 * 0 + 5"));
    sqf::Random random(1);
    for (int i = 0; i < 100; ++i)
        QCOMPARE(expression.evaluate(random), 5.0);
}

void TestExpression::constantValueRefusesVariablesAndDraws()
{
    QCOMPARE(sqf::constantValue("2 * 3"), std::optional<double>(6.0));
    QCOMPARE(sqf::constantValue("_a * 3"), std::nullopt);
    QCOMPARE(sqf::constantValue("random 3"), std::nullopt);
    QCOMPARE(sqf::constantValue("getPos player"), std::nullopt);
}

QTEST_APPLESS_MAIN(TestExpression)
#include "tst_expression.moc"
