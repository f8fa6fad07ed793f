// Shared by the host's parts: the call log with fault injection, and each part's reset.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "TmxHost.h"

namespace tmxhost::detail {

std::string Arg(int value);
std::string Arg(unsigned value);
std::string Arg(long value);
std::string Arg(unsigned long value);
std::string Arg(long long value);
std::string Arg(unsigned long long value);
std::string Arg(const char* text);
std::string Arg(const void* pointer);

// An argument logged as it stands (a description such as "callback"), not quoted.
struct Verbatim {
    const char* text;
};
std::string Arg(Verbatim verbatim);

// What is recorded now (RecordWhat bits); read on every trace line and platform call.
extern unsigned g_recording;
// True while some fault rule is set.
extern bool g_faultsSet;

std::optional<long long> FireFault(const char* name);
// Fault check only, for calls with records of their own (heap).
inline std::optional<long long> Fault(const char* name) {
    if (!g_faultsSet) {
        return std::nullopt;
    }
    return FireFault(name);
}
// Appends a platform call to the call log.
void LogCall(const char* name, std::vector<std::string> args);

// Logs a platform call (when calls are recorded) and returns the injected result when a fault
// fires for it. The arguments are turned into text only for the log.
template <class... Args>
std::optional<long long> Enter(const char* name, const Args&... args) {
    if ((g_recording & kRecordCalls) != 0) {
        LogCall(name, std::vector<std::string>{Arg(args)...});
    }
    return Fault(name);
}
// The same with arguments already in text, built by the caller whether or not they are logged.
std::optional<long long> Enter(const char* name, std::vector<std::string> args);

// The platform heap for the host's own blocks (bitmaps it makes): tracked like the library's,
// never failed by injected faults. HeapBlockSize answers for a live block only.
void* HeapAlloc(std::size_t size, const char* path, int line);
std::optional<std::size_t> HeapBlockSize(const void* block);

// Runs `event` once, `delay` ms from now on the host clock, in order with the platform timers.
// Host events are not platform timers: they are invisible to the library and to Timers().
void Schedule(long long delay, std::function<void()> event);

// Each part's reset, run by tmxhost::Reset().
void ResetTraces();
void ResetHeap();
void ResetPhone();
void ResetRegistry();
void ResetTimers();
void ResetTapi();
void ResetTime();
void ResetContacts();
void ResetDevices();
void ResetSound();
void ResetSignals();
void ResetEffects();
void ResetGraphics();
void ResetStyleSets();
void ResetVideo();
void ResetFlash();
void ResetImages();

}  // namespace tmxhost::detail
