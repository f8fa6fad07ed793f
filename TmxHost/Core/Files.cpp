// File-name queries of the file manager.
#include <cstring>

#include "../Control/HostInternal.h"
#include "CallCommonSvc/Platform/TmxCore.h"

namespace tmxhost {

// The extension is what follows the last '.' of the last path component ('/' or '\' separate
// components). One that does not fit in ext with its terminator is no extension a caller could
// match, so it gives "" rather than a cut-off prefix.
extern "C" int FmGetFileExtEx(const char* path, char* ext, int extSize) {
    if (auto fault = detail::Enter("FmGetFileExtEx", path, extSize)) {
        return static_cast<int>(*fault);
    }
    if (ext == nullptr || extSize < 1) {
        return 0;
    }
    ext[0] = '\0';
    if (path == nullptr) {
        return 0;
    }
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') {
            name = p + 1;
        }
    }
    const char* dot = std::strrchr(name, '.');
    if (dot == nullptr || dot[1] == '\0') {
        return 0;
    }
    const std::size_t length = std::strlen(dot + 1);
    if (length + 1 > static_cast<std::size_t>(extSize)) {
        return 0;
    }
    std::memcpy(ext, dot + 1, length + 1);
    return 1;
}

}  // namespace tmxhost
