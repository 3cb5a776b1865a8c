#include "colour/numbers.h"

#include <QTest>

#include <limits>

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void readNumber_data();
    void readNumber();
    void roundHalfEven_data();
    void roundHalfEven();
    void formatFixed_data();
    void formatFixed();
    void formatFixedWithAComma();
};

void TestNumbers::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");

    QTest::newRow("digits") << "255" << true << 255.0;
    QTest::newRow("blanks around") << "  12 " << true << 12.0;
    QTest::newRow("plus") << "+7" << true << 7.0;
    QTest::newRow("minus") << "-5" << true << -5.0;
    QTest::newRow("point inside") << "2.5" << true << 2.5;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "12." << true << 12.0;
    QTest::newRow("leading zeros") << "007" << true << 7.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blank") << " " << false << 0.0;
    QTest::newRow("point alone") << "." << false << 0.0;
    QTest::newRow("sign alone") << "-" << false << 0.0;
    QTest::newRow("letter") << "x" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("comma") << "5,5" << false << 0.0;
    QTest::newRow("exponent") << "1e2" << false << 0.0;
    QTest::newRow("hexadecimal") << "0x10" << false << 0.0;
    QTest::newRow("blank inside") << "1 2" << false << 0.0;
    QTest::newRow("two signs") << "+-1" << false << 0.0;
    QTest::newRow("infinity") << "inf" << false << 0.0;
    QTest::newRow("beyond double") << QString(400, QLatin1Char('9')) << false << 0.0;
}

void TestNumbers::readNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const std::optional<double> number = colour::readNumber(text);
    QCOMPARE(number.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*number, value);
}

void TestNumbers::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("rounded");

    QTest::newRow("2.5 down") << 2.5 << true << 2;
    QTest::newRow("3.5 up") << 3.5 << true << 4;
    QTest::newRow("254.5 to even") << 254.5 << true << 254;
    QTest::newRow("-2.5") << -2.5 << true << -2;
    QTest::newRow("below half") << 12.49 << true << 12;
    QTest::newRow("above half") << 12.51 << true << 13;
    QTest::newRow("largest") << 2147483647.0 << true << std::numeric_limits<int>::max();
    QTest::newRow("too large") << 2147483648.0 << false << 0;
    QTest::newRow("too small") << -2147483649.0 << false << 0;
    QTest::newRow("not finite") << std::numeric_limits<double>::infinity() << false << 0;
}

void TestNumbers::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(bool, fits);
    QFETCH(int, rounded);
    const std::optional<qint32> result = colour::roundHalfEven(value);
    QCOMPARE(result.has_value(), fits);
    if (fits)
        QCOMPARE(*result, rounded);
}

void TestNumbers::formatFixed_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");

    QTest::newRow("1/255") << 1.0 / 255 << 4 << "0.0039";
    QTest::newRow("64/255") << 64.0 / 255 << 4 << "0.2510";
    QTest::newRow("128/255") << 128.0 / 255 << 4 << "0.5020";
    QTest::newRow("254/255") << 254.0 / 255 << 4 << "0.9961";
    QTest::newRow("zero") << 0.0 << 4 << "0.0000";
    QTest::newRow("one") << 1.0 << 4 << "1.0000";
    QTest::newRow("alpha 5") << 0.05 << 2 << "0.05";
    QTest::newRow("alpha 50") << 0.5 << 2 << "0.50";
    QTest::newRow("tie away from zero") << 0.125 << 2 << "0.13";
    QTest::newRow("decimal tie below its binary value") << 2.675 << 2 << "2.68";
    QTest::newRow("decimal tie 1.005") << 1.005 << 2 << "1.01";
    QTest::newRow("decimal tie 0.00005") << 0.00005 << 4 << "0.0001";
    QTest::newRow("just below a tie") << 0.00004999 << 4 << "0.0000";
    QTest::newRow("carry into the whole part") << 9.99996 << 4 << "10.0000";
    QTest::newRow("negative tie") << -0.125 << 2 << "-0.13";
    QTest::newRow("negative rounding to zero") << -0.00001 << 4 << "0.0000";
    QTest::newRow("negative zero") << -0.0 << 2 << "0.00";
    QTest::newRow("no decimals") << 2.5 << 0 << "3";
    QTest::newRow("large") << 123456789.125 << 2 << "123456789.13";
    QTest::newRow("tiny") << 1e-300 << 4 << "0.0000";
    QTest::newRow("huge") << 1e20 << 1 << "100000000000000000000.0";
}

void TestNumbers::formatFixed()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(colour::formatFixed(value, decimals), text);
}

void TestNumbers::formatFixedWithAComma()
{
    QCOMPARE(colour::formatFixed(128.0 / 255, 4, QLatin1Char(',')), QStringLiteral("0,5020"));
    QCOMPARE(colour::formatFixed(3.0, 0, QLatin1Char(',')), QStringLiteral("3"));
}

QTEST_APPLESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
