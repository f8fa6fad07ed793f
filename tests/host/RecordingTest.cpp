// What the host records for an observer: everything in tests, nothing in a program that reads
// nothing, with printing and fault injection unaffected.

#include <cstdlib>

#include "CallCommonSvc/Platform/TmxCore.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using HostRecording = HostTest;

TEST_F(HostRecording, OffKeepsNoLineNorCallYetPrintsChosenChannelsAndFaultsStillCount) {
    if (std::getenv("TMXHOST_TRACE_FILE") != nullptr) {
        GTEST_SKIP() << "lines go to a file in this environment";
    }
    EXPECT_EQ(tmxhost::GetRecording(), tmxhost::kRecordAll);
    tmxhost::FailCall("PhsGetStatus", 7, 2);  // the second call from now on
    tmxhost::SetRecording(tmxhost::kRecordNothing);
    ::testing::internal::CaptureStderr();
    tmxhost::SetTracePrint("0xBA");
    SysDebugPrintf(TMX_DBG_FAIL, "%s %d\n", "printed", 1);
    SysDebugPrintf(TMX_DBG_UTIL, "%s\n", "neither printed nor kept");
    tmxhost::SetTracePrint("");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "printed 1\n");
    EXPECT_EQ(PhsGetStatus(58), 0);
    EXPECT_EQ(PhsGetStatus(58), 7);
    EXPECT_EQ(PhsGetStatus(58), 0);
    EXPECT_THAT(tmxhost::Traces(), IsEmpty());
    EXPECT_THAT(tmxhost::Calls(), IsEmpty());

    // Each kind is recorded on its own; Reset records everything again.
    tmxhost::SetRecording(tmxhost::kRecordCalls);
    SysDebugPrintf(TMX_DBG_UTIL, "not kept\n");
    PhsGetStatus(1);
    tmxhost::SetRecording(tmxhost::kRecordTraces);
    SysDebugPrintf(TMX_DBG_UTIL, "kept %d\n", 2);
    PhsGetStatus(2);
    EXPECT_THAT(tmxhost::CallTexts(), ElementsAre("PhsGetStatus(1)"));
    EXPECT_THAT(TraceTexts(), ElementsAre("kept 2\n"));
    tmxhost::Reset();
    EXPECT_EQ(tmxhost::GetRecording(), tmxhost::kRecordAll);
    PhsGetStatus(3);
    EXPECT_THAT(tmxhost::CallTexts(), ElementsAre("PhsGetStatus(3)"));
    const char* initial = std::getenv("TMXHOST_TRACE");
    tmxhost::SetTracePrint(initial != nullptr ? initial : "");
}

TEST_F(HostRecording, LinesOfAnyLengthAreKeptWhole) {
    for (std::size_t length : {0u, 510u, 511u, 512u, 513u, 5000u}) {
        const std::string body(length, 'x');
        SysDebugPrintf(TMX_DBG_UTIL, "%s|%d", body.c_str(), 42);
        ASSERT_EQ(tmxhost::Traces().size(), 1u);
        EXPECT_EQ(tmxhost::Traces()[0].text, body + "|42") << length;
        tmxhost::TakeTraces();
    }
}

// `callsvc dial NUMBER ARGS` on this test's data folder: what it printed on both outputs.
std::string Dial(const std::string& args) {
    const Outcome run = RunCallsvc("dial", args);
    EXPECT_EQ(run.code, 0) << args;
    return run.out + run.err;
}

// The program records nothing by default, but still tells what decided an emergency check.
TEST_F(HostRecording, DialProgramNamesTheRecordsThatDecidedWithOrWithoutTraces) {
    using ::testing::HasSubstr;
    EXPECT_THAT(Dial("555 --ecc 555"), HasSubstr("yes: the SIM's emergency records"));
    EXPECT_THAT(Dial("555 --sim usim --ecc 1,555"), HasSubstr("yes: the SIM's emergency records"));
    EXPECT_THAT(Dial("999 --mcc 234 --mnc 15"), HasSubstr("yes: in the list for MCC 234 MNC 15"));
    const std::string traced = Dial("555 --ecc 555 --trace 0x800E6");
    EXPECT_THAT(traced, HasSubstr("yes: the SIM's emergency records"));
    EXPECT_THAT(traced, HasSubstr("CallIsEccNumber: return TRUE\n"));
}

}  // namespace
