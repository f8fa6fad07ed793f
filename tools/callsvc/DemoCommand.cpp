// callsvc demo: loads the library, shows the settings file it keeps and runs timers on the
// real-time clock.
#include <cstdio>
#include <vector>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Mgr/CallTimer.h"
#include "Commands.h"
#include "Module.h"
#include "Options.h"
#include "TmxHost.h"

namespace callsvc {
namespace {

const char kUsage[] =
    "usage: callsvc demo [options]\n"
    "\n"
    "Loads the call common service as the module manager does, shows the settings file it\n"
    "created or found (version and defaults), runs a short sequence of timers on the real-time\n"
    "clock and unloads.\n"
    "\n"
    "options:\n"
    "  --data DIR          data folder (default $TMXHOST_DATA_ROOT, else\n"
    "                      $XDG_DATA_HOME/callsvc or ~/.local/share/callsvc)\n"
    "  --trace CHANNELS    print the library's trace lines of these channels to stderr:\n"
    "                      comma-separated channel words such as 0x200E6,0xBA, or all\n"
    "  --help              this text\n";

// Two repeating timers: a fast one that ticks until the slow one has ticked twice.
class DemoTimers : public CCallTimer {
public:
    enum { kFast = 1, kSlow = 2 };

    void OnTick(unsigned long timerID) override {
        std::printf("  %5lld ms  tick of timer %lu\n", tmxhost::Now() - m_start, timerID);
        if (timerID == kSlow && ++m_slowTicks == 2) {
            KillTimer(kFast);
            KillTimer(kSlow);
            std::printf("  %5lld ms  both timers killed\n", tmxhost::Now() - m_start);
        }
    }

    void Begin() {
        m_start = tmxhost::Now();
        SetTimer(kFast, 150);
        SetTimer(kSlow, 400);
        std::printf("  %5d ms  timer 1 every 150 ms, timer 2 every 400 ms\n", 0);
    }

    bool Running() const { return m_slowTicks < 2; }

private:
    long long m_start = 0;
    int m_slowTicks = 0;
};

}  // namespace

int RunDemo(int argc, char** argv, int first) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, first, {}, {}, options, error) || !options.positional.empty()) {
        std::fprintf(stderr, "callsvc demo: %s\n\n%s",
                     error.empty() ? "unexpected argument" : error.c_str(), kUsage);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (!ApplyCommonOptions(options, error)) {
        std::fprintf(stderr, "callsvc demo: %s\n", error.c_str());
        return kExitUsage;
    }
    tmxhost::UseRealTime(true);

    Module module;
    if (!module.Load(error)) {
        std::fprintf(stderr, "callsvc: %s\n", error.c_str());
        return kExitFailure;
    }
    std::printf("Loaded %s (module class registered: %s)\n", LibraryPath().c_str(),
                tmxhost::IsClassRegistered(0x1000076) ? "yes" : "no");

    std::vector<tmxhost::RegistryEntry> entries;
    if (!tmxhost::ReadRegistry("CallReg.ini", entries)) {
        std::fprintf(stderr, "callsvc demo: no settings file at %s\n",
                     tmxhost::RegistryPath("CallReg.ini").c_str());
        return kExitFailure;
    }
    std::printf("\nSettings file %s: version %d, %zu keys\n",
                tmxhost::RegistryPath("CallReg.ini").c_str(),
                CallCommonSvcRegGetInt("Version", "Version"), entries.size());
    for (const auto& entry : entries) {
        std::printf("  %s %s = %s\n", entry.section.c_str(), entry.key.c_str(),
                    entry.value.c_str());
    }

    std::printf("\nTimers on the real-time clock:\n");
    {
        DemoTimers timers;
        timers.Begin();
        for (int guard = 0; guard < 100 && timers.Running(); ++guard) {
            tmxhost::RunFor(50);
        }
    }

    module.Unload();
    std::printf("\nUnloaded (module class registered: %s)\n",
                tmxhost::IsClassRegistered(0x1000076) ? "yes" : "no");
    return kExitOk;
}

}  // namespace callsvc
