// The library's text helpers on fuzzed text, every buffer sized exactly so that ASan sees any
// overrun. Input: the encoding type and DCS byte, two buffer sizes, a signed length, the text.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "FuzzSupport.h"

namespace {

template <typename T>
std::unique_ptr<T[]> Exact(size_t count, const void* from = nullptr, size_t bytes = 0) {
    std::unique_ptr<T[]> block(new T[count]());
    std::memcpy(block.get(), from != nullptr ? from : "", bytes);
    return block;
}

std::u16string Wide(const unsigned short* text) {
    std::u16string wide;
    for (; *text != 0; ++text) {
        wide += static_cast<char16_t>(*text);
    }
    return wide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostRound round;
    if (size < 4) {
        return 0;
    }
    const size_t a = data[1], b = data[2], n = size - 4;
    const int length = static_cast<int8_t>(data[3]);
    const char* raw = reinterpret_cast<const char*>(data + 4);
    const std::string text(raw, strnlen(raw, n));

    auto out = Exact<char>(a);
    char* copied = CallAcStrcpy(out.get(), static_cast<int>(a), text.c_str());
    Check(a == 0 ? copied == nullptr : text.compare(0, a - 1, out.get()) == 0);

    // The text as wide units: once up to its first zero unit, once as they come.
    const size_t units = n / 2;
    auto wide = Exact<unsigned short>(units + 1, raw, units * 2);
    const std::u16string wideText = Wide(wide.get());
    auto wideOut = Exact<unsigned short>(b);
    unsigned short* wideCopied = CallWmStrcpy(wideOut.get(), static_cast<int>(b), wide.get());
    Check(b == 0 ? wideCopied == nullptr : wideText.substr(0, b - 1) == Wide(wideOut.get()));
    auto formatted = Exact<unsigned short>(text.size() + 1);
    Check(CallWmSprintf(formatted.get(), "%s", text.c_str()) == formatted.get());

    auto source = Exact<char>(n, raw, n);
    auto converted = Exact<char>(a);
    Check(CallAcStrcpyByEncodeType(converted.get(), static_cast<int>(a), source.get(),
                                   static_cast<int>(n), data[0] & 3) == 1);
    Check(a == 0 || strnlen(converted.get(), a) < a);

    const size_t count = b < units ? b : units;
    auto swapped = Exact<unsigned short>(count + 1);
    const size_t stop = std::min(wideText.size(), count);
    Check(CallUtilSwapMCHAR(swapped.get(), wide.get(), static_cast<int>(count)) == (stop == count));
    for (size_t i = 0; i <= stop; ++i) {
        Check(swapped[i] == (i < stop ? (wide[i] << 8 | wide[i] >> 8) & 0xFFFF : 0));
    }
    Check(static_cast<unsigned>(CallUtilParseDCS(data[0])) <= 2);  // one of the three alphabets

    // A 7-bit identifier of up to 32 characters survives the user-to-user payload.
    auto id = Exact<char>(33, raw, std::min<size_t>(n, 32));
    auto uus = Exact<unsigned char>(31);
    const int encoded = CallEncodeSkypeID(uus.get(), id.get(), length);
    Check(encoded >= 0 && encoded <= 31);
    const size_t idLength = strlen(id.get());
    const bool ascii =
        std::all_of(id.get(), id.get() + idLength, [](char c) { return (c & 0x80) == 0; });
    auto decoded = Exact<char>(33);
    const int decodedLength = CallDecodeSkypeID(uus.get(), decoded.get(), encoded);
    Check(!ascii || length != static_cast<int>(idLength) ||
          (decodedLength == length && std::strcmp(decoded.get(), id.get()) == 0));
    auto payload = Exact<unsigned char>(31, raw, std::min<size_t>(n, 31));
    Check(static_cast<unsigned>(CallDecodeSkypeID(payload.get(), decoded.get(), length)) <= 32);

    const size_t half = text.size() / 2;
    auto fullName = Exact<char>(b);
    char* named = CallSetDisplayFullName(fullName.get(), static_cast<int>(b),
                                         text.substr(half).c_str(), text.substr(0, half).c_str());
    Check(b == 0 ? named == nullptr : text.substr(0, 300).compare(0, b - 1, fullName.get()) == 0);
    return 0;
}
