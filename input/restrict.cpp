#include "restrict.h"

#include <algorithm>
#include <climits>

namespace input {
namespace {

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

bool isAllowed(QChar c, const QString &allowed)
{
    return std::any_of(allowed.cbegin(), allowed.cend(), [c](QChar a) { return sameLetter(a, c); });
}

// `text` with every delimiter removed.
QString withoutDelimiter(QStringView text, QChar delimiter)
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text)
        if (!sameLetter(c, delimiter))
            kept += c;
    return kept;
}

} // namespace

int InstrPrev(const QString &text, const QString &match, int lastPos)
{
    if (lastPos <= 0 || match.isEmpty())
        return 0;
    const QStringView head = QStringView(text).left(std::min<qsizetype>(lastPos, text.size()));
    return int(head.lastIndexOf(match, -1, Qt::CaseInsensitive) + 1);
}

TextAndCaret restrictText(const QString &text, int caret, const QString &allowed, const QString &delimiterText)
{
    const QChar delimiter = delimiterText.isEmpty() ? QLatin1Char('^') : delimiterText.front();
    const QString allowedSet = delimiterText.isEmpty() ? allowed : allowed + delimiter;
    const bool delimiterAllowed = isAllowed(delimiter, allowedSet);

    QString s = text;
    qsizetype p = std::clamp<qsizetype>(caret, 0, s.size());
    s.replace(QLatin1Char(','), delimiter);

    const int a = InstrPrev(s, QString(delimiter), int(std::min<qsizetype>(p, INT_MAX)));
    if (a > 0) {
        // The delimiter nearest before the caret stays: a newly typed separator replaces an older one.
        const QString left = withoutDelimiter(QStringView(s).left(a - 1), delimiter);
        const QString right = withoutDelimiter(QStringView(s).mid(a), delimiter);
        p = p - (a - 1) + left.size();
        s = left + delimiter + right;
    } else {
        // No delimiter before the caret: the first one stays, written as the delimiter itself.
        QString kept;
        kept.reserve(s.size());
        bool first = true;
        for (const QChar c : std::as_const(s)) {
            if (!sameLetter(c, delimiter))
                kept += c;
            else if (first) {
                kept += delimiter;
                first = false;
            }
        }
        s = kept;
    }

    // Only the characters before the caret are scanned.
    QString scanned;
    scanned.reserve(s.size());
    for (qsizetype i = 0; i < p; ++i)
        if (isAllowed(s.at(i), allowedSet))
            scanned += s.at(i);
    scanned += QStringView(s).mid(p);
    p = scanned.size() - (s.size() - p);
    s = scanned;

    if (!delimiterAllowed) {
        // A delimiter that is not itself allowed (an empty delimiter) cannot be entered anywhere.
        const qsizetype before = QStringView(s).left(p).count(delimiter, Qt::CaseInsensitive);
        s = withoutDelimiter(s, delimiter);
        p -= before;
    }

    const QChar zero = QLatin1Char('0');
    if (!s.isEmpty() && sameLetter(s.front(), delimiter) && isAllowed(zero, allowedSet)) {
        s.prepend(zero);
        ++p;
    }
    return {s, int(std::min<qsizetype>(p, INT_MAX))};
}

} // namespace input
