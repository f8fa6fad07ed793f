// Lateness of the host's real-time timers, as the program runs them: a 20 ms window-manager timer
// re-armed from its own expiry, 1,000 times, against clock_nanosleep to deadlines made by the same
// rule in the same run. Lateness is the time from a deadline to the moment the callback (or the
// sleeper) runs. The two runs take about 20 s each. An optional argument sets the number of
// expiries.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "CallCommonSvc/Platform/TmxCore.h"
#include "TmxHost.h"

namespace {

constexpr long long kPeriodMs = 20;
constexpr long long kMs = 1000000;

long long SteadyNs() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// The host's clock in ns: the steady time at which its millisecond count last ticked, found by
// waiting for the next tick. std::chrono::steady_clock is CLOCK_MONOTONIC on Linux.
long long HostClockStart() {
    const long long ms = tmxhost::Now();
    while (tmxhost::Now() == ms) {
    }
    const long long tick = SteadyNs();
    return tick - tmxhost::Now() * kMs;
}

struct Run {
    long long start = 0;  // the host clock's origin, steady ns
    int wanted = 0;
    long long deadline = 0;
    std::vector<long long> lateness;
};
Run g_run;

void Expired(int hTimer, unsigned long) {
    const long long now = SteadyNs();
    g_run.lateness.push_back(now - g_run.deadline);
    if (static_cast<int>(g_run.lateness.size()) < g_run.wanted) {
        // Re-armed from the expiry, as the library's periodic timers are.
        g_run.deadline = g_run.start + (tmxhost::Now() + kPeriodMs) * kMs;
        WmStartTimer(hTimer, kPeriodMs, Expired, 0);
    }
}

std::vector<long long> HostTimer(int expiries) {
    g_run.wanted = expiries;
    g_run.lateness.clear();
    g_run.lateness.reserve(expiries);
    const int timer = __WmCreateTimer("bench", __FILE__, __LINE__);
    g_run.deadline = g_run.start + (tmxhost::Now() + kPeriodMs) * kMs;
    WmStartTimer(timer, kPeriodMs, Expired, 0);
    while (static_cast<int>(g_run.lateness.size()) < expiries) {
        tmxhost::RunFor(kPeriodMs);
    }
    __WmDeleteTimer(timer, __FILE__, __LINE__);
    return g_run.lateness;
}

// The same deadlines, on the same millisecond grid, slept to directly.
std::vector<long long> Nanosleep(int expiries) {
    std::vector<long long> lateness;
    lateness.reserve(expiries);
    long long deadline = g_run.start + ((SteadyNs() - g_run.start) / kMs + kPeriodMs) * kMs;
    while (static_cast<int>(lateness.size()) < expiries) {
        const struct timespec until = {static_cast<time_t>(deadline / 1000000000LL),
                                       static_cast<long>(deadline % 1000000000LL)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
        }
        const long long now = SteadyNs();
        lateness.push_back(now - deadline);
        deadline = g_run.start + ((now - g_run.start) / kMs + kPeriodMs) * kMs;
    }
    return lateness;
}

// The q-quantile in microseconds.
double Quantile(std::vector<long long> values, double q) {
    std::sort(values.begin(), values.end());
    const std::size_t at = std::min(
        values.size() - 1, static_cast<std::size_t>(q * static_cast<double>(values.size())));
    return static_cast<double>(values[at]) / 1000.0;
}

}  // namespace

int main(int argc, char** argv) {
    const int expiries = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (expiries <= 0) {
        std::fprintf(stderr, "usage: %s [expiries]\n", argv[0]);
        return 1;
    }
    tmxhost::Reset();
    tmxhost::SetRecording(tmxhost::kRecordNothing);
    tmxhost::UseRealTime(true);
    g_run.start = HostClockStart();
    std::printf("%d expiries of a %lld ms timer, lateness in us\n", expiries, kPeriodMs);
    const std::vector<long long> host = HostTimer(expiries);
    const std::vector<long long> floor = Nanosleep(expiries);
    const double hostP50 = Quantile(host, 0.5), hostP99 = Quantile(host, 0.99);
    const double floorP50 = Quantile(floor, 0.5), floorP99 = Quantile(floor, 0.99);
    std::printf("host timer:      p50 %8.1f  p99 %8.1f\n", hostP50, hostP99);
    std::printf("clock_nanosleep: p50 %8.1f  p99 %8.1f\n", floorP50, floorP99);
    std::printf("p99 over the floor: %.1f us (goal at most 1000 us)\n", hostP99 - floorP99);
    return 0;
}
