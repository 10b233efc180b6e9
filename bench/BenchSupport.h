#pragma once
// What the benchmark programs share: a console reporter that keeps each
// benchmark's time for the ratio lines printed at the end, and a stream that
// records the positioned reads made through it (the "floor" replays them).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Stream.h"

namespace pellumo {
namespace bench {

class TimeReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that logs stay plain.
    TimeReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    // With repetitions the median stands for the benchmark, else its one run.
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.error_occurred) continue;
            const std::string& name = run.run_name.function_name;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type != Run::RT_Aggregate && !medians_.count(name)))
                seconds[name] = run.GetAdjustedRealTime();
            if (median) medians_.insert(name);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // Time of A over time of B; -1 when either did not run.
    double TimeRatio(const std::string& a, const std::string& b) const {
        const auto x = seconds.find(a), y = seconds.find(b);
        return x == seconds.end() || y == seconds.end() ? -1 : x->second / y->second;
    }
    std::map<std::string, double> seconds;  // per iteration, in the benchmark's unit

private:
    std::set<std::string> medians_;
};

using Reads = std::vector<std::pair<uint64_t, size_t>>;

// Passes reads through and remembers each one (position, length asked).
class RecordingStream : public TStream {
public:
    RecordingStream(TStream& inner, Reads& reads) : inner_(inner), reads_(reads) {}
    size_t Read(void* buffer, size_t count) override {
        reads_.emplace_back(inner_.Position(), count);
        return inner_.Read(buffer, count);
    }
    size_t Write(const void* buffer, size_t count) override { return inner_.Write(buffer, count); }
    void Seek(uint64_t position) override { inner_.Seek(position); }
    uint64_t Position() const override { return inner_.Position(); }
    uint64_t Size() const override { return inner_.Size(); }

private:
    TStream& inner_;
    Reads& reads_;
};

}  // namespace bench
}  // namespace pellumo
