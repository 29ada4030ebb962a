// Breaking a text into lines: one word far wider than its memo (a code or a pasted token without a
// blank), alone and after a short word, from 1,000 to 128,000 characters, measured with the fonts
// of this machine. The word is cut to the line; the time must grow with the word's length, not with
// its square.

#include "engine/model/EngineClasses.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "engine/printables/KVLabel.h"
#include "platform/controls/Controls.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tessiv;

namespace {

struct TFixture {
    std::unique_ptr<QGuiApplication> App;
    TFixture()
    {
        static int argc = 1;
        static char arg0[] = "bench_text";
        static char* argv[] = {arg0, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        App = std::make_unique<QGuiApplication>(argc, argv);
        RegisterEngineClasses();
    }
};

TFixture& Fixture()
{
    static TFixture f;
    return f;
}

// A memo 300 pixels wide, without AutoSize, on the detail band of a report.
struct TBenchMemo {
    std::unique_ptr<TWinControl, TComponentDeleter> Form{new TWinControl(nullptr)};
    TKVMemo* Memo;
    TBenchMemo()
    {
        auto* report = new TVardoRep(Form.get());
        report->SetName(QStringLiteral("Relatorio"));
        report->SetParent(Form.get());
        auto* detail = new TKVBand(Form.get());
        detail->SetName(QStringLiteral("Detalhe"));
        detail->SetParent(report);
        detail->SetBandType(rbDetail);
        Memo = new TKVMemo(Form.get());
        Memo->SetName(QStringLiteral("Memo"));
        Memo->Font()->SetName(QStringLiteral("Arial"));
        Memo->Font()->SetSize(10);
        Memo->SetParent(detail);
        Memo->SetAutoSize(false);
        Memo->SetBounds(0, 0, 300, 100);
    }
};

void FormatLongWord(benchmark::State& state, const QString& before)
{
    Fixture();
    TBenchMemo bench;
    QString word;
    while (word.size() < state.range(0))
        word += QStringLiteral("0123456789ABCDEF");
    word.truncate(state.range(0));
    TStringList lines;
    lines.Add(before + word);
    for (auto _ : state) {
        bench.Memo->SetLines(&lines);
        benchmark::DoNotOptimize(bench.Memo->FormattedLines()->Count());
    }
    state.SetComplexityN(state.range(0));
    state.counters["chars/s"] =
        benchmark::Counter(static_cast<double>(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
}

// The word is the line: it keeps the characters that fit.
void BM_FormatLongWordAlone(benchmark::State& state)
{
    FormatLongWord(state, QString());
}
BENCHMARK(BM_FormatLongWordAlone)->RangeMultiplier(2)->Range(1000, 128000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// After a short word: the word goes to a line of its own, cut to it.
void BM_FormatLongWordAfterAWord(benchmark::State& state)
{
    FormatLongWord(state, QStringLiteral("Codigo: "));
}
BENCHMARK(BM_FormatLongWordAfterAWord)->RangeMultiplier(2)->Range(1000, 128000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

} // namespace
