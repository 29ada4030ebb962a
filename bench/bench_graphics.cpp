// Recording and playing back report pages as enhanced metafiles: a page of 200 texts and 2,000
// rectangles, as a dense label sheet has.
#include "BenchMemory.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/JPEGImage.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

using namespace tessiv;

namespace {

// Fonts need the GUI application object; it lives until the program ends.
void EnsureGui()
{
    static std::unique_ptr<QGuiApplication> app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_graphics";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QGuiApplication>(argc, argv);
    }();
}

constexpr int kPageWidth = 794;   // A4 at 96 dpi
constexpr int kPageHeight = 1123;

void DrawPage(TCanvas& c)
{
    c.Font()->SetName(QStringLiteral("Arial"));
    c.Font()->SetSize(9);
    for (int i = 0; i < 2000; ++i) {
        const int col = i % 40, row = i / 40;
        c.Brush()->SetColor(i % 3 ? clWhite : clSilver);
        c.Pen()->SetColor(i % 7 ? clBlack : clRed);
        c.Rectangle(10 + col * 19, 10 + row * 22, 27 + col * 19, 30 + row * 22);
    }
    c.Brush()->SetStyle(bsClear);
    for (int i = 0; i < 200; ++i) {
        c.Font()->SetStyle(i % 10 == 0 ? TFontStyles{fsBold} : TFontStyles{});
        c.TextOut(20 + (i % 4) * 190, 20 + (i / 4) * 22, QStringLiteral("Produto %1 — R$ %2,90").arg(i).arg(i * 3));
    }
}

std::unique_ptr<TMetafile> RecordPage(int* records = nullptr)
{
    auto mf = std::make_unique<TMetafile>();
    mf->SetWidth(kPageWidth);
    mf->SetHeight(kPageHeight);
    TMetafileCanvas c(*mf);
    DrawPage(c);
    c.Finish();
    if (records)
        *records = c.RecordCount();
    return mf;
}

void BM_RecordPage(benchmark::State& state)
{
    EnsureGui();
    int records = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        auto mf = RecordPage(&records);
        bytes = mf->Data().size();
        benchmark::DoNotOptimize(mf);
    }
    state.counters["records/s"] = benchmark::Counter(double(records) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["bytes/page"] = double(bytes);
    state.counters["records/page"] = records;
}
BENCHMARK(BM_RecordPage)->Unit(benchmark::kMillisecond);

void BM_PlayPage(benchmark::State& state)
{
    EnsureGui();
    int records = 0;
    auto mf = RecordPage(&records);
    QImage page(kPageWidth, kPageHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        page.fill(Qt::white);
        TImageCanvas c(page);
        mf->Play(c, {0, 0, kPageWidth, kPageHeight});
    }
    state.counters["records/s"] = benchmark::Counter(double(records) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["bytes/page"] = double(mf->Data().size());
}
BENCHMARK(BM_PlayPage)->Unit(benchmark::kMillisecond);

// The same page drawn straight on an image, for comparison with playing it back.
void BM_DrawPageDirect(benchmark::State& state)
{
    EnsureGui();
    QImage page(kPageWidth, kPageHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        page.fill(Qt::white);
        TImageCanvas c(page);
        DrawPage(c);
    }
}
BENCHMARK(BM_DrawPageDirect)->Unit(benchmark::kMillisecond);

// Playing a page onto a 600 dpi printer page (stretched, fonts realised at the printer's size).
void BM_PlayPageAt600Dpi(benchmark::State& state)
{
    EnsureGui();
    auto mf = RecordPage();
    const int w = kPageWidth * 600 / 96, h = kPageHeight * 600 / 96;
    QImage page(w, h, QImage::Format_RGB32);
    for (auto _ : state) {
        page.fill(Qt::white);
        TImageCanvas c(page, 600);
        mf->Play(c, {0, 0, w, h});
    }
}
BENCHMARK(BM_PlayPageAt600Dpi)->Unit(benchmark::kMillisecond);

// Measuring text through the metrics service, as label formatting does for every word.
void BM_TextWidth(benchmark::State& state)
{
    EnsureGui();
    QImage img(10, 10, QImage::Format_RGB32);
    TImageCanvas c(img);
    c.Font()->SetName(QStringLiteral("Arial"));
    c.Font()->SetSize(10);
    const QString word = QStringLiteral("Relatório");
    for (auto _ : state)
        benchmark::DoNotOptimize(c.TextWidth(word));
}
BENCHMARK(BM_TextWidth);

// A photograph of a given size as JPEG bytes, with enough detail that it does not compress to
// nothing (a real camera picture is not flat).
QByteArray PhotoJpeg(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 7 + y * 3) & 0xFF, (x ^ y) & 0xFF, ((x * y) >> 5) & 0xFF);
    }
    return EncodeJpeg(img, 90);
}

// What one run of fn adds to the process's peak resident memory, in MB.
template <typename Fn>
double PeakGrowthMb(Fn&& fn)
{
    const double before = benchmem::StatusKb("VmRSS");
    benchmem::ResetPeak();
    fn();
    return (benchmem::StatusKb("VmHWM") - before) / 1024;
}

// Decoding a picture and drawing it onto an A4 page at 300 dpi: the time, and the peak memory the
// decode and the drawing add (the budget is well under 500 MB whatever the picture claims).
void BM_JpegDecodeAndDraw(benchmark::State& state)
{
    EnsureGui();
    const int w = int(state.range(0)), h = int(state.range(1));
    const QByteArray bytes = PhotoJpeg(w, h);
    QImage page(2480, 3508, QImage::Format_RGB32);
    double peakMb = 0;
    for (auto _ : state)
        peakMb = std::max(peakMb, PeakGrowthMb([&] {
                              TJPEGImage jpeg;
                              TMemoryStream in(bytes);
                              jpeg.LoadFromStream(in);
                              TImageCanvas c(page, 300);
                              c.StretchDraw({0, 0, 2480, 3508}, &jpeg);
                          }));
    state.counters["file MB"] = double(bytes.size()) / (1024 * 1024);
    state.counters["peak MB"] = peakMb;
}
BENCHMARK(BM_JpegDecodeAndDraw)
    ->Args({2000, 1500})
    ->Args({6000, 4000})
    ->Unit(benchmark::kMillisecond);

// A small file that claims a huge picture: refused from its header, so it costs nothing.
void BM_JpegClaimingHugeSize(benchmark::State& state)
{
    EnsureGui();
    QByteArray bytes = PhotoJpeg(64, 64);
    // The frame header (SOF0: FF C0, length, precision, then height and width) claims 8000 x 8000.
    const int sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    bytes[sof + 5] = char(8000 >> 8);
    bytes[sof + 6] = char(8000 & 0xFF);
    bytes[sof + 7] = char(8000 >> 8);
    bytes[sof + 8] = char(8000 & 0xFF);
    double peakMb = 0;
    for (auto _ : state)
        peakMb = std::max(peakMb, PeakGrowthMb([&] {
                              TJPEGImage jpeg;
                              TMemoryStream in(bytes);
                              try {
                                  jpeg.LoadFromStream(in);
                              } catch (const Exception&) {
                              }
                          }));
    state.counters["file bytes"] = double(bytes.size());
    state.counters["peak MB"] = peakMb;
}
BENCHMARK(BM_JpegClaimingHugeSize)->Unit(benchmark::kMicrosecond);

} // namespace
