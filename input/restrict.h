#pragma once

#include <QString>

namespace input {

// A field's text and its caret (the number of characters before it).
struct TextAndCaret {
    QString text;
    int caret;
};

// Keeps a text to the allowed characters and one delimiter, with the caret kept at the matching
// place: every "," becomes the delimiter, the delimiter nearest before the caret is the one that
// stays (the first one when none is before it), the characters before the caret that are not
// allowed are removed, and a leading delimiter gets a "0" in front of it. Characters after the
// caret are not examined: in a bound field they have been filtered by an earlier change.
// The delimiter is the first character of `delimiter`, or "^" when it is empty; a "^" delimiter
// is not allowed, so the text then ends up with no separator at all. Every comparison ignores
// letter case.
TextAndCaret restrictText(const QString &text, int caret, const QString &allowed, const QString &delimiter);

// The position, counted from 1, of the last occurrence of `match` within the first `lastPos`
// characters of `text` (the whole text when lastPos is at least its length), ignoring letter case;
// 0 when there is none or lastPos is 0 or less.
int InstrPrev(const QString &text, const QString &match, int lastPos);

} // namespace input
