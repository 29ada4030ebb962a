// Barcodes per second: our encoder alone, our encoder with drawing on a 203 dpi label image, and
// zint's library encoding (and rendering to its bitmap) the same data in the same run. Each run
// handles 100,000 distinct EAN-13 or Code 128 barcodes.

#include "barcode/LLBarcode.h"
#include "platform/graphics/Canvas.h"

#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>
#include <zint.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace tessiv;

namespace {

constexpr int Count = 100000;

void EnsureGui()
{
    static std::unique_ptr<QGuiApplication> App = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int Argc = 1;
        static char Name[] = "bench_barcode";
        static char* Argv[] = {Name, nullptr};
        return std::make_unique<QGuiApplication>(Argc, Argv);
    }();
}

enum class Kind { EAN13, Code128 };

// 100,000 distinct texts: twelve-digit article numbers, or mixed Code 128 B texts.
const std::vector<std::string>& Data(Kind K)
{
    static const auto Make = [](Kind Which) {
        std::vector<std::string> Texts;
        Texts.reserve(Count);
        char Buffer[32];
        for (int I = 0; I < Count; ++I) {
            if (Which == Kind::EAN13)
                std::snprintf(Buffer, sizeof Buffer, "789%09d", I * 7919 % 1000000000);
            else
                std::snprintf(Buffer, sizeof Buffer, "Lote-%06d/%c", I, 'A' + I % 26);
            Texts.emplace_back(Buffer);
        }
        return Texts;
    };
    static const std::vector<std::string> Ean = Make(Kind::EAN13);
    static const std::vector<std::string> Code = Make(Kind::Code128);
    return K == Kind::EAN13 ? Ean : Code;
}

void Ours(benchmark::State& State, Kind K, bool Draw)
{
    EnsureGui();
    const auto& Texts = Data(K);
    TLLBarcode Barcode;
    Barcode.Params().CodeType = K == Kind::EAN13 ? EAN_13 : CODE128_B;
    QImage Label(800, 400, QImage::Format_RGB32); // a 100 x 50 mm label at 203 dpi
    Label.fill(Qt::white);
    TImageCanvas Canvas(Label, 203);
    std::size_t I = 0;
    for (auto _ : State) {
        Barcode.Params().SetText(Texts[I++ % Texts.size()]);
        if (Draw) {
            TSize Size;
            Barcode.DrawBarcode(Canvas, 20, 20, Size);
            benchmark::DoNotOptimize(Size);
        } else {
            Barcode.MakeModules();
            benchmark::DoNotOptimize(Barcode.ModuleCount());
        }
    }
    State.SetItemsProcessed(State.iterations());
}

void Zint(benchmark::State& State, Kind K, bool Buffer)
{
    const auto& Texts = Data(K);
    zint_symbol* Symbol = ZBarcode_Create();
    std::size_t I = 0;
    for (auto _ : State) {
        ZBarcode_Clear(Symbol);
        Symbol->symbology = K == Kind::EAN13 ? BARCODE_EANX : BARCODE_CODE128;
        const std::string& Text = Texts[I++ % Texts.size()];
        const auto* Bytes = reinterpret_cast<const unsigned char*>(Text.data());
        const int Length = static_cast<int>(Text.size());
        const int Error = Buffer ? ZBarcode_Encode_and_Buffer(Symbol, Bytes, Length, 0)
                                 : ZBarcode_Encode(Symbol, Bytes, Length);
        if (Error >= ZINT_ERROR) {
            State.SkipWithError(Symbol->errtxt);
            break;
        }
        benchmark::DoNotOptimize(Symbol->width);
    }
    ZBarcode_Delete(Symbol);
    State.SetItemsProcessed(State.iterations());
}

} // namespace

BENCHMARK_CAPTURE(Ours, EAN13_Encode, Kind::EAN13, false)->Iterations(Count);
BENCHMARK_CAPTURE(Ours, EAN13_EncodeAndDraw, Kind::EAN13, true)->Iterations(Count);
BENCHMARK_CAPTURE(Zint, EAN13_Encode, Kind::EAN13, false)->Iterations(Count);
BENCHMARK_CAPTURE(Zint, EAN13_EncodeAndBuffer, Kind::EAN13, true)->Iterations(Count);
BENCHMARK_CAPTURE(Ours, Code128_Encode, Kind::Code128, false)->Iterations(Count);
BENCHMARK_CAPTURE(Ours, Code128_EncodeAndDraw, Kind::Code128, true)->Iterations(Count);
BENCHMARK_CAPTURE(Zint, Code128_Encode, Kind::Code128, false)->Iterations(Count);
BENCHMARK_CAPTURE(Zint, Code128_EncodeAndBuffer, Kind::Code128, true)->Iterations(Count);
