#include "input/clsTBRestrNumbers.h"
#include "input/restrict.h"

#include <QLineEdit>
#include <QTest>

namespace {
const QString kDigits = QStringLiteral("0123456789");
const QString kPoint = QStringLiteral(".");
} // namespace

class TestRestrict : public QObject {
    Q_OBJECT
private slots:
    void workedExamples_data();
    void workedExamples();
    void edgeCases_data();
    void edgeCases();
    void outputHoldsOnlyAllowedCharactersBeforeTheCaret_data();
    void outputHoldsOnlyAllowedCharactersBeforeTheCaret();
    void caretOutsideTheTextIsTakenAtTheNearestEnd();
    void longTextsAreFilteredWhole();
    void instrPrev_data();
    void instrPrev();

    void initFiltersTheWholeTextOnce();
    void typingACommaShowsThePoint();
    void secondPointTypedReplacesTheFirstAndCaretStaysAfterIt();
    void windowsOwnChangeHandlingSeesEveryChange();
    void bindingAnotherFieldStopsFilteringTheFirst();
    void fieldDestroyedBeforeTheFilterIsHarmless();
};

void TestRestrict::workedExamples_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("caretBefore");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("caretAfter");

    QTest::newRow("comma turned into the delimiter") << "0,5000" << 0 << "0.5000" << 0;
    QTest::newRow("second separator replaces the first") << "1.2." << 4 << "12." << 3;
    QTest::newRow("leading delimiter gets a zero") << ".5" << 2 << "0.5" << 3;
    QTest::newRow("letter removed") << "1a2" << 3 << "12" << 2;
    QTest::newRow("minus sign and letter removed") << "-1.5e3" << 6 << "1.53" << 4;
    QTest::newRow("characters after the caret not examined") << "12ab" << 2 << "12ab" << 2;
    QTest::newRow("no separator before the caret: first stays") << "3.1.4" << 1 << "3.14" << 1;
}

void TestRestrict::workedExamples()
{
    QFETCH(QString, before);
    QFETCH(int, caretBefore);
    QFETCH(QString, after);
    QFETCH(int, caretAfter);

    const input::TextAndCaret result = input::restrictText(before, caretBefore, kDigits, kPoint);
    QCOMPARE(result.text, after);
    QCOMPARE(result.caret, caretAfter);
}

void TestRestrict::edgeCases_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("caretBefore");
    QTest::addColumn<QString>("allowed");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("caretAfter");

    QTest::newRow("comma typed at the end") << "12," << 3 << kDigits << kPoint << "12." << 3;
    QTest::newRow("comma typed in the middle") << "1,23" << 2 << kDigits << kPoint << "1.23" << 2;
    QTest::newRow("new point before an old one") << "1.23.4" << 2 << kDigits << kPoint << "1.234" << 2;
    QTest::newRow("comma replaces an older point") << "1.2,3" << 4 << kDigits << kPoint << "12.3" << 3;
    QTest::newRow("leading delimiter, caret at start") << ".5" << 0 << kDigits << kPoint << "0.5" << 1;
    QTest::newRow("leading comma") << ",25" << 1 << kDigits << kPoint << "0.25" << 2;
    QTest::newRow("caret at start: commas still turned") << "1,2,3" << 0 << kDigits << kPoint << "1.23" << 0;
    QTest::newRow("caret at start: foreign characters stay") << "a1,b" << 0 << kDigits << kPoint << "a1.b" << 0;
    QTest::newRow("a caret in the old text keeps its place") << "1x2.3.4" << 6 << kDigits << kPoint << "123.4" << 4;
    QTest::newRow("empty delimiter: commas removed") << "1,2,3" << 5 << kDigits << ""
                                                     << "123" << 3;
    QTest::newRow("empty delimiter: caret before the comma") << "1,2" << 0 << kDigits << ""
                                                             << "12" << 0;
    QTest::newRow("empty delimiter: circumflex removed") << "^1^2" << 2 << kDigits << ""
                                                         << "12" << 1;
    QTest::newRow("empty delimiter: circumflex after caret") << "12^" << 1 << kDigits << ""
                                                             << "12" << 1;
    QTest::newRow("empty delimiter: no separator at all") << "1.5" << 3 << kDigits << ""
                                                          << "15" << 2;
    QTest::newRow("allowed letters in either case") << "aBcD" << 4 << "abcd" << kPoint << "aBcD" << 4;
    QTest::newRow("letter delimiter in either case") << "1X2x3" << 5 << kDigits << "x"
                                                     << "12x3" << 4;
    QTest::newRow("old circumflex stays a character") << "3^1.4" << 0 << kDigits << kPoint << "3^1.4" << 0;
    QTest::newRow("circumflex before the caret removed") << "3^1.4" << 5 << kDigits << kPoint << "31.4" << 4;
    QTest::newRow("only one delimiter with caret at start") << "3^1.4.5" << 0 << kDigits << kPoint << "3^1.45" << 0;
    QTest::newRow("no zero where zero is not allowed") << ".5" << 2 << "5" << kPoint << ".5" << 2;
    QTest::newRow("empty text") << "" << 0 << kDigits << kPoint << "" << 0;
    QTest::newRow("only a comma") << "," << 1 << kDigits << kPoint << "0." << 2;
}

void TestRestrict::edgeCases()
{
    QFETCH(QString, before);
    QFETCH(int, caretBefore);
    QFETCH(QString, allowed);
    QFETCH(QString, delimiter);
    QFETCH(QString, after);
    QFETCH(int, caretAfter);

    const input::TextAndCaret result = input::restrictText(before, caretBefore, allowed, delimiter);
    QCOMPARE(result.text, after);
    QCOMPARE(result.caret, caretAfter);
}

void TestRestrict::outputHoldsOnlyAllowedCharactersBeforeTheCaret_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("allowed");
    QTest::addColumn<QString>("delimiter");

    QTest::newRow("mixed") << "-1,2.3e4,,5..x" << kDigits << kPoint;
    QTest::newRow("circumflex and delimiters") << "^.^,.^1" << kDigits << kPoint;
    QTest::newRow("empty delimiter") << "^.^,.^1" << kDigits << "";
    QTest::newRow("letter delimiter") << "XxX1x2,X"
                                      << "12"
                                      << "x";
    QTest::newRow("non-latin") << QString::fromUtf8("ä1,Ä2ß.ẞ") << QString::fromUtf8("äß12") << kPoint;
}

void TestRestrict::outputHoldsOnlyAllowedCharactersBeforeTheCaret()
{
    QFETCH(QString, before);
    QFETCH(QString, allowed);
    QFETCH(QString, delimiter);

    const QChar mark = delimiter.isEmpty() ? QLatin1Char('^') : delimiter.front();
    for (int caret = 0; caret <= before.size(); ++caret) {
        const input::TextAndCaret result = input::restrictText(before, caret, allowed, delimiter);
        QVERIFY2(result.caret >= 0 && result.caret <= result.text.size(), qPrintable(QString::number(caret)));
        QVERIFY2(result.text.count(mark, Qt::CaseInsensitive) <= 1, qPrintable(result.text));
        QVERIFY2(!result.text.contains(QLatin1Char(',')) || mark == QLatin1Char(','), qPrintable(result.text));
        for (int i = 0; i < result.caret; ++i)
            QVERIFY2(allowed.contains(result.text.at(i), Qt::CaseInsensitive)
                         || (!delimiter.isEmpty() && result.text.at(i) == mark),
                     qPrintable(result.text));
        // Filtering the result again, caret at the end, changes nothing when the whole text was scanned.
        if (caret == before.size()) {
            const input::TextAndCaret again = input::restrictText(result.text, result.caret, allowed, delimiter);
            QCOMPARE(again.text, result.text);
            QCOMPARE(again.caret, result.caret);
        }
    }
}

void TestRestrict::caretOutsideTheTextIsTakenAtTheNearestEnd()
{
    const input::TextAndCaret beyond = input::restrictText(QStringLiteral("1a2"), 99, kDigits, kPoint);
    QCOMPARE(beyond.text, QStringLiteral("12"));
    QCOMPARE(beyond.caret, 2);
    const input::TextAndCaret before = input::restrictText(QStringLiteral("1a2"), -5, kDigits, kPoint);
    QCOMPARE(before.text, QStringLiteral("1a2"));
    QCOMPARE(before.caret, 0);
}

void TestRestrict::longTextsAreFilteredWhole()
{
    // Far beyond 32766 characters before the caret.
    const QString text = QString(40000, QLatin1Char('7')) + QStringLiteral("x,") + QString(30000, QLatin1Char('1'));
    const input::TextAndCaret result = input::restrictText(text, int(text.size()), kDigits, kPoint);
    QCOMPARE(result.text.size(), text.size() - 1);
    QCOMPARE(result.text.at(40000), QLatin1Char('.'));
    QCOMPARE(result.caret, int(result.text.size()));
}

void TestRestrict::instrPrev_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("match");
    QTest::addColumn<int>("lastPos");
    QTest::addColumn<int>("position");

    QTest::newRow("last of several") << "1.2.3"
                                     << "." << 5 << 4;
    QTest::newRow("within the first characters") << "1.2.3"
                                                 << "." << 3 << 2;
    QTest::newRow("at the limit") << "1.2.3"
                                  << "." << 4 << 4;
    QTest::newRow("none before") << "12.3"
                                 << "." << 2 << 0;
    QTest::newRow("lastPos zero") << ".5"
                                  << "." << 0 << 0;
    QTest::newRow("lastPos beyond the text") << "a.b"
                                             << "." << 100 << 2;
    QTest::newRow("ignores case") << "aXbx"
                                  << "X" << 4 << 4;
    QTest::newRow("longer match") << "abcabc"
                                  << "BC" << 6 << 5;
    QTest::newRow("longer match cut by lastPos") << "abcabc"
                                                 << "bc" << 5 << 2;
    QTest::newRow("not found") << "abc"
                               << "." << 3 << 0;
}

void TestRestrict::instrPrev()
{
    QFETCH(QString, text);
    QFETCH(QString, match);
    QFETCH(int, lastPos);
    QFETCH(int, position);
    QCOMPARE(input::InstrPrev(text, match, lastPos), position);
}

void TestRestrict::initFiltersTheWholeTextOnce()
{
    QLineEdit field(QStringLiteral("x1,5y"));
    field.setCursorPosition(0);
    clsTBRestrNumbers filter;
    filter.Init(&field, kDigits, kPoint);
    QCOMPARE(field.text(), QStringLiteral("1.5"));
    QCOMPARE(field.cursorPosition(), 3);
    QCOMPARE(filter.boundField(), &field);
}

void TestRestrict::typingACommaShowsThePoint()
{
    QLineEdit field;
    clsTBRestrNumbers filter;
    filter.Init(&field, kDigits, kPoint);
    QTest::keyClicks(&field, QStringLiteral("0,5"));
    QCOMPARE(field.text(), QStringLiteral("0.5"));
    QTest::keyClicks(&field, QStringLiteral("a-7"));
    QCOMPARE(field.text(), QStringLiteral("0.57"));
}

void TestRestrict::secondPointTypedReplacesTheFirstAndCaretStaysAfterIt()
{
    QLineEdit field;
    clsTBRestrNumbers filter;
    filter.Init(&field, kDigits, kPoint);
    QTest::keyClicks(&field, QStringLiteral("12.34"));
    field.setCursorPosition(4);
    QTest::keyClicks(&field, QStringLiteral("."));
    QCOMPARE(field.text(), QStringLiteral("123.4"));
    QCOMPARE(field.cursorPosition(), 4);
    QTest::keyClicks(&field, QStringLiteral("9"));
    QCOMPARE(field.text(), QStringLiteral("123.94"));
}

void TestRestrict::windowsOwnChangeHandlingSeesEveryChange()
{
    QLineEdit field;
    QStringList seen;
    QObject::connect(&field, &QLineEdit::textChanged, &field, [&seen](const QString &text) { seen << text; });
    clsTBRestrNumbers filter;
    filter.Init(&field, kDigits, kPoint);
    field.setText(QStringLiteral("0,25"));
    QCOMPARE(field.text(), QStringLiteral("0.25"));
    // The window's handler saw the written text and then the filter's rewrite.
    QCOMPARE(seen, (QStringList{QStringLiteral("0,25"), QStringLiteral("0.25")}));
}

void TestRestrict::bindingAnotherFieldStopsFilteringTheFirst()
{
    QLineEdit first;
    QLineEdit second(QStringLiteral("1,5"));
    clsTBRestrNumbers filter;
    filter.Init(&first, kDigits, kPoint);
    filter.Init(&second, kDigits, kPoint);
    QCOMPARE(second.text(), QStringLiteral("1.5"));
    first.setText(QStringLiteral("2,5"));
    QCOMPARE(first.text(), QStringLiteral("2,5"));
    second.setText(QStringLiteral("3,5"));
    QCOMPARE(second.text(), QStringLiteral("3.5"));
}

void TestRestrict::fieldDestroyedBeforeTheFilterIsHarmless()
{
    clsTBRestrNumbers filter;
    {
        QLineEdit field;
        filter.Init(&field, kDigits, kPoint);
    }
    QCOMPARE(filter.boundField(), nullptr);
    QLineEdit other(QStringLiteral("4,2"));
    filter.Init(&other, kDigits, kPoint);
    QCOMPARE(other.text(), QStringLiteral("4.2"));
}

QTEST_MAIN(TestRestrict)
#include "tst_restrict.moc"
