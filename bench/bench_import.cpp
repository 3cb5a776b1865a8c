// What pressing "OK" in the import dialog costs: the parser alone and the whole import into the
// real main window, for a typical pasted array and for a paste of about a megabyte of blanks.
#include "app/form1.h"
#include "import/form4.h"
#include "import/importparser.h"
#include "import/xstrings.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

const QString kTypical = QStringLiteral(
    R"(drop ["shape1", "", "Billboard", 1, 5, [0, 0, 0.5], [0, 0, 1], 0, 1.275, 1, 0, [0.5, 2, 4], [[1, 1, 1, 1], [0.5, 0.5, 0.5, 0]], [0, 1, 2], 0.1, 0.05, "", "", obj1])");

constexpr qsizetype kMegabyte = 1 << 20;

// The typical array with every blank widened so that the paste is about a megabyte long.
QString megabytePaste(const QString &array)
{
    const qsizetype blanks = array.count(QLatin1Char(' '));
    const QString wide((kMegabyte - array.size()) / blanks, QLatin1Char(' '));
    QString paste = array;
    return paste.replace(QStringLiteral(" "), wide);
}

// Two arrays that differ in every value, so that each import really changes the fields.
QString variant(const QString &array, bool odd)
{
    return odd ? QString(array).replace(QStringLiteral("shape1"), QStringLiteral("shape2")) : array;
}

void BM_ReplaceAllMegabyteOfBlanks(benchmark::State &state)
{
    const QString paste = megabytePaste(kTypical);
    for (auto _ : state)
        benchmark::DoNotOptimize(XStrings::ReplaceAll(paste, QStringLiteral(" "), QString()));
    state.counters["pasteLength"] = double(paste.size());
}
BENCHMARK(BM_ReplaceAllMegabyteOfBlanks)->Unit(benchmark::kMillisecond);

void parse(benchmark::State &state, const QString &paste)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(import::parseDropArray(paste, false, QString()));
    state.counters["pasteLength"] = double(paste.size());
}

void BM_ParseTypical(benchmark::State &state)
{
    parse(state, kTypical);
}
BENCHMARK(BM_ParseTypical)->Unit(benchmark::kMicrosecond);

void BM_ParseMegabyte(benchmark::State &state)
{
    parse(state, megabytePaste(kTypical));
}
BENCHMARK(BM_ParseMegabyte)->Unit(benchmark::kMillisecond);

// A script written over tab-indented lines, with expressions, a quoted comma and short vectors.
void BM_ParseScriptLines(benchmark::State &state)
{
    parse(state, QStringLiteral("drop [\r\n\t\"\\Ca\\Data\\Cl_basic\", \"\", \"Billboard\", 1, 3,\r\n"
                                "\t[0, 0, 0.5], [random 0.5 - random 0.7, random 0.5 - random 0.7, 1 + random 2],\r\n"
                                "\t0, 1.275, 1, 0.05, [0.3, 3], [[0.2, 0.2, 0.2, 0.8], [0.5, 0.5, 0.5, 0]], [0],\r\n"
                                "\t0.1, 0.05, \"[_this, 2] exec \"\"fx.sqs\"\"\", \"\", _smoker\r\n];\r\n"));
}
BENCHMARK(BM_ParseScriptLines)->Unit(benchmark::kMicrosecond);

// A colour list of ten thousand colours: every element is read for its brackets.
void BM_ParseLongColourList(benchmark::State &state)
{
    QStringList colours;
    for (int i = 0; i < 10000; ++i)
        colours << QStringLiteral("[0.5, 0.25, %1, 1]").arg(i % 10);
    QString array = kTypical;
    parse(state, array.replace(QStringLiteral("[[1, 1, 1, 1], [0.5, 0.5, 0.5, 0]]"), "[" + colours.join(", ") + "]"));
}
BENCHMARK(BM_ParseLongColourList)->Unit(benchmark::kMillisecond);

// The user's paste into the dialog and the click on "OK", down to the last rebuild of the main
// window; opening the dialog is not counted.
void importThroughDialog(benchmark::State &state, bool megabyte)
{
    Form1 form;
    const QString pastes[2] = {megabyte ? megabytePaste(variant(kTypical, false)) : variant(kTypical, false),
                               megabyte ? megabytePaste(variant(kTypical, true)) : variant(kTypical, true)};
    bool odd = false;
    for (auto _ : state) {
        state.PauseTiming();
        import::Form4::open(form.fields(), form.source());
        import::Form4 *dialog = import::Form4::existing();
        state.ResumeTiming();
        dialog->Text1->setText(pastes[odd]);
        dialog->Command1->click();
        state.PauseTiming();
        if (import::Form4::existing())
            state.SkipWithError("the import failed");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        odd = !odd;
        state.ResumeTiming();
    }
    state.counters["pasteLength"] = double(pastes[0].size());
}

void BM_ImportTypical(benchmark::State &state)
{
    importThroughDialog(state, false);
}
BENCHMARK(BM_ImportTypical)->Unit(benchmark::kMicrosecond);

void BM_ImportMegabyte(benchmark::State &state)
{
    importThroughDialog(state, true);
}
BENCHMARK(BM_ImportMegabyte)->Unit(benchmark::kMillisecond);

} // namespace
