#include "colour/decimalcolour.h"

#include <QTest>

#include <limits>

using colour::Rgb;

Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(std::optional<Rgb>)
Q_DECLARE_METATYPE(Rgb)

namespace QTest {
template <> char *toString(const Rgb &t)
{
    return qstrdup(QStringLiteral("(%1,%2,%3)").arg(t.red).arg(t.green).arg(t.blue).toLatin1());
}
} // namespace QTest

// The rules of the decimal colour number, without a window.
class TestDecimalColour : public QObject {
    Q_OBJECT
private slots:
    void correction_data();
    void correction();
    void preview_data();
    void preview();
    void split_data();
    void split();
    void unreadableTextGivesBlack_data();
    void unreadableTextGivesBlack();
};

void TestDecimalColour::correction_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<QString>>("corrected");
    const std::optional<QString> stands;
    const std::optional<QString> largest = QStringLiteral("16777215");
    QTest::newRow("empty") << "" << stands;
    QTest::newRow("zero") << "0" << stands;
    QTest::newRow("largest") << "16777215" << stands;
    QTest::newRow("fraction below largest") << "16777214.9" << stands;
    QTest::newRow("fraction above largest") << "16777215.1" << largest;
    QTest::newRow("one above") << "16777216" << largest;
    QTest::newRow("letters") << "abc" << largest;
    QTest::newRow("blank") << " " << largest;
    QTest::newRow("two points") << "1.2.3" << largest;
    QTest::newRow("negative") << "-7" << std::optional<QString>(QStringLiteral("0"));
    QTest::newRow("negative zero") << "-0" << stands;
}

void TestDecimalColour::correction()
{
    QFETCH(QString, text);
    QFETCH(std::optional<QString>, corrected);
    QCOMPARE(colour::correctedDecimalText(text), corrected);
}

void TestDecimalColour::preview_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<Rgb>>("colour");
    QTest::newRow("empty") << "" << std::optional<Rgb>();
    QTest::newRow("letters") << "x" << std::optional<Rgb>();
    QTest::newRow("negative") << "-1" << std::optional<Rgb>();
    QTest::newRow("above largest") << "16777216" << std::optional<Rgb>();
    QTest::newRow("red") << "255" << std::optional<Rgb>(Rgb{255, 0, 0});
    QTest::newRow("blue") << "16711680" << std::optional<Rgb>(Rgb{0, 0, 255});
    QTest::newRow("tie down to even") << "0.5" << std::optional<Rgb>(Rgb{0, 0, 0});
    QTest::newRow("tie up to even") << "1.5" << std::optional<Rgb>(Rgb{2, 0, 0});
    QTest::newRow("negative tie to zero") << "-0.5" << std::optional<Rgb>(Rgb{0, 0, 0});
}

void TestDecimalColour::preview()
{
    QFETCH(QString, text);
    QFETCH(std::optional<Rgb>, colour);
    QCOMPARE(colour::previewColour(text), colour);
}

void TestDecimalColour::split_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<Rgb>("colour");
    QTest::newRow("zero") << 0 << Rgb{0, 0, 0};
    QTest::newRow("red") << 255 << Rgb{255, 0, 0};
    QTest::newRow("green") << 65280 << Rgb{0, 255, 0};
    QTest::newRow("blue") << 16711680 << Rgb{0, 0, 255};
    QTest::newRow("white") << 16777215 << Rgb{255, 255, 255};
    QTest::newRow("mixed") << 0x563412 << Rgb{0x12, 0x34, 0x56};
    QTest::newRow("above 24 bits") << 0x1000001 << Rgb{1, 0, 0};
    QTest::newRow("minus one is black") << -1 << Rgb{0, 0, 0};
    QTest::newRow("most negative is black") << int(std::numeric_limits<qint32>::min()) << Rgb{0, 0, 0};
}

void TestDecimalColour::split()
{
    QFETCH(int, value);
    QFETCH(Rgb, colour);
    QCOMPARE(colour::splitDecimalColour(value), colour);
}

void TestDecimalColour::unreadableTextGivesBlack_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("letters") << "abc";
    QTest::newRow("beyond 32 bits") << "99999999999";
}

void TestDecimalColour::unreadableTextGivesBlack()
{
    QFETCH(QString, text);
    QCOMPARE(colour::decimalColourOf(text), (Rgb{0, 0, 0}));
}

QTEST_APPLESS_MAIN(TestDecimalColour)
#include "tst_decimalcolour.moc"
