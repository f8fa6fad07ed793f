// Shared by the host's parts: the call log with fault injection, and each part's reset.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tmxhost::detail {

std::string Arg(int value);
std::string Arg(unsigned value);
std::string Arg(long value);
std::string Arg(unsigned long value);
std::string Arg(long long value);
std::string Arg(unsigned long long value);
std::string Arg(const char* text);
std::string Arg(const void* pointer);

// Logs a platform call and returns the injected result when a fault fires for it.
std::optional<long long> Enter(const char* name, std::vector<std::string> args);
// Fault check only, for calls with records of their own (heap).
std::optional<long long> Fault(const char* name);

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

}  // namespace tmxhost::detail
