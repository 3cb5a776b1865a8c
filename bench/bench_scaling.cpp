// How one rebuild grows with the length of a field text: Text1 of the real main window is set
// to texts from 10 to 1 000 000 characters, and each setText runs the field's change handling,
// which rebuilds the drop string into Text28. The fitted complexity should come out as O(N).
#include "app/form1.h"
#include "drop/dropstring.h"

#include <QLineEdit>

#include <benchmark/benchmark.h>

namespace {

void BM_RebuildWithFieldLength(benchmark::State &state)
{
    const int length = int(state.range(0));
    Form1 form;
    QLineEdit *field = form.Text(1);
    // Two texts of the same length, so that every iteration is a real change.
    const QString texts[2] = {QString(length, QLatin1Char('a')), QString(length, QLatin1Char('b'))};
    const qsizetype emptyLength = form.Text28->text().size();

    int next = 0;
    for (auto _ : state) {
        field->setText(texts[next]);
        next ^= 1;
    }
    if (field->text().size() != length || form.Text28->text().size() != emptyLength + length) {
        state.SkipWithError("the field or the drop string did not take the whole text");
        return;
    }
    state.SetComplexityN(length);
    state.SetBytesProcessed(state.iterations() * (emptyLength + length) * qsizetype(sizeof(QChar)));
    state.counters["dropLength"] = double(form.Text28->text().size());
}
BENCHMARK(BM_RebuildWithFieldLength)
    ->RangeMultiplier(10)
    ->Range(10, 1000000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// The formatter alone over the same lengths, to tell its share from the widgets'.
void BM_FormatWithFieldLength(benchmark::State &state)
{
    const int length = int(state.range(0));
    QStringList fields = drop::startTexts();
    fields[0] = QString(length, QLatin1Char('a'));
    for (auto _ : state)
        benchmark::DoNotOptimize(drop::formatDropString(fields, drop::ColourMode::Inline, QStringLiteral("_color")));
    state.SetComplexityN(length);
}
BENCHMARK(BM_FormatWithFieldLength)
    ->RangeMultiplier(10)
    ->Range(10, 1000000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

} // namespace
