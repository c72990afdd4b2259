// Writing and reading .ice archives against plain zlib on the same bytes:
// 20 MiB over several nodes, some text-like and compressible, some random.
// After the runs the ratio of each archive throughput to zlib's is printed.
#include "benchutil.h"
#include "qz7icedata.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <zlib.h>

namespace {

constexpr int kNodes = 8;
constexpr int kNodeSize = (20 << 20) / kNodes;

std::string NodeBytes(int index)
{
    std::string s;
    s.reserve(kNodeSize);
    std::mt19937 gen(static_cast<uint32_t>(index) + 1);
    if (index % 3 == 2) {
        while (s.size() < static_cast<size_t>(kNodeSize)) s += static_cast<char>(gen() & 0xFF);
        return s;
    }
    static const char* words[] = {"trump", "bid", "seven", "hearts", "kitty", "joker", "misere",
                                  "no", "trumps", "partner", "lead", "follow", "discard", "score"};
    while (s.size() < static_cast<size_t>(kNodeSize)) {
        s += words[gen() % 14];
        s += (gen() % 9 == 0) ? "\r\n" : " ";
        if (gen() % 5 == 0) s += std::to_string(gen() % 1000);
    }
    s.resize(kNodeSize);
    return s;
}

struct Fixture {
    TQZIceData root;
    std::string plain;  // the same bytes in one piece, for zlib
    std::vector<uint8_t> archive;
    std::vector<uint8_t> deflated;

    Fixture()
    {
        for (int i = 0; i < kNodes; ++i) {
            std::string bytes = NodeBytes(i);
            TQZIceData* node = root.AddChildBuffer(static_cast<uint32_t>(i + 1), bytes.data(), kNodeSize);
            node->SetCompressed(true);
            node->SetName("node" + std::to_string(i + 1));
            plain += bytes;
        }
        if (!root.SaveToBytes(archive)) archive.clear();  // the write benchmark reports the failure
        uLongf n = compressBound(static_cast<uLong>(plain.size()));
        deflated.resize(n);
        compress2(deflated.data(), &n, reinterpret_cast<const Bytef*>(plain.data()),
                  static_cast<uLong>(plain.size()), Z_DEFAULT_COMPRESSION);
        deflated.resize(n);
    }
};

Fixture& Data()
{
    static Fixture f;
    return f;
}

void BM_IceWrite(benchmark::State& state)
{
    Fixture& f = Data();
    std::vector<uint8_t> out;
    for (auto _ : state) {
        // The writer clears the flag of nodes that did not pay; ask again.
        for (int i = 1; i <= f.root.ChildCount(); ++i) f.root.GetChild(i)->SetCompressed(true);
        if (!f.root.SaveToBytes(out)) state.SkipWithError("save failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.plain.size()));
    state.counters["stored_MiB"] = double(out.size()) / (1 << 20);
}

void BM_ZlibCompress(benchmark::State& state)
{
    Fixture& f = Data();
    std::vector<uint8_t> out(compressBound(static_cast<uLong>(f.plain.size())));
    uLongf n = 0;
    for (auto _ : state) {
        n = static_cast<uLongf>(out.size());
        compress2(out.data(), &n, reinterpret_cast<const Bytef*>(f.plain.data()),
                  static_cast<uLong>(f.plain.size()), Z_DEFAULT_COMPRESSION);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.plain.size()));
    state.counters["stored_MiB"] = double(n) / (1 << 20);
}

void BM_IceRead(benchmark::State& state)
{
    Fixture& f = Data();
    TQZIceData node;
    for (auto _ : state) {
        if (!node.LoadFromBytes(f.archive.data(), static_cast<int64_t>(f.archive.size())))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(node.GetChild(1));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.plain.size()));
}

void BM_ZlibUncompress(benchmark::State& state)
{
    Fixture& f = Data();
    std::vector<uint8_t> out(f.plain.size());
    for (auto _ : state) {
        uLongf n = static_cast<uLongf>(out.size());
        if (uncompress(out.data(), &n, f.deflated.data(), static_cast<uLong>(f.deflated.size())) != Z_OK)
            state.SkipWithError("uncompress failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.plain.size()));
}

BENCHMARK(BM_IceWrite)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_ZlibCompress)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_IceRead)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_ZlibUncompress)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nice against zlib (MiB/s)\n");
    reporter.PrintRatio("write", "BM_IceWrite", "BM_ZlibCompress", "bytes_per_second", 1 << 20, "MiB/s", false);
    reporter.PrintRatio("read", "BM_IceRead", "BM_ZlibUncompress", "bytes_per_second", 1 << 20, "MiB/s", false);
    benchmark::Shutdown();
    return 0;
}
