#pragma once

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace benchsupport {

// Collects each case's times per iteration (real, CPU) and prints, after the run, a table
// that sets every "<subject>/<case>" beside its "<baseline>/<case>". When the cases ran
// in repetitions, their medians are compared.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred) {
                times[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
                counters[run.benchmark_name()] = run.counters;
            }
    }

    // `subject` and `baseline` are the name prefixes of the two sides ("Driver", "SQLite").
    void printTable(const std::string& subject, const std::string& baseline) const {
        // The machine may be shared: CPU time is the fairer measure of the work; real time
        // also counts the waits for the disk that the writes end with.
        std::string subjectCpu = lower(subject) + " cpu", baselineCpu = lower(baseline) + " cpu";
        std::string subjectReal = lower(subject) + " real",
                    baselineReal = lower(baseline) + " real";
        int width =
            static_cast<int>(std::max<std::size_t>({12, subjectReal.size(), baselineReal.size()}));
        int digits = width - 3;
        std::printf("\n%-24s %*s %*s %7s %*s %*s %7s\n", "case", width, subjectCpu.c_str(), width,
                    baselineCpu.c_str(), "ratio", width, subjectReal.c_str(), width,
                    baselineReal.c_str(), "ratio");
        bool repeated = false;
        for (const auto& entry : times)
            repeated = repeated || entry.first.ends_with("_median");
        std::string prefix = subject + "/";
        for (const auto& [name, time] : times) {
            if (name.rfind(prefix, 0) != 0 || (repeated && !name.ends_with("_median")))
                continue;
            std::string base = name.substr(prefix.size());
            auto other = times.find(baseline + "/" + base);
            if (other == times.end())
                continue;
            auto [real, cpu] = time;
            auto [baseReal, baseCpu] = other->second;
            // The case without its arguments ("/iterations:300") and aggregate ("_median").
            std::string shown = base.substr(0, base.find_first_of("/_"));
            std::printf("%-24s %*.2f us %*.2f us %6.2fx %*.2f us %*.2f us %6.2fx\n", shown.c_str(),
                        digits, cpu / 1000, digits, baseCpu / 1000, cpu / baseCpu, digits,
                        real / 1000, digits, baseReal / 1000, real / baseReal);
        }
    }

    std::map<std::string, std::pair<double, double>> times;
    // Each case's own counters, by the same names.
    std::map<std::string, benchmark::UserCounters> counters;

private:
    static std::string lower(std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + 32);
        return text;
    }
};

} // namespace benchsupport
