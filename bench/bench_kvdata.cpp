// Reading and writing key/value trees in both text forms, each at a size and
// at twice that size, so that growth with the input can be compared.
#include "qz7kvdata.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <utility>

namespace {

// Scene-like text: windows with properties, a layout object and arrays of
// child windows nested a few levels deep, repeated until the text reaches
// the size. Written directly, so that the tree a benchmark reads is the
// only one the heap has seen.
void AppendWindow(std::string& out, int id, int depth)
{
    std::string in(2 * size_t(depth) + 2, ' ');
    std::string n = std::to_string(id);
    out += "{\r\n";
    out += in + "\"Class\": \"" + (depth % 2 ? "TQZGUIButton" : "TQZGUIPanel") + "\",\r\n";
    out += in + "\"Name\": \"Window " + n + " \\\"main\\\"\",\r\n";
    out += in + "\"Position\": \"[" + std::to_string(id % 640) + "," + std::to_string(id % 480) + ",120,32]\",\r\n";
    out += in + "\"Tag\": " + n + ",\r\n";
    out += in + "\"Visible\": " + (id % 3 ? "true" : "false") + ",\r\n";
    out += in + "\"Opacity\": 0.75,\r\n";
    out += in + "\"Layout\": {\r\n" + in + "  \"Layoutmode\": \"LayoutAnchor\",\r\n";
    out += in + "  \"Anchorleft\": { \"Anchorstyle\": \"anchorParent\", \"Margin\": 4 }\r\n" + in + "},\r\n";
    out += in + "\"Caption\": \"Press {here} to [continue], or not\"";
    if (depth < 3) {
        out += ",\r\n" + in + "\"Children\": [ ";
        for (int i = 0; i < 3; ++i) {
            if (i > 0) out += ",";
            AppendWindow(out, id * 4 + i + 1, depth + 1);
        }
        out += " ]";
    }
    out += "\r\n" + std::string(2 * size_t(depth), ' ') + "}";
}

std::string JsonText(size_t bytes)
{
    std::string out = "{\r\n\"__ancestor\": \"Scene\",\r\n";
    out += "  \"Settings\": { \"Video\": { \"Displaymode\": 1 }, \"Audio\": { \"Volume\": 80 } },\r\n";
    out += "  \"Windows\": [ ";
    for (int id = 0; out.size() < bytes; ++id) {
        if (id > 0) out += ",";
        AppendWindow(out, id, 1);
    }
    out += " ]\r\n}";
    return out;
}

// Settings-like lines: a hundred keys to a group, groups two levels deep.
std::string LinesText(int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i) {
        text += "Group" + std::to_string(i / 1000) + ".Section" + std::to_string(i / 100 % 10) + ".Key" +
                std::to_string(i % 100) + " = \"value " + std::to_string(i * 7919) + "\"\r\n";
        if (i % 50 == 0) text += "// comment line\r\n";
    }
    return text;
}

void BM_JsonParse(benchmark::State& state)
{
    std::string text = JsonText(size_t(state.range(0)) * 1024);
    for (auto _ : state) {
        auto root = std::make_unique<TQZKeyValue>();
        if (!root->ParseText(text)) state.SkipWithError("the text did not parse");
        benchmark::DoNotOptimize(root->ChildCount());
        // Freeing the tree is measured on its own.
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_JsonFree(benchmark::State& state)
{
    std::string text = JsonText(size_t(state.range(0)) * 1024);
    for (auto _ : state) {
        state.PauseTiming();
        auto root = TQZKeyValue::CreateFromText(text);
        state.ResumeTiming();
        root.reset();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_JsonWrite(benchmark::State& state)
{
    std::string source = JsonText(size_t(state.range(0)) * 1024);
    auto root = TQZKeyValue::CreateFromText(source);
    size_t size = 0;
    for (auto _ : state) {
        std::string text = root->ToText(false);
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void BM_BytesRoundTrip(benchmark::State& state)
{
    std::string source = JsonText(size_t(state.range(0)) * 1024);
    auto root = TQZKeyValue::CreateFromText(source);
    size_t size = 0;
    for (auto _ : state) {
        std::vector<uint8_t> bytes = root->SaveToBytes();
        TQZKeyValue back;
        if (!back.LoadFromBytes(bytes)) state.SkipWithError("load failed");
        size = bytes.size();
        benchmark::DoNotOptimize(back.ChildCount());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void BM_LinesParse(benchmark::State& state)
{
    std::string text = LinesText(int(state.range(0)));
    for (auto _ : state) {
        TQZKeyValue root;
        root.ReadLines(text);
        benchmark::DoNotOptimize(root.ChildCount());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_LinesWrite(benchmark::State& state)
{
    TQZKeyValue root;
    root.ReadLines(LinesText(int(state.range(0))));
    size_t size = 0;
    for (auto _ : state) {
        std::string text = root.LinesText();
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

// Sizes in KiB for the JSON-like text, in lines for the lines form: the
// size asked for, twice that, and half of it to see where the tree stops
// fitting in the caches.
BENCHMARK(BM_JsonParse)->Arg(512)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JsonFree)->Arg(512)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JsonWrite)->Arg(512)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytesRoundTrip)->Arg(512)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinesParse)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinesWrite)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Keeps the best throughput of each benchmark and size (over repetitions),
// then prints how the time grows when the input doubles.
class GrowthReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            auto it = run.counters.find("bytes_per_second");
            if (it == run.counters.end() || run.run_type != Run::RT_Iteration) continue;
            double& best = best_[run.run_name.function_name][std::stoll(run.run_name.args)];
            best = std::max(best, double(it->second.value));
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintGrowth() const
    {
        for (const auto& [name, sizes] : best_) {
            for (auto small = sizes.begin(), large = std::next(small); large != sizes.end(); ++small, ++large) {
                if (large->second <= 0 || large->first != 2 * small->first) continue;
                // Time for exactly twice the bytes over the time for the bytes.
                std::printf("%-18s %6lld -> %6lld: %8.1f -> %8.1f MiB/s, 2N/N time %.2f\n", name.c_str(),
                            small->first, large->first, small->second / (1 << 20), large->second / (1 << 20),
                            2 * small->second / large->second);
            }
        }
    }

private:
    std::map<std::string, std::map<long long, double>> best_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    GrowthReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintGrowth();
    benchmark::Shutdown();
    return 0;
}
