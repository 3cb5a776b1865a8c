#include "xstrings.h"

#include <vector>

namespace XStrings {
namespace {

// Each occurrence of the original text replaced once, left to right.
QString replaceEachOnce(const QString &text, const QString &search, const QString &replacement)
{
    QString result;
    result.reserve(text.size());
    qsizetype from = 0;
    for (qsizetype found = text.indexOf(search); found >= 0; found = text.indexOf(search, from)) {
        result.append(QStringView(text).sliced(from, found - from));
        result.append(replacement);
        from = found + search.size();
    }
    result.append(QStringView(text).sliced(from));
    return result;
}

// For every prefix of the search, the length of its longest proper border.
std::vector<qsizetype> borders(QStringView search)
{
    std::vector<qsizetype> border(search.size(), 0);
    qsizetype k = 0;
    for (qsizetype i = 1; i < search.size(); ++i) {
        while (k > 0 && search[i] != search[k])
            k = border[k - 1];
        if (search[i] == search[k])
            ++k;
        border[i] = k;
    }
    return border;
}

} // namespace

QString ReplaceAll(const QString &text, const QString &search, const QString &replacement)
{
    if (search.isEmpty() || !text.contains(search))
        return text;
    // A single character cannot be formed anew by a join, so one pass is the whole repetition.
    if (search.size() == 1 || replacement.size() >= search.size())
        return replaceEachOnce(text, search, replacement);

    // The result grows character by character; matched[i] is how much of the search ends at
    // result[i]. A completed match is cut off the end, and its replacement is read before the
    // rest of the text, exactly as a fresh search of the rewritten text from its start would meet it.
    const std::vector<qsizetype> border = borders(search);
    const qsizetype m = search.size();
    QString result;
    result.reserve(text.size());
    std::vector<qsizetype> matched;
    matched.reserve(text.size());
    std::vector<QChar> pending; // replacement characters still to read, the next one last

    qsizetype next = 0;
    while (next < text.size() || !pending.empty()) {
        QChar c;
        if (!pending.empty()) {
            c = pending.back();
            pending.pop_back();
        } else {
            c = text[next++];
        }
        qsizetype k = matched.empty() ? 0 : matched.back();
        while (k > 0 && c != search[k])
            k = border[k - 1];
        if (c == search[k])
            ++k;
        result.append(c);
        matched.push_back(k);
        if (k == m) {
            result.chop(m);
            matched.resize(matched.size() - m);
            for (qsizetype i = replacement.size() - 1; i >= 0; --i)
                pending.push_back(replacement[i]);
        }
    }
    return result;
}

} // namespace XStrings
