// LED blink, vibration and the ear jack through the exported device functions.
#include "CallCommonSvc/H/CallCommonSvc.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

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
    ASSERT_EQ(tmxhost::LedBlinks().size(), 1u);
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
    EXPECT_EQ(CallLedClear(), 1);
    EXPECT_TRUE(tmxhost::HasTrace("CallLedBlink:LED Blik fail! hCallLED=-1\n", 0xBA));
    EXPECT_TRUE(tmxhost::HasTrace("CallLedBlink:LED Blink Error! LED Lighting...\n", 0xE6));
}

TEST_F(DeviceTest, VibrationRunsOnceWhateverThePatternAndStopsIdempotently) {
    EXPECT_EQ(CallIsVibStop(), 1);
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
}

TEST_F(DeviceTest, EarJackIsEitherAccessory) {
    const struct {
        bool earMic, earphone;
        int result;
        std::vector<std::string> calls;
    } kCases[] = {
        {false, false, 0, {"PhsIsDevInserted(1)", "PhsIsDevInserted(13)"}},
        {true, false, 1, {"PhsIsDevInserted(1)"}},
        {false, true, 1, {"PhsIsDevInserted(1)", "PhsIsDevInserted(13)"}},
    };
    for (const auto& c : kCases) {
        tmxhost::SetDeviceInserted(1, c.earMic);
        tmxhost::SetDeviceInserted(13, c.earphone);
        tmxhost::ClearCalls();
        EXPECT_EQ(CallIsEarJackInserted(), c.result);
        EXPECT_EQ(tmxhost::CallTexts(), c.calls);
    }
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
