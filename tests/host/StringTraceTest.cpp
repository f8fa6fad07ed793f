// Bounded string operations and traces.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "CallCommonSvc/Platform/TmxCore.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;

namespace {

const char kFile[] = "StringTraceTest";

// Eight destination bytes, 'Z' unless given, between guard bytes that Text() checks.
struct Guarded {
    char bytes[24];
    explicit Guarded(std::string_view initial = {}) {
        std::memset(bytes, '#', sizeof(bytes));
        std::memset(bytes + 8, 'Z', 8);
        initial.copy(bytes + 8, 8);
    }
    char* Dest() { return bytes + 8; }
    std::string Text() const {
        EXPECT_EQ(std::string(bytes, 8) + std::string(bytes + 16, 8), std::string(16, '#'));
        return std::string(bytes + 8, 8);
    }
};

std::string Eight(const char (&text)[9]) {
    return std::string(text, 8);
}

class HostAcString : public HostTest {};

TEST_F(HostAcString, WritesStayWithinTheCapacityAndStringsAreTerminated) {
    const char* text = "0123456789abcdef";
    Guarded a, b, c({"ab", 3}), d, e, f, g, none;
    AcStrcpyEx(a.Dest(), 8, text, kFile, __LINE__);
    AcStrncpyEx(b.Dest(), 8, text, 3, kFile, __LINE__);
    AcStrcatEx(c.Dest(), 8, text, kFile, __LINE__);
    AcStrcatEx(d.Dest(), 8, text, kFile, __LINE__);  // the destination has no terminator
    AcMemsetEx(e.Dest(), 8, 'x', 99, kFile, __LINE__);
    AcMemcpyEx(f.Dest(), 5, text, 16, kFile, __LINE__);
    EXPECT_EQ(AcSprintfSEx(g.Dest(), 8, kFile, __LINE__, "%s-%d", "abc", 12345), 7);
    AcStrcpySEx(none.Dest(), 0, text, kFile, __LINE__);
    AcStrcatEx(none.Dest(), 0, text, kFile, __LINE__);
    EXPECT_EQ(AcSprintfSEx(none.Dest(), 0, kFile, __LINE__, "x"), -1);
    EXPECT_EQ(a.Text(), Eight("0123456\0"));
    EXPECT_EQ(b.Text(), Eight("012\0ZZZZ"));
    EXPECT_EQ(c.Text(), Eight("ab01234\0"));
    EXPECT_EQ(d.Text(), Eight("ZZZZZZZ\0"));
    EXPECT_EQ(e.Text(), Eight("xxxxxxxx"));
    EXPECT_EQ(f.Text(), Eight("01234ZZZ"));
    EXPECT_EQ(g.Text(), Eight("abc-123\0"));
    EXPECT_EQ(none.Text(), Eight("ZZZZZZZZ"));
}

TEST_F(HostAcString, NullPointersReadAsEmptyAndAtoiSaturates) {
    const char* null = nullptr;
    Guarded a, b({"ab", 3}), c;
    AcStrcpyEx(a.Dest(), 8, null, kFile, __LINE__);
    AcStrcatEx(b.Dest(), 8, null, kFile, __LINE__);
    EXPECT_EQ(AcSprintfSEx(c.Dest(), 8, kFile, __LINE__, null), -1);
    EXPECT_EQ(a.Text() + b.Text() + c.Text(),
              Eight("\0ZZZZZZZ") + Eight("ab\0ZZZZZ") + Eight("\0ZZZZZZZ"));
    EXPECT_EQ(AcStrcpyEx(nullptr, 8, "x", kFile, __LINE__), nullptr);
    EXPECT_EQ(AcStrlen(null) + AcStrcmp(null, "") + AcStricmp(null, null), 0);
    EXPECT_EQ(AcStrchr(null, 'a'), nullptr);

    EXPECT_EQ(AcAtoi("2147483648"), INT_MAX);
    EXPECT_EQ(AcAtoi("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(AcAtoi("-2147483649"), INT_MIN);
    EXPECT_EQ(AcAtoi("  -42xyz") + AcAtoi("abc") + AcAtoi(nullptr), -42);
}

class HostTrace : public HostTest {
protected:
    void TearDown() override {
        const char* initial = std::getenv("TMXHOST_TRACE");
        tmxhost::SetTracePrint(initial != nullptr ? initial : "");
        HostTest::TearDown();
    }
    // What a line on `channel` prints under the current choice.
    static std::string Printed(unsigned channel) {
        ::testing::internal::CaptureStderr();
        SysDebugPrintf(channel, "line %x\n", channel);
        return ::testing::internal::GetCapturedStderr();
    }
};

TEST_F(HostTrace, LinesAreRecordedWithTheirChannelAndPrintedWhenChosen) {
    SysDebugPrintf(TMX_DBG_FAIL, "%s(%d) %05.1f%%\n", "Init", -3, 2.5);
    SysDebugPrintf(TMX_DBG_CALL, "plain");
    EXPECT_THAT(TraceTexts(), ElementsAre("Init(-3) 002.5%\n", "plain"));
    EXPECT_THAT(TraceTexts(TMX_DBG_CALL), ElementsAre("plain"));
    if (std::getenv("TMXHOST_TRACE_FILE") != nullptr) {
        GTEST_SKIP() << "lines go to a file in this environment";
    }
    std::string error;
    EXPECT_TRUE(tmxhost::SetTracePrint("0xBA,0x200E6", &error));
    EXPECT_EQ(Printed(TMX_DBG_FAIL) + Printed(TMX_DBG_INFO) + Printed(TMX_DBG_CALL),
              "line ba\nline 200e6\n");
    EXPECT_FALSE(tmxhost::SetTracePrint("0xE6,0xZZ", &error));
    EXPECT_THAT(error, ::testing::HasSubstr("0xZZ"));
    EXPECT_EQ(Printed(TMX_DBG_INFO) + Printed(TMX_DBG_FAIL), "line ba\n");  // choice kept
    EXPECT_TRUE(tmxhost::SetTracePrint("all"));
    EXPECT_EQ(Printed(TMX_DBG_INFO), "line e6\n");
    EXPECT_TRUE(tmxhost::SetTracePrint(""));
    EXPECT_EQ(Printed(TMX_DBG_FAIL), "");
    EXPECT_EQ(tmxhost::Traces().size(), 9u);  // printed or not, every line is recorded
}

}  // namespace
