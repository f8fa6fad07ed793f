// Phone-state queries: key classes, alert types and the ring-step table, SIM services and call
// control, backlight, the missed-call counter and the pass-through queries.
#include <algorithm>
#include <array>
#include <climits>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Util/CallCommonUtil.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::IsSupersetOf;

namespace {

class PhoneStateTest : public HostTest {};

TEST_F(PhoneStateTest, KeyClassesAcrossTheWholeCodeRange) {
    tmxhost::SetTouchCoverKey(0x36, true);
    const struct {
        int code;
        int touch, pad, keyClass, unlock;
    } kCases[] = {
        {0x08, 1, 0, 0, 0},       {0x4CB, 1, 0, 0, 0},   {0xC4, 1, 0, 0, 0},    {0xC5, 0, 0, 0, 0},
        {0x451, 1, 0, 0, 1},      {0x10451, 0, 0, 0, 0}, {'*', 0, 1, 2, 0},     {'#', 0, 1, 2, 0},
        {'6', 0, 1, 1, 0},        {0x10035, 0, 0, 2, 0}, {INT_MIN, 0, 0, 0, 0}, {-1, 0, 0, 0, 0},
        {0x7FFF0036, 0, 0, 1, 0},
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
    // Types -1 to 9; acoustic shock is types 4 and 7, and a normal melody with the flip open.
    const char kVib[] = "01000011000";
    const char kMelody[] = "00110111000";
    for (bool flip : {false, true}) {
        tmxhost::SetFlipOpened(flip);
        for (int type = -1; type <= 9; ++type) {
            SCOPED_TRACE(std::to_string(type) + (flip ? " flip open" : ""));
            tmxhost::SetNvInt(17, type);
            const bool normal = type == 1 || type == 5;
            EXPECT_EQ(CallIsVibAlertType(), kVib[type + 1] - '0');
            EXPECT_EQ(CallIsMelodyAlertType(), kMelody[type + 1] - '0');
            EXPECT_EQ(CCallUtil::IsIncreasingMelody(), type == 2 || type == 6);
            EXPECT_EQ(CCallUtil::IsNormalMelody(), normal);
            EXPECT_EQ(CCallUtil::IsAcousticShockLevelAlertType(),
                      type == 4 || type == 7 || (normal && flip));
        }
    }
    EXPECT_TRUE(tmxhost::HasTrace("IsIncreasingMelody: alertType = 2", 0x800E6));
}

// A ring-tone record (62 words) inside a larger buffer, to catch writes outside the record.
using Words = std::array<int32_t, 80>;
using Step = std::array<int32_t, 3>;  // duration, flag, level

Words Untouched() {
    Words words;
    words.fill(static_cast<int32_t>(0xABABABABu));
    return words;
}

// Path 17 at byte 16, mode 3 at byte 20, the step count at byte 44 and from byte 48 the steps
// in five-word slots, the unused ones zero; the owner's bytes and what follows untouched.
Words Record(const std::vector<Step>& steps) {
    Words words = Untouched();
    words[4] = 17;
    words[5] = 3;
    words[11] = static_cast<int32_t>(steps.size());
    std::fill(words.begin() + 12, words.begin() + 62, 0);
    for (size_t i = 0; i < steps.size(); ++i) {
        std::copy(steps[i].begin(), steps[i].end(), words.begin() + 12 + 5 * i);
    }
    return words;
}

std::vector<Step> Rising(int n) {
    std::vector<Step> steps;
    for (int i = 0; i < n; ++i) {
        steps.push_back({3000, 1, 16 * i});
    }
    return steps;
}

// A long quiet step, six short ones and a long one at these levels.
std::vector<Step> Escalating(const std::vector<int>& levels) {
    std::vector<Step> steps;
    for (size_t i = 0; i < levels.size(); ++i) {
        steps.push_back({i == 0 || i == 7 ? 2000 : 250, 0, levels[i]});
    }
    return steps;
}

TEST_F(PhoneStateTest, RingToneStepTables) {
    const struct {
        int alertType, volume;
        bool escalating, flip;
        std::vector<Step> steps;
    } kCases[] = {
        {6, 15, false, false, Rising(1)},
        {2, 64, false, false, Rising(5)},
        {6, 111, false, false, Rising(7)},
        // A ring volume below silence is taken as silence.
        {2, -20, false, false, Rising(1)},
        {0, -5, false, false, {{2000, 0, 0}}},
        {4, 71, true, false, Escalating({7, 15, 23, 31, 39, 47, 55, 71})},
        // The climb is in eighths of the range, rounded down.
        {7, 50, true, false, Escalating({7, 12, 17, 22, 27, 32, 37, 50})},
        {4, 50, false, false, {{2000, 0, 7}, {2000, 0, 50}}},
        {1, 30, false, true, {{2000, 0, 7}, {2000, 0, 30}}},
        {9, 200, true, false, {{2000, 0, 200}}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::to_string(c.alertType) + " " + std::to_string(c.volume));
        tmxhost::SetNvInt(17, c.alertType);
        tmxhost::SetNvInt(18, c.volume);
        tmxhost::SetFeature("TMX_CSC_FEATURE_ESCALATING", c.escalating);
        tmxhost::SetFlipOpened(c.flip);
        Words words = Untouched();
        EXPECT_EQ(CallSetRingToneStep(words.data()), 1);
        EXPECT_EQ(words, Record(c.steps));
    }
    EXPECT_TRUE(tmxhost::HasTrace("CallSetRingToneStep: NV_SI_MODE_CALL_ALERT_TYPE (4)\n"));
}

TEST_F(PhoneStateTest, RingToneStepRefusesTooManyStepsAndNoRecord) {
    // Every alert type with every ring volume writes only the path, mode, count and steps; an
    // increasing melody from volume 112 would need eight steps and leaves the record untouched.
    tmxhost::SetFeature("TMX_CSC_FEATURE_ESCALATING", true);
    const int32_t kFill = Untouched()[0];
    for (int type = -1; type <= 9; ++type) {
        tmxhost::SetNvInt(17, type);
        for (int volume = 0; volume <= 255; ++volume) {
            tmxhost::SetNvInt(18, volume);
            const bool refused = (type == 2 || type == 6) && volume >= 112;
            Words words = Untouched();
            ASSERT_EQ(CallSetRingToneStep(words.data()), refused ? 0 : 1) << type << " " << volume;
            if (!refused) {
                std::fill(words.begin() + 4, words.begin() + 6, kFill);
                std::fill(words.begin() + 11, words.begin() + 62, kFill);
            }
            ASSERT_EQ(words, Untouched()) << type << " " << volume;
        }
    }
    EXPECT_EQ(CallSetRingToneStep(nullptr), 0);
    std::vector<std::string> reports(2 * 144, "nStepMax <= STEP_COUNT_MAX");
    reports.push_back("pInputInfo != NULL");
    ExpectReports(reports);
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
    EXPECT_EQ(CallCheckSimCallControl("*#21#"), 0);
    tmxhost::SetSstWord(132, 2);  // only 1 enables
    EXPECT_EQ(CallCheckCallControl(), 0);
    tmxhost::SetSstWord(132, 1);
    EXPECT_EQ(CallCheckCallControl(), 1);
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
    EXPECT_EQ(CallCheckSimCallControl("*#21#"), 1);
    EXPECT_THAT(TraceTexts(0x800E6),
                IsSupersetOf({" CCallUtil::CheckCallControl : Check Call control cardtype=0\n",
                              " CCallUtil::CheckCallControl : Call control is enabled. \n",
                              " CCallUtil::CheckCallControl: Call control is enabled. \n",
                              " CCallUtil::CheckSimCallControl : Check Call control cardtype=1\n",
                              " CCallUtil::CheckSimCallControl : Call control is enabled. \n",
                              " CCallUtil::CheckSimCallControl: Call control is enabled. \n"}));
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
    EXPECT_TRUE(
        tmxhost::HasTrace("CCallUtil::CheckCallControl : PhsGetStatus(PS_BTREMOTESIM) == "
                          "PSV_BT_REMOTE_SIM_CONNECTED\n",
                          0xBA));
}

TEST_F(PhoneStateTest, BacklightTimesByStateAndRefusals) {
    // State, on time, dim time.
    const int kCases[][3] = {{1, -1, 0},       {3, -1, 0},      {4, 5000, 10000}, {5, 0, 10000},
                             {6, 5000, 10000}, {7, 5000, 5000}, {8, 5000, 0}};
    for (const auto& c : kCases) {
        tmxhost::ClearCalls();
        EXPECT_EQ(CallSetBackLight(0, c[0]), 1);
        EXPECT_THAT(tmxhost::CallTexts({"AmLcdSetBacklight"}),
                    ElementsAre("AmLcdSetBacklight(0, 0, " + std::to_string(c[1]) + ", " +
                                std::to_string(c[2]) + ")"));
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
    EXPECT_TRUE(tmxhost::HasTrace("CallSetBackLight: uOnTime (5000) uDimTime (10000)\n", 0x800E6));
}

TEST_F(PhoneStateTest, MissedCallCounterRefusesNegativeCountsAndStopsAtTheLargest) {
    EXPECT_EQ(CallSetMissedCount(4), 1);
    EXPECT_EQ(CallIncreaseMissedCount(), 5);
    EXPECT_EQ(CallSetMissedCount(-1), 0);
    EXPECT_EQ(CallSetMissedCount(INT_MIN), 0);
    EXPECT_EQ(CallGetMissedCount(), 5);
    ExpectReports({"nCount >= 0", "nCount >= 0"});
    EXPECT_EQ(CallSetMissedCount(INT_MAX), 1);
    EXPECT_EQ(CallIncreaseMissedCount(), INT_MAX);
    EXPECT_EQ(CallGetMissedCount(), INT_MAX);
    EXPECT_EQ(CallSetMissedCount(0), 1);
}

int g_nTicks = 0;
void OnTimer(int, unsigned long param) {
    g_nTicks += static_cast<int>(param);
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

    // Music or radio actively playing.
    EXPECT_EQ(CallIsBgmRunning(), 0);
    tmxhost::SetSoundState(21, 4, 2);
    EXPECT_EQ(CallIsBgmRunning(), 0);
    tmxhost::SetSoundState(21, 4, 3);
    EXPECT_EQ(CallIsBgmRunning(), 1);
    tmxhost::SetSoundState(21, 4, 0);
    tmxhost::SetSoundState(23, 5, 3);
    EXPECT_EQ(CallIsBgmRunning(), 1);
    EXPECT_EQ(CallIsInternalUmsAccessible(), 1);
    tmxhost::SetPhoneStatus(49, 1);
    tmxhost::SetPhoneStatus(47, 6);
    EXPECT_EQ(CallIsInternalUmsAccessible(), 0);
    EXPECT_EQ(CallIsMtpWorking(), 6);
    EXPECT_THAT(TraceTexts(0x800E6),
                IsSupersetOf({"StartGSensor : hHandler = 3, appID = 9\n",
                              "StopGSensor : hHandler = 3, appID = 9\n",
                              "CallIsBgmRunning: iMpType (4) iMpState (3)\n",
                              "CallIsBgmRunning: iRadioType (5) iRadioState (3)\n",
                              "IsInternalUmsAccessible: PS_UMS (1)\n",
                              "IsMtpWorking:NvGetInt(NV_SI_MTP_WORKING)=6\n"}));
    tmxhost::SetLcdHorizontal(true);
    EXPECT_EQ(CallIsSlideUp() + CallIsLcdHorizontal(), 2);

    // The timer wrappers drive one platform timer.
    char name[] = "CallMissed";
    const int id = CallCreateTimer(name);
    g_nTicks = 0;
    EXPECT_EQ(CallStartTimer(id, 100, OnTimer, 3) + CallIsTimerActive(id), 2);
    tmxhost::Advance(100);
    EXPECT_EQ(g_nTicks, 3);
    EXPECT_EQ(CallGetElapsedTime(), 100u);
    EXPECT_EQ(CallStartTimer(id, 100, OnTimer, 3) + CallCancelTimer(id), 2);
    EXPECT_EQ(CallIsTimerActive(id), 0);
    EXPECT_EQ(CallDeleteTimer(id), 1);
    EXPECT_THAT(tmxhost::CallTexts({"__WmCreateTimer"}),
                ElementsAre("__WmCreateTimer(\"CallMissed\")"));
}

}  // namespace
