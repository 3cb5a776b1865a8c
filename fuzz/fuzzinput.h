#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>

#include <fuzzer/FuzzedDataProvider.h>

// A text from the fuzzer's bytes, read as UTF-8 (invalid sequences become replacement characters).
inline QString consumeText(FuzzedDataProvider &data, std::size_t maxBytes = 256)
{
    return QString::fromStdString(data.ConsumeRandomLengthString(maxBytes));
}

inline QString consumeRemainingText(FuzzedDataProvider &data)
{
    return QString::fromStdString(data.ConsumeRemainingBytesAsString());
}

// Ends the fuzz run with a message, so that libFuzzer keeps the input that broke the invariant.
[[noreturn]] inline void violated(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "invariant violated: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}
