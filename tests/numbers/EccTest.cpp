#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Util/CallCommonUtil.h"
#include "support/HostTest.h"

namespace {

const unsigned kUtil = 0x800E6;
const unsigned kFail = 0xBA;

struct ListChoice {
    int mcc;
    int mnc;
    const char** list;
    std::size_t count;
};

#define LIST(name) CCallUtil::name, sizeof(CCallUtil::name) / sizeof(CCallUtil::name[0])

// Every row of the choice with a SIM present, including the "other MNC" rows.
const ListChoice kSimChoices[] = {
    {234, 15, LIST(m_pszEccNumbers999)},      {272, 1, LIST(m_pszEccNumbers999)},
    {424, 2, LIST(m_pszEccNumbers999)},       {454, 0, LIST(m_pszEccNumbers999)},
    {620, 3, LIST(m_pszEccNumbers999)},       {334, 2, LIST(m_pszEccNumbers060)},
    {334, 20, LIST(m_pszEccNumbers060)},      {334, 3, LIST(m_pszEccNumbers066)},
    {425, 1, LIST(m_pszEccNumbers100)},       {425, 3, LIST(m_pszEccNumbers100)},
    {425, 2, LIST(m_pszEccNumbersDefault)},   {440, 10, LIST(m_pszEccNumbersJapan)},
    {450, 5, LIST(m_pszEccNumbersKorea)},     {505, 1, LIST(m_pszEccNumbers000)},
    {530, 5, LIST(m_pszEccNumbers000111)},    {704, 3, LIST(m_pszEccNumbers122)},
    {706, 4, LIST(m_pszEccNumbers122)},       {710, 30, LIST(m_pszEccNumbers122)},
    {710, 300, LIST(m_pszEccNumbers122)},     {704, 1, LIST(m_pszEccNumbersDefault)},
    {706, 1, LIST(m_pszEccNumbersDefault)},   {710, 21, LIST(m_pszEccNumbersDefault)},
    {714, 1, LIST(m_pszEccNumbers104)},       {714, 11, LIST(m_pszEccNumbers104)},
    {714, 2, LIST(m_pszEccNumbersDefault)},   {716, 6, LIST(m_pszEccNumbers105)},
    {716, 10, LIST(m_pszEccNumbersDefault)},  {724, 5, LIST(m_pszEccNumbers190)},
    {730, 1, LIST(m_pszEccNumbers133)},       {732, 103, LIST(m_pszEccNumbers123_911)},
    {732, 111, LIST(m_pszEccNumbers123_911)}, {732, 123, LIST(m_pszEccNumbers123_911)},
    {732, 101, LIST(m_pszEccNumbersDefault)}, {734, 6, LIST(m_pszEccNumbers_1_171)},
    {734, 4, LIST(m_pszEccNumbersDefault)},   {748, 1, LIST(m_pszEccNumbers104109)},
    {310, 410, LIST(m_pszEccNumbersDefault)}, {0, 0, LIST(m_pszEccNumbersDefault)},
};

// Every row of the choice without a SIM.
const ListChoice kNoSimChoices[] = {
    {334, 2, LIST(m_pszEccNumbersNoSim060)},      {334, 20, LIST(m_pszEccNumbersNoSim060)},
    {334, 1, LIST(m_pszEccNumbersNoSim066)},      {425, 1, LIST(m_pszEccNumbers100)},
    {425, 3, LIST(m_pszEccNumbers100)},           {425, 2, LIST(m_pszEccNumbersDefault)},
    {425, 7, LIST(m_pszEccNumbersNoSimDefault)},  {450, 8, LIST(m_pszEccNumbersKorea)},
    {460, 1, LIST(m_pszEccNumbersNoSim120122)},   {460, 0, LIST(m_pszEccNumbersNoSimDefault)},
    {530, 1, LIST(m_pszEccNumbersNoSim111)},      {704, 3, LIST(m_pszEccNumbersNoSim122)},
    {706, 4, LIST(m_pszEccNumbersNoSim122)},      {710, 30, LIST(m_pszEccNumbersNoSim122)},
    {710, 300, LIST(m_pszEccNumbersNoSim122)},    {704, 1, LIST(m_pszEccNumbersNoSimDefault)},
    {706, 2, LIST(m_pszEccNumbersNoSimDefault)},  {710, 3, LIST(m_pszEccNumbersNoSimDefault)},
    {714, 1, LIST(m_pszEccNumbersNoSim104)},      {714, 11, LIST(m_pszEccNumbersNoSim104)},
    {714, 4, LIST(m_pszEccNumbersNoSimDefault)},  {716, 6, LIST(m_pszEccNumbersNoSim105)},
    {716, 1, LIST(m_pszEccNumbersNoSimDefault)},  {724, 2, LIST(m_pszEccNumbersNoSim190)},
    {730, 3, LIST(m_pszEccNumbersNoSim133)},      {732, 103, LIST(m_pszEccNumbers123_911)},
    {732, 111, LIST(m_pszEccNumbers123_911)},     {732, 123, LIST(m_pszEccNumbers123_911)},
    {732, 1, LIST(m_pszEccNumbersDefault)},       {734, 6, LIST(m_pszEccNumbersNoSim_1_171)},
    {734, 1, LIST(m_pszEccNumbersNoSimDefault)},  {748, 5, LIST(m_pszEccNumbersNoSim104109)},
    {234, 15, LIST(m_pszEccNumbersNoSimDefault)}, {440, 10, LIST(m_pszEccNumbersNoSimDefault)},
    {505, 1, LIST(m_pszEccNumbersNoSimDefault)},
};

// Candidates covering every entry of every list, plus near misses.
const char* const kCandidates[] = {"112", "911",  "999",  "000",  "111", "100", "190", "060",
                                   "066", "104",  "109",  "123",  "133", "105", "*1",  "*171",
                                   "122", "110",  "118",  "119",  "113", "125", "127", "08",
                                   "120", "0112", "1120", "112 ", "*17", "9110"};

bool InList(const char* number, const char** list, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (std::string(list[i]) == number) {
            return true;
        }
    }
    return false;
}

class Ecc : public HostTest {};

}  // namespace

TEST_F(Ecc, EveryListChoiceDecidesExactlyByItsEntries) {
    tmxhost::SetSimEccNumbers({});
    for (bool noSim : {false, true}) {
        tmxhost::SetPhoneStatus(58, noSim ? 1 : 0);
        const ListChoice* begin = noSim ? kNoSimChoices : kSimChoices;
        std::size_t rows = noSim ? std::size(kNoSimChoices) : std::size(kSimChoices);
        for (std::size_t r = 0; r < rows; ++r) {
            const ListChoice& row = begin[r];
            tmxhost::SetNetwork(row.mcc, row.mnc);
            for (const char* number : kCandidates) {
                EXPECT_EQ(CallIsEccNumber(number), InList(number, row.list, row.count) ? 1 : 0)
                    << (noSim ? "no SIM" : "SIM") << " mcc " << row.mcc << " mnc " << row.mnc
                    << " number '" << number << "'";
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
