// Traces and assertion reports: recorded for tests, optionally printed by channel.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxCore.h"

namespace tmxhost {
namespace {

constexpr std::size_t kMaxTraces = 1000000;

struct TraceState {
    std::vector<Trace> traces;
    std::vector<Report> reports;
    std::string savedDetail;
    bool printAll = false;
    std::set<unsigned> printChannels;
    bool printConfigured = false;
    std::FILE* out = nullptr;
};

TraceState& State() {
    static TraceState state;
    return state;
}

// Whether any channel is printed: -1 until the environment has been read, then 0 or 1. Lets a
// line that nobody reads return at once.
int g_printing = -1;

void UpdatePrinting() {
    g_printing = State().printAll || !State().printChannels.empty() ? 1 : 0;
}

std::string FormatV(const char* format, va_list args) {
    if (format == nullptr) {
        return "(null format)";
    }
    // Most lines fit the buffer and are formatted once.
    char buffer[512];
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(buffer, sizeof(buffer), format, copy);
    va_end(copy);
    if (length < 0) {
        return format;
    }
    if (static_cast<std::size_t>(length) < sizeof(buffer)) {
        return std::string(buffer, static_cast<std::size_t>(length));
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

bool ParseChannels(std::string_view list, bool& all, std::set<unsigned>& channels,
                   std::string* error) {
    all = false;
    channels.clear();
    while (!list.empty()) {
        std::size_t comma = list.find(',');
        std::string word(list.substr(0, comma));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        if (word.empty()) {
            continue;
        }
        if (word == "all") {
            all = true;
            continue;
        }
        char* end = nullptr;
        unsigned long value = std::strtoul(word.c_str(), &end, 0);
        if (end == word.c_str() || *end != '\0' || value > 0xFFFFFFFFul) {
            if (error != nullptr) {
                *error = "not a channel word: '" + word + "' (expected e.g. 0xBA or all)";
            }
            return false;
        }
        channels.insert(static_cast<unsigned>(value));
    }
    return true;
}

void ConfigureFromEnvironment() {
    TraceState& state = State();
    if (state.printConfigured) {
        return;
    }
    state.printConfigured = true;
    if (const char* list = std::getenv("TMXHOST_TRACE")) {
        ParseChannels(list, state.printAll, state.printChannels, nullptr);
    }
    UpdatePrinting();
    if (const char* file = std::getenv("TMXHOST_TRACE_FILE")) {
        state.out = std::fopen(file, "a");
    }
}

bool Printed(unsigned channel) {
    if (g_printing == 0) {
        return false;
    }
    ConfigureFromEnvironment();
    const TraceState& state = State();
    return state.printAll ||
           (!state.printChannels.empty() && state.printChannels.count(channel) != 0);
}

void Print(unsigned channel, const std::string& text) {
    if (!Printed(channel)) {
        return;
    }
    std::FILE* out = State().out != nullptr ? State().out : stderr;
    std::fwrite(text.data(), 1, text.size(), out);
    std::fflush(out);
}

}  // namespace

namespace detail {
void ResetTraces() {
    State().traces.clear();
    State().reports.clear();
    State().savedDetail.clear();
}
}  // namespace detail

const std::vector<Trace>& Traces() {
    return State().traces;
}

std::vector<Trace> TakeTraces() {
    return std::exchange(State().traces, {});
}

bool HasTrace(std::string_view text, unsigned channel) {
    for (const Trace& trace : State().traces) {
        if (trace.text == text && (channel == 0 || trace.channel == channel)) {
            return true;
        }
    }
    return false;
}

bool SetTracePrint(std::string_view channels, std::string* error) {
    ConfigureFromEnvironment();
    bool all = false;
    std::set<unsigned> parsed;
    if (!ParseChannels(channels, all, parsed, error)) {
        return false;
    }
    State().printAll = all;
    State().printChannels = std::move(parsed);
    UpdatePrinting();
    return true;
}

const std::vector<Report>& Reports() {
    return State().reports;
}

std::vector<Report> TakeReports() {
    return std::exchange(State().reports, {});
}

}  // namespace tmxhost

using namespace tmxhost;

// A line that is neither recorded nor printed is not formatted.
extern "C" void SysDebugPrintf(unsigned int channel, const char* format, ...) {
    const bool recorded = (detail::g_recording & kRecordTraces) != 0;
    if (!recorded && (g_printing == 0 || !Printed(channel))) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    Print(channel, text);
    if (!recorded) {
        return;
    }
    auto& traces = State().traces;
    if (traces.size() >= kMaxTraces) {
        traces.erase(traces.begin(), traces.begin() + kMaxTraces / 10);
    }
    traces.push_back(Trace{channel, std::move(text)});
}

extern "C" void _SysAssertReport(int kind, const char* kindName, const char* expression,
                                 const char* sourcePath, int line) {
    auto text = [](const char* s) { return std::string(s != nullptr ? s : "(null)"); };
    Report report{kind,
                  text(kindName),
                  text(expression),
                  text(sourcePath),
                  line,
                  std::exchange(State().savedDetail, {})};
    Print(0xBA, report.kindName + ": " + report.expression + " at " + report.path + ":" +
                    std::to_string(line) + "\n");
    State().reports.push_back(std::move(report));
}

extern "C" void _SysSaveAssertMsg(const char* format, ...) {
    va_list args;
    va_start(args, format);
    State().savedDetail = FormatV(format, args);
    va_end(args);
}
