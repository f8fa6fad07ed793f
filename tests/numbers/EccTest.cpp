#include <algorithm>
#include <string>
#include <vector>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "support/HostTest.h"

namespace {

const unsigned kUtil = 0x800E6;
const unsigned kFail = 0xBA;

using List = std::vector<std::string>;

// The country lists used with a SIM present, in their order of comparison.
const List kDefault = {"112", "911"};
const List k999 = {"112", "911", "999"};
const List k000 = {"112", "911", "000"};
const List k000111 = {"112", "911", "000", "111"};
const List k100 = {"112", "911", "100"};
const List k190 = {"112", "911", "190"};
const List k060 = {"112", "911", "060"};
const List k066 = {"112", "911", "066"};
const List k104109 = {"112", "911", "104", "109"};
const List k123_911 = {"112", "123"};
const List k133 = {"112", "911", "133"};
const List k105 = {"112", "911", "105"};
const List k_1_171 = {"112", "911", "*1", "*171"};
const List k122 = {"112", "911", "122"};
const List k104 = {"112", "911", "104"};
const List kJapan = {"110", "118", "119", "112", "911"};
const List kKorea = {"112", "119", "122", "113", "125", "127", "111", "911"};

// The lists used without a SIM: eight common entries, then the country's own.
List NoSim(const List& extra) {
    List list = {"000", "08", "112", "110", "118", "119", "911", "999"};
    list.insert(list.end(), extra.begin(), extra.end());
    return list;
}
const List kNoSimDefault = NoSim({});
const List kNoSim120122 = NoSim({"120", "122"});
const List kNoSim190 = NoSim({"190"});
const List kNoSim060 = NoSim({"060"});
const List kNoSim066 = NoSim({"066"});
const List kNoSim104109 = NoSim({"104", "109"});
const List kNoSim133 = NoSim({"133"});
const List kNoSim105 = NoSim({"105"});
const List kNoSim_1_171 = NoSim({"*1", "*171"});
const List kNoSim122 = NoSim({"122"});
const List kNoSim104 = NoSim({"104"});
const List kNoSim111 = NoSim({"111"});

struct ListChoice {
    int mcc;
    int mnc;
    const List* list;
};

// Every row of the choice with a SIM present, including the "other MNC" rows.
const ListChoice kSimChoices[] = {
    {234, 15, &k999},      {272, 1, &k999},       {424, 2, &k999},       {454, 0, &k999},
    {620, 3, &k999},       {334, 2, &k060},       {334, 20, &k060},      {334, 3, &k066},
    {425, 1, &k100},       {425, 3, &k100},       {425, 2, &kDefault},   {440, 10, &kJapan},
    {450, 5, &kKorea},     {505, 1, &k000},       {530, 5, &k000111},    {704, 3, &k122},
    {706, 4, &k122},       {710, 30, &k122},      {710, 300, &k122},     {704, 1, &kDefault},
    {706, 1, &kDefault},   {710, 21, &kDefault},  {714, 1, &k104},       {714, 11, &k104},
    {714, 2, &kDefault},   {716, 6, &k105},       {716, 10, &kDefault},  {724, 5, &k190},
    {730, 1, &k133},       {732, 103, &k123_911}, {732, 111, &k123_911}, {732, 123, &k123_911},
    {732, 101, &kDefault}, {734, 6, &k_1_171},    {734, 4, &kDefault},   {748, 1, &k104109},
    {310, 410, &kDefault}, {0, 0, &kDefault},
};

// Every row of the choice without a SIM; four of them use the short lists above.
const ListChoice kNoSimChoices[] = {
    {334, 2, &kNoSim060},      {334, 20, &kNoSim060},    {334, 1, &kNoSim066},
    {425, 1, &k100},           {425, 3, &k100},          {425, 2, &kDefault},
    {425, 7, &kNoSimDefault},  {450, 8, &kKorea},        {460, 1, &kNoSim120122},
    {460, 0, &kNoSimDefault},  {530, 1, &kNoSim111},     {704, 3, &kNoSim122},
    {706, 4, &kNoSim122},      {710, 30, &kNoSim122},    {710, 300, &kNoSim122},
    {704, 1, &kNoSimDefault},  {706, 2, &kNoSimDefault}, {710, 3, &kNoSimDefault},
    {714, 1, &kNoSim104},      {714, 11, &kNoSim104},    {714, 4, &kNoSimDefault},
    {716, 6, &kNoSim105},      {716, 1, &kNoSimDefault}, {724, 2, &kNoSim190},
    {730, 3, &kNoSim133},      {732, 103, &k123_911},    {732, 111, &k123_911},
    {732, 123, &k123_911},     {732, 1, &kDefault},      {734, 6, &kNoSim_1_171},
    {734, 1, &kNoSimDefault},  {748, 5, &kNoSim104109},  {234, 15, &kNoSimDefault},
    {440, 10, &kNoSimDefault}, {505, 1, &kNoSimDefault},
};

// Every entry of every list, plus near misses: only whole-string equality counts.
template <std::size_t N>
void AddEntries(const ListChoice (&choices)[N], List& all) {
    for (const ListChoice& row : choices) {
        for (const std::string& number : *row.list) {
            if (std::find(all.begin(), all.end(), number) == all.end()) {
                all.push_back(number);
            }
        }
    }
}

List Candidates() {
    List all = {"0112", "1120", "112 ", "*17", "9110", "128", "99", "0000"};
    AddEntries(kSimChoices, all);
    AddEntries(kNoSimChoices, all);
    return all;
}

class Ecc : public HostTest {};

}  // namespace

// A match is traced with its index, so the order of each list is checked with its entries.
TEST_F(Ecc, EveryListChoiceDecidesExactlyByItsEntries) {
    tmxhost::SetSimEccNumbers({});
    const List candidates = Candidates();
    for (bool noSim : {false, true}) {
        tmxhost::SetPhoneStatus(58, noSim ? 1 : 0);
        const ListChoice* begin = noSim ? kNoSimChoices : kSimChoices;
        std::size_t rows = noSim ? std::size(kNoSimChoices) : std::size(kSimChoices);
        for (std::size_t r = 0; r < rows; ++r) {
            const ListChoice& row = begin[r];
            tmxhost::SetNetwork(row.mcc, row.mnc);
            for (const std::string& number : candidates) {
                SCOPED_TRACE((noSim ? "no SIM" : "SIM") + std::string(" mcc ") +
                             std::to_string(row.mcc) + " mnc " + std::to_string(row.mnc) +
                             " number '" + number + "'");
                tmxhost::TakeTraces();
                auto entry = std::find(row.list->begin(), row.list->end(), number);
                bool expected = entry != row.list->end();
                ASSERT_EQ(CallIsEccNumber(number.c_str()), expected ? 1 : 0);
                if (expected) {
                    std::string index = std::to_string(entry - row.list->begin());
                    EXPECT_TRUE(tmxhost::HasTrace(
                        noSim ? "CallIsEccNumberNoSim: pszNumber (" + number +
                                    ") ppszNoSimEccNumbers[" + index + "] (" + number + ")\n"
                              : "CallIsEccNumber: pszNumber (" + number + ") ppszEccNumbers[" +
                                    index + "] (" + number + ")\n",
                        kUtil));
                }
            }
        }
    }
    ExpectReports({});
}

TEST_F(Ecc, NoSimCheckNeverAsksTheSimAndTracesItsMatch) {
    tmxhost::SetNetwork(310, 410);
    EXPECT_EQ(CallIsEccNumberNoSim("999"), 1);
    EXPECT_TRUE(tmxhost::HasTrace(
        "CallIsEccNumberNoSim: pszNumber (999) ppszNoSimEccNumbers[7] (999)\n", kUtil));
    EXPECT_TRUE(tmxhost::CallTexts({"SimGetCardType"}).empty());
    EXPECT_EQ(CallGetMcc(), 310);
    EXPECT_EQ(CallGetMnc(), 410);
    EXPECT_TRUE(tmxhost::HasTrace("GetMcc: mcc (0x136)!!\n", kUtil));
}

TEST_F(Ecc, SimRecordsFollowTheCardType) {
    tmxhost::SetNetwork(310, 410);
    // GSM: a count of 0 searches nothing; any other count compares all five fields.
    tmxhost::SetSimEccNumbers({"118", "", "", "", "5555"}, 0);
    EXPECT_EQ(CallIsEccNumber("118"), 0);
    tmxhost::SetSimEccNumbers({"118", "", "", "", "5555"}, 2);
    EXPECT_EQ(CallIsEccNumber("5555"), 1);
    EXPECT_TRUE(tmxhost::HasTrace("CallIsEccNumber: return TRUE\n", kUtil));
    // A field filled to its seventh byte, without a terminator, is read within its field.
    tmxhost::SetSimEccNumbers({"1234567", "89"}, 2);
    EXPECT_EQ(CallIsEccNumber("1234567"), 1);
    EXPECT_EQ(CallIsEccNumber("123456789"), 0);

    // USIM: only records 0 to count - 1, and only the low 8 bits of the count.
    tmxhost::SetSimCardType(1);
    tmxhost::SetSimEccNumbers({"7001", "7002", "7003"}, 2);
    EXPECT_EQ(CallIsEccNumber("7002"), 1);
    EXPECT_TRUE(
        tmxhost::HasTrace("CallIsEccNumber: pszNumber (7002) pUEccInfo[1].ecc (7002)\n", kUtil));
    EXPECT_EQ(CallIsEccNumber("7003"), 0);
    tmxhost::SetSimEccNumbers({"7001"}, 0x100 + 255);
    EXPECT_EQ(CallIsEccNumber("7001"), 1);
    EXPECT_EQ(CallIsEccNumber("7009"), 0);

    // An unknown card is traced and the country list still applies.
    tmxhost::SetSimCardType(7);
    EXPECT_EQ(CallIsEccNumber("911"), 1);
    EXPECT_TRUE(tmxhost::HasTrace("CallIsEccNumber: Invalid card type (7) \n", kUtil));
}

TEST_F(Ecc, NullAndEmptyNumbersAreRefused) {
    EXPECT_EQ(CallIsEccNumber(nullptr), 0);
    EXPECT_EQ(CallIsEccNumberNoSim(nullptr), 0);
    ExpectReports({"pszNumber != NULL", "pszNumber != NULL"});
    EXPECT_EQ(CallIsEccNumber(""), 0);
    EXPECT_EQ(CallIsEccNumberNoSim(""), 0);
    EXPECT_EQ(TraceTexts(kFail),
              (std::vector<std::string>{
                  "CCallUtil::IsEccNumber: pszNumber's length is ZERO so return FALSE\n",
                  "CallIsEccNumberNoSim: pszNumber's length is ZERO so return FALSE\n"}));
    std::string huge(10000, '1');
    EXPECT_EQ(CallIsEccNumber(huge.c_str()), 0);
}
