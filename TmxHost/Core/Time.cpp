// Local time: a wall clock that moves with the host clock, settable for tests.
#include <ctime>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxCore.h"

namespace tmxhost {
namespace {

struct TimeState {
    long long baseSeconds = 0;  // local time at host clock 0
};

TimeState& State() {
    static TimeState state;
    return state;
}

}  // namespace

namespace detail {
// The real local wall-clock time, so that a program sees today's date.
void ResetTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    State().baseSeconds = static_cast<long long>(now) + local.tm_gmtoff;
}
}  // namespace detail

void SetLocalTime(long long seconds) {
    State().baseSeconds = seconds - Now() / 1000;
}

}  // namespace tmxhost

using namespace tmxhost;

extern "C" unsigned int TmGetLocalTime(void) {
    if (auto fault = detail::Enter("TmGetLocalTime")) {
        return static_cast<unsigned int>(*fault);
    }
    return static_cast<unsigned int>(State().baseSeconds + Now() / 1000);
}

extern "C" int TmSecondsToDateTime64(unsigned long long seconds, TmDateTime* pDateTime) {
    if (auto fault = detail::Enter("TmSecondsToDateTime64", seconds)) {
        return static_cast<int>(*fault);
    }
    std::time_t value = static_cast<std::time_t>(seconds);
    std::tm calendar{};
    if (pDateTime == nullptr || gmtime_r(&value, &calendar) == nullptr) {
        return 0;
    }
    *pDateTime = TmDateTime{calendar.tm_year + 1900, calendar.tm_mon + 1, calendar.tm_mday,
                            calendar.tm_hour,        calendar.tm_min,     calendar.tm_sec};
    return 1;
}
