// The exact trace lines, with their channels, that people and log tools search for: device
// signalling, the audio path and the phone-state queries.
#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Util/CallCommonUtil.h"
#include "ExampleCallApp.h"
#include "support/HostTest.h"

using ::testing::Contains;

namespace {

class TraceTextTest : public LoadedTest {};

TEST_F(TraceTextTest, LinesKeepTheirTextAndChannel) {
    // Device signalling: each start and each stop twice.
    CallLedBlink();
    CallLedBlink();
    CallLedClear();
    CallLedClear();
    CallVibStart(nullptr);
    CallVibStart(nullptr);
    CallIsVibStop();
    CallVibStop();
    CallVibStop();
    CallIsVibStop();
    // Call control on a GSM SIM and a USIM, then with a remote SIM connected.
    tmxhost::SetSstWord(132, 1);
    tmxhost::SetUstWord(140, 1);
    for (int cardType : {0, 1}) {
        tmxhost::SetSimCardType(cardType);
        CallCheckCallControl();
        CallCheckSimCallControl("*#21#");
    }
    tmxhost::SetPhoneStatus(15, 1);
    CallCheckCallControl();
    // The other phone-state queries.
    tmxhost::SetNvInt(17, 2);
    CCallUtil::IsIncreasingMelody();
    tmxhost::SetSoundState(21, 4, 3);
    CallIsBgmRunning();
    CallSetBackLight(0, 4);
    tmxhost::SetPhoneStatus(49, 1);
    tmxhost::SetPhoneStatus(47, 1);
    CallIsInternalUmsAccessible();
    CallIsMtpWorking();
    CallStartGSensor(3, 9);
    CallStopGSensor(3, 9);
    // Audio path: a virtual path, a path opened and closed, a busy priority refused to a real
    // caller and taken by a fake one.
    {
        example::AudioCall call;
        call.SetPath(0x11, 0);
        call.GetPath();
        call.OpenVirtualPath();
        call.CloseVirtualPath();
        call.OpenPath(2);
        call.ClosePath(2);
        tmxhost::SetSoundState(4, 0, 3);
        call.SetCaller(3);
        call.OpenPath(4);
        call.SetCaller(-2);
        call.OpenPath(4);
        call.ClosePath(4);
    }

    const struct {
        unsigned channel;
        const char* text;
    } kLines[] = {
        {0xE6, "CallLedBlink:LED Blik Sucessed! hCallLED=1\n"},
        {0xE6, "CallLedClear:already LED Clear\n"},
        {0xE6, "CallVibStart:[already started..2]\n"},  // handles count across both devices
        {0xE6, "CallVibStop:[already stopped..-1]\n"},
        {0xE6, "CallIsVibStop: Vibration stopped!\n"},
        {0xE6, "CallIsVibStop: Vibration doesn't stop yet!!\n"},
        {0x800E6, " CCallUtil::CheckCallControl : Check Call control cardtype=0\n"},
        {0x800E6, " CCallUtil::CheckCallControl : Call control is enabled. \n"},
        {0x800E6, " CCallUtil::CheckCallControl: Call control is enabled. \n"},
        {0x800E6, " CCallUtil::CheckSimCallControl : Check Call control cardtype=1\n"},
        {0x800E6, " CCallUtil::CheckSimCallControl : Call control is enabled. \n"},
        {0x800E6, " CCallUtil::CheckSimCallControl: Call control is enabled. \n"},
        {0xBA,
         "CCallUtil::CheckCallControl : PhsGetStatus(PS_BTREMOTESIM) == "
         "PSV_BT_REMOTE_SIM_CONNECTED\n"},
        {0x800E6, "IsIncreasingMelody: alertType = 2"},
        {0x800E6, "CallIsBgmRunning: iMpType (4) iMpState (3)\n"},
        {0x800E6, "CallSetBackLight: uOnTime (5000) uDimTime (10000)\n"},
        {0x800E6, "IsInternalUmsAccessible: PS_UMS (1)\n"},
        {0x800E6, "IsMtpWorking:NvGetInt(NV_SI_MTP_WORKING)=1\n"},
        {0x800E6, "StartGSensor : hHandler = 3, appID = 9\n"},
        {0x800E6, "StopGSensor : hHandler = 3, appID = 9\n"},
        {0x200E6, "CCallCaller::SetPath: iPath (0x11) bApply (0)\n"},
        {0x200E6, "CCallCaller::GetPath: m_iSoundPath (0x11)\n"},
        {0x200E6, "CCallCaller::OpenVirtualPath: AM_SNDPRIO_CALL\n"},
        {0x200E6, "CCallCaller::AmSoundHandler: m_hAvCaller (1)\n"},
        {0x200E6, "CCallCaller::CloseVirtualPath:AM_SNDPRIO_CALL \n"},
        {0x200E6, "CCallCaller::ClosePath: entered.\n"},
        {0x200E6, "CCallCaller::ClosePath: Unregister\n"},
        {0x200E6, "CCallCaller::SetCaller: m_hAvCaller (-2)\n"},
        // The same line is a refusal for a real caller only.
        {0xBA, "CCallCaller::OpenPath: state != AM_SNDSTATE_NONE\n"},
        {0x200E6, "CCallCaller::OpenPath: state != AM_SNDSTATE_NONE\n"},
    };
    for (const auto& line : kLines) {
        EXPECT_THAT(TraceTexts(line.channel), Contains(line.text));
    }
}

}  // namespace
