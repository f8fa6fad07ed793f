// LED blink, vibration and the ear jack through the exported device functions.
#include "CallCommonSvc/H/CallCommonSvc.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::IsSupersetOf;

namespace {

class DeviceTest : public LoadedTest {
protected:
    void SetUp() override {
        LoadedTest::SetUp();
        tmxhost::TakeTraces();
        tmxhost::ClearCalls();
    }
};

TEST_F(DeviceTest, LedBlinksOnceAndClearsIdempotently) {
    tmxhost::SetNvInt(360, 6);
    EXPECT_EQ(CallLedBlink(), 1);
    EXPECT_EQ(CallLedBlink(), 1);
    EXPECT_THAT(tmxhost::CallTexts({"AmLedBlink"}), ElementsAre("AmLedBlink(0, 6, 20, 120, -1)"));
    EXPECT_EQ(CallLedClear(), 1);
    EXPECT_THAT(tmxhost::LedBlinks(), IsEmpty());
    EXPECT_EQ(CallLedClear(), 0);

    // A refused clear still counts as done and is not retried.
    CallLedBlink();
    tmxhost::FailCall("AmLedClear", 0);
    EXPECT_EQ(CallLedClear(), 1);
    tmxhost::ClearCalls();
    EXPECT_EQ(CallLedClear(), 0);
    EXPECT_THAT(tmxhost::CallTexts(), IsEmpty());
    EXPECT_THAT(TraceTexts(0xBA), ElementsAre("CallLedClear:Clear LED Fail!..hCallLED=2\n"));

    // A refused blink leaves the LED idle, so the next one asks again.
    tmxhost::FailCall("AmLedBlink", -1);
    EXPECT_EQ(CallLedBlink(), 0);
    EXPECT_EQ(CallLedBlink(), 1);
    EXPECT_EQ(tmxhost::LedBlinks().size(), 2u);  // and the one whose clear was refused
    EXPECT_EQ(CallLedClear(), 1);
    EXPECT_TRUE(tmxhost::HasTrace("CallLedBlink:LED Blik fail! hCallLED=-1\n", 0xBA));
    EXPECT_THAT(TraceTexts(0xE6), IsSupersetOf({"CallLedBlink:LED Blik Sucessed! hCallLED=1\n",
                                                "CallLedBlink:LED Blink Error! LED Lighting...\n",
                                                "CallLedClear:already LED Clear\n"}));
}

TEST_F(DeviceTest, VibrationRunsOnceWhateverThePatternAndStopsIdempotently) {
    EXPECT_EQ(CallVibStart(nullptr), 1);
    char name[] = "x";
    EXPECT_EQ(CallVibStart(name), 1);
    EXPECT_EQ(CallIsVibStop(), 0);
    EXPECT_THAT(tmxhost::CallTexts({"AmVibStart"}), ElementsAre("AmVibStart(100, 1560, 500, -1)"));
    tmxhost::FailCall("AmVibStop", 0);
    EXPECT_EQ(CallVibStop(), 1);
    EXPECT_EQ(CallIsVibStop(), 1);
    EXPECT_EQ(CallVibStop(), 0);
    EXPECT_THAT(tmxhost::CallTexts({"AmVibStop"}), ElementsAre("AmVibStop(1)"));
    // The refused stop left the platform vibrating; the host shows it.
    EXPECT_EQ(tmxhost::Vibrations().size(), 1u);

    tmxhost::FailCall("AmVibStart", -1);
    EXPECT_EQ(CallVibStart(name), 0);
    EXPECT_EQ(CallIsVibStop(), 1);
    EXPECT_THAT(TraceTexts(0xBA), ElementsAre("CallVibStop:Vib Stop Fail!..hCallVib=1\n",
                                              "CallVibStart:Vib Start fail! hCallVib=-1\n"));
    EXPECT_THAT(TraceTexts(0xE6), IsSupersetOf({"CallVibStart:[already started..1]\n",
                                                "CallIsVibStop: Vibration doesn't stop yet!!\n",
                                                "CallIsVibStop: Vibration stopped!\n",
                                                "CallVibStop:[already stopped..-1]\n"}));
}

TEST_F(DeviceTest, EarJackIsEitherAccessory) {
    EXPECT_EQ(CallIsEarJackInserted(), 0);
    tmxhost::SetDeviceInserted(13, true);
    EXPECT_EQ(CallIsEarJackInserted(), 1);
    tmxhost::SetDeviceInserted(13, false);
    tmxhost::SetDeviceInserted(1, true);
    EXPECT_EQ(CallIsEarJackInserted(), 1);
    EXPECT_TRUE(tmxhost::HasTrace("IsEarJackInserted: PS_DEV_EARMIC(0), PS_DEV_EARPHONE(1)\n"));
    EXPECT_TRUE(tmxhost::HasTrace("IsEarJackInserted: Not Inserted!!\n"));
}

TEST_F(DeviceTest, FunctionsWithoutTheServiceAnswerZero) {
    Unload();
    tmxhost::TakeReports();
    EXPECT_EQ(CallLedBlink() + CallLedClear() + CallVibStart(nullptr) + CallVibStop() +
                  CallIsVibStop() + CallIsEarJackInserted(),
              0);
    ExpectReports(std::vector<std::string>(6, "pCallCommonDev != NULL"));
}

}  // namespace
