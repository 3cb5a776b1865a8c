// What one keystroke in a parameter field costs (the field's change handling rebuilds the whole
// drop string), and what a full reset costs, on the real main window.
#include "app/form1.h"
#include "drop/dropstring.h"
#include "platform/messages.h"

#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

class AlwaysYes final : public platform::Messages {
public:
    bool askYesNo(QWidget *, const QString &, const QString &) override { return true; }
    void inform(QWidget *, const QString &, const QString &) override {}
    void fail(QWidget *, const QString &, const QString &) override {}
};

// Alternates the last character of Text5 so that every iteration is a real change.
void keystroke(benchmark::State &state, int longFieldLength)
{
    Form1 form;
    if (longFieldLength > 0)
        form.Text(1)->setText(QString(longFieldLength, QLatin1Char('x')));
    bool odd = false;
    for (auto _ : state) {
        form.Text(5)->setText(odd ? QStringLiteral("1") : QStringLiteral("2"));
        odd = !odd;
    }
    state.counters["dropLength"] = double(form.Text28->text().size());
}

void BM_KeystrokeStartTexts(benchmark::State &state)
{
    keystroke(state, 0);
}
BENCHMARK(BM_KeystrokeStartTexts)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeWithLongField(benchmark::State &state)
{
    keystroke(state, int(state.range(0)));
}
BENCHMARK(BM_KeystrokeWithLongField)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_FormatOnly(benchmark::State &state)
{
    QStringList fields = drop::startTexts();
    fields[0] = QString(int(state.range(0)), QLatin1Char('x'));
    for (auto _ : state)
        benchmark::DoNotOptimize(drop::formatDropString(fields, drop::ColourMode::Inline, QStringLiteral("_color")));
}
BENCHMARK(BM_FormatOnly)->Arg(0)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_Reset(benchmark::State &state)
{
    AlwaysYes yes;
    platform::setMessages(&yes);
    Form1 form;
    auto *resetButton = form.Command3;
    for (auto _ : state) {
        state.PauseTiming();
        for (int n = 1; n <= 27; ++n)
            form.Text(n)->setText(QStringLiteral("v%1").arg(n));
        state.ResumeTiming();
        resetButton->click();
    }
    platform::setMessages(nullptr);
}
BENCHMARK(BM_Reset)->Unit(benchmark::kMicrosecond);

} // namespace
