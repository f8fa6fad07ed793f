// Caller identification on fuzzed numbers, calls and names, against a small address book with
// SIM entries, a contact of two persons, groups, FDN and SDN entries. A failed lookup must leave
// the record as it was; a found one holds terminated text; a display name has at most 50
// characters. Input: a flags byte, a primary ID byte, then "number\nfirst\nlast".
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "FuzzSupport.h"

namespace {

void SeedAddressBook() {
    tmxhost::AddGroup({1, "Default", "/g1.mp3", ""});
    tmxhost::AddGroup({2, "Family", std::string(900, 'r'), "pulse"});
    tmxhost::Contact anna;
    anna.firstName = "Anna";
    anna.lastName = "Berg";
    anna.numbers = {{"+44 20 7946 0958", 1}, {"*31#0958", 2}};
    anna.emails = {"anna@example.com"};
    anna.groups = {2};
    anna.ringtone = "";
    anna.dtmf = std::string(2000, '9');
    int annaId = tmxhost::AddContact(anna);
    tmxhost::Contact second;
    second.firstName = "Åsa Ölund 李小龍 😀";
    second.year = 1980;
    second.month = 12;
    second.day = 5;
    second.representative = false;
    second.numbers = {{"0958", 3}};
    tmxhost::AddPerson(annaId, second);
    tmxhost::Contact sim;
    sim.firstName = std::string(200, 'S');
    sim.storage = 2;
    sim.numbers = {{"02079460958", 4}};
    sim.groups = {1};
    tmxhost::AddContact(sim);
    tmxhost::AddFdn("Office", "02079460000");
    tmxhost::AddSdn(std::string(150, 'C'), "150");
}

CallCommonCtRecord Pattern() {
    CallCommonCtRecord record;
    std::memset(&record, 0x5A, sizeof(record));
    return record;
}

bool Untouched(const CallCommonCtRecord& record) {
    CallCommonCtRecord pattern = Pattern();
    return std::memcmp(&record, &pattern, sizeof(record)) == 0;
}

template <size_t N>
bool Terminated(const char (&field)[N]) {
    return strnlen(field, N) < N;
}

bool Sound(const CallCommonCtRecord& r, int result) {
    if (result == 0) {
        return Untouched(r);
    }
    return result == 1 && Terminated(r.szFirstName) && Terminated(r.szLastName) &&
           Terminated(r.szRingtone) && Terminated(r.szVibration) && Terminated(r.szImage) &&
           Terminated(r.szDtmf) && Terminated(r.PhoneNumberInfo.szPhoneNumber);
}

// Characters of UTF-8 text: bytes that do not continue a sequence.
size_t Characters(const char* text) {
    size_t count = 0;
    for (; *text != '\0'; ++text) {
        count += (static_cast<unsigned char>(*text) & 0xC0) != 0x80;
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int loaded = CallCommonSvcDispatch(0);  // the lookup instance
    (void)loaded;
    HostRound round;
    if (size < 2) {
        return 0;
    }
    if (tmxhost::CountContacts().contacts == 0) {
        SeedAddressBook();
    }
    tmxhost::SetTapiResult("SimGetFdnEnable", data[0] & 1);
    tmxhost::SetNvInt(1417, (data[0] >> 1) & 1);
    tmxhost::SetDigitsToCompare((data[0] >> 2) & 15);
    std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    text = text.substr(0, text.find('\0'));
    size_t cut1 = text.find('\n');
    std::string number = text.substr(0, cut1);
    std::string first = cut1 == std::string::npos ? "" : text.substr(cut1 + 1);
    size_t cut2 = first.find('\n');
    std::string last = cut2 == std::string::npos ? "" : first.substr(cut2 + 1);
    first = first.substr(0, cut2);

    CallCommonCtRecord record = Pattern();
    Check(Sound(record, CallCommonSvcGetCtRecordbyNum(number.data(), &record)));
    int entry = CallCommonSvcGetEntryInfobyNum(number.data());
    Check(entry == 0 || entry == 1);

    CallCommonMoInfo info;
    std::memset(&info, 0, sizeof(info));
    info.nPrimaryID = static_cast<int8_t>(data[1]);
    info.nDataID = data[1];
    info.PhoneNumberInfo.PhoneType = (data[0] & 0x40) != 0 ? CTSVC_PHONE_SDN : 1;
    std::memcpy(info.PhoneNumberInfo.szPhoneNumber, number.data(),
                std::min(number.size(), sizeof(info.PhoneNumberInfo.szPhoneNumber)));
    record = Pattern();
    int result = CallCommonSvcGetCtRecordByMoInfo(&info, &record);
    // An SDN entry writes only its own fields into the caller's record.
    Check(info.PhoneNumberInfo.PhoneType == CTSVC_PHONE_SDN ? result == 0 || result == 1
                                                            : Sound(record, result));

    record = Pattern();
    Check(Sound(record, CallCommonSvcGetCtRecordbyEmail(number.c_str(), &record)));

    char name[302];
    Check(CallCommonSvcGetDisplayName(first.c_str(), last.c_str(), name) == 1);
    Check(strnlen(name, sizeof(name)) < sizeof(name) && Characters(name) <= 50);
    return 0;
}
