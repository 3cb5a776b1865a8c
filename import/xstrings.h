#pragma once

#include <QString>

namespace XStrings {

// The text after replacing the first occurrence of search (compared exactly, letter case counts)
// by replacement, again and again, until none is left. Found in one pass over the text: what has
// been passed never holds an occurrence, so the next one can only end in what follows it.
//
// The repetition is only sure to end when the replacement is shorter than the search; there the
// result is exact (removing a search text, the common use, included). For a replacement as long as
// the search or longer, the occurrences of the original text are replaced once, left to right, and
// replacements are not searched again, so that no argument can make the call run without end. An
// empty search changes nothing.
QString ReplaceAll(const QString &text, const QString &search, const QString &replacement);

} // namespace XStrings
