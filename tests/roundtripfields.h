#pragma once

#include "drop/fieldtable.h"
#include "sqf/values.h"

#include <QString>
#include <QStringList>

#include <string_view>

inline QString withoutCommentMarks(QString text);

// Field texts that a drop string carries back unchanged through the import, drawn by a random
// source `pick(n)` (a number from 0 to n - 1): string fields hold anything but a double quote and
// a line break, or an expression in parentheses (ShapeName also a shape array); the other fields
// are script expressions whose brackets and strings are balanced, with no comma outside brackets,
// no comment outside strings and no blank next to a comma, a square bracket or an end. Vectors are
// also drawn as one expression (the other two fields empty), Size and AnimationPhase with two or
// with four and more values, the inline colour list as an expression or a list of anything, and
// the Object with the later games' parameters after it.
template <typename Pick> class RoundTripFields {
public:
    explicit RoundTripFields(Pick pick)
        : m_pick(pick)
    {}

    // Text1 .. Text27. With an inline colour list Text19 is a list of bracketed colour arrays;
    // with a separate one it is any single-line text, since it travels in the dialog's own field.
    QStringList fields(bool separateColours)
    {
        QStringList texts;
        for (int i = 0; i < drop::kFieldCount; ++i) {
            const drop::FieldEntry &entry = drop::kFields.at(i);
            if (entry.emitted == drop::Emit::Quoted)
                texts << stringField(i == 0);
            else if (entry.emitted == drop::Emit::List)
                texts << (separateColours ? anyText() : inlineColours());
            else if (i == drop::kFieldCount - 1)
                texts << objectField();
            else
                texts << expression(2);
        }
        for (int first = 0; first < drop::kFieldCount; ++first) {
            const drop::FieldEntry &entry = drop::kFields.at(first);
            if (entry.component != 1)
                continue;
            const std::string_view parameter = entry.parameter;
            const bool spreads = parameter == "Size" || parameter == "AnimationPhase";
            switch (m_pick(spreads ? 5 : 3)) {
            case 0: // one expression for the whole vector
                texts[first + 1].clear();
                texts[first + 2].clear();
                break;
            case 3: // two values
                texts[first + 1].clear();
                break;
            case 4: // four or more: the middle ones share the middle field
                texts[first + 1] = elements(2, 2);
                break;
            default:
                break;
            }
        }
        return texts;
    }

    // A colour variable name as a user types it into the colour line.
    QString name() { return word(QStringLiteral("abc_XYZ019"), 8); }

    // The text between the quotes of a string parameter.
    QString stringText() { return word(QStringLiteral("ab ,\t[]()';_\\.0"), 10); }

private:
    // Quoted text, or what the drop string writes without quotes.
    QString stringField(bool shapeName)
    {
        QString text = stringText();
        const int form = m_pick(5);
        if (form == 0 || sqf::isParenthesised(text))
            text = QLatin1Char('(') + expression(2) + QLatin1Char(')');
        else if (shapeName && (form == 1 || text.startsWith(QLatin1Char('['))))
            text = QLatin1Char('[') + elements(1) + QLatin1Char(']');
        return text;
    }

    // A list of colour arrays, an expression for the whole list, or a list of anything.
    QString inlineColours()
    {
        switch (m_pick(4)) {
        case 0:
            return QLatin1Char('(') + expression(2) + QLatin1Char(')');
        case 1: {
            // A single parenthesised element would read back with a blank before it.
            const QString list = elements(2);
            return sqf::isParenthesised(list) ? colourList() : list;
        }
        default:
            return colourList();
        }
    }

    // The object, sometimes with later parameters after it.
    QString objectField()
    {
        QString text = expression(2);
        for (int i = m_pick(2) ? m_pick(6) : 0; i > 0; --i)
            text += QLatin1Char(',') + expression(2);
        return text;
    }

    QString anyText() { return word(QStringLiteral("ab ,\t[]()\"';0"), 16); }

    QString word(const QString &alphabet, int maxLength)
    {
        QString text;
        for (int i = m_pick(maxLength + 1); i > 0; --i)
            text += alphabet.at(m_pick(int(alphabet.size())));
        return text;
    }

    QString blank()
    {
        static const QStringList blanks{QStringLiteral(" "), QStringLiteral("\t"), QStringLiteral("  "),
                                        QStringLiteral(" \t ")};
        return blanks.at(m_pick(int(blanks.size())));
    }

    // One operand: a word, a string with anything in it, or a bracketed or parenthesised group.
    QString item(int depth, bool *squareBracketed)
    {
        *squareBracketed = false;
        const int kind = m_pick(depth > 0 ? 6 : 3);
        switch (kind) {
        case 0:
        case 1: {
            const QString text = word(QStringLiteral("abcXYZ019.-_=;:!?+*/#$"), 6);
            return text.isEmpty() ? QStringLiteral("0") : text;
        }
        case 2: {
            const QString quote = m_pick(2) ? QStringLiteral("\"") : QStringLiteral("'");
            QString inside = word(QStringLiteral("a ,\t[](\"'"), 8);
            inside.replace(quote, quote + quote);
            return quote + inside + quote;
        }
        case 3:
        case 4:
            *squareBracketed = true;
            return QLatin1Char('[') + elements(depth - 1) + QLatin1Char(']');
        default: {
            // Inside parentheses the blanks next to the parenthesis stay, unless they touch a comma
            // or a square bracket.
            const QString inside = elements(depth - 1);
            const bool blankFits = inside.isEmpty() || (inside[0] != QLatin1Char(',') && inside[0] != QLatin1Char('['));
            return QLatin1Char('(') + (blankFits && m_pick(2) ? blank() : QString()) + inside + QLatin1Char(')');
        }
        }
    }

    // Operands joined as written; a blank never stands next to a square bracket.
    QString expression(int depth)
    {
        QString text;
        bool lastBracketed = false;
        for (int i = m_pick(4); i > 0; --i) {
            bool bracketed = false;
            const QString next = item(depth, &bracketed);
            if (!text.isEmpty() && !lastBracketed && !bracketed && m_pick(2))
                text += blank();
            text += next;
            lastBracketed = bracketed;
        }
        // Words joined without a blank can meet as "/" "/" or "/" "*"; strings here hold neither.
        return withoutCommentMarks(text);
    }

    QString elements(int depth, int atLeast = 0)
    {
        QStringList list;
        for (int i = atLeast + m_pick(4); i > 0; --i)
            list << expression(depth);
        return list.join(QLatin1Char(','));
    }

    QString colourList()
    {
        QStringList colours;
        for (int i = m_pick(4); i > 0; --i)
            colours << QLatin1Char('[') + elements(1) + QLatin1Char(']');
        return colours.join(QLatin1Char(','));
    }

    Pick m_pick;
};

// The text with every '/' removed that would open a comment ("//" or "/*"): the import reads
// those as comments, as the game does.
inline QString withoutCommentMarks(QString text)
{
    for (qsizetype i = text.size() - 2; i >= 0; --i) {
        if (text[i] == QLatin1Char('/') && (text[i + 1] == QLatin1Char('/') || text[i + 1] == QLatin1Char('*')))
            text.remove(i, 1);
    }
    return text;
}
