// The host's text conversions into exactly sized buffers of fuzzed capacity: every result must
// end within the capacity and be a prefix of the unbounded result, invalid UTF-8 must show a
// replacement, and valid text must survive a round trip. Input: the capacity in bytes (16 bits,
// little-endian), then the text.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "FuzzSupport.h"

namespace {

// Strict UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
bool ValidUtf8(const std::string& s) {
    for (size_t i = 0, n = 0; i < s.size(); i += n) {
        const unsigned char lead = s[i];
        n = lead < 0x80 ? 1 : lead >> 5 == 6 ? 2 : lead >> 4 == 14 ? 3 : lead >> 3 == 30 ? 4 : 0;
        bool ok = n != 0 && i + n <= s.size();
        char32_t c = lead & (0xFF >> (n + 1));
        for (size_t k = 1; ok && k < n; ++k) {
            ok = (s[i + k] & 0xC0) == 0x80;
            c = c << 6 | (s[i + k] & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || c < least[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return false;
        }
    }
    return true;
}

using Convert = int (*)(unsigned short*, int, const char*, int);

// Converts into a block of exactly `bytes` bytes and checks where the result ends.
std::u16string ToWide(int bytes, Convert convert, const char* source, int length) {
    std::unique_ptr<char[]> block(new char[bytes]);
    auto* dest = reinterpret_cast<unsigned short*>(block.get());
    const int units = convert(dest, bytes, source, length);
    Check(bytes < 2 ? units == 0 : units >= 0 && units < bytes / 2 && dest[units] == 0);
    const std::u16string wide(dest, dest + std::max(units, 0));
    Check(wide.find(u'\0') == std::u16string::npos);
    return wide;
}

std::string ToLocal(int bytes, const unsigned short* source) {
    std::unique_ptr<char[]> dest(new char[bytes]);
    const int used = WmConvert2LCode(dest.get(), bytes, source);
    Check(bytes < 1 ? used == 0 : used >= 0 && used < bytes && dest[used] == '\0');
    const std::string local(dest.get(), std::max(used, 0));
    Check(local.find('\0') == std::string::npos && ValidUtf8(local));
    return local;
}

bool StartsWith(const auto& whole, const auto& part) {
    return whole.compare(0, part.size(), part) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostRound round;
    if (size < 2) {
        return 0;
    }
    const int capacity = (data[0] | data[1] << 8) % 1024, n = static_cast<int>(size - 2);
    const int full = 4 * n + 4;                // room for any result
    std::unique_ptr<char[]> raw(new char[n]);  // not terminated
    std::memcpy(raw.get(), data + 2, n);
    const std::string text(raw.get(), strnlen(raw.get(), n));
    const Convert terminated = [](unsigned short* d, int b, const char* s, int) {
        return WmConvert2PCode(d, b, s);
    };

    const std::u16string wide = ToWide(full, WmConvert2PCodeN, raw.get(), n);
    const std::u16string bounded = ToWide(capacity, WmConvert2PCodeN, raw.get(), n);
    Check(StartsWith(wide, bounded) && bounded == ToWide(capacity, terminated, text.c_str(), 0));
    std::vector<unsigned short> units(wide.begin(), wide.end());
    units.push_back(0);
    Check(ValidUtf8(text) ? ToLocal(full, units.data()) == text
                          : wide.find(u'\uFFFD') != std::u16string::npos);

    // The bytes as wide units, to local text and back: only a replacement may change them.
    std::unique_ptr<unsigned short[]> source(new unsigned short[n / 2 + 1]());
    std::memcpy(source.get(), raw.get(), n / 2 * 2);
    const std::string back = ToLocal(full, source.get());
    Check(StartsWith(back, ToLocal(capacity, source.get())));
    const std::u16string original(source.get(), std::find(source.get(), source.get() + n / 2, 0));
    Check(ToWide(full, terminated, back.c_str(), 0) == original ||
          back.find("\xEF\xBF\xBD") != std::string::npos);

    const std::u16string septets = ToWide(full, WmConvertGSM2PCode, raw.get(), n);
    Check(static_cast<int>(septets.size()) <= n &&
          StartsWith(septets, ToWide(capacity, WmConvertGSM2PCode, raw.get(), n)));
    return 0;
}
