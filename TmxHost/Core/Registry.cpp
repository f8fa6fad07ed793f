// Registry files: ini files under the data root, loaded whole into a handle and written back
// atomically on flush.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxCore.h"
#include "IniFile.h"

namespace tmxhost {
namespace {

struct OpenFile {
    std::string path;
    IniFile ini;
};

struct RegistryState {
    std::string root;
    std::string ownedRoot;  // a temporary root made by Reset, removed by the next one
    std::map<int, OpenFile> open;
    int nextHandle = 1;
    std::set<std::string> swept;  // files whose stale temporaries were removed
};

RegistryState& State() {
    static RegistryState state;
    return state;
}

void RemoveOwnedRoot() {
    RegistryState& state = State();
    if (!state.ownedRoot.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(state.ownedRoot, ignored);
        state.ownedRoot.clear();
    }
}

// The data root. A program that chose none (no Reset, no SetDataRoot), such as a C caller that
// cannot reach the control API, gets the default root rather than the file system's root.
const std::string& Root() {
    RegistryState& state = State();
    if (state.root.empty()) {
        std::string root = DefaultDataRoot();
        std::error_code ignored;
        std::filesystem::create_directories(root, ignored);
        state.root = std::filesystem::absolute(root, ignored).string();
    }
    return state.root;
}

// A registry path names a file inside the data root: relative, without "..".
bool Resolve(const char* path, std::string& full) {
    if (path == nullptr || path[0] == '\0' || path[0] == '/') {
        return false;
    }
    std::string_view rest(path);
    while (!rest.empty()) {
        std::size_t slash = rest.find('/');
        if (rest.substr(0, slash) == "..") {
            return false;
        }
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    full = Root() + "/" + path;
    return true;
}

OpenFile* Handle(int hReg) {
    auto it = State().open.find(hReg);
    return it != State().open.end() ? &it->second : nullptr;
}

bool ParseSigned(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

bool ParseUnsigned(const std::string& text, unsigned long long& value) {
    if (text.empty() || text[0] < '0' || text[0] > '9') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') {
        return false;
    }
    value = parsed;
    return true;
}

int GetString(const char* name, int hReg, const char* section, const char* key,
              const char* defaultValue, char* dest, int destSize) {
    if (auto fault = detail::Enter(name, {detail::Arg(hReg), detail::Arg(section), detail::Arg(key),
                                          detail::Arg(defaultValue), detail::Arg(destSize)})) {
        return static_cast<int>(*fault);
    }
    OpenFile* file = Handle(hReg);
    if (file == nullptr || dest == nullptr || destSize <= 0) {
        return 0;
    }
    const std::string* value =
        section != nullptr && key != nullptr ? file->ini.Find(section, key) : nullptr;
    const char* text = value != nullptr ? value->c_str() : defaultValue;
    AcStrcpyEx(dest, static_cast<unsigned>(destSize), text, __FILE__, __LINE__);
    return value != nullptr ? 1 : 0;
}

int SetValue(const char* name, int hReg, const char* section, const char* key,
             const std::string& text, std::string loggedValue) {
    if (auto fault = detail::Enter(name, {detail::Arg(hReg), detail::Arg(section), detail::Arg(key),
                                          std::move(loggedValue)})) {
        return static_cast<int>(*fault);
    }
    OpenFile* file = Handle(hReg);
    if (file == nullptr || section == nullptr || key == nullptr || key[0] == '\0') {
        return 0;
    }
    file->ini.Set(section, key, text);
    return 1;
}

}  // namespace

namespace detail {
void ResetRegistry() {
    RegistryState& state = State();
    state.open.clear();
    state.nextHandle = 1;
    state.swept.clear();
    RemoveOwnedRoot();
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/tmxhost.XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
        state.ownedRoot = pattern;
        state.root = pattern;
        static bool cleanupRegistered = false;
        if (!cleanupRegistered) {
            cleanupRegistered = true;
            std::atexit(RemoveOwnedRoot);
        }
    }
}
}  // namespace detail

std::string DataRoot() {
    return Root();
}

bool SetDataRoot(const std::string& path, std::string* error) {
    std::error_code code;
    std::filesystem::create_directories(path, code);
    if (!std::filesystem::is_directory(path, code)) {
        if (error != nullptr) {
            *error = "cannot use '" + path + "' as the data folder: " +
                     (code ? code.message() : std::string("not a directory"));
        }
        return false;
    }
    RemoveOwnedRoot();
    State().root = std::filesystem::absolute(path, code).string();
    return true;
}

std::string DefaultDataRoot() {
    if (const char* root = std::getenv("TMXHOST_DATA_ROOT"); root != nullptr && root[0] != '\0') {
        return root;
    }
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] != '\0') {
        return std::string(xdg) + "/callsvc";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && home[0] != '\0' ? home : ".") + "/.local/share/callsvc";
}

int OpenRegistryHandles() {
    return static_cast<int>(State().open.size());
}

std::string RegistryPath(const std::string& path) {
    std::string full;
    return Resolve(path.c_str(), full) ? full : std::string();
}

bool ReadRegistry(const std::string& path, std::vector<RegistryEntry>& entries) {
    entries.clear();
    std::string full = RegistryPath(path);
    std::string bytes;
    if (full.empty() || !ReadFile(full, bytes)) {
        return false;
    }
    IniFile ini = IniFile::Parse(bytes);
    for (const IniFile::Section& section : ini.Sections()) {
        for (const auto& [key, value] : section.values) {
            entries.push_back(RegistryEntry{section.name, key, value});
        }
    }
    return true;
}

}  // namespace tmxhost

using namespace tmxhost;
using detail::Arg;

extern "C" int RegLoad(const char* path, int create) {
    if (auto fault = detail::Enter("RegLoad", {Arg(path), Arg(create)})) {
        return static_cast<int>(*fault);
    }
    std::string full;
    if (!Resolve(path, full)) {
        return INVALID_HOBJ;
    }
    if (State().swept.insert(full).second) {
        RemoveStaleTemporaries(full);
    }
    std::string bytes;
    if (!ReadFile(full, bytes)) {
        struct stat info;
        // Only a missing file is created, and only in memory: it reaches the disk with the
        // first successful flush, so a file that could not be written is never left half made.
        std::string folder = full.substr(0, full.rfind('/'));
        if (!create || ::stat(full.c_str(), &info) == 0 || ::stat(folder.c_str(), &info) != 0 ||
            !S_ISDIR(info.st_mode)) {
            return INVALID_HOBJ;
        }
        bytes.clear();
    }
    RegistryState& state = State();
    int handle = state.nextHandle++;
    state.open[handle] = OpenFile{full, IniFile::Parse(bytes)};
    return handle;
}

extern "C" int RegUnload(int hReg) {
    if (auto fault = detail::Enter("RegUnload", {Arg(hReg)})) {
        return static_cast<int>(*fault);
    }
    return State().open.erase(hReg) != 0 ? 1 : 0;
}

extern "C" int RegFlush(int hReg) {
    if (auto fault = detail::Enter("RegFlush", {Arg(hReg)})) {
        return static_cast<int>(*fault);
    }
    OpenFile* file = Handle(hReg);
    return file != nullptr && WriteFileAtomically(file->path, file->ini.Serialize()) ? 1 : 0;
}

extern "C" int RegClean(const char* path) {
    if (auto fault = detail::Enter("RegClean", {Arg(path)})) {
        return static_cast<int>(*fault);
    }
    std::string full;
    if (!Resolve(path, full)) {
        return 0;
    }
    return ::unlink(full.c_str()) == 0 || errno == ENOENT ? 1 : 0;
}

extern "C" int RegSetSection(int hReg, const char* section, const char* bodyText) {
    if (auto fault = detail::Enter("RegSetSection", {Arg(hReg), Arg(section), Arg(bodyText)})) {
        return static_cast<int>(*fault);
    }
    OpenFile* file = Handle(hReg);
    if (file == nullptr || section == nullptr) {
        return 0;
    }
    file->ini.SetSection(section, bodyText != nullptr ? bodyText : "");
    return 1;
}

extern "C" int RegGetInt(int hReg, const char* section, const char* key, int defaultValue) {
    if (auto fault =
            detail::Enter("RegGetInt", {Arg(hReg), Arg(section), Arg(key), Arg(defaultValue)})) {
        return static_cast<int>(*fault);
    }
    OpenFile* file = Handle(hReg);
    const std::string* text = file != nullptr && section != nullptr && key != nullptr
                                  ? file->ini.Find(section, key)
                                  : nullptr;
    long long value = 0;
    return text != nullptr && ParseSigned(*text, INT32_MIN, INT32_MAX, value)
               ? static_cast<int>(value)
               : defaultValue;
}

extern "C" int RegSetInt(int hReg, const char* section, const char* key, int value) {
    return SetValue("RegSetInt", hReg, section, key, std::to_string(value), Arg(value));
}

extern "C" unsigned long long RegGetUint64(int hReg, const char* section, const char* key,
                                           unsigned long long defaultValue) {
    if (auto fault =
            detail::Enter("RegGetUint64", {Arg(hReg), Arg(section), Arg(key), Arg(defaultValue)})) {
        return static_cast<unsigned long long>(*fault);
    }
    OpenFile* file = Handle(hReg);
    const std::string* text = file != nullptr && section != nullptr && key != nullptr
                                  ? file->ini.Find(section, key)
                                  : nullptr;
    unsigned long long value = 0;
    return text != nullptr && ParseUnsigned(*text, value) ? value : defaultValue;
}

extern "C" int RegSetUint64(int hReg, const char* section, const char* key,
                            unsigned long long value) {
    return SetValue("RegSetUint64", hReg, section, key, std::to_string(value), Arg(value));
}

extern "C" int RegGetString(int hReg, const char* section, const char* key,
                            const char* defaultValue, char* dest, int destSize) {
    return GetString("RegGetString", hReg, section, key, defaultValue, dest, destSize);
}

extern "C" int RegSetString(int hReg, const char* section, const char* key, const char* value) {
    if (value == nullptr) {
        return SetValue("RegSetString", hReg, nullptr, key, "", Arg(value));
    }
    return SetValue("RegSetString", hReg, section, key, value, Arg(value));
}

extern "C" int RegGetStringEx(int hReg, const char* section, const char* key,
                              const char* defaultValue, char* dest, int destSize) {
    return GetString("RegGetStringEx", hReg, section, key, defaultValue, dest, destSize);
}

extern "C" int RegSetStringEx(int hReg, const char* section, const char* key, const char* value) {
    if (value == nullptr) {
        return SetValue("RegSetStringEx", hReg, nullptr, key, "", Arg(value));
    }
    return SetValue("RegSetStringEx", hReg, section, key, value, Arg(value));
}
