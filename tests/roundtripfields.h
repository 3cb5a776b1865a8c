#pragma once

#include "drop/fieldtable.h"

#include <QString>
#include <QStringList>

// Field texts that a drop string carries back unchanged through the import, drawn by a random
// source `pick(n)` (a number from 0 to n - 1): string fields hold anything but a double quote and
// a line break; the other fields are script expressions whose brackets and strings are balanced,
// with no comma outside brackets and no blank next to a comma, a square bracket or an end.
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
            const drop::Emit emitted = drop::kFields.at(i).emitted;
            if (emitted == drop::Emit::Quoted)
                texts << stringText();
            else if (emitted == drop::Emit::List)
                texts << (separateColours ? anyText() : colourList());
            else
                texts << expression(2);
        }
        return texts;
    }

    // A colour variable name as a user types it into the colour line.
    QString name() { return word(QStringLiteral("abc_XYZ019"), 8); }

    // The text between the quotes of a string parameter.
    QString stringText() { return word(QStringLiteral("ab ,\t[]()';_\\.0"), 10); }

private:
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
        return text;
    }

    QString elements(int depth)
    {
        QStringList list;
        for (int i = m_pick(4); i > 0; --i)
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
