// The numeric filter's rewrite: with the caret at the end (all of the text examined) the result
// holds only allowed characters and at most one delimiter, and any caret stays inside the text.
#include "fuzzinput.h"
#include "input/restrict.h"

namespace {

QString escaped(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toPercentEncoding());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const QString allowed = consumeText(data, 16);
    const QString delimiter = consumeText(data, 4);
    const bool caretAtEnd = data.ConsumeBool();
    const int caretPick = data.ConsumeIntegral<int>();
    const QString text = consumeRemainingText(data);
    const int caret = caretAtEnd ? int(text.size()) : int(unsigned(caretPick) % unsigned(text.size() + 1));

    // With "0" as the delimiter the "0" put in front of a leading delimiter is a second one; no
    // field uses a digit as its separator.
    if (!delimiter.isEmpty() && delimiter.front() == QLatin1Char('0'))
        return 0;

    const input::TextAndCaret out = input::restrictText(text, caret, allowed, delimiter);
    if (out.caret < 0 || out.caret > out.text.size())
        violated("caret outside the text", QStringLiteral("%1 in %2").arg(out.caret).arg(out.text));
    if (!caretAtEnd)
        return 0;

    const QChar delimiterChar = delimiter.isEmpty() ? QLatin1Char('^') : delimiter.at(0);
    const QString delimiterText(delimiterChar);
    int delimiters = 0;
    for (qsizetype i = 0; i < out.text.size(); ++i) {
        const QString c(out.text.at(i));
        // An empty delimiter stands for "^", which is then no separator at all.
        if (!delimiter.isEmpty() && c.compare(delimiterText, Qt::CaseInsensitive) == 0) {
            ++delimiters;
            continue;
        }
        // The "0" put in front of a leading delimiter.
        if (i == 0 && c == QLatin1String("0") && out.text.size() > 1
            && QString(out.text.at(1)).compare(delimiterText, Qt::CaseInsensitive) == 0)
            continue;
        if (!allowed.contains(c, Qt::CaseInsensitive))
            violated("a character that is not allowed",
                     QStringLiteral("U+%1 in \"%2\" from \"%3\", allowed \"%4\", delimiter \"%5\"")
                         .arg(out.text.at(i).unicode(), 4, 16, QLatin1Char('0'))
                         .arg(escaped(out.text), escaped(text), escaped(allowed), escaped(delimiter)));
    }
    if (delimiters > 1)
        violated("more than one delimiter",
                 QStringLiteral("\"%1\" from \"%2\", allowed \"%3\", delimiter \"%4\"")
                     .arg(escaped(out.text), escaped(text), escaped(allowed), escaped(delimiter)));
    return 0;
}
