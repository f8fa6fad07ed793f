// Bounded memory and string operations. Nothing is written past the capacity given, string
// results are always terminated, and null pointers are treated as empty.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CallCommonSvc/Platform/TmxCore.h"

namespace {

char* CopyBounded(char* dest, unsigned int destSize, const char* src, std::size_t count) {
    if (dest == nullptr || destSize == 0) {
        return dest;
    }
    std::size_t limit = count < destSize - 1 ? count : destSize - 1;
    std::size_t length = src != nullptr ? strnlen(src, limit) : 0;
    if (length > 0) {
        std::memmove(dest, src, length);
    }
    dest[length] = '\0';
    return dest;
}

}  // namespace

extern "C" void* AcMemsetEx(void* dest, unsigned int destSize, int value, unsigned int count,
                            const char*, int) {
    if (dest != nullptr) {
        std::memset(dest, value, count < destSize ? count : destSize);
    }
    return dest;
}

extern "C" void* AcMemcpyEx(void* dest, unsigned int destSize, const void* src, unsigned int count,
                            const char*, int) {
    if (dest != nullptr && src != nullptr) {
        std::memmove(dest, src, count < destSize ? count : destSize);
    }
    return dest;
}

extern "C" char* AcStrcpySEx(char* dest, unsigned int destSize, const char* src, const char*, int) {
    return CopyBounded(dest, destSize, src, static_cast<std::size_t>(-1));
}

extern "C" char* AcStrcpyEx(char* dest, unsigned int destSize, const char* src, const char*, int) {
    return CopyBounded(dest, destSize, src, static_cast<std::size_t>(-1));
}

extern "C" char* AcStrncpyEx(char* dest, unsigned int destSize, const char* src, unsigned int count,
                             const char*, int) {
    return CopyBounded(dest, destSize, src, count);
}

extern "C" char* AcStrcatEx(char* dest, unsigned int destSize, const char* src, const char*, int) {
    if (dest == nullptr || destSize == 0) {
        return dest;
    }
    std::size_t used = strnlen(dest, destSize);
    if (used == destSize) {
        dest[destSize - 1] = '\0';
        return dest;
    }
    CopyBounded(dest + used, static_cast<unsigned int>(destSize - used), src,
                static_cast<std::size_t>(-1));
    return dest;
}

extern "C" int AcSprintfSEx(char* dest, unsigned int destSize, const char*, int, const char* format,
                            ...) {
    if (dest == nullptr || destSize == 0) {
        return -1;
    }
    if (format == nullptr) {
        dest[0] = '\0';
        return -1;
    }
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(dest, destSize, format, args);
    va_end(args);
    if (length < 0) {
        dest[0] = '\0';
        return -1;
    }
    return length < static_cast<int>(destSize) ? length : static_cast<int>(destSize) - 1;
}

extern "C" int AcStrlen(const char* s) {
    return s != nullptr ? static_cast<int>(strnlen(s, INT_MAX)) : 0;
}

extern "C" int AcStrcmp(const char* a, const char* b) {
    return std::strcmp(a != nullptr ? a : "", b != nullptr ? b : "");
}

extern "C" int AcStricmp(const char* a, const char* b) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a != nullptr ? a : "");
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b != nullptr ? b : "");
    for (;; ++x, ++y) {
        int d = std::tolower(*x) - std::tolower(*y);
        if (d != 0 || *x == '\0') {
            return d;
        }
    }
}

extern "C" char* AcStrchr(const char* s, int c) {
    return s != nullptr ? const_cast<char*>(std::strchr(s, c)) : nullptr;
}

// Out-of-range values saturate instead of overflowing.
extern "C" int AcAtoi(const char* s) {
    if (s == nullptr) {
        return 0;
    }
    errno = 0;
    long value = std::strtol(s, nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}
