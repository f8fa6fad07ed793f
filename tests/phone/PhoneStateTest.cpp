// Phone-state queries: key classes, alert types and the ring-step table, SIM services and call
// control, backlight, the missed-call counter and the pass-through queries.
#include <algorithm>
#include <climits>
#include <cstring>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Util/CallCommonUtil.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

class PhoneStateTest : public HostTest {};

TEST_F(PhoneStateTest, KeyClassesAcrossTheWholeCodeRange) {
    tmxhost::SetTouchCoverKey(0x36, true);
    const struct {
        int code;
        int touch, pad, keyClass, unlock;
    } kCases[] = {
        {0x08, 1, 0, 0, 0},    {0xBF, 1, 0, 0, 0},    {0xC4, 1, 0, 0, 0}, {0xC5, 0, 0, 0, 0},
        {0x451, 1, 0, 0, 1},   {0x10451, 0, 0, 0, 0}, {'5', 0, 1, 2, 0},  {'*', 0, 1, 2, 0},
        {'#', 0, 1, 2, 0},     {0x41, 0, 0, 0, 0},    {'6', 0, 1, 1, 0},  {0x10035, 0, 0, 2, 0},
        {INT_MIN, 0, 0, 0, 0}, {INT_MAX, 0, 0, 0, 0}, {-1, 0, 0, 0, 0},   {0x7FFF0036, 0, 0, 1, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(CallIsTouchKey(c.code), c.touch);
        EXPECT_EQ(CallIs3x4Key(c.code), c.pad);
        EXPECT_EQ(CallGetKeyClass(c.code), c.keyClass);
        EXPECT_EQ(CallIsUnlockKey(c.code), c.unlock);
    }
    // The platform is asked about the low 16 bits only.
    EXPECT_TRUE(tmxhost::HasTrace("CallGetKeyClass: nKeyCode (0x7fff0036) iKeyClass (1)!!\n"));
    EXPECT_EQ(tmxhost::CallTexts({"KeyIsTouchCoverKey"}).back(), "KeyIsTouchCoverKey(54)");
    EXPECT_TRUE(tmxhost::HasTrace("CallIsTouchKey: nKeyCode (0xc4) bTouchKey (1)!!\n", 0x800E6));
    EXPECT_TRUE(tmxhost::HasTrace("CallIsUnlockKey : bResult = 1, nKeyCode = 451 \n"));
}

TEST_F(PhoneStateTest, AlertTypesInsideAndOutsideTheirRange) {
    // Types -1 to 9: vibration, melody, increasing, normal.
    const char kVib[] = "01000011000";
    const char kMelody[] = "00110111000";
    for (int type = -1; type <= 9; ++type) {
        SCOPED_TRACE(type);
        tmxhost::SetNvInt(17, type);
        EXPECT_EQ(CallIsVibAlertType(), kVib[type + 1] - '0');
        EXPECT_EQ(CallIsMelodyAlertType(), kMelody[type + 1] - '0');
        EXPECT_EQ(CCallUtil::IsIncreasingMelody(), type == 2 || type == 6);
        EXPECT_EQ(CCallUtil::IsNormalMelody(), type == 1 || type == 5);
    }
    // Acoustic shock: types 4 and 7, and a normal melody with the flip open.
    for (bool flip : {false, true}) {
        tmxhost::SetFlipOpened(flip);
        for (int type = -1; type <= 9; ++type) {
            tmxhost::SetNvInt(17, type);
            bool normal = type == 1 || type == 5;
            EXPECT_EQ(CCallUtil::IsAcousticShockLevelAlertType(),
                      type == 4 || type == 7 || (normal && flip))
                << type << " flip " << flip;
        }
    }
}

// A ring-tone record inside a larger buffer, to catch writes outside the record.
struct RingBuffer {
    unsigned char bytes[320];
    RingBuffer() { std::memset(bytes, 0xAB, sizeof(bytes)); }
    int32_t Word(int offset) const {
        int32_t word;
        std::memcpy(&word, bytes + offset, sizeof(word));
        return word;
    }
    // Steps as "duration/flag/level", up to the last non-zero slot.
    std::vector<std::string> Steps() const {
        std::vector<std::string> steps;
        for (int i = 0; i < 10; ++i) {
            int base = 48 + 20 * i;
            if (Word(base) == 0 && Word(base + 4) == 0 && Word(base + 8) == 0) {
                continue;
            }
            steps.push_back(std::to_string(Word(base)) + "/" + std::to_string(Word(base + 4)) +
                            "/" + std::to_string(Word(base + 8)));
        }
        return steps;
    }
    // The bytes the record leaves to its owner, and everything after it.
    bool OthersUntouched() const {
        for (int i = 0; i < 320; ++i) {
            bool written = (i >= 16 && i < 24) || (i >= 44 && i < 248);
            if (!written && bytes[i] != 0xAB) {
                return false;
            }
        }
        return true;
    }
};

// An increasing table of n steps.
std::vector<std::string> Rising(int n) {
    std::vector<std::string> steps;
    for (int i = 0; i < n; ++i) {
        steps.push_back("3000/1/" + std::to_string(16 * i));
    }
    return steps;
}

TEST_F(PhoneStateTest, RingToneStepTables) {
    const struct {
        int alertType;
        bool escalating;
        bool flip;
        int volume;
        std::vector<std::string> steps;
    } kCases[] = {
        {2,
         false,
         false,
         100,
         {"3000/1/0", "3000/1/16", "3000/1/32", "3000/1/48", "3000/1/64", "3000/1/80",
          "3000/1/96"}},
        {6, false, false, 15, {"3000/1/0"}},
        {2, false, false, 64, Rising(5)},
        {2, false, false, 79, Rising(5)},
        {6, false, false, 111, Rising(7)},
        // A ring volume below silence is taken as silence.
        {2, false, false, -20, Rising(1)},
        {0, false, false, -5, {"2000/0/0"}},
        {4,
         true,
         false,
         71,
         {"2000/0/7", "250/0/15", "250/0/23", "250/0/31", "250/0/39", "250/0/47", "250/0/55",
          "2000/0/71"}},
        {7,
         true,
         false,
         255,
         {"2000/0/7", "250/0/38", "250/0/69", "250/0/100", "250/0/131", "250/0/162", "250/0/193",
          "2000/0/255"}},
        {4, false, false, 50, {"2000/0/7", "2000/0/50"}},
        {1, false, true, 30, {"2000/0/7", "2000/0/30"}},
        {1, false, false, 30, {"2000/0/30"}},
        {0, true, false, 9, {"2000/0/9"}},
        {9, true, false, 200, {"2000/0/200"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.alertType);
        tmxhost::SetNvInt(17, c.alertType);
        tmxhost::SetNvInt(18, c.volume);
        tmxhost::SetFeature("TMX_CSC_FEATURE_ESCALATING", c.escalating);
        tmxhost::SetFlipOpened(c.flip);
        RingBuffer record;
        EXPECT_EQ(CallSetRingToneStep(record.bytes), 1);
        EXPECT_EQ(record.Word(16), 17);
        EXPECT_EQ(record.Word(20), 3);
        EXPECT_EQ(record.Word(44), static_cast<int>(c.steps.size()));
        EXPECT_THAT(record.Steps(), ElementsAreArray(c.steps));
        // Unused slots are zero, the owner's bytes and whatever follows untouched.
        for (int offset = 48 + 20 * static_cast<int>(c.steps.size()); offset < 248; offset += 4) {
            EXPECT_EQ(record.Word(offset), 0) << offset;
        }
        EXPECT_TRUE(record.OthersUntouched());
    }
    EXPECT_TRUE(tmxhost::HasTrace("CallSetRingToneStep: NV_SI_MODE_CALL_ALERT_TYPE (4)\n"));
}

TEST_F(PhoneStateTest, RingToneStepRefusesTooManyStepsAndNoRecord) {
    tmxhost::SetNvInt(17, 2);
    for (int volume : {112, 255}) {
        tmxhost::SetNvInt(18, volume);
        RingBuffer record;
        EXPECT_EQ(CallSetRingToneStep(record.bytes), 0);
        EXPECT_TRUE(std::all_of(std::begin(record.bytes), std::end(record.bytes),
                                [](unsigned char b) { return b == 0xAB; }));
    }
    EXPECT_EQ(CallSetRingToneStep(nullptr), 0);
    ExpectReports(
        {"nStepMax <= STEP_COUNT_MAX", "nStepMax <= STEP_COUNT_MAX", "pInputInfo != NULL"});

    // Every alert type with every ring volume stays inside the record.
    tmxhost::SetFeature("TMX_CSC_FEATURE_ESCALATING", true);
    for (int type = -1; type <= 9; ++type) {
        tmxhost::SetNvInt(17, type);
        for (int volume = 0; volume <= 255; ++volume) {
            tmxhost::SetNvInt(18, volume);
            RingBuffer record;
            CallSetRingToneStep(record.bytes);
            ASSERT_TRUE(record.OthersUntouched()) << type << " " << volume;
        }
    }
    tmxhost::TakeReports();
}

TEST_F(PhoneStateTest, AcmFollowsTheCardsServiceTable) {
    tmxhost::SetSstWord(40, 1);
    tmxhost::SetUstWord(140, 1);  // call control, not ACM
    const struct {
        int cardType;
        int result;
        const char* trace;
    } kCases[] = {{0, 1, "CallIsAcmValid: SIM_CARD_TYPE_GSM!!\n"},
                  {1, 0, "CallIsAcmValid: SIM_CARD_TYPE_USIM!!\n"},
                  {5, 0, "CallIsAcmValid: SimGetCardType unknown sim type!!\n"}};
    for (const auto& c : kCases) {
        tmxhost::SetSimCardType(c.cardType);
        tmxhost::TakeTraces();
        EXPECT_EQ(CallIsAcmValid(), c.result);
        EXPECT_THAT(TraceTexts(), ElementsAre(c.trace, "CallIsAcmValid: bIsAcmValid (" +
                                                           std::to_string(c.result) + ")!!\n"));
    }
    tmxhost::SetUstWord(72, 0x80);
    tmxhost::SetSimCardType(1);
    EXPECT_EQ(CallIsAcmValid(), 1);
    tmxhost::FailCall("SimGetUstInfo", 0);
    EXPECT_EQ(CallIsAcmValid(), 0);
    tmxhost::SetSimCardType(0);
    tmxhost::FailCall("SimGetSstInfo", 0);
    EXPECT_EQ(CallIsAcmValid(), 0);
    ExpectReports({"pUstInfo != NULL", "pSstInfo != NULL"});
}

TEST_F(PhoneStateTest, CallControlNeedsTheServiceWordAndTheToolkit) {
    tmxhost::SetSimCallControlCapability(1, 1);
    tmxhost::SetSimCallControlCapability(2, 1);
    EXPECT_EQ(CallCheckCallControl(), 0);  // service word 0
    EXPECT_EQ(CallCheckSimCallControl(nullptr), 0);
    EXPECT_EQ(CallCheckSimCallControl("*#21#"), 0);
    tmxhost::SetSstWord(132, 2);  // only 1 enables
    EXPECT_EQ(CallCheckCallControl(), 0);
    tmxhost::SetSstWord(132, 1);
    EXPECT_EQ(CallCheckCallControl(), 1);
    EXPECT_TRUE(tmxhost::HasTrace(" CCallUtil::CheckCallControl : Call control is enabled. \n"));
    // SS strings ask kind 2, everything else kind 4.
    EXPECT_EQ(CallCheckSimCallControl("*#21#"), 1);
    EXPECT_EQ(CallCheckSimCallControl("*100#"), 0);
    EXPECT_EQ(CallCheckSimCallControl(nullptr), 0);
    ExpectReports({"pszText != NULL"});
    EXPECT_THAT(
        tmxhost::CallTexts({"SimAtkCheckCallControlCapability"}),
        ElementsAre("SimAtkCheckCallControlCapability(1)", "SimAtkCheckCallControlCapability(2)",
                    "SimAtkCheckCallControlCapability(4)"));

    tmxhost::SetSimCardType(1);
    tmxhost::SetUstWord(140, 1);
    EXPECT_EQ(CallCheckCallControl(), 1);
    tmxhost::SetSimCardType(7);
    EXPECT_EQ(CallCheckCallControl(), 0);
    EXPECT_EQ(CallCheckSimCallControl("*#21#"), 0);
    EXPECT_TRUE(
        tmxhost::HasTrace("CCallUtil::CheckSimCallControl:Not supported SIM type!\n", 0xBA));

    // A remote SIM over Bluetooth stops the call check before the SIM is asked.
    tmxhost::SetSimCardType(0);
    tmxhost::SetPhoneStatus(15, 1);
    tmxhost::ClearCalls();
    EXPECT_EQ(CallCheckCallControl(), 0);
    EXPECT_THAT(tmxhost::CallTexts(), ElementsAre("PhsGetStatus(15)"));
}

TEST_F(PhoneStateTest, BacklightTimesByStateAndRefusals) {
    const struct {
        int state;
        const char* call;
    } kCases[] = {
        {1, "AmLcdSetBacklight(0, 0, -1, 0)"},       {3, "AmLcdSetBacklight(0, 0, -1, 0)"},
        {4, "AmLcdSetBacklight(0, 0, 5000, 10000)"}, {5, "AmLcdSetBacklight(0, 0, 0, 10000)"},
        {6, "AmLcdSetBacklight(0, 0, 5000, 10000)"}, {7, "AmLcdSetBacklight(0, 0, 5000, 5000)"},
        {8, "AmLcdSetBacklight(0, 0, 5000, 0)"}};
    for (const auto& c : kCases) {
        tmxhost::ClearCalls();
        EXPECT_EQ(CallSetBackLight(0, c.state), 1);
        EXPECT_THAT(tmxhost::CallTexts({"AmLcdSetBacklight"}), ElementsAre(c.call));
    }
    tmxhost::ClearCalls();
    for (int state : {0, 9, -1}) {
        EXPECT_EQ(CallSetBackLight(0, state), 0);
    }
    const std::vector<tmxhost::Report> reports = tmxhost::TakeReports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[1].kind, 4);
    EXPECT_EQ(reports[1].expression, "NEVER_GET_HERE");
    EXPECT_EQ(reports[1].detail, "CallSetBackLight: iState (9)");
    // The main display is left alone while the flip is open; the other display is not.
    tmxhost::SetFlipOpened(true);
    EXPECT_EQ(CallSetBackLight(1, 4), 0);
    EXPECT_THAT(tmxhost::CallTexts({"AmLcdSetBacklight"}), IsEmpty());
    EXPECT_EQ(CallSetBackLight(2, 8), 1);
    EXPECT_TRUE(tmxhost::HasTrace("CallSetBackLight: isOpended(1) iLcdType (1)\n"));
}

TEST_F(PhoneStateTest, MissedCallCounterRefusesNegativeCounts) {
    EXPECT_EQ(CallSetMissedCount(4), 1);
    EXPECT_EQ(CallIncreaseMissedCount(), 5);
    EXPECT_EQ(CallSetMissedCount(-1), 0);
    EXPECT_EQ(CallSetMissedCount(INT_MIN), 0);
    EXPECT_EQ(CallGetMissedCount(), 5);
    EXPECT_EQ(CCallUtil::m_nMissedCount, 5);
    ExpectReports({"nCount >= 0", "nCount >= 0"});
    // The counter stops at the largest count.
    EXPECT_EQ(CallSetMissedCount(INT_MAX), 1);
    EXPECT_EQ(CallIncreaseMissedCount(), INT_MAX);
    EXPECT_EQ(CallGetMissedCount(), INT_MAX);
    EXPECT_EQ(CallSetMissedCount(0), 1);
}

TEST_F(PhoneStateTest, PassThroughQueriesAskThePlatformInOrder) {
    tmxhost::SetNotifyState(0, 4, 2);
    EXPECT_EQ(CCallUtil::IncomingCallPopupExist(), 1);
    EXPECT_EQ(CallIsPossibleKeypadLock(), 1);
    EXPECT_EQ(CallStartGSensor(3, 9), 1);
    EXPECT_EQ(tmxhost::GSensor().motionApps, std::vector<int>{9});
    EXPECT_EQ(CallStopGSensor(3, 9), 1);
    EXPECT_EQ(CallInterrogateForwardState(), 1);
    EXPECT_THAT(tmxhost::CallTexts(),
                ElementsAre("AmGetNotifyStateByScreen(0, 4)", "AmGetNotifyStateByScreen(0, 4)",
                            "DevGSensorRegisterEventHandler(3)", "DevGSensorStartMotion(9)",
                            "DevGSensorStopMotion(9)", "DevGSensorUnregisterEventHandler(3)",
                            "TapiCallForwardQueryStatusReq(33, 1, 0)"));
    EXPECT_THAT(tmxhost::GSensor().handlers, IsEmpty());

    // Any-key answer: item 1453, else item 15 = 2 with item 1366 = 1.
    EXPECT_EQ(CallIsAnykeyAnswerMode(), 0);
    tmxhost::SetNvInt(15, 2);
    EXPECT_EQ(CallIsAnykeyAnswerMode(), 0);
    tmxhost::SetNvInt(1366, 1);
    EXPECT_EQ(CallIsAnykeyAnswerMode(), 1);
    tmxhost::SetNvInt(15, 0);
    tmxhost::SetNvInt(1453, 1);
    EXPECT_EQ(CallIsAnykeyAnswerMode(), 1);

    EXPECT_EQ(CallIsBgmRunning(), 0);
    tmxhost::SetSoundState(21, 4, 2);  // music, not playing
    EXPECT_EQ(CallIsBgmRunning(), 0);
    tmxhost::SetSoundState(21, 4, 3);
    EXPECT_EQ(CallIsBgmRunning(), 1);
    tmxhost::SetSoundState(21, 4, 0);
    tmxhost::SetSoundState(23, 5, 3);
    EXPECT_EQ(CallIsBgmRunning(), 1);
    EXPECT_TRUE(tmxhost::HasTrace("CallIsBgmRunning: iRadioType (5) iRadioState (3)\n"));
    EXPECT_EQ(CallIsInternalUmsAccessible(), 1);
    tmxhost::SetPhoneStatus(49, 1);
    tmxhost::SetPhoneStatus(47, 6);
    EXPECT_EQ(CallIsInternalUmsAccessible(), 0);
    EXPECT_EQ(CallIsMtpWorking(), 6);
    tmxhost::SetLcdHorizontal(true);
    EXPECT_EQ(CallIsSlideUp() + CallIsLcdHorizontal(), 2);
    tmxhost::Advance(1234);
    EXPECT_EQ(CallGetElapsedTime(), 1234u);
}

int g_nTicks = 0;
void OnTimer(int, unsigned long param) {
    g_nTicks += static_cast<int>(param);
}

TEST_F(PhoneStateTest, TimerWrappersDriveOnePlatformTimer) {
    char name[] = "CallMissed";
    const int id = CallCreateTimer(name);
    ASSERT_GT(id, 0);
    g_nTicks = 0;
    EXPECT_EQ(CallStartTimer(id, 100, OnTimer, 3), 1);
    EXPECT_EQ(CallIsTimerActive(id), 1);
    tmxhost::Advance(100);
    EXPECT_EQ(g_nTicks, 3);
    EXPECT_EQ(CallStartTimer(id, 100, OnTimer, 3), 1);
    EXPECT_EQ(CallCancelTimer(id), 1);
    EXPECT_EQ(CallIsTimerActive(id), 0);
    EXPECT_EQ(CallDeleteTimer(id), 1);
    EXPECT_EQ(tmxhost::CallTexts({"__WmCreateTimer"}),
              std::vector<std::string>{"__WmCreateTimer(\"CallMissed\")"});
}

}  // namespace
