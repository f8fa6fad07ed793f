// The registry's ini files: parsing that survives any damage, and crash-safe writing.
#pragma once

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
// is synced. False (with errno set) on failure, leaving the old file in place.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
// Removes temporary files that WriteFileAtomically left beside `path` when a writer died in the
// middle of a write (older than a minute, so that no live writer loses its file).
void RemoveStaleTemporaries(const std::string& path);
// Reads a whole file. False when it cannot be opened or read.
bool ReadFile(const std::string& path, std::string& bytes);

}  // namespace tmxhost
