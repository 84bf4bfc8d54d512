#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zarnith::bench {

// Keeps each benchmark's real time per iteration so that ratios can be printed at the end; with
// --benchmark_repetitions, the median of the repetitions.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    // Without colours, so that logs (and the lines of ratios after the table) stay plain text.
    RatioReporter()
        : ConsoleReporter(OO_Tabular)
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    // Prints "name / base: ratio" when both ran.
    void PrintRatio(const std::string& name, const std::string& base)
    {
        const double* a = Time(name);
        const double* b = Time(base);
        if (a != nullptr && b != nullptr)
            std::printf("%s / %s: %.2f\n", name.c_str(), base.c_str(), *a / *b);
    }

private:
    const double* Time(const std::string& name) const
    {
        for (const std::string& key : { name + "_median", name }) {
            if (auto found = m_times.find(key); found != m_times.end())
                return &found->second;
        }
        return nullptr;
    }

    std::map<std::string, double> m_times;
};

} // namespace zarnith::bench
