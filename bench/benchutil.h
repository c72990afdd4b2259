// Shared by the benchmark programs: a console reporter that keeps every
// figure, so that ours can be set against another implementation's once all
// runs are done.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace bench {

// Names with numbers in numeric order: ".../10" before ".../64" before ".../100".
struct NaturalLess {
    bool operator()(const std::string& a, const std::string& b) const
    {
        size_t i = 0, j = 0;
        while (i < a.size() && j < b.size()) {
            if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
                size_t ei = i, ej = j;
                while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
                while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
                if (ei - i != ej - j) return ei - i < ej - j;
                if (int c = a.compare(i, ei - i, b, j, ej - j); c != 0) return c < 0;
                i = ei;
                j = ej;
            } else {
                if (a[i] != b[j]) return a[i] < b[j];
                ++i;
                ++j;
            }
        }
        return a.size() - i < b.size() - j;
    }
};

// Console output as usual. Each counter of each run is kept under the run's
// name (function and arguments, without min_time or repetition marks); with
// --benchmark_repetitions the median of the repetitions is what is compared.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.error_occurred) continue;
            std::string name = r.run_name.function_name;
            if (!r.run_name.args.empty()) name += "/" + r.run_name.args;
            // With --benchmark_report_aggregates_only only the aggregates come here.
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                for (const auto& [counter, value] : r.counters) medians_[name][counter] = value;
            if (r.run_type == Run::RT_Iteration)
                for (const auto& [counter, value] : r.counters) figures_[name][counter].push_back(value);
        }
    }

    // The median of one counter over the repetitions of a run; 0 when absent.
    double Figure(const std::string& run, const std::string& counter) const
    {
        if (auto m = medians_.find(run); m != medians_.end())
            if (auto c = m->second.find(counter); c != m->second.end()) return c->second;
        auto r = figures_.find(run);
        if (r == figures_.end()) return 0;
        auto c = r->second.find(counter);
        if (c == r->second.end() || c->second.empty()) return 0;
        std::vector<double> v = c->second;
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    }

    // One line: both figures (divided by scale) and how many times better ours is.
    // lowerIsBetter for times, otherwise for rates.
    void PrintRatio(const std::string& label, const std::string& ours, const std::string& theirs,
                    const std::string& counter, double scale, const char* unit, bool lowerIsBetter) const
    {
        const double a = Figure(ours, counter), b = Figure(theirs, counter);
        if (a <= 0 || b <= 0) return;
        std::printf("  %-44s %9.2f %s %9.2f %s  x%.2f\n", label.c_str(), a / scale, unit, b / scale, unit,
                    lowerIsBetter ? b / a : a / b);
    }

    // Every run starting with oursPrefix against the run named the same after
    // theirsPrefix, for runs that have the counter.
    void PrintPairs(const std::string& oursPrefix, const std::string& theirsPrefix, const std::string& counter,
                    double scale, const char* unit, bool lowerIsBetter) const
    {
        std::set<std::string, NaturalLess> names;
        for (const auto& [name, counters] : figures_)
            if (counters.count(counter)) names.insert(name);
        for (const auto& [name, counters] : medians_)
            if (counters.count(counter)) names.insert(name);
        for (const std::string& name : names) {
            if (name.rfind(oursPrefix, 0) != 0) continue;
            const std::string other = theirsPrefix + name.substr(oursPrefix.size());
            PrintRatio(name, name, other, counter, scale, unit, lowerIsBetter);
        }
    }

private:
    std::map<std::string, std::map<std::string, std::vector<double>>> figures_;
    std::map<std::string, std::map<std::string, double>> medians_;
};

}  // namespace bench
