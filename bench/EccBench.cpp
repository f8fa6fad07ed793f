// The library's emergency-number check against libphonenumber's short-number check, on the same
// numbers for the same country (GB, served by 234/15), in one run. Each iteration checks every
// number once. The library runs as a program runs it (the host recording nothing) and, apart, with
// every trace and platform call recorded as in tests. Only the ratios printed at the end mean
// anything.
#include <phonenumbers/shortnumberinfo.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "CallCommonSvc/H/CallCommonSvc.h"
#include "TmxHost.h"

namespace {

const char kRegion[] = "GB";
const int kMcc = 234;
const int kMnc = 15;
const std::vector<std::string> kNumbers = {"999", "112", "911", "123", "0123456789"};

void LibraryCheck(benchmark::State& state) {
    long long n = 0;
    for (auto _ : state) {
        for (const std::string& number : kNumbers) {
            benchmark::DoNotOptimize(CallIsEccNumber(number.c_str()));
        }
        bench::TrimHostLogs(state, n++);
    }
}

void PeerCheck(benchmark::State& state) {
    const i18n::phonenumbers::ShortNumberInfo info;
    for (auto _ : state) {
        for (const std::string& number : kNumbers) {
            benchmark::DoNotOptimize(info.IsEmergencyNumber(number, kRegion));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    tmxhost::Reset();
    tmxhost::SetNetwork(kMcc, kMnc);
    // The answers being timed, side by side.
    const i18n::phonenumbers::ShortNumberInfo info;
    std::printf("%-12s %16s %18s\n", "number", "CallIsEccNumber", "IsEmergencyNumber");
    for (const std::string& number : kNumbers) {
        std::printf("%-12s %16d %18d\n", number.c_str(), CallIsEccNumber(number.c_str()),
                    info.IsEmergencyNumber(number, kRegion) ? 1 : 0);
    }
    tmxhost::ClearCalls();
    tmxhost::TakeTraces();
    bench::RegisterBoth("CallIsEccNumber", LibraryCheck);
    bench::Register("IsEmergencyNumber", PeerCheck);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintBothRatios("CallIsEccNumber", "IsEmergencyNumber",
                             "libphonenumber IsEmergencyNumber");
    benchmark::Shutdown();
    return 0;
}
