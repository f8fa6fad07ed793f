// The settings store against its floor, in one run: a get costs at least an open-read-close of
// the settings file, a set at least a write-fsync-rename of the same bytes. Only the ratios
// printed at the end mean anything; absolute times depend on the machine.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iomanip>
#include <iterator>
#include <map>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "TmxHost.h"

namespace {

const char kSection[] = "CallSetting";
const char kKey[] = "CALL_REG_KEY_ALERTS_ON_CALL";

// Times `step` until it fails. The host logs every platform call and trace line; the logs are
// emptied now and then, untimed, so that a long run does not time their growth.
void Measure(benchmark::State& state, const std::function<bool(long long)>& step) {
    long long n = 0;
    for (auto _ : state) {
        if (!step(n)) {
            state.SkipWithError("the operation failed");
            break;
        }
        if ((++n & 1023) == 0) {
            state.PauseTiming();
            tmxhost::ClearCalls();
            tmxhost::TakeTraces();
            state.ResumeTiming();
        }
    }
}

// Prints as usual, and keeps each benchmark's median real time per iteration.
struct MedianReporter : benchmark::ConsoleReporter {
    std::map<std::string, double> median;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred && run.aggregate_name == "median") {
                median[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* library, const char* floor, const char* label) {
        if (median.count(library) != 0 && median.count(floor) != 0) {
            GetOutputStream() << "ratio " << library << " / " << label << ": " << std::fixed
                              << std::setprecision(1) << median[library] / median[floor] << "x"
                              << std::endl;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    tmxhost::Reset();          // a fresh data root in a temporary folder
    CallCommonSvcDispatch(0);  // creates the settings file with its defaults
    const std::string file = tmxhost::RegistryPath("CallReg.ini");
    const std::string temp = tmxhost::RegistryPath("Raw.ini.tmp");
    const std::string copy = tmxhost::RegistryPath("Raw.ini");
    const std::string bytes(std::istreambuf_iterator<char>(std::ifstream(file).rdbuf()), {});
    // Each library operation runs next to its floor, all timed in one unit; the median of three
    // repetitions keeps a noisy machine from deciding a ratio.
    const std::pair<const char*, std::function<bool(long long)>> operations[] = {
        {"CallCommonSvcRegGetInt",
         [](long long) {
             benchmark::DoNotOptimize(CallCommonSvcRegGetInt(kSection, kKey));
             return true;
         }},
        {"RawOpenReadClose",
         [&file](long long) {
             char buffer[65536];
             int fd = ::open(file.c_str(), O_RDONLY);
             while (::read(fd, buffer, sizeof(buffer)) > 0) {
             }
             return ::close(fd) == 0;
         }},
        {"CallCommonSvcRegSetInt",
         [](long long n) { return CallCommonSvcRegSetInt(kSection, kKey, int(n & 1)) != 0; }},
        {"RawWriteFsyncRename", [&](long long) {
             int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
             bool ok = ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) &&
                       ::fsync(fd) == 0;
             ok = ::close(fd) == 0 && ok && !bytes.empty();
             return ok && ::rename(temp.c_str(), copy.c_str()) == 0;
         }}};
    for (const auto& [name, operation] : operations) {
        benchmark::RegisterBenchmark(name, Measure, operation)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime()
            ->Repetitions(3)
            ->ReportAggregatesOnly(true);
    }
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    CallCommonSvcDispatch(1);
    reporter.PrintRatio("CallCommonSvcRegGetInt", "RawOpenReadClose", "raw read");
    reporter.PrintRatio("CallCommonSvcRegSetInt", "RawWriteFsyncRename", "raw write");
    benchmark::Shutdown();
    return 0;
}
