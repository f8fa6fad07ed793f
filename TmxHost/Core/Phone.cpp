// NV items, phone status, accessories, feature switches, module status and module classes.
#include <cstring>
#include <map>
#include <set>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxCore.h"

namespace tmxhost {
namespace {

struct PhoneState {
    std::map<int, int> nvInts;
    std::map<int, std::string> nvStrings;
    std::map<int, int> status;
    std::set<int> devices;
    std::set<std::string, std::less<>> features;
    std::map<int, int> modules;
    std::set<unsigned> classes;
};

PhoneState& State() {
    static PhoneState state;
    return state;
}

}  // namespace

namespace detail {
void ResetPhone() {
    State() = PhoneState{};
    State().modules[TMX_MODULE_MEMORY] = 1;
}
}  // namespace detail

void SetNvInt(int item, int value) {
    State().nvInts[item] = value;
}
void SetNvString(int item, const std::string& value) {
    State().nvStrings[item] = value;
}
void SetPhoneStatus(int id, int value) {
    State().status[id] = value;
}

void SetDeviceInserted(int id, bool inserted) {
    if (inserted) {
        State().devices.insert(id);
    } else {
        State().devices.erase(id);
    }
}

void SetFeature(const std::string& name, bool enabled) {
    if (enabled) {
        State().features.insert(name);
    } else {
        State().features.erase(name);
    }
}

void SetModuleStatus(int module, int status) {
    State().modules[module] = status;
}

bool IsClassRegistered(unsigned classId) {
    return State().classes.count(classId) != 0;
}

}  // namespace tmxhost

using namespace tmxhost;
using detail::Arg;

extern "C" int NvGetInt(int item) {
    if (auto fault = detail::Enter("NvGetInt", item)) {
        return static_cast<int>(*fault);
    }
    auto it = State().nvInts.find(item);
    return it != State().nvInts.end() ? it->second : 0;
}

extern "C" int NvGetString(int item, char* buffer) {
    if (auto fault = detail::Enter("NvGetString", item)) {
        return static_cast<int>(*fault);
    }
    if (buffer == nullptr) {
        return 0;
    }
    auto it = State().nvStrings.find(item);
    std::string value = it != State().nvStrings.end() ? it->second : std::string();
    std::size_t length = std::min(value.size(), static_cast<std::size_t>(NV_STRING_MAX - 1));
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return 1;
}

extern "C" int PhsGetStatus(int id) {
    if (auto fault = detail::Enter("PhsGetStatus", id)) {
        return static_cast<int>(*fault);
    }
    auto it = State().status.find(id);
    return it != State().status.end() ? it->second : 0;
}

extern "C" int PhsIsDevInserted(int id) {
    if (auto fault = detail::Enter("PhsIsDevInserted", id)) {
        return static_cast<int>(*fault);
    }
    return State().devices.count(id) != 0 ? 1 : 0;
}

extern "C" int SysIsFeatureEnabled(const char* featureName) {
    if (auto fault = detail::Enter("SysIsFeatureEnabled", featureName)) {
        return static_cast<int>(*fault);
    }
    return featureName != nullptr && State().features.count(std::string_view(featureName)) != 0;
}

// Asked on every allocation, so it is not logged.
extern "C" int SysGetModuleStatus(int module) {
    if (auto fault = detail::Fault("SysGetModuleStatus")) {
        return static_cast<int>(*fault);
    }
    auto it = State().modules.find(module);
    return it != State().modules.end() ? it->second : 0;
}

extern "C" int __SysRegisterClass(int reserved, unsigned int classId, void* classRecord, int flag) {
    if (auto fault =
            detail::Enter("__SysRegisterClass", reserved, classId,
                          detail::Verbatim{classRecord != nullptr ? "record" : "NULL"}, flag)) {
        return static_cast<int>(*fault);
    }
    if (classRecord == nullptr) {
        return 0;
    }
    return State().classes.insert(classId).second ? 1 : 0;
}

extern "C" int SysUnregisterClass(int reserved, unsigned int classId) {
    if (auto fault = detail::Enter("SysUnregisterClass", reserved, classId)) {
        return static_cast<int>(*fault);
    }
    return State().classes.erase(classId) != 0 ? 1 : 0;
}
