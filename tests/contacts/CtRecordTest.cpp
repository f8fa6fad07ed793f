// Caller identification: contact, FDN and SDN lookups through the exported functions, over an
// address book filled through the host, and the display name.
#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

#include "CallCommonSvc/Util/CallCommonCtRecord.h"
#include "contacts/ContactsSupport.h"
#include "support/HostTest.h"

namespace {

const unsigned kFail = 0xBA;
const char kHelp[] = "0 Help| img: ring: vib: num:0800111222/10 id:-1,-1 dev:2 kind:1";
using Texts = std::vector<std::string>;

// What the call screen takes from a filled record, on one line.
std::string Shown(const CallCommonCtRecord& r) {
    auto n = [](int value) { return std::to_string(value); };
    return n(r.nPrimaryId) + " " + r.szFirstName + "|" + r.szLastName + " img:" + r.szImage +
           " ring:" + r.szRingtone + " vib:" + r.szVibration +
           " num:" + r.PhoneNumberInfo.szPhoneNumber + "/" + n(r.PhoneNumberInfo.PhoneType) +
           " id:" + n(r.nPhoneNumberId) + "," + n(r.nPhoneNumberId2) + " dev:" + n(r.nDevType) +
           " kind:" + n(r.nRecordKind);
}

int ByHandle(int personIndex, CallCommonCtRecord& record) {
    return CCallCommonCtRecord::GetInstance()->GetRecordbyHperson((1 << 30) | personIndex, &record);
}

std::string Times(const std::string& s, int n) {
    return n > 0 ? s + Times(s, n - 1) : "";
}

class CtRecord : public LoadedTest {};

}  // namespace

TEST_F(CtRecord, PhoneMemoryBeatsSimSimEntriesHaveOneNameAndTheFirstContactWins) {
    tmxhost::AddGroup({2, "Family", "/family.mp3", "pulse"});
    tmxhost::AddContact(Person("Sim", "Entry", "07700900123", 2));
    tmxhost::Contact anna = Person("Anna", "Berg", "07700 900123"),
                     bob = Person("Bob", "Smith", "0611223344", 2);
    anna.image = "/anna.jpg";
    anna.groups = {2};
    bob.image = "/bob.jpg";
    tmxhost::AddContact(anna);
    tmxhost::AddContact(bob);
    tmxhost::AddContact(Person("Carl", "One", "0123456789"));
    tmxhost::AddContact(Person("Dora", "Two", "0123456789"));
    const struct {
        const char *number, *shown;
    } cases[] = {{"07700900123",
                  "2 Anna|Berg img:/anna.jpg ring:/family.mp3 vib:pulse num:07700 900123/3 id:2,2 "
                  "dev:1 kind:0"},
                 {"0611223344", "3 Bob| img: ring: vib: num:0611223344/3 id:3,3 dev:2 kind:0"},
                 {"0123456789", "4 Carl|One img: ring: vib: num:0123456789/3 id:4,4 dev:1 kind:0"}};
    tmxhost::ClearCalls();
    for (const auto& c : cases) {
        CallCommonCtRecord r = Pattern();
        ASSERT_EQ(Lookup(c.number, r), 1) << c.number;
        EXPECT_EQ(Shown(r), c.shown);
    }
    // Only the SIM match asks for its person, by a handle naming the SIM storage.
    EXPECT_EQ(tmxhost::CallTexts({"CtSvcDbPersonGetRecord"}),
              Texts{"CtSvcDbPersonGetRecord(" + std::to_string(int(0x80000003u)) + ")"});
}

TEST_F(CtRecord, TrailingDigitsAreChosenAroundTheIdentityPrefix) {
    const struct {
        int compare;
        const char *dialled, *looked;
    } cases[] = {{8, "*31#01234567890", "34567890"}, {8, "#31#12345", "12345"},
                 {8, "*31#0123456", "0123456"},      {8, "*31#01234567", "01234567"},
                 {8, "01234567890", "34567890"},     {8, "12345", "12345"},
                 {8, "+441234567890", "34567890"},   {4, "#31#12345", "12345"},
                 {5, "*31#01234567", "34567"},       {20, "*31#01234567890", "*31#01234567890"}};
    for (const auto& c : cases) {
        // The count as the service might answer it, whatever the host would say.
        tmxhost::FailCall("CtSvcGetDigitsCount2Compare", c.compare);
        tmxhost::ClearCalls();
        Found(c.dialled);
        EXPECT_EQ(tmxhost::CallTexts({"CtSvcDbPhoneNumberGetCount"}),
                  Texts{"CtSvcDbPhoneNumberGetCount(\"" + std::string(c.looked) + "\")"})
            << c.compare << " " << c.dialled;
    }
}

TEST_F(CtRecord, PersonEtcDataOverridesTheGroupInBothLookups) {
    tmxhost::AddGroup({2, "Family", "/g.mp3", "g-vib"});
    const std::string kLong(1500, 'x'), kCut(960, 'x');
    const struct {
        std::optional<std::string> ringtone, vibration, dtmf;
        std::string expected;  // ringtone|vibration|dtmf
    } cases[] = {{std::nullopt, std::nullopt, std::nullopt, "/g.mp3|g-vib|"},
                 {"/p.mp3", "p-vib", "1234", "/p.mp3|p-vib|1234"},
                 {"", "", "", "/g.mp3|g-vib|"},  // empty values keep the group's
                 {kLong, std::nullopt, kLong, kCut + "|g-vib|" + kCut}};
    auto etc = [](const CallCommonCtRecord& r) {
        return std::string(r.szRingtone) + "|" + r.szVibration + "|" + r.szDtmf;
    };
    for (const auto& c : cases) {
        tmxhost::Contact p = Person("P", "Q", "");
        p.groups = {2};
        std::tie(p.ringtone, p.vibration, p.dtmf) = std::tie(c.ringtone, c.vibration, c.dtmf);
        CallCommonCtRecord byId = Pattern(), byHandle = Pattern();
        ASSERT_EQ(CallCommonSvcGetCtRecordByPrimaryID(tmxhost::AddContact(p), &byId), 1);
        ASSERT_EQ(ByHandle(byId.nPersonId, byHandle), 1);
        EXPECT_EQ(etc(byId) + " " + etc(byHandle), c.expected + " " + c.expected);
    }
}

TEST_F(CtRecord, ByHandleGroupOneNeverGivesTheFallbackRingtone) {
    tmxhost::AddGroup({1, "Everyone", "/g1.mp3", ""});
    tmxhost::AddGroup({3, "Work", "/g3.mp3", ""});
    tmxhost::Contact a = Person("A", "", ""), b = Person("B", "", "");
    a.groups = {1};
    b.groups = {3};
    tmxhost::AddContact(a);
    tmxhost::AddContact(b);
    // Without the membership answer only the joined-group fallback can supply a ringtone.
    tmxhost::FailCall("CtSvcDbGroupMemberGetRecords", 0, 1, -1);
    CallCommonCtRecord ra = Pattern(), rb = Pattern();
    ASSERT_EQ(ByHandle(1, ra) + ByHandle(2, rb), 2);
    EXPECT_EQ(std::string(ra.szRingtone) + "|" + rb.szRingtone, "|/g3.mp3");
    ra = Pattern();
    EXPECT_EQ(CCallCommonCtRecord::GetInstance()->GetRecordbyHperson(-1, &ra), 0);
    EXPECT_TRUE(Untouched(ra));
}

TEST_F(CtRecord, LastMarkedPersonStandsForTheContactAndYear1899IsNoDate) {
    tmxhost::Contact a = Person("A", "", "0711"), b = Person("B", "", "0722"),
                     c = Person("C", "", "0733"), d = Person("D", "", "0744");
    a.ringtone = "/a.mp3";
    c.ringtone = "/c.mp3";
    b.representative = d.representative = false;
    std::tie(b.year, b.month, b.day, c.year, c.month, c.day) = std::tuple(1990, 5, 6, 1899, 7, 8);
    std::tie(d.year, d.month, d.day) = std::tuple(2001, 2, 3);
    int id = tmxhost::AddContact(a);
    tmxhost::AddPerson(id, b);
    int chosen = tmxhost::AddPerson(id, c);
    tmxhost::AddPerson(id, d);
    CallCommonCtRecord r = Pattern();
    ASSERT_EQ(CallCommonSvcGetCtRecordByPrimaryID(id, &r), 1);
    EXPECT_EQ(r.nPersonId, chosen);
    EXPECT_EQ(std::string(r.PhoneNumberInfo.szPhoneNumber) + " " + r.szRingtone, "0733 /c.mp3");
    EXPECT_EQ(r.nYear * 10000 + r.nMonth * 100 + r.nDay, 19900506);  // the first dated person
    ASSERT_EQ(ByHandle(chosen, r), 1);
    EXPECT_EQ(r.nYear * 10000 + r.nMonth * 100 + r.nDay, 0);
}

TEST_F(CtRecord, DisplayNameFollowsTheViewOrderAndKeepsFiftyWholeCharacters) {
    const std::string e = "\xC3\xA9", han = "\xE4\xB8\xAD", a30(30, 'a'), b30(30, 'b');
    const struct {
        int order;
        std::string first, last, expected;
    } cases[] = {{1, "", "Berg", "Berg"},
                 {0, a30, b30, a30 + " " + std::string(19, 'b')},
                 {0, Times(e, 60), "Berg", Times(e, 50)},
                 {1, Times(e, 60), "Berg", "Berg " + Times(e, 45)},
                 {0, Times(han, 60), "", Times(han, 50)},
                 {0, std::string(49, 'a') + "\xF0\x9F\x98\x80" + "b", "",
                  std::string(49, 'a') + "\xF0\x9F\x98\x80"}};
    for (const auto& c : cases) {
        tmxhost::SetNvInt(1417, c.order);
        char name[302];
        std::memset(name, 'Z', sizeof(name));
        EXPECT_EQ(CallCommonSvcGetDisplayName(c.first.c_str(), c.last.c_str(), name), 1);
        EXPECT_EQ(std::string(name, strnlen(name, sizeof(name))), c.expected)
            << c.order << " '" << c.first << "' '" << c.last << "'";
    }
}

TEST_F(CtRecord, EveryFailedPlatformCallGivesNothingOrTheWholeContact) {
    tmxhost::AddGroup({2, "Family", "/g.mp3", "g-vib"});
    tmxhost::Contact anna = Person("Anna", "Berg", "02079460000");
    anna.groups = {2};
    anna.ringtone = "/p.mp3";
    anna.dtmf = "12";
    CallCommonMoInfo info{tmxhost::AddContact(anna), 77, {5, 0, 9, "02079460000"}};
    tmxhost::AddContact(Person("Sim", "Anna", "0611223344", 2));
    const std::function<int(CallCommonCtRecord&)> runs[] = {
        [](CallCommonCtRecord& r) { return Lookup("02079460000", r); },
        [](CallCommonCtRecord& r) { return Lookup("0611223344", r); },
        [&](CallCommonCtRecord& r) { return CallCommonSvcGetCtRecordByMoInfo(&info, &r); }};
    for (const auto& run : runs) {
        tmxhost::ClearCalls();
        CallCommonCtRecord clean = Pattern();
        ASSERT_EQ(run(clean), 1);
        const std::vector<tmxhost::Call> calls = tmxhost::Calls();
        const std::size_t blocks = tmxhost::LiveBlocks().size();
        for (std::size_t k = 0; k < calls.size(); ++k) {
            const std::string& name = calls[k].name;
            int nth = std::count_if(calls.begin(), calls.begin() + k + 1,
                                    [&](const tmxhost::Call& call) { return call.name == name; });
            tmxhost::FailCall(name, name == "CtSvcDbEtcDataGetRecords" ? -1 : 0, nth);
            CallCommonCtRecord r = Pattern();
            int result = run(r);
            tmxhost::ClearFaults();
            EXPECT_TRUE(result == 0 ? Untouched(r)
                                    : r.nPrimaryId == clean.nPrimaryId &&
                                          std::strcmp(r.szFirstName, clean.szFirstName) == 0)
                << "failing " << calls[k].Text();
            EXPECT_EQ(tmxhost::LiveBlocks().size(), blocks) << "failing " << calls[k].Text();
        }
    }
    // A call takes the call's data ID and number information, with the stored number's type.
    CallCommonCtRecord r = Pattern();
    ASSERT_EQ(CallCommonSvcGetCtRecordByMoInfo(&info, &r), 1);
    const CtSvcPhoneNumberInfo& n = r.PhoneNumberInfo;
    EXPECT_EQ(r.nDataID * 1000 + n.nAasId * 100 + n.UseType * 10 + n.PhoneType, 77593);
    // Each allocation of the call lookup in turn; the fourth is its number record.
    for (int nth = 1; nth <= 5; ++nth) {
        tmxhost::FailCall("MemAllocTraceEx", 0, nth);
        r = Pattern();
        EXPECT_EQ(CallCommonSvcGetCtRecordByMoInfo(&info, &r), nth == 5 ? 1 : 0) << nth;
        EXPECT_TRUE(nth == 5 || Untouched(r)) << nth;
        tmxhost::ClearFaults();
    }
    ExpectReports({"pNumberRecord != NULL"});
}

TEST_F(CtRecord, BadNumbersAndHugeCountsFailCleanly) {
    tmxhost::Contact anna = Person("Anna", "Berg", "01234567890");
    anna.emails = {"anna@example.com"};
    anna.ringtone = "/r.mp3";
    tmxhost::AddContact(anna);
    const std::string kHuge(10000, '1');
    for (const char* number : {"", "abc", "+", "*31#", "#31#", kHuge.c_str(), (const char*)0}) {
        char* n = const_cast<char*>(number);
        CallCommonCtRecord r = Pattern();
        EXPECT_EQ(CallCommonSvcGetCtRecordbyNum(n, &r) + CallCommonSvcGetCtRecordbyEmail(n, &r) +
                      CallCommonSvcGetFdnRecordbyNum(n, &r) + CallCommonSvcCheckFdnNumberExist(n) +
                      CallCommonSvcGetEntryInfobyNum(n),
                  0)
            << (n != nullptr ? std::string(n).substr(0, 9) : "NULL");
        EXPECT_TRUE(Untouched(r));
    }
    EXPECT_EQ(Found("+44 1234 567890"), "Anna");

    for (const char* count : {"CtSvcDbPhoneNumberGetCount", "CtSvcDbEtcDataGetCount"}) {
        tmxhost::FailCall(count, 0x7FFFFFFF);
        CallCommonCtRecord r = Pattern();
        EXPECT_EQ(Lookup("01234567890", r), 0) << count;
        EXPECT_TRUE(Untouched(r)) << count;
    }
    EXPECT_TRUE(tmxhost::HasTrace(
        "CCallCommonCtRecord::GetCtRecordByPrimaryID pEtcRecords: Memalloc failed\n", kFail));
}

TEST_F(CtRecord, EmailFdnAndSdnLookupsAndTheFdnModeOrderWithItsFallback) {
    tmxhost::Contact anna = Person("Anna", "Berg", "02079460000"),
                     bob = Person("Bob", "", "0555123456");
    anna.emails = {"anna@work.com", "Shared@Example.com"};
    bob.emails = {"shared@example.com"};
    int annaId = tmxhost::AddContact(anna);
    tmxhost::AddContact(bob);
    tmxhost::AddContact(Person("Sim", "", "0611223344", 2));
    tmxhost::AddFdn("Office", "02079460000");
    tmxhost::AddFdn("Help", "0800111222");
    tmxhost::AddSdn("Customer care", "150");
    tmxhost::ClearCalls();
    CallCommonMoInfo sdn{1, 0, {0, 11, 0, "150"}};
    CallCommonCtRecord r = Pattern();
    EXPECT_EQ(CCallCommonCtRecord::GetInstance()->GetSdnRecord(-1, &r), 0);
    EXPECT_TRUE(Untouched(r));
    ASSERT_EQ(CallCommonSvcGetCtRecordByMoInfo(&sdn, &r), 1);  // never asks the contacts
    EXPECT_EQ(tmxhost::CallTexts(), Texts({"SimGetFdnEnable()", "CtSvcSimGetSdnRecord(1)"}));
    EXPECT_EQ(std::string(r.szFirstName) + "/" + r.PhoneNumberInfo.szPhoneNumber,
              "Customer care/150");
    EXPECT_EQ(r.nPersonId * 100 + r.nDevType * 10 + r.nRecordKind, 122);

    ASSERT_EQ(CallCommonSvcGetCtRecordbyEmail("SHARED@example.COM", &r), 1);
    // The first match, with the e-mail's data ID rather than the number's.
    EXPECT_EQ(std::tie(r.nPrimaryId, r.nDataID, r.nPhoneNumberId), std::tuple(annaId, 2, 1));

    // Outside the FDN mode an FDN entry is found when no contact has the number.
    EXPECT_EQ(Found("02079460000"), "Anna");
    CallCommonMoInfo noId{0, 0, {0, 3, 0, "0800111222"}};
    CallCommonCtRecord byNum = Pattern(), byId = Pattern(), byMo = Pattern();
    ASSERT_EQ(Lookup("0800111222", byNum) + CallCommonSvcGetFdnRecordbyFdnID(2, &byId) +
                  CallCommonSvcGetCtRecordByMoInfo(&noId, &byMo),
              3);
    for (const CallCommonCtRecord* fdn : {&byNum, &byId, &byMo}) {
        EXPECT_EQ(Shown(*fdn) + " " + std::to_string(fdn->nFdnId * 10 + fdn->nPersonId),
                  std::string(kHelp) + " 20");
    }
    CallCommonCtRecord expected = Pattern();  // but for the fields named below
    r = Pattern();
    ASSERT_EQ(CCallCommonCtRecord::GetInstance()->GetFdnRecord(2, &r), 1);
    std::strcpy(expected.szFirstName, "Help");
    std::strcpy(expected.PhoneNumberInfo.szPhoneNumber, "0800111222");
    std::tie(expected.nFdnId, expected.nPrimaryId, expected.nDataID) = std::tuple(2, 0, 0);
    std::tie(expected.nDevType, expected.nRecordKind) = std::tuple(2, 2);
    EXPECT_EQ(std::memcmp(&r, &expected, sizeof(r)), 0);
    std::string known;  // each number's entry and FDN answers
    for (std::string number : {"02079460000", "0611223344", "0800111222", "0800111223"}) {
        known += std::to_string(CallCommonSvcGetEntryInfobyNum(number.data())) +
                 std::to_string(CallCommonSvcCheckFdnNumberExist(number.data()));
    }
    EXPECT_EQ(known, "11101100");

    tmxhost::SetTapiResult("SimGetFdnEnable", 1);
    EXPECT_EQ(Found("02079460000") + Found("0555123456"), "OfficeBob");
    CallCommonMoInfo info{annaId, 0, {0, 3, 0, "02079460000"}};
    ASSERT_EQ(CallCommonSvcGetCtRecordByMoInfo(&info, &r), 1);
    EXPECT_STREQ(r.szFirstName, "Office");
    EXPECT_EQ(CCallCommonCtRecord::GetInstance()->GetSdnRecord(5, &r), 0);
    for (auto [channel, line] : std::vector<std::pair<unsigned, const char*>>{
             {0x800E6,
              "CallCommonSvcGetCtRecordbyNum:  GetCtRecordbyNum FALSE search the FDN DB !!!\n"},
             {0x800E6, "CallCommonSvcGetCtRecordbyNum:  FDN Mode...!\n"},
             {0x800E6,
              "CallCommonSvcGetCtRecordbyNum:  GetFdnRecordbyNum FALSE search the Phone DB !!!\n"},
             {0x800E6, "CallCommonSvcGetCtRecordByMoInfo:  GetCtRecordByMoInfo TRUE !!!\n"},
             {kFail, "CCallCommonCtRecord::GetSdnRecord: return FALSE!!!\n"}}) {
        EXPECT_TRUE(tmxhost::HasTrace(line, channel)) << line;
    }
}
