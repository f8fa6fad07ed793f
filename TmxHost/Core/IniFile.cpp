#include "IniFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

namespace tmxhost {
namespace {

// Splits at the first '=' that is not escaped.
std::size_t FindSeparator(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\') {
            ++i;
        } else if (line[i] == '=') {
            return i;
        }
    }
    return std::string_view::npos;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string IniEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '=':
                out += "\\=";
                break;
            case '[':
                out += "\\[";
                break;
            case ']':
                out += "\\]";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

bool IniUnescape(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == text.size()) {
            return false;
        }
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case '=':
                out += '=';
                break;
            case '[':
                out += '[';
                break;
            case ']':
                out += ']';
                break;
            default:
                return false;
        }
    }
    return true;
}

IniFile IniFile::Parse(std::string_view text) {
    IniFile file;
    Section* current = nullptr;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.find('\0') != std::string_view::npos) {
            continue;
        }
        if (line.front() == '[') {
            // A damaged header is skipped on its own: the lines after it stay in the section
            // before, so that one bad line never takes the rest of the file with it.
            std::string name;
            if (line.size() >= 2 && line.back() == ']' &&
                IniUnescape(line.substr(1, line.size() - 2), name)) {
                current = &file.SectionNamed(name);
            }
            continue;
        }
        std::size_t separator = FindSeparator(line);
        std::string key;
        std::string value;
        if (current == nullptr || separator == std::string_view::npos ||
            !IniUnescape(line.substr(0, separator), key) ||
            !IniUnescape(line.substr(separator + 1), value)) {
            continue;
        }
        file.Set(current->name, key, value);
    }
    return file;
}

std::string IniFile::Serialize() const {
    std::string text;
    for (const Section& section : m_sections) {
        text += '[';
        text += IniEscape(section.name);
        text += "]\n";
        for (const auto& [key, value] : section.values) {
            text += IniEscape(key);
            text += '=';
            text += IniEscape(value);
            text += '\n';
        }
    }
    return text;
}

const std::string* IniFile::Find(std::string_view section, std::string_view key) const {
    for (const Section& s : m_sections) {
        if (s.name == section) {
            for (const auto& [k, v] : s.values) {
                if (k == key) {
                    return &v;
                }
            }
            return nullptr;
        }
    }
    return nullptr;
}

IniFile::Section& IniFile::SectionNamed(std::string_view name) {
    for (Section& s : m_sections) {
        if (s.name == name) {
            return s;
        }
    }
    m_sections.push_back(Section{std::string(name), {}});
    return m_sections.back();
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    Section& s = SectionNamed(section);
    for (auto& [k, v] : s.values) {
        if (k == key) {
            v = value;
            return;
        }
    }
    s.values.emplace_back(std::string(key), std::string(value));
}

void IniFile::SetSection(std::string_view section, std::string_view body) {
    SectionNamed(section);
    while (!body.empty()) {
        std::size_t end = body.find('\n');
        std::string_view line = body.substr(0, end);
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
        std::size_t separator = line.find('=');
        if (separator != std::string_view::npos && separator > 0) {
            Set(section, line.substr(0, separator), line.substr(separator + 1));
        }
    }
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    // A rewrite keeps the permission bits of the file it replaces.
    mode_t mode = 0644;
    struct stat old;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    }
    std::string temp = path + ".XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int saved = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0) {
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return true;
    }
    saved = errno != 0 ? errno : saved;
    ::unlink(temp.c_str());
    errno = saved;
    return false;
}

bool ResolveLinks(std::string& path) {
    for (int hops = 0; hops < 40; ++hops) {
        char target[PATH_MAX];
        ssize_t length = ::readlink(path.c_str(), target, sizeof(target));
        if (length < 0) {
            return errno == EINVAL || errno == ENOENT;  // not a link, or nothing there yet
        }
        if (static_cast<std::size_t>(length) >= sizeof(target)) {
            errno = ENAMETOOLONG;
            return false;
        }
        std::string next(target, static_cast<std::size_t>(length));
        if (next.empty() || next[0] != '/') {
            std::size_t slash = path.rfind('/');
            next = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + next;
        }
        path = std::move(next);
    }
    errno = ELOOP;
    return false;
}

FileLock::FileLock(const std::string& path) {
    m_fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (m_fd < 0) {
        return;
    }
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            int saved = errno;
            ::close(m_fd);
            m_fd = -1;
            errno = saved;
            return;
        }
    }
}

FileLock::~FileLock() {
    if (m_fd >= 0) {
        ::close(m_fd);  // releases the lock
    }
}

void RemoveStaleTemporaries(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string prefix = path.substr(slash == std::string::npos ? 0 : slash + 1) + ".";
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    std::time_t cutoff = std::time(nullptr) - 60;
    while (struct dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        // mkstemp's names: the file name, a dot and six characters.
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        std::string temp = folder + "/" + name;
        struct stat info;
        if (::lstat(temp.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_mtime < cutoff) {
            ::unlink(temp.c_str());
        }
    }
    ::closedir(dir);
}

bool ReadFile(const std::string& path, std::string& bytes, struct stat* status) {
    // Opened without blocking, so that a FIFO or a device in its place is refused at once.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return false;
    }
    if (status != nullptr) {
        *status = info;
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ::close(fd);
            return false;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}

}  // namespace tmxhost
