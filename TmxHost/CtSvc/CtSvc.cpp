// TmxCtSvc on the host: the contacts service's queries over the SQLite contacts database.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "CallCommonSvc/Platform/TmxCtSvc.h"
#include "ContactsDb.h"
#include "HostInternal.h"

namespace tmxhost {

using detail::ContactsReader;
using detail::ContactsState;
using detail::Statement;

namespace detail {

ContactsState& ContactsStateOf() {
    static ContactsState state;
    return state;
}

namespace {
ContactsDb& Opened() {
    ContactsState& state = ContactsStateOf();
    if (!state.db.IsOpen() && !state.fileChosen) {
        state.db.Open("", true, state.busyTimeout, nullptr);
    }
    return state.db;
}
}  // namespace

ContactsDb& Contacts() {
    ContactsDb& db = Opened();
    db.EndRead();
    return db;
}

ContactsDb& ContactsReader() {
    ContactsDb& db = Opened();
    ContactsState& state = ContactsStateOf();
    if (db.BeginRead() && !state.endReadPending) {
        // The program's loop runs this once the current callback returns.
        state.endReadPending = true;
        Schedule(0, [] {
            ContactsStateOf().endReadPending = false;
            ContactsStateOf().db.EndRead();
        });
    }
    return db;
}

void ResetContacts() {
    ContactsState& state = ContactsStateOf();
    state.db.Close();
    state.endReadPending = false;  // the timers' reset drops the event
    state.fileChosen = false;
    state.digitsToCompare = 8;
    state.busyTimeout = 0;
    state.countedNumber.clear();
    state.numberCount = 0;
    state.countedEmail.clear();
    state.emailCount = 0;
}

}  // namespace detail

namespace {

// Copies text into a fixed field, cut at a character boundary and always terminated.
template <std::size_t N>
void Put(char (&field)[N], std::string_view text) {
    std::size_t length = text.size() < N ? text.size() : N - 1;
    if (length < text.size()) {
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// Text of a fixed field given by the library, never read past its end.
template <std::size_t N>
std::string_view Field(const char (&field)[N]) {
    return {field, strnlen(field, N)};
}

// A caller-ID restriction or presentation prefix (3GPP TS 22.030) is not part of the number.
std::string_view WithoutIdentityPrefix(std::string_view number) {
    if (number.size() >= 4 && (number[0] == '*' || number[0] == '#') &&
        number.substr(1, 3) == "31#") {
        number.remove_prefix(4);
    }
    return number;
}

// The stored numbers that match `number`, as a range of reversed dial digits [low, high].
// A number with at least as many digits as the service compares matches every stored number
// ending with those trailing digits; a shorter one ("112", "58") only the same digits, so that
// a short code never names the contact whose number happens to end with it. Comparing all
// digits (0 or less) likewise asks for the same digits. Empty when the number has no digits.
struct MatchKey {
    std::string low;
    std::string high;

    explicit MatchKey(std::string_view number) {
        std::string digits = detail::DialDigits(WithoutIdentityPrefix(number));
        int compare = detail::ContactsStateOf().digitsToCompare;
        bool trailing = compare > 0 && digits.size() >= static_cast<std::size_t>(compare);
        if (trailing) {
            digits.erase(0, digits.size() - compare);
        }
        low.assign(digits.rbegin(), digits.rend());
        // ':' sorts after every dial digit, so [low, low + ':'] holds every key starting with low.
        high = trailing ? low + ':' : low;
    }
    bool Empty() const { return low.empty(); }
    std::string Text() const { return low + '/' + high; }
};

// Rows limited to `max`. A fetch of all rows (negative) fills no more than the last count of the
// same query, as the caller has sized its array by that count, and nothing without one.
long long Limit(int max, const std::string& key, const std::string& countedKey, int counted) {
    if (max >= 0) {
        return max;
    }
    return key == countedKey && counted > 0 ? counted : 0;
}

void FillPerson(const Statement& row, CtSvcPersonRecord& person) {
    std::memset(&person, 0, sizeof(person));
    person.nIndex = static_cast<int>(row.Int(0));
    person.nStorageType = static_cast<int>(row.Int(1));
    Put(person.szFirstName, row.Text(2));
    Put(person.szLastName, row.Text(3));
    person.nYear = static_cast<int>(row.Int(4));
    person.nMonth = static_cast<int>(row.Int(5));
    person.nDay = static_cast<int>(row.Int(6));
    person.nPrimaryId = static_cast<int>(row.Int(7));
    person.nMarker = static_cast<int>(row.Int(8));
    Put(person.szImage, row.Text(9));
}

void FillNumber(const Statement& row, CtSvcPhoneNumberRecord& number) {
    std::memset(&number, 0, sizeof(number));
    number.nDataId = static_cast<int>(row.Int(0));
    number.nPersonIndex = static_cast<int>(row.Int(1));
    number.nPrimaryId = static_cast<int>(row.Int(2));
    number.nDevType = static_cast<int>(row.Int(3));
    number.PhoneNumberInfo.nAasId = static_cast<int>(row.Int(4));
    number.PhoneNumberInfo.PhoneType = static_cast<int>(row.Int(5));
    number.PhoneNumberInfo.UseType = static_cast<int>(row.Int(6));
    Put(number.PhoneNumberInfo.szPhoneNumber, row.Text(7));
}

void FillGroup(const Statement& row, CtSvcGroupRecord& group) {
    std::memset(&group, 0, sizeof(group));
    group.nGroupId = static_cast<int>(row.Int(0));
    Put(group.szName, row.Text(1));
    Put(group.szRingtone, row.Text(2));
    Put(group.szVibration, row.Text(3));
}

// The person a handle names: its index, and its storage when the handle carries one.
bool FindPerson(int hPerson, CtSvcPersonRecord& person) {
    Statement row = ContactsReader().Prepare(
        "SELECT id, storage, first, last, year, month, day, primary_id, marker, image "
        "FROM person WHERE id = ?1");
    row.Bind(1, hPerson & CTSVC_PERSON_INDEX_MASK);
    if (row.Step() != SQLITE_ROW) {
        return false;
    }
    FillPerson(row, person);
    unsigned storage = static_cast<unsigned>(hPerson) >> 30;
    return storage == 0 || storage == static_cast<unsigned>(person.nStorageType);
}

}  // namespace
}  // namespace tmxhost

using namespace tmxhost;

// The characters at the end of the number that hold the digits compared, so that punctuation
// ("+44 20 7946 0958") does not shorten the comparison.
extern "C" int CtSvcGetDigitsCount2Compare(const char* pszNumber) {
    if (auto fault = detail::Enter("CtSvcGetDigitsCount2Compare", pszNumber)) {
        return static_cast<int>(*fault);
    }
    std::string_view number =
        WithoutIdentityPrefix(pszNumber != nullptr ? std::string_view(pszNumber) : "");
    int compare = detail::ContactsStateOf().digitsToCompare;
    std::size_t characters = 0;
    for (int digits = 0; characters < number.size() && (compare <= 0 || digits < compare);) {
        digits += detail::DialDigits(number.substr(number.size() - ++characters, 1)).size();
    }
    return static_cast<int>(std::min<std::size_t>(characters, INT_MAX));
}

extern "C" int CtSvcDbPhoneNumberGetCount(const CtSvcPhoneNumberRecord* pQuery) {
    std::string number(pQuery != nullptr ? Field(pQuery->PhoneNumberInfo.szPhoneNumber) : "");
    MatchKey key(number);
    auto& state = detail::ContactsStateOf();
    state.countedNumber = key.Text();
    state.numberCount = 0;
    if (auto fault = detail::Enter("CtSvcDbPhoneNumberGetCount", number.c_str())) {
        state.numberCount = static_cast<int>(*fault);
        return state.numberCount;
    }
    if (pQuery == nullptr || key.Empty()) {
        return 0;
    }
    Statement row = ContactsReader().Prepare(
        "SELECT count(*) FROM phone_number WHERE rdigits BETWEEN ?1 AND ?2");
    if (row.Bind(1, key.low).Bind(2, key.high).Step() != SQLITE_ROW) {
        return 0;
    }
    state.numberCount = static_cast<int>(row.Int(0));
    return state.numberCount;
}

extern "C" int CtSvcDbPhoneNumberGetRecords(const CtSvcPhoneNumberRecord* pQuery,
                                            CtSvcPhoneNumberRecord* pRecords, int nMax) {
    std::string number(pQuery != nullptr ? Field(pQuery->PhoneNumberInfo.szPhoneNumber) : "");
    if (auto fault = detail::Enter("CtSvcDbPhoneNumberGetRecords", number.c_str(), nMax)) {
        return static_cast<int>(*fault);
    }
    MatchKey key(number);
    if (pQuery == nullptr || pRecords == nullptr || key.Empty()) {
        return 0;
    }
    auto& state = detail::ContactsStateOf();
    // The index yields the rows in key order; the first `limit` by id are kept in order here,
    // which spares SQLite a temporary table for an ORDER BY on every lookup.
    Statement row = ContactsReader().Prepare(
        "SELECT id, person_id, primary_id, dev_type, aas_id, phone_type, use_type, number "
        "FROM phone_number WHERE rdigits BETWEEN ?1 AND ?2");
    row.Bind(1, key.low).Bind(2, key.high);
    const long long limit = Limit(nMax, key.Text(), state.countedNumber, state.numberCount);
    int filled = 0;
    while (row.Step() == SQLITE_ROW && limit > 0) {
        const long long id = row.Int(0);
        if (filled == limit && id >= pRecords[filled - 1].nDataId) {
            continue;
        }
        int at = filled < limit ? filled++ : filled - 1;
        for (; at > 0 && pRecords[at - 1].nDataId > id; --at) {
            pRecords[at] = pRecords[at - 1];
        }
        FillNumber(row, pRecords[at]);
    }
    return filled;
}

extern "C" int CtSvcDbPersonGetRecord(int hPerson, CtSvcPersonRecord* pPerson) {
    if (auto fault = detail::Enter("CtSvcDbPersonGetRecord", hPerson)) {
        return static_cast<int>(*fault);
    }
    CtSvcPersonRecord person;
    if (pPerson == nullptr || !FindPerson(hPerson, person)) {
        return 0;
    }
    *pPerson = person;
    return 1;
}

extern "C" int _CtSvcDbPersonGetRecords(int nPrimaryId, CtSvcPersonRecord* pPersons, int nCount,
                                        const char*, int) {
    if (auto fault = detail::Enter("_CtSvcDbPersonGetRecords", nPrimaryId, nCount)) {
        return static_cast<int>(*fault);
    }
    if (pPersons == nullptr || nCount <= 0) {
        return 0;
    }
    Statement row = ContactsReader().Prepare(
        "SELECT id, storage, first, last, year, month, day, primary_id, marker, image "
        "FROM person WHERE primary_id = ?1 ORDER BY id LIMIT ?2");
    row.Bind(1, nPrimaryId).Bind(2, nCount);
    int filled = 0;
    while (row.Step() == SQLITE_ROW) {
        FillPerson(row, pPersons[filled++]);
    }
    return filled;
}

extern "C" int CtSvcDbPrimaryGetRecord(int nPrimaryId, CtSvcPrimaryRecord* pPrimary) {
    if (auto fault = detail::Enter("CtSvcDbPrimaryGetRecord", nPrimaryId)) {
        return static_cast<int>(*fault);
    }
    if (pPrimary == nullptr) {
        return 0;
    }
    Statement row = ContactsReader().Prepare(
        "SELECT dev_type, first, last, image, (SELECT count(*) FROM person WHERE primary_id = ?1) "
        "FROM contact WHERE id = ?1");
    if (row.Bind(1, nPrimaryId).Step() != SQLITE_ROW) {
        return 0;
    }
    std::memset(pPrimary, 0, sizeof(*pPrimary));
    pPrimary->nPrimaryId = nPrimaryId;
    pPrimary->nDevType = static_cast<int>(row.Int(0));
    Put(pPrimary->szFirstName, row.Text(1));
    Put(pPrimary->szLastName, row.Text(2));
    Put(pPrimary->szImage, row.Text(3));
    pPrimary->nPersonCount = static_cast<int>(row.Int(4));
    return 1;
}

extern "C" int CtSvcDbPersonGetDefaultPhoneNumber(int hPerson, CtSvcPhoneNumberRecord* pNumber) {
    if (auto fault = detail::Enter("CtSvcDbPersonGetDefaultPhoneNumber", hPerson)) {
        return static_cast<int>(*fault);
    }
    CtSvcPersonRecord person;
    if (pNumber == nullptr || !FindPerson(hPerson, person)) {
        return 0;
    }
    // The person's first number; a person without numbers has an empty one.
    Statement row = ContactsReader().Prepare(
        "SELECT id, person_id, primary_id, dev_type, aas_id, phone_type, use_type, number "
        "FROM phone_number WHERE person_id = ?1 ORDER BY id LIMIT 1");
    if (row.Bind(1, person.nIndex).Step() == SQLITE_ROW) {
        FillNumber(row, *pNumber);
    } else {
        std::memset(pNumber, 0, sizeof(*pNumber));
        pNumber->nPersonIndex = person.nIndex;
        pNumber->nPrimaryId = person.nPrimaryId;
        pNumber->nDevType = person.nStorageType;
    }
    return 1;
}

extern "C" int CtSvcDbPersonGetJoinedGroupList(int hPerson, CtSvcGroupRecord* pGroups, int nMax) {
    if (auto fault = detail::Enter("CtSvcDbPersonGetJoinedGroupList", hPerson, nMax)) {
        return static_cast<int>(*fault);
    }
    CtSvcPersonRecord person;
    if (pGroups == nullptr || nMax <= 0 || !FindPerson(hPerson, person)) {
        return 0;
    }
    Statement row = ContactsReader().Prepare(
        "SELECT g.id, g.name, g.ringtone, g.vibration FROM group_member m "
        "JOIN contact_group g ON g.id = m.group_id WHERE m.primary_id = ?1 ORDER BY m.rowid "
        "LIMIT ?2");
    row.Bind(1, person.nPrimaryId).Bind(2, nMax);
    int filled = 0;
    while (row.Step() == SQLITE_ROW) {
        FillGroup(row, pGroups[filled++]);
    }
    return filled;
}

extern "C" int CtSvcDbGroupMemberGetRecords(const CtSvcGroupMemberRecord* pQuery,
                                            CtSvcGroupMemberRecord* pMembers, int nMax) {
    int primaryId = pQuery != nullptr ? pQuery->nPrimaryId : 0;
    if (auto fault = detail::Enter("CtSvcDbGroupMemberGetRecords", primaryId, nMax)) {
        return static_cast<int>(*fault);
    }
    if (pQuery == nullptr || pMembers == nullptr || nMax == 0) {
        return 0;
    }
    Statement row = ContactsReader().Prepare(
        "SELECT group_id FROM group_member WHERE primary_id = ?1 ORDER BY rowid LIMIT ?2");
    row.Bind(1, primaryId).Bind(2, nMax);
    int filled = 0;
    while (row.Step() == SQLITE_ROW) {
        CtSvcGroupMemberRecord& member = pMembers[filled++];
        std::memset(&member, 0, sizeof(member));
        member.nPrimaryId = primaryId;
        member.nGroupId = static_cast<int>(row.Int(0));
    }
    return filled;
}

extern "C" int CtSvcDbGroupGetRecord(int nGroupId, CtSvcGroupRecord* pGroup) {
    if (auto fault = detail::Enter("CtSvcDbGroupGetRecord", nGroupId)) {
        return static_cast<int>(*fault);
    }
    if (pGroup == nullptr) {
        return 0;
    }
    Statement row = ContactsReader().Prepare(
        "SELECT id, name, ringtone, vibration FROM contact_group WHERE id = ?1");
    if (row.Bind(1, nGroupId).Step() != SQLITE_ROW) {
        return 0;
    }
    FillGroup(row, *pGroup);
    return 1;
}

extern "C" int CtSvcDbEtcDataGetCount(const CtSvcEtcDataKey* pKey) {
    int person = pKey != nullptr ? pKey->nPersonIndex : 0;
    if (auto fault = detail::Enter("CtSvcDbEtcDataGetCount", person)) {
        return static_cast<int>(*fault);
    }
    Statement row = ContactsReader().Prepare("SELECT count(*) FROM etc_data WHERE person_id = ?1");
    if (pKey == nullptr || row.Bind(1, person).Step() != SQLITE_ROW) {
        return 0;
    }
    return static_cast<int>(row.Int(0));
}

extern "C" int CtSvcDbEtcDataGetRecords(const CtSvcEtcDataKey* pKey, CtSvcEtcDataRecord* pRecords,
                                        int nCount) {
    int person = pKey != nullptr ? pKey->nPersonIndex : 0;
    if (auto fault = detail::Enter("CtSvcDbEtcDataGetRecords", person, nCount)) {
        return static_cast<int>(*fault);
    }
    if (pKey == nullptr || pRecords == nullptr || nCount < 0) {
        return -1;
    }
    Statement row = ContactsReader().Prepare(
        "SELECT id, type, value FROM etc_data WHERE person_id = ?1 ORDER BY id LIMIT ?2");
    row.Bind(1, person).Bind(2, nCount);
    int filled = 0;
    int step;
    while ((step = row.Step()) == SQLITE_ROW) {
        CtSvcEtcDataRecord& record = pRecords[filled++];
        std::memset(&record, 0, sizeof(record));
        record.nId = static_cast<int>(row.Int(0));
        record.nPersonIndex = person;
        record.EtcDataInfo.EtcDataType = static_cast<int>(row.Int(1));
        Put(record.EtcDataInfo.szValue, row.Text(2));
    }
    return step == SQLITE_DONE ? filled : -1;
}

extern "C" int CtSvcDbEmailAddressGetCount(const CtSvcEmailRecord* pQuery) {
    std::string address(pQuery != nullptr ? Field(pQuery->szAddress) : "");
    auto& state = detail::ContactsStateOf();
    state.countedEmail = address;
    state.emailCount = 0;
    if (auto fault = detail::Enter("CtSvcDbEmailAddressGetCount", address.c_str())) {
        state.emailCount = static_cast<int>(*fault);
        return state.emailCount;
    }
    Statement row =
        ContactsReader().Prepare("SELECT count(*) FROM email WHERE address = ?1 COLLATE NOCASE");
    if (pQuery == nullptr || row.Bind(1, address).Step() != SQLITE_ROW) {
        return 0;
    }
    state.emailCount = static_cast<int>(row.Int(0));
    return state.emailCount;
}

extern "C" int CtSvcDbEmailAddressGetRecords(const CtSvcEmailRecord* pQuery,
                                             CtSvcEmailRecord* pRecords, int nMax) {
    std::string address(pQuery != nullptr ? Field(pQuery->szAddress) : "");
    if (auto fault = detail::Enter("CtSvcDbEmailAddressGetRecords", address.c_str(), nMax)) {
        return static_cast<int>(*fault);
    }
    if (pQuery == nullptr || pRecords == nullptr) {
        return 0;
    }
    auto& state = detail::ContactsStateOf();
    Statement row = ContactsReader().Prepare(
        "SELECT id, person_id, primary_id, address FROM email WHERE address = ?1 COLLATE NOCASE "
        "ORDER BY id LIMIT ?2");
    row.Bind(1, address).Bind(2, Limit(nMax, address, state.countedEmail, state.emailCount));
    int filled = 0;
    while (row.Step() == SQLITE_ROW) {
        CtSvcEmailRecord& record = pRecords[filled++];
        std::memset(&record, 0, sizeof(record));
        record.nDataId = static_cast<int>(row.Int(0));
        record.nPersonIndex = static_cast<int>(row.Int(1));
        record.nPrimaryId = static_cast<int>(row.Int(2));
        Put(record.szAddress, row.Text(3));
    }
    return filled;
}

namespace {

// The dial digits of a number with its '+' signs: in fixed dialling an international number
// and a national one with the same digits are different numbers.
std::string FdnKey(std::string_view number) {
    std::string key;
    for (char c : number) {
        if ((c >= '0' && c <= '9') || c == '*' || c == '#' || c == '+') {
            key += c;
        }
    }
    return key;
}

// The first FDN entry whose dial digits and '+' signs are those of `number`, a caller-ID prefix
// aside.
bool FindFdn(const char* number, CtSvcFdnRecord* fdn) {
    std::string_view dialled = WithoutIdentityPrefix(number != nullptr ? number : "");
    std::string digits = detail::DialDigits(dialled);
    if (digits.empty()) {
        return false;
    }
    std::string key = FdnKey(dialled);
    Statement row =
        ContactsReader().Prepare("SELECT id, name, number FROM fdn WHERE digits = ?1 ORDER BY id");
    row.Bind(1, digits);
    int step;
    while ((step = row.Step()) == SQLITE_ROW && FdnKey(row.Text(2)) != key) {
    }
    if (step != SQLITE_ROW) {
        return false;
    }
    if (fdn != nullptr) {
        std::memset(fdn, 0, sizeof(*fdn));
        fdn->nId = static_cast<int>(row.Int(0));
        Put(fdn->szName, row.Text(1));
        Put(fdn->szNumber, row.Text(2));
    }
    return true;
}

}  // namespace

extern "C" int CtSvcDbFdnGetRecordByPhoneNumber(const char* pszNumber, CtSvcFdnRecord* pFdn) {
    if (auto fault = detail::Enter("CtSvcDbFdnGetRecordByPhoneNumber", pszNumber)) {
        return static_cast<int>(*fault);
    }
    return pFdn != nullptr && FindFdn(pszNumber, pFdn) ? 1 : 0;
}

extern "C" int CtSvcDbFdnCheckIsAvailFdnNumber(const char* pszNumber) {
    if (auto fault = detail::Enter("CtSvcDbFdnCheckIsAvailFdnNumber", pszNumber)) {
        return static_cast<int>(*fault);
    }
    return FindFdn(pszNumber, nullptr) ? 1 : 0;
}

extern "C" int CtSvcDbFdnGetRecord(int nId, CtSvcFdnRecord* pFdn) {
    if (auto fault = detail::Enter("CtSvcDbFdnGetRecord", nId)) {
        return static_cast<int>(*fault);
    }
    Statement row = ContactsReader().Prepare("SELECT id, name, number FROM fdn WHERE id = ?1");
    if (pFdn == nullptr || row.Bind(1, nId).Step() != SQLITE_ROW) {
        return 0;
    }
    std::memset(pFdn, 0, sizeof(*pFdn));
    pFdn->nId = nId;
    Put(pFdn->szName, row.Text(1));
    Put(pFdn->szNumber, row.Text(2));
    return 1;
}

extern "C" int CtSvcSimGetSdnRecord(int nIndex, CtSvcSdnRecord* pSdn) {
    if (auto fault = detail::Enter("CtSvcSimGetSdnRecord", nIndex)) {
        return static_cast<int>(*fault);
    }
    Statement row = ContactsReader().Prepare("SELECT name, number FROM sdn WHERE id = ?1");
    if (pSdn == nullptr || row.Bind(1, nIndex).Step() != SQLITE_ROW) {
        return 0;
    }
    std::memset(pSdn, 0, sizeof(*pSdn));
    Put(pSdn->szName, row.Text(0));
    Put(pSdn->szNumber, row.Text(1));
    return 1;
}
