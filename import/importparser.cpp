#include "importparser.h"

#include "input/singleline.h"
#include "xstrings.h"

#include <array>

namespace import {
namespace {

constexpr qsizetype kTokenCount = 27;
constexpr qsizetype kColourToken = 18;
const QString kPlaceholder = QStringLiteral("TEMP");

enum class Trim { DropFirst, DropFirstTwo, DropLast };

struct TokenTrim {
    qsizetype token;
    Trim trim;
};

// The brackets and quotes the drop string puts around the values, removed by position only. The
// colour token comes between Size and AnimationPhase and is handled on its own.
constexpr std::array<TokenTrim, 12> kTrimsBeforeColour{{
    {0, Trim::DropFirstTwo},
    {0, Trim::DropLast},
    {1, Trim::DropFirst},
    {1, Trim::DropLast},
    {2, Trim::DropFirst},
    {2, Trim::DropLast},
    {5, Trim::DropFirst},
    {7, Trim::DropLast},
    {8, Trim::DropFirst},
    {10, Trim::DropLast},
    {15, Trim::DropFirst},
    {17, Trim::DropLast},
}};
constexpr std::array<TokenTrim, 7> kTrimsAfterColour{{
    {19, Trim::DropFirst},
    {21, Trim::DropLast},
    {24, Trim::DropFirst},
    {24, Trim::DropLast},
    {25, Trim::DropFirst},
    {25, Trim::DropLast},
    {26, Trim::DropLast},
}};

// False when the last character is to be dropped from an empty token.
bool apply(Trim trim, QString &token)
{
    switch (trim) {
    case Trim::DropFirst:
        token.remove(0, 1);
        return true;
    case Trim::DropFirstTwo:
        token.remove(0, 2);
        return true;
    case Trim::DropLast:
        if (token.isEmpty())
            return false;
        token.chop(1);
        return true;
    }
    return false;
}

template <std::size_t N> bool applyAll(const std::array<TokenTrim, N> &trims, QStringList &tokens)
{
    for (const TokenTrim &step : trims)
        if (!apply(step.trim, tokens[step.token]))
            return false;
    return true;
}

// The text before the first occurrence of marker: its length, or the whole text's when absent.
qsizetype lengthBefore(const QString &text, QLatin1StringView marker)
{
    const qsizetype at = text.indexOf(marker);
    return at < 0 ? text.size() : at;
}

struct InlineCut {
    QStringList tokens; // "TEMP" at the colour list's place
    QString colourList;
};

// Cuts out the colour list between "[[" and "]]" so that its inner commas do not split, leaving
// the placeholder at its token position.
std::optional<InlineCut> cutInlineColour(const QString &text)
{
    const qsizetype head = text.indexOf(QLatin1StringView("[["));
    // Without a colour list the placeholder would be joined to the last value.
    if (head < 0)
        return std::nullopt;
    const qsizetype pre = lengthBefore(text, QLatin1StringView("]]"));
    // The colour text starts one character before the "[[" (the comma that leads to it).
    if (head == 0)
        return std::nullopt;
    const qsizetype length = pre - head + 2;
    if (length < 0)
        return std::nullopt;

    InlineCut cut;
    cut.colourList = text.mid(head - 1, length).mid(2);
    const QString joined = text.left(head) + kPlaceholder + QLatin1Char(',') + text.mid(pre + 3);
    cut.tokens = joined.split(QLatin1Char(','));
    return cut;
}

} // namespace

ParseOutcome parseDropArray(const QString &pasted, bool separateColours, const QString &separateColourText)
{
    ParseOutcome outcome;
    QString text = XStrings::ReplaceAll(input::joinLines(pasted), QStringLiteral(" "), QString());
    if (text.left(4).compare(QLatin1StringView("drop"), Qt::CaseInsensitive) == 0)
        text.remove(0, 4);
    outcome.cleanedText = text;

    QStringList tokens;
    QString colourList;
    if (separateColours) {
        if (!text.isEmpty())
            tokens = text.split(QLatin1Char(','));
    } else {
        std::optional<InlineCut> cut = cutInlineColour(text);
        if (!cut)
            return outcome;
        tokens = std::move(cut->tokens);
        colourList = std::move(cut->colourList);
    }
    if (tokens.size() < kTokenCount)
        return outcome;

    if (!applyAll(kTrimsBeforeColour, tokens))
        return outcome;
    QString &colour = tokens[kColourToken];
    if (separateColours) {
        if (!apply(Trim::DropFirst, colour) || !apply(Trim::DropLast, colour))
            return outcome;
    } else {
        colour = colourList;
    }
    if (!applyAll(kTrimsAfterColour, tokens))
        return outcome;

    ImportedArray array;
    array.fields = tokens.mid(0, kTokenCount);
    if (separateColours) {
        array.colorVarName = tokens[kColourToken];
        array.fields[kColourToken] = separateColourText;
    }
    array.tokens = std::move(tokens);
    outcome.array = std::move(array);
    return outcome;
}

} // namespace import
