// The settings store against its floor, in one run: a get costs at least an open-read-close of
// the settings file, a set at least a write-fsync-rename of the same bytes. Only the ratios
// printed at the end mean anything; absolute times depend on the machine. The library runs as a
// program runs it (the host recording nothing) and, apart, with everything recorded as in tests.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "BenchSupport.h"
#include "CallCommonSvc/H/CallCommonSvc.h"
#include "TmxHost.h"

namespace {

using bench::Register;
using bench::RegisterBoth;
using bench::TrimHostLogs;

const char kSection[] = "CallSetting";
const char kKey[] = "CALL_REG_KEY_ALERTS_ON_CALL";

void LibraryGet(benchmark::State& state) {
    long long n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CallCommonSvcRegGetInt(kSection, kKey));
        TrimHostLogs(state, n++);
    }
}

void RawRead(benchmark::State& state) {
    const std::string path = tmxhost::RegistryPath("CallReg.ini");
    char buffer[65536];
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_RDONLY);
        ssize_t got = -1;
        while (fd >= 0 && (got = ::read(fd, buffer, sizeof(buffer))) > 0) {
        }
        if (fd < 0 || ::close(fd) != 0 || got < 0) {
            state.SkipWithError("cannot read the settings file");
            break;
        }
    }
}

void LibrarySet(benchmark::State& state) {
    long long n = 0;
    for (auto _ : state) {
        if (!CallCommonSvcRegSetInt(kSection, kKey, static_cast<int>(n & 1))) {
            state.SkipWithError("CallCommonSvcRegSetInt failed");
            break;
        }
        TrimHostLogs(state, n++);
    }
}

void RawWrite(benchmark::State& state) {
    std::ifstream in(tmxhost::RegistryPath("CallReg.ini"), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const std::string temp = tmxhost::RegistryPath("Raw.ini.tmp");
    const std::string target = tmxhost::RegistryPath("Raw.ini");
    for (auto _ : state) {
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        bool ok = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) &&
                  ::fsync(fd) == 0;
        ok = (fd < 0 || ::close(fd) == 0) && ok && ::rename(temp.c_str(), target.c_str()) == 0;
        if (!ok || bytes.empty()) {
            state.SkipWithError("cannot write a copy of the settings file");
            break;
        }
    }
}

// The least a durable atomic replace costs: the write-fsync-rename above, then an fsync of the
// folder so that the rename itself survives a crash.
void RawWriteFsyncRenameFsyncDir(benchmark::State& state) {
    std::ifstream in(tmxhost::RegistryPath("CallReg.ini"), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const std::string temp = tmxhost::RegistryPath("Raw.ini.tmp");
    const std::string target = tmxhost::RegistryPath("Raw.ini");
    const int dir = ::open(tmxhost::DataRoot().c_str(), O_RDONLY | O_DIRECTORY);
    for (auto _ : state) {
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        bool ok = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) &&
                  ::fsync(fd) == 0;
        ok = (fd < 0 || ::close(fd) == 0) && ok && ::rename(temp.c_str(), target.c_str()) == 0 &&
             dir >= 0 && ::fsync(dir) == 0;
        if (!ok || bytes.empty()) {
            state.SkipWithError("cannot write a copy of the settings file");
            break;
        }
    }
    if (dir >= 0) {
        ::close(dir);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    tmxhost::Reset();          // a fresh data root in a temporary folder
    CallCommonSvcDispatch(0);  // creates the settings file with its defaults
    // Each library benchmark runs next to its floor.
    RegisterBoth("CallCommonSvcRegGetInt", LibraryGet);
    Register("RawOpenReadClose", RawRead);
    RegisterBoth("CallCommonSvcRegSetInt", LibrarySet);
    Register("RawWriteFsyncRename", RawWrite);
    Register("RawWriteFsyncRenameFsyncDir", RawWriteFsyncRenameFsyncDir);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    CallCommonSvcDispatch(1);
    reporter.PrintBothRatios("CallCommonSvcRegGetInt", "RawOpenReadClose", "raw read");
    reporter.PrintBothRatios("CallCommonSvcRegSetInt", "RawWriteFsyncRename", "raw write");
    reporter.PrintBothRatios("CallCommonSvcRegSetInt", "RawWriteFsyncRenameFsyncDir",
                             "raw write with folder fsync");
    benchmark::Shutdown();
    return 0;
}
