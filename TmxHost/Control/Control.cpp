#include <cinttypes>
#include <cstdio>
#include <map>

#include "HostInternal.h"
#include "TmxHost.h"

namespace tmxhost {
namespace {

struct FaultRule {
    int skip;       // calls still to let through before the first failure
    int remaining;  // failures left, -1 for every call
    long long result;
};

struct ControlState {
    std::vector<Call> calls;
    std::map<std::string, std::vector<FaultRule>, std::less<>> faults;
};

ControlState& State() {
    static ControlState state;
    return state;
}

}  // namespace

namespace detail {

std::string Arg(int value) {
    return std::to_string(value);
}
std::string Arg(unsigned value) {
    return std::to_string(value);
}
std::string Arg(long value) {
    return std::to_string(value);
}
std::string Arg(unsigned long value) {
    return std::to_string(value);
}
std::string Arg(long long value) {
    return std::to_string(value);
}
std::string Arg(unsigned long long value) {
    return std::to_string(value);
}

std::string Arg(const char* text) {
    if (text == nullptr) {
        return "NULL";
    }
    std::string quoted = "\"";
    quoted += text;
    quoted += '"';
    return quoted;
}

std::string Arg(const void* pointer) {
    if (pointer == nullptr) {
        return "NULL";
    }
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "0x%" PRIxPTR, reinterpret_cast<uintptr_t>(pointer));
    return buffer;
}

unsigned g_recording = kRecordAll;
bool g_faultsSet = false;

std::string Arg(Verbatim verbatim) {
    return verbatim.text != nullptr ? verbatim.text : "NULL";
}

// Every rule counts the calls made since it was set; of the rules due, the earliest set fires.
std::optional<long long> FireFault(const char* name) {
    auto& faults = State().faults;
    auto found = faults.find(std::string_view(name));
    if (found == faults.end()) {
        return std::nullopt;
    }
    std::optional<long long> result;
    auto& rules = found->second;
    for (auto it = rules.begin(); it != rules.end();) {
        if (it->skip > 0) {
            --it->skip;
        } else if (!result) {
            result = it->result;
            if (it->remaining > 0 && --it->remaining == 0) {
                it = rules.erase(it);
                continue;
            }
        }
        ++it;
    }
    if (rules.empty()) {
        faults.erase(found);
        g_faultsSet = !faults.empty();
    }
    return result;
}

void LogCall(const char* name, std::vector<std::string> args) {
    State().calls.push_back(Call{name, std::move(args), Now()});
}

std::optional<long long> Enter(const char* name, std::vector<std::string> args) {
    if ((g_recording & kRecordCalls) != 0) {
        LogCall(name, std::move(args));
    }
    return Fault(name);
}

}  // namespace detail

std::string Call::Text() const {
    std::string text = name + "(";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0) {
            text += ", ";
        }
        text += args[i];
    }
    return text + ")";
}

const std::vector<Call>& Calls() {
    return State().calls;
}

std::vector<std::string> CallTexts(const std::vector<std::string>& names) {
    std::vector<std::string> texts;
    for (const Call& call : State().calls) {
        bool wanted = names.empty();
        for (const std::string& name : names) {
            wanted = wanted || call.name == name;
        }
        if (wanted) {
            texts.push_back(call.Text());
        }
    }
    return texts;
}

void ClearCalls() {
    State().calls.clear();
}

void FailCall(const std::string& function, long long result, int nth, int times) {
    if (nth < 1 || times == 0) {
        return;
    }
    State().faults[function].push_back(FaultRule{nth - 1, times < 0 ? -1 : times, result});
    detail::g_faultsSet = true;
}

void ClearFaults() {
    State().faults.clear();
    detail::g_faultsSet = false;
}

void SetRecording(unsigned what) {
    detail::g_recording = what & kRecordAll;
}

unsigned GetRecording() {
    return detail::g_recording;
}

void Reset() {
    detail::g_recording = kRecordAll;
    State().calls.clear();
    ClearFaults();
    detail::ResetTraces();
    detail::ResetHeap();
    detail::ResetPhone();
    detail::ResetRegistry();
    detail::ResetTimers();
    detail::ResetTapi();
    detail::ResetTime();
    detail::ResetContacts();
    detail::ResetDevices();
    detail::ResetSound();
    detail::ResetSignals();
    detail::ResetEffects();
    detail::ResetFlash();
    detail::ResetGraphics();
    detail::ResetStyleSets();
    detail::ResetVideo();
    detail::ResetImages();
}

}  // namespace tmxhost
