// Dial strings: SS and USSD strings, in-call commands, the number and its DTMF part, identity
// prefixes, dialable characters and prefix dialling.
#include <cstring>
#include <string>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Platform/TmxCore.h"
#include "support/HostTest.h"

namespace {

const unsigned kFail = 0xBA;
const char kSet[] = "CallSetting";

struct Case {
    const char* input;
    int expected;
};

class Dial : public HostTest {};
class DialPrefix : public LoadedTest {};

}  // namespace

TEST_F(Dial, SsCodeJudgesThePartBeforeThePauseAndCountryExceptions) {
    // mcc 0: no exception applies. 219/220: two-digit 92 to 96; 310: leading 00 or 08.
    const struct {
        int mcc;
        const char* input;
        int expected;
    } cases[] = {{0, "*#06#", 1},  {0, "*21*0123#", 1}, {0, "*21*0123", 0}, {0, "12", 1},
                 {0, "123", 0},    {0, "5", 1},         {0, "0123P#", 0},   {0, "12#P5", 1},
                 {0, "1p2P#", 0},  {0, "1p#", 1},       {0, "", 0},         {0, "P12", 0},
                 {0, "p#", 0},     {0, "001#", 1},      {219, "94", 0},     {220, "92", 0},
                 {220, "96", 0},   {219, "97", 1},      {219, "942", 0},    {310, "08", 0},
                 {310, "00", 0},   {310, "001#", 0},    {310, "94", 1},     {234, "08", 1},
                 {220, "001#", 1}, {311, "001#", 1}};
    for (const auto& c : cases) {
        tmxhost::SetNetwork(c.mcc, 1);
        EXPECT_EQ(CallIsSsCode(c.input), c.expected) << "mcc " << c.mcc << " '" << c.input << "'";
    }
    EXPECT_EQ(CallIsSsCode(nullptr), 0);
    ExpectReports({"pszInput != NULL"});
}

TEST_F(Dial, PredefinedSsCodesNeedATerminatorAfterTheCode) {
    for (std::string code :
         {"03", "04", "05",  "21",  "30",  "31",  "33",  "35",  "43",  "61",  "62",  "76",
          "77", "67", "002", "004", "042", "052", "330", "331", "332", "333", "351", "353"}) {
        EXPECT_EQ(CallIsPreDefinedSsCode(("*" + code + "#").c_str()), 1) << code;
        EXPECT_EQ(CallIsPreDefinedSsCode(("##" + code + "*1#").c_str()), 1) << code;
    }
    const Case cases[] = {{"**21*0123#", 1}, {"*#43#", 1}, {"#21#", 1},   {"*33*1234#", 1},
                          {"*#06#", 0},      {"*43", 0},   {"*3310#", 0}, {"*001#", 0},
                          {"*", 0},          {"", 0},      {"**", 0},     {"*2#", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(CallIsPreDefinedSsCode(c.input), c.expected) << "'" << c.input << "'";
    }
}

TEST_F(Dial, InCallCommandsAndTheirCallIndex) {
    const struct {
        const char* input;
        int state, index;
    } cases[] = {{"0", 1, -1},  {"1", 2, -1},   {"11", 3, 1},   {"13", 3, 3}, {"17", 3, 7},
                 {"10", 8, -1}, {"18", 8, -1},  {"2", 4, -1},   {"25", 5, 5}, {"27", 5, 7},
                 {"20", 8, -1}, {"3", 6, -1},   {"4", 7, -1},   {"5", 8, -1}, {"31", 8, -1},
                 {"", 8, -1},   {"123", 8, -1}, {"131", 8, -1}, {"1a", 8, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(CallGetSsStateInCalling(c.input), c.state) << "'" << c.input << "'";
        EXPECT_EQ(CallGetSsXCalling(c.input), c.index) << "'" << c.input << "'";
    }
    EXPECT_EQ(CallGetSsStateInCalling(nullptr), 0);
    EXPECT_EQ(CallGetSsXCalling(nullptr), -1);
    ExpectReports({"pszNumber != NULL", "pszNumber != NULL"});
}

TEST_F(Dial, NumberAndDtmfPartsSplitAtThePauseWithinTheirSize) {
    // An empty part means the operation found none and returned 0.
    const struct {
        const char *input, *number, *dtmf;
        int size;
    } cases[] = {{"#31#0123P45", "0123", "P45", 16},
                 {"*31#", "", "", 16},
                 {"P12", "", "P12", 16},
                 {"*31#p9", "", "p9", 16},
                 {"1470123", "1470123", "", 16},
                 {"0123p45", "0123", "p45", 16},
                 {"1p2P3", "1p2", "P3", 16},
                 {"", "", "", 16},
                 {"01P234", "01", "P2", 3},
                 {"0123456", "012", "", 4}};
    for (const auto& c : cases) {
        char number[16], dtmf[16];
        std::memset(number, 'x', sizeof(number));
        std::memset(dtmf, 'x', sizeof(dtmf));
        EXPECT_EQ(CallGetCallNumberFromTelNumber(c.input, number, c.size), *c.number ? 1 : 0);
        EXPECT_EQ(CallGetDtmfNumberFromTelNumber(c.input, dtmf, c.size), *c.dtmf ? 1 : 0);
        EXPECT_STREQ(number, c.number) << c.input;
        EXPECT_STREQ(dtmf, c.dtmf) << c.input;
        EXPECT_EQ(std::string(number + c.size, 16 - c.size), std::string(16 - c.size, 'x'));
        EXPECT_EQ(std::string(dtmf + c.size, 16 - c.size), std::string(16 - c.size, 'x'));
    }
    EXPECT_TRUE(tmxhost::HasTrace(
        "CallAcStrcpy:short of buffer..BufCount=4, strlen=7, str=0123456\n", kFail));
    for (int size : {0, -1}) {  // no room for a terminator: nothing is written
        char out[2] = {'x', 'x'};
        EXPECT_EQ(CallGetCallNumberFromTelNumber("0123", out, size), 0);
        EXPECT_EQ(CallGetDtmfNumberFromTelNumber("0P23", out, size), 0);
        EXPECT_EQ(out[0], 'x') << "size " << size;
    }
}

TEST_F(Dial, IdentityModeFollowsPrefixAndNetwork) {
    const int networks[][3] = {{234, 15, 1}, {234, 10, 1}, {234, 33, 1}, {234, 11, 0},
                               {235, 15, 0}, {15, 234, 0}, {0, 0, 0}};
    for (const auto& n : networks) {
        tmxhost::SetNetwork(n[0], n[1]);
        EXPECT_EQ(CallUtilTelNumCheckIdentityMode("14701234"), n[2]) << n[0] << "/" << n[1];
        EXPECT_EQ(CallUtilTelNumCheckIdentityMode("#31#0123"), 2);
        EXPECT_EQ(CallUtilTelNumCheckIdentityMode("*31#0"), 1);
        EXPECT_EQ(CallUtilTelNumCheckIdentityMode("1471"), 0);
        EXPECT_EQ(CallUtilTelNumCheckIdentityMode("#31"), 0);
    }
    EXPECT_EQ(CallUtilTelNumCheckIdentityMode(nullptr), 0);
    ExpectReports({"pszTelNumber != NULL"});
}

TEST_F(Dial, DialableCharactersAllowPauseButNotWait) {
    const Case cases[] = {{"+44P1", 1}, {"*#06#", 1}, {"0p1P2", 1}, {"12+", 1}, {"P12", 0},
                          {"12W3", 0},  {"w1", 0},    {"1 2", 0},   {"", 0},    {"1-2", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(CallIsPossibleDialledNumber(c.input), c.expected) << "'" << c.input << "'";
    }
    EXPECT_TRUE(tmxhost::HasTrace(
        "CCallUtil::IsPossibleDialledNumber: (2) of pszInput[iPos] is (W) \n", kFail));
    EXPECT_TRUE(
        tmxhost::HasTrace("CCallUtil::IsPossibleDialledNumber: pszInput's length is 0!!\n", kFail));
    EXPECT_EQ(CallIsPossibleDialledNumber(nullptr), 0);
    ExpectReports({"pszInput != NULL"});
}

TEST_F(DialPrefix, SelectedPrefixIsReadAtEveryCall) {
    EXPECT_EQ(CallIsPrefixDiallingOn(), 0);
    CallCommonSvcRegSetInt(kSet, "CALL_REG_KEY_PREFIX_DIALLING_ON_OFF", 5);
    EXPECT_EQ(CallIsPrefixDiallingOn(), 5);
    const char* const prefixes[] = {"1", "22", "0044", "4444", "123456789012"};
    for (int i = 0; i < 5; ++i) {
        std::string key = "CALL_REG_KEY_PREFIX_DIALLING_" + std::to_string(i + 1);
        CallCommonSvcRegSetString(kSet, key.c_str(), prefixes[i]);
    }
    // Items outside 0 to 4 give an empty prefix; a stored one is cut to its 9-character buffer.
    const struct {
        int item;
        const char* prefix;
    } cases[] = {{-1, ""},  {7, ""},     {5, ""},     {0, "1"},
                 {1, "22"}, {2, "0044"}, {3, "4444"}, {4, "123456789"}};
    for (const auto& c : cases) {
        CallCommonSvcRegSetInt(kSet, "CALL_REG_KEY_PREFIX_DIALLING_SELECTED_ITEM", c.item);
        char* pszNum = nullptr;
        ASSERT_EQ(CallGetPrefixDiallingNum(&pszNum), 1) << "item " << c.item;
        ASSERT_NE(pszNum, nullptr);
        EXPECT_STREQ(pszNum, c.prefix) << "item " << c.item;
        MemFreeTraceMultiHeap(pszNum, __FILE__, __LINE__);
    }
    tmxhost::FailCall("MemAllocTraceEx", 0);
    char sentinel = 0;
    char* pszNum = &sentinel;
    EXPECT_EQ(CallGetPrefixDiallingNum(&pszNum), 0);
    EXPECT_EQ(pszNum, &sentinel);
    EXPECT_TRUE(
        tmxhost::HasTrace("CCallUtil::GetPrefixDiallingNum : MemAlloc() is failed!!\n", kFail));
}
