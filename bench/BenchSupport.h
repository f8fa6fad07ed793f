// Pieces shared by the benchmark programs: untimed trimming of the host's records, registration
// with three repetitions, and a reporter that prints ratios of median times after the table.
#pragma once

#include <benchmark/benchmark.h>

#include <iomanip>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "TmxHost.h"

namespace bench {

// The host records every platform call and trace line; they are dropped now and then, untimed,
// so that a long run does not measure a growing log.
inline void TrimHostLogs(benchmark::State& state, long long iteration) {
    if ((iteration & 1023) == 1023) {
        state.PauseTiming();
        tmxhost::ClearCalls();
        tmxhost::TakeTraces();
        state.ResumeTiming();
    }
}

// The median of three repetitions keeps a noisy machine from deciding a ratio. `function` is a
// plain function or a lambda taking the state.
template <class Function>
inline void Register(const std::string& name, Function&& function) {
    benchmark::RegisterBenchmark(name.c_str(), std::forward<Function>(function))
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime()
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
}

// The name of a library benchmark run with the host recording its traces and calls, as tests do.
inline std::string Recorded(const std::string& name) {
    return name + "/recording";
}

// A library path measured twice: as a program runs it, the host recording nothing (`name`), and
// with every trace line and platform call recorded (`Recorded(name)`).
template <class Function>
inline void RegisterBoth(const std::string& name, Function function) {
    Register(name, [function](benchmark::State& state) {
        tmxhost::SetRecording(tmxhost::kRecordNothing);
        function(state);
    });
    Register(Recorded(name), [function](benchmark::State& state) {
        tmxhost::SetRecording(tmxhost::kRecordAll);
        function(state);
        tmxhost::SetRecording(tmxhost::kRecordNothing);
    });
}

// Prints as usual, and keeps each benchmark's median real and CPU times per iteration, in
// seconds. A ratio is of real times; on a loaded machine the ratio of CPU times, printed beside
// it, is the steadier figure for a path that does not wait on the disk.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    std::map<std::string, double> cpuSeconds;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred && run.aggregate_name == "median") {
                const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                seconds[run.run_name.function_name] = run.GetAdjustedRealTime() / unit;
                cpuSeconds[run.run_name.function_name] = run.GetAdjustedCPUTime() / unit;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // "2.49x (cpu 2.70x)", or "" when either benchmark has no result.
    std::string Ratio(const std::string& top, const std::string& bottom) {
        if (seconds.count(top) == 0 || seconds.count(bottom) == 0) {
            return "";
        }
        std::ostringstream text;
        text << std::fixed << std::setprecision(2) << seconds[top] / seconds[bottom] << "x (cpu "
             << cpuSeconds[top] / cpuSeconds[bottom] << "x)";
        return text.str();
    }
    void PrintRatio(const std::string& library, const std::string& floor,
                    const std::string& label) {
        const std::string ratio = Ratio(library, floor);
        if (!ratio.empty()) {
            GetOutputStream() << "ratio " << library << " / " << label << ": " << ratio
                              << std::endl;
        }
    }
    // The ratio of a path registered with RegisterBoth, recording off and on.
    void PrintBothRatios(const std::string& library, const std::string& floor,
                         const std::string& label) {
        PrintRatio(library, floor, label + " (recording off)");
        PrintRatio(Recorded(library), floor, label + " (recording on)");
    }
};

}  // namespace bench
