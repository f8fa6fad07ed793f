// Every string-taking dial and emergency check on one dial string, under a fuzzed network and
// SIM. Input: MCC and MNC (16 bits each, little-endian), flags (bit 0 no SIM, bits 1-2 card type,
// bit 3 the SIM lists the string itself), the SIM's record count, the sizes of the call-number
// and DTMF buffers, then the string (up to its first NUL).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "FuzzSupport.h"

namespace {

// From the pause mark on: the first 'P', else the first 'p'.
std::string FromPause(const std::string& s) {
    size_t mark = s.find('P') != std::string::npos ? s.find('P') : s.find('p');
    return mark != std::string::npos ? s.substr(mark) : "";
}

// Extracts into an exactly sized buffer and compares with the expected part.
void CheckExtract(int (*extract)(const char*, char*, int), const char* number, size_t size,
                  const std::string& part) {
    std::unique_ptr<char[]> out(new char[size]);
    int result = extract(number, out.get(), static_cast<int>(size));
    Check(result == (size > 0 && !part.empty() ? 1 : 0));
    Check(size == 0 || (out[std::min(part.size(), size - 1)] == '\0' &&
                        part.compare(0, size - 1, out.get()) == 0));
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostRound round;
    if (size < 8) {
        return 0;
    }
    const int mcc = data[0] | data[1] << 8, mnc = data[2] | data[3] << 8, flags = data[4];
    const char* text = reinterpret_cast<const char*>(data + 8);
    const std::string number(text, strnlen(text, size - 8));
    const char* s = number.c_str();
    tmxhost::SetNetwork(mcc, mnc);
    tmxhost::SetPhoneStatus(58, flags & 1);  // 1: no usable SIM
    tmxhost::SetSimCardType(flags >> 1 & 3);
    tmxhost::SetSimEccNumbers(std::vector<std::string>((flags & 8) != 0, number), data[5]);

    // 112 is on every list; a SIM that lists the number makes it one, fields permitting.
    const size_t simField = (flags & 6) == 0 ? 7 : (flags & 6) == 2 ? 59 : 0;
    const int ecc = CallIsEccNumber(s), eccNoSim = CallIsEccNumberNoSim(s);
    Check(number != "112" || (ecc == 1 && eccNoSim == 1));
    Check((ecc == 0 || ecc == 1) && (eccNoSim == 0 || eccNoSim == 1));
    Check(!number.empty() || (ecc == 0 && eccNoSim == 0));
    Check((flags & 9) != 8 || data[5] == 0 || number.empty() || number.size() > simField ||
          ecc == 1);

    CallIsSsCode(s);
    CallIsPreDefinedSsCode(s);
    const int state = CallGetSsStateInCalling(s), x = CallGetSsXCalling(s);
    Check((state == 3 || state == 5) == (x != -1) && (x == -1 || x == s[1] - '0'));

    // The call number drops a leading *31# or #31# and stops at the pause mark.
    const std::string rest =
        StartsWith(number, "*31#") || StartsWith(number, "#31#") ? number.substr(4) : number;
    CheckExtract(CallGetCallNumberFromTelNumber, s, data[6] % 80,
                 rest.substr(0, rest.size() - FromPause(rest).size()));
    CheckExtract(CallGetDtmfNumberFromTelNumber, s, data[7] % 80, FromPause(number));

    const bool identityNetwork = mcc == 234 && (mnc == 15 || mnc == 10 || mnc == 33);
    Check(CallUtilTelNumCheckIdentityMode(s) ==
          ((identityNetwork && StartsWith(number, "1470")) || StartsWith(number, "*31#") ? 1
           : StartsWith(number, "#31#")                                                  ? 2
                                                                                         : 0));
    const bool dialable = !number.empty() && std::strchr("+*#0123456789", s[0]) != nullptr &&
                          std::strspn(s + 1, "pP*#+0123456789") == number.size() - 1;
    Check(CallIsPossibleDialledNumber(s) == (dialable ? 1 : 0));
    return 0;
}
