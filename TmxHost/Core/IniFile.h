// The registry's ini files: parsing that survives any damage, and crash-safe writing.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tmxhost {

// Sections and keys in the order they were first written.
class IniFile {
public:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
    };

    // Reads ini text. Lines that do not parse (no section yet, no '=', a NUL byte, a bad
    // header) are skipped; a line may be of any length.
    static IniFile Parse(std::string_view text);
    // One "[section]" line per section and one "key=value" line per key. Backslash, line breaks,
    // '=' and brackets in names and values are escaped, so any text round-trips.
    std::string Serialize() const;

    const std::string* Find(std::string_view section, std::string_view key) const;
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Adds the section if absent, then the key=value lines of `body` (unescaped text).
    void SetSection(std::string_view section, std::string_view body);

    const std::vector<Section>& Sections() const { return m_sections; }

private:
    Section& SectionNamed(std::string_view name);

    std::vector<Section> m_sections;
};

// Escaping used by the file format.
std::string IniEscape(std::string_view text);
// False when the text holds a bad escape.
bool IniUnescape(std::string_view text, std::string& out);

// Writes `bytes` to `path` so that a crash leaves the old or the new file, never a mix: a
// temporary file in the same folder is written and synced, renamed over `path`, and the folder
// is synced. The new file keeps the old one's permission bits (0644 for a new file). False
// (with errno set) on failure, leaving the old file in place. `path` must not be a symlink:
// resolve it first, or the link itself is replaced.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
// Removes temporary files that WriteFileAtomically left beside `path` when a writer died in the
// middle of a write (older than a minute, so that no live writer loses its file).
void RemoveStaleTemporaries(const std::string& path);
// Follows symbolic links from `path` to the file they name, which need not exist yet. False
// (errno set) for a loop or an unreadable link.
bool ResolveLinks(std::string& path);

// An exclusive advisory lock on "<path>.lock", held for the object's life; a writer waits for
// the one before it. The lock file is never removed: removing it would let two writers lock
// different files. The kernel drops the lock of a process that dies.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    bool Held() const { return m_fd >= 0; }

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int m_fd = -1;
};

// Reads a whole regular file without blocking on a FIFO or device. False when it cannot be
// opened or read, with errno ENOENT when there is no file and EINVAL when it is not regular.
// `status`, when given, receives the file's status as read.
bool ReadFile(const std::string& path, std::string& bytes, struct stat* status = nullptr);

}  // namespace tmxhost
