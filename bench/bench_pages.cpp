// Recording, coding, saving and loading the pages of a long preview run: pages per second, coder
// throughput, and memory (pages past the page stream's limit live in its temporary file).
#include "../tests/engine/EmfBuilder.h"

#include "BenchMemory.h"

#include "engine/run/KVCompress.h"
#include "engine/run/KVPageList.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

using namespace tessiv;

namespace {

constexpr int PageCount = 1000;

const std::vector<QByteArray>& Pages()
{
    static const std::vector<QByteArray> pages = [] {
        std::vector<QByteArray> v;
        for (int n = 1; n <= PageCount; ++n)
            v.push_back(fixtures::MakePage(n));
        return v;
    }();
    return pages;
}

std::int64_t PageBytes()
{
    std::int64_t total = 0;
    for (const auto& p : Pages())
        total += p.size();
    return total;
}

using benchmem::StatusKb;

void MemoryCounters(benchmark::State& state, const TKVPageList& list)
{
    const TKVStream* stream = list.Stream();
    state.counters["stream_in_memory_kB"] = stream && stream->InMemory() ? stream->Size() / 1024.0 : 0;
    state.counters["stream_kB"] = stream ? stream->Size() / 1024.0 : 0;
    state.counters["peak_rss_kB"] = StatusKb("VmHWM");
    state.counters["rss_kB"] = StatusKb("VmRSS");
}

void BM_RecordPages(benchmark::State& state)
{
    const bool compressed = state.range(0) != 0;
    Pages();
    TKVPageList list;
    for (auto _ : state) {
        list.Clear();
        list.SetCompression(compressed);
        list.BeginRecording();
        for (const auto& page : Pages())
            list.AddPage(page);
        list.Finish();
    }
    state.SetItemsProcessed(state.iterations() * PageCount);
    state.SetBytesProcessed(state.iterations() * PageBytes());
    MemoryCounters(state, list);
}
BENCHMARK(BM_RecordPages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CoderEncode(benchmark::State& state)
{
    for (auto _ : state)
        for (const auto& page : Pages())
            benchmark::DoNotOptimize(TKVCompress::CompressBytes(page));
    state.SetBytesProcessed(state.iterations() * PageBytes());
}
BENCHMARK(BM_CoderEncode)->Unit(benchmark::kMillisecond);

void BM_CoderDecode(benchmark::State& state)
{
    std::vector<QByteArray> coded;
    for (const auto& page : Pages())
        coded.push_back(TKVCompress::CompressBytes(page));
    std::int64_t codedBytes = 0;
    for (const auto& c : coded)
        codedBytes += c.size();
    QByteArray out;
    for (auto _ : state)
        for (size_t i = 0; i < coded.size(); ++i)
            if (!TKVCompress::ExpandBytes(coded[i].constData(), coded[i].size(), Pages()[i].size(), out))
                state.SkipWithError("page did not decode");
    state.SetBytesProcessed(state.iterations() * PageBytes());
    state.counters["ratio"] = static_cast<double>(codedBytes) / static_cast<double>(PageBytes());
}
BENCHMARK(BM_CoderDecode)->Unit(benchmark::kMillisecond);

// Saving copies the stream; loading checks every record (and decodes every coded page) before
// it takes the file; then every page is fetched once, as printing all recorded pages does.
void BM_SaveLoadFetch(benchmark::State& state)
{
    const bool compressed = state.range(0) != 0;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.VKR"));
    TKVPageList recorded;
    recorded.SetCompression(compressed);
    recorded.BeginRecording();
    for (const auto& page : Pages())
        recorded.AddPage(page);
    recorded.Finish();
    TKVPageList loaded;
    for (auto _ : state) {
        recorded.SaveToFile(file);
        loaded.Clear();
        loaded.LoadFromFile(file);
        for (int n = 1; n <= PageCount; ++n)
            benchmark::DoNotOptimize(loaded.GetPageData(n));
    }
    state.SetItemsProcessed(state.iterations() * PageCount);
    state.counters["file_kB"] = QFile(file).size() / 1024.0;
    MemoryCounters(state, loaded);
}
BENCHMARK(BM_SaveLoadFetch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
