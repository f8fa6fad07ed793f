// Registry files: ini files under the data root, loaded whole into a handle and written back
// atomically on flush.
//
// Several processes may share a file. A load reads it without a lock (a flush renames a whole
// new file into place, so a reader never sees a torn one). A handle keeps the list of changes
// made through it; its flush takes the file's lock, reads the file as it is now, applies those
// changes to it and writes the result. Writers therefore wait for each other only for the length
// of a flush, and no change that a flush reported as saved is lost to another process's flush.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ctime>
#include <map>
#include <memory>
#include <set>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxCore.h"
#include "IniFile.h"

namespace tmxhost {
namespace {

// One change made through a handle: a key's value, or a section with its body text.
struct Change {
    bool section;
    std::string name;
    std::string key;
    std::string value;
};

// Which version of a file a process last saw: a flush renames a new inode into place.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The last parsed copy of a file, reused while the file is unchanged. A copy is trusted on
// `stat` alone only when the file's status change time lies well before the moment the bytes
// were read: a change made after that moment carries a later time, whatever the granularity of
// file timestamps, so an in-place rewrite of the same size in the same tick (or a reused inode)
// is never taken for the old file. Otherwise the file is read and compared byte for byte.
struct ParsedCopy {
    FileIdentity identity;
    long long changed = 0;  // st_ctim in ns
    long long readAt = 0;   // CLOCK_REALTIME in ns before the bytes were read; 0: never trusted
    std::string bytes;
    std::shared_ptr<IniFile> ini;  // shared with handles, never changed once cached
};

// Longer than the coarsest timestamp tick of the kernel's file times (10 ms at HZ=100).
constexpr long long kTimestampSlack = 50'000'000;

struct OpenFile {
    std::string path;
    // The file as loaded, with this handle's changes. Shared with the parsed copy until the
    // handle changes it (see Own).
    std::shared_ptr<IniFile> ini;
    std::vector<Change> changes;  // made since the last successful flush
    bool create = false;          // a new file: its first flush must not replace another

    IniFile& Own() {
        if (ini.use_count() != 1) {
            ini = std::make_shared<IniFile>(*ini);
        }
        return *ini;
    }
};

struct RegistryState {
    std::string root;
    std::string ownedRoot;  // a temporary root made by Reset, removed by the next one
    std::map<int, OpenFile> open;
    int nextHandle = 1;
    std::set<std::string> swept;               // files whose stale temporaries were removed
    std::map<std::string, FileIdentity> seen;  // each file as this process last read or wrote
    std::vector<std::string> backups;          // made by RegClean, not yet taken
    std::map<std::string, ParsedCopy> parsed;  // by full path
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

// A whole-string decimal number of type T, as RegSetInt and RegSetUint64 write them.
template <typename T>
bool ParseNumber(const std::string& text, T& value) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end;
}

FileIdentity IdentityOf(const struct stat& info) {
    return FileIdentity{info.st_dev, info.st_ino, info.st_size,
                        info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec};
}

void Remember(const std::string& path, const struct stat& read) {
    State().seen[path] = IdentityOf(read);
}

long long ChangeTimeOf(const struct stat& info) {
    return info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec;
}

long long RealTimeNow() {
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// The cached parse of `full` when `stat` alone shows the file unchanged since it was read.
std::shared_ptr<IniFile> TrustedCopy(const std::string& full, struct stat& info) {
    auto it = State().parsed.find(full);
    if (it == State().parsed.end() || ::stat(full.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return nullptr;
    }
    const ParsedCopy& copy = it->second;
    const long long changed = ChangeTimeOf(info);
    if (!(copy.identity == IdentityOf(info)) || changed != copy.changed ||
        changed + kTimestampSlack >= copy.readAt) {
        return nullptr;
    }
    return copy.ini;
}

// The parse of `bytes`, read from `full` at `readAt` with status `info`: the cached one when the
// bytes are the same, else a new one that replaces it.
std::shared_ptr<IniFile> ParsedFrom(const std::string& full, std::string&& bytes,
                                    const struct stat& info, long long readAt) {
    ParsedCopy& copy = State().parsed[full];
    if (copy.ini == nullptr || copy.bytes != bytes) {
        copy.ini = std::make_shared<IniFile>(IniFile::Parse(bytes));
        copy.bytes = std::move(bytes);
    }
    copy.identity = IdentityOf(info);
    copy.changed = ChangeTimeOf(info);
    copy.readAt = readAt;
    return copy.ini;
}

void Apply(IniFile& ini, const Change& change) {
    if (change.section) {
        ini.SetSection(change.name, change.value);
    } else {
        ini.Set(change.name, change.key, change.value);
    }
}

// Writes a handle's changes into the file as it is now, under the file's lock.
bool Flush(OpenFile& file) {
    if (file.changes.empty() && !file.create) {
        return true;  // nothing pending
    }
    std::string target = file.path;
    if (!ResolveLinks(target)) {
        return false;
    }
    FileLock lock(target);
    if (!lock.Held()) {
        return false;
    }
    std::string bytes;
    IniFile merged;
    if (ReadFile(target, bytes)) {
        if (file.create) {
            return false;  // another writer made the file first; its contents stay
        }
        auto cached = State().parsed.find(file.path);
        merged = cached != State().parsed.end() && cached->second.bytes == bytes
                     ? *cached->second.ini
                     : IniFile::Parse(bytes);
    } else if (errno != ENOENT) {
        return false;
    }
    for (const Change& change : file.changes) {
        Apply(merged, change);
    }
    std::string written = merged.Serialize();
    if (!WriteFileAtomically(target, written)) {
        return false;
    }
    file.ini = std::make_shared<IniFile>(std::move(merged));
    file.changes.clear();
    file.create = false;
    struct stat info;
    if (::stat(file.path.c_str(), &info) == 0) {
        Remember(file.path, info);
        // Kept for the next load, which still reads the file once before trusting the copy:
        // the file may have changed between the rename and this stat.
        State().parsed[file.path] =
            ParsedCopy{IdentityOf(info), ChangeTimeOf(info), 0, std::move(written), file.ini};
    } else {
        State().parsed.erase(file.path);
    }
    return true;
}

int GetString(const char* name, int hReg, const char* section, const char* key,
              const char* defaultValue, char* dest, int destSize) {
    if (auto fault = detail::Enter(name, hReg, section, key, defaultValue, destSize)) {
        return static_cast<int>(*fault);
    }
    OpenFile* file = Handle(hReg);
    if (file == nullptr || dest == nullptr || destSize <= 0) {
        return 0;
    }
    const std::string* value =
        section != nullptr && key != nullptr ? file->ini->Find(section, key) : nullptr;
    const char* text = value != nullptr ? value->c_str() : defaultValue;
    AcStrcpyEx(dest, static_cast<unsigned>(destSize), text, __FILE__, __LINE__);
    return value != nullptr ? 1 : 0;
}

// `logged` is the value as the caller passed it, for the call log.
template <class Logged>
int SetValue(const char* name, int hReg, const char* section, const char* key,
             const std::string& text, const Logged& logged) {
    if (auto fault = detail::Enter(name, hReg, section, key, logged)) {
        return static_cast<int>(*fault);
    }
    OpenFile* file = Handle(hReg);
    if (file == nullptr || section == nullptr || key == nullptr || key[0] == '\0') {
        return 0;
    }
    file->changes.push_back(Change{false, section, key, text});
    Apply(file->Own(), file->changes.back());
    return 1;
}

}  // namespace

namespace detail {
void ResetRegistry() {
    RegistryState& state = State();
    state.open.clear();
    state.nextHandle = 1;
    state.swept.clear();
    state.seen.clear();
    state.backups.clear();
    state.parsed.clear();
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

std::vector<std::string> TakeRegistryBackups() {
    return std::exchange(State().backups, {});
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

extern "C" int RegLoad(const char* path, int create) {
    if (auto fault = detail::Enter("RegLoad", path, create)) {
        return static_cast<int>(*fault);
    }
    std::string full;
    if (!Resolve(path, full)) {
        return INVALID_HOBJ;
    }
    if (State().swept.insert(full).second) {
        RemoveStaleTemporaries(full);
    }
    std::shared_ptr<IniFile> ini;
    std::string bytes;
    struct stat read;
    long long readAt = RealTimeNow();
    if ((ini = TrustedCopy(full, read)) != nullptr || ReadFile(full, bytes, &read)) {
        // Creating means making a new file: one that is there already is left alone.
        if (create) {
            return INVALID_HOBJ;
        }
        Remember(full, read);
        if (ini == nullptr) {
            ini = ParsedFrom(full, std::move(bytes), read, readAt);
        }
    } else {
        // Only a missing file is created, and only in memory: it reaches the disk with the
        // first successful flush, so a file that could not be written is never left half made.
        struct stat info;
        std::string folder = full.substr(0, full.rfind('/'));
        if (!create || errno != ENOENT || ::stat(folder.c_str(), &info) != 0 ||
            !S_ISDIR(info.st_mode)) {
            return INVALID_HOBJ;
        }
        ini = std::make_shared<IniFile>();
    }
    RegistryState& state = State();
    int handle = state.nextHandle++;
    state.open[handle] = OpenFile{full, std::move(ini), {}, create != 0};
    return handle;
}

extern "C" int RegUnload(int hReg) {
    if (auto fault = detail::Enter("RegUnload", hReg)) {
        return static_cast<int>(*fault);
    }
    return State().open.erase(hReg) != 0 ? 1 : 0;
}

extern "C" int RegFlush(int hReg) {
    if (auto fault = detail::Enter("RegFlush", hReg)) {
        return static_cast<int>(*fault);
    }
    OpenFile* file = Handle(hReg);
    return file != nullptr && Flush(*file) ? 1 : 0;
}

// Moves the file aside to "<name>.bak" (replacing an older backup), so that its contents can
// still be recovered after the file is made anew. A file that another process has replaced
// since this one last read it is left alone: it is not the file the caller decided to clean.
extern "C" int RegClean(const char* path) {
    if (auto fault = detail::Enter("RegClean", path)) {
        return static_cast<int>(*fault);
    }
    std::string full;
    std::string target;
    if (!Resolve(path, full) || !ResolveLinks(target = full)) {
        return 0;
    }
    FileLock lock(target);
    struct stat info;
    if (!lock.Held()) {
        return 0;
    }
    if (::lstat(target.c_str(), &info) != 0) {
        return errno == ENOENT ? 1 : 0;
    }
    auto seen = State().seen.find(full);
    if (!S_ISREG(info.st_mode) ||
        (seen != State().seen.end() && !(seen->second == IdentityOf(info)))) {
        return 0;
    }
    const std::string backup = target + ".bak";
    if (::rename(target.c_str(), backup.c_str()) != 0) {
        return 0;
    }
    std::string folder = target.substr(0, target.rfind('/'));
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    State().seen.erase(full);
    State().parsed.erase(full);
    State().backups.push_back(backup);
    return 1;
}

extern "C" int RegSetSection(int hReg, const char* section, const char* bodyText) {
    if (auto fault = detail::Enter("RegSetSection", hReg, section, bodyText)) {
        return static_cast<int>(*fault);
    }
    OpenFile* file = Handle(hReg);
    if (file == nullptr || section == nullptr) {
        return 0;
    }
    file->changes.push_back(Change{true, section, "", bodyText != nullptr ? bodyText : ""});
    Apply(file->Own(), file->changes.back());
    return 1;
}

extern "C" int RegGetInt(int hReg, const char* section, const char* key, int defaultValue) {
    if (auto fault = detail::Enter("RegGetInt", hReg, section, key, defaultValue)) {
        return static_cast<int>(*fault);
    }
    OpenFile* file = Handle(hReg);
    const std::string* text = file != nullptr && section != nullptr && key != nullptr
                                  ? file->ini->Find(section, key)
                                  : nullptr;
    int value = 0;
    return text != nullptr && ParseNumber(*text, value) ? value : defaultValue;
}

extern "C" int RegSetInt(int hReg, const char* section, const char* key, int value) {
    return SetValue("RegSetInt", hReg, section, key, std::to_string(value), value);
}

extern "C" unsigned long long RegGetUint64(int hReg, const char* section, const char* key,
                                           unsigned long long defaultValue) {
    if (auto fault = detail::Enter("RegGetUint64", hReg, section, key, defaultValue)) {
        return static_cast<unsigned long long>(*fault);
    }
    OpenFile* file = Handle(hReg);
    const std::string* text = file != nullptr && section != nullptr && key != nullptr
                                  ? file->ini->Find(section, key)
                                  : nullptr;
    unsigned long long value = 0;
    return text != nullptr && ParseNumber(*text, value) ? value : defaultValue;
}

extern "C" int RegSetUint64(int hReg, const char* section, const char* key,
                            unsigned long long value) {
    return SetValue("RegSetUint64", hReg, section, key, std::to_string(value), value);
}

extern "C" int RegGetString(int hReg, const char* section, const char* key,
                            const char* defaultValue, char* dest, int destSize) {
    return GetString("RegGetString", hReg, section, key, defaultValue, dest, destSize);
}

extern "C" int RegSetString(int hReg, const char* section, const char* key, const char* value) {
    if (value == nullptr) {
        return SetValue("RegSetString", hReg, nullptr, key, "", value);
    }
    return SetValue("RegSetString", hReg, section, key, value, value);
}

extern "C" int RegGetStringEx(int hReg, const char* section, const char* key,
                              const char* defaultValue, char* dest, int destSize) {
    return GetString("RegGetStringEx", hReg, section, key, defaultValue, dest, destSize);
}

extern "C" int RegSetStringEx(int hReg, const char* section, const char* key, const char* value) {
    if (value == nullptr) {
        return SetValue("RegSetStringEx", hReg, nullptr, key, "", value);
    }
    return SetValue("RegSetStringEx", hReg, section, key, value, value);
}
