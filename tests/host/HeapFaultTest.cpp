// The tracking heap, fault injection and the call log.
#include <climits>
#include <cstring>

#include "CallCommonSvc/Platform/TmxCore.h"
#include "support/HostTest.h"

using ::testing::ElementsAre;

namespace {

class HostHeap : public HostTest {};
class HostFaults : public HostTest {};

// Live blocks as "path:line/size", oldest first.
std::vector<std::string> Origins() {
    std::vector<std::string> origins;
    for (const tmxhost::Block& b : tmxhost::LiveBlocks()) {
        origins.push_back(b.path + ":" + std::to_string(b.line) + "/" + std::to_string(b.size));
    }
    return origins;
}

TEST_F(HostHeap, BlocksKeepTheirOriginUntilFreedAndBadFreesAreRefused) {
    void* a = MemAllocTraceEx(0, 10, "Dir\\a.c", 11);
    auto* b = static_cast<unsigned char*>(MemCallocTraceEx(0, 4, 8, "b.c", 22));
    EXPECT_THAT(Origins(), ElementsAre("Dir\\a.c:11/10", "b.c:22/32"));
    EXPECT_EQ(b[0] | b[31], 0);
    int local = 0;
    EXPECT_EQ(_MemIsHeapAddr(a) + _MemIsHeapAddr(b), 2);
    EXPECT_EQ(_MemIsHeapAddr(b + 1) + _MemIsHeapAddr(&local) + _MemIsHeapAddr(nullptr), 0);
    MemFreeTraceMultiHeap(a, "a.c", 12);
    MemFreeTraceMultiHeap(nullptr, "a.c", 13);  // freeing null is allowed
    EXPECT_THAT(Origins(), ElementsAre("b.c:22/32"));
    EXPECT_EQ(_MemIsHeapAddr(a), 0);

    MemFreeTraceMultiHeap(a, "a.c", 14);
    MemFreeTraceMultiHeap(&local, "c.c", 15);
    EXPECT_EQ(MemReAllocTraceEx(0, &local, 16, "d.c", 16), nullptr);
    EXPECT_THAT(tmxhost::BadFrees(), ElementsAre("a.c:14", "c.c:15", "d.c:16"));
    MemFreeTraceMultiHeap(b, "b.c", 17);
    EXPECT_TRUE(tmxhost::Calls().empty());  // the heap stays out of the call log
    tmxhost::Reset();
}

TEST_F(HostHeap, ReallocKeepsContentsAndOriginAndFailuresHitTheNthCall) {
    auto* p = static_cast<char*>(MemReAllocTraceEx(0, nullptr, 6, "orig.c", 10));
    std::memcpy(p, "hello", 6);
    p = static_cast<char*>(MemReAllocTraceEx(0, p, 1 << 20, "grow.c", 20));
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p, "hello");
    p[(1 << 20) - 1] = 'x';
    EXPECT_THAT(Origins(), ElementsAre("orig.c:10/1048576"));
    MemFreeTraceMultiHeap(p, "orig.c", 30);

    tmxhost::FailCall("MemAllocTraceEx", 0, 2);
    void* blocks[3];
    for (void*& block : blocks) {
        block = MemAllocTraceEx(0, 4, "t.c", 1);
        MemFreeTraceMultiHeap(block, "t.c", 2);
    }
    EXPECT_TRUE(blocks[0] != nullptr && blocks[1] == nullptr && blocks[2] != nullptr);
}

// RegGetInt on a handle that is not open only returns its default: a probe without effects.
std::vector<int> Probes(int count) {
    std::vector<int> results;
    while (count-- > 0) {
        results.push_back(RegGetInt(99, "s", "k", -5));
    }
    return results;
}

TEST_F(HostFaults, NthAndTimesChooseTheFailingCalls) {
    tmxhost::FailCall("RegGetInt", 42, 2, 2);
    EXPECT_THAT(Probes(5), ElementsAre(-5, 42, 42, -5, -5));
    tmxhost::FailCall("RegGetInt", 7, 1, -1);
    EXPECT_THAT(Probes(100), ::testing::Each(7));
    tmxhost::ClearFaults();
    tmxhost::FailCall("RegGetInt", 1, 0);     // there is no 0th call
    tmxhost::FailCall("RegGetInt", 1, 1, 0);  // nor zero failures
    tmxhost::FailCall("RegLoad", 0);
    EXPECT_THAT(Probes(1), ElementsAre(-5));
    EXPECT_EQ(RegLoad("x.ini", 1), 0);  // failed, and logged all the same
    EXPECT_THAT(tmxhost::CallTexts({"RegLoad"}), ElementsAre("RegLoad(\"x.ini\", 1)"));
}

TEST_F(HostFaults, RulesSetTogetherCountFromTheMomentTheyWereSet) {
    tmxhost::FailCall("RegGetInt", 1, 1);  // the first call
    tmxhost::FailCall("RegGetInt", 3, 3);  // and the third
    EXPECT_THAT(Probes(4), ElementsAre(1, -5, 3, -5));
}

TEST_F(HostFaults, CallLogQuotesStringsAndNamesNull) {
    char buffer[8];
    RegLoad(nullptr, 1);
    RegGetString(3, "Sec", nullptr, "dflt", buffer, 8);
    AcStrcpyEx(buffer, sizeof(buffer), "x", "f.c", 1);  // not a logged call
    RegSetUint64(4, "S", "k", ULLONG_MAX);
    EXPECT_THAT(tmxhost::CallTexts({"RegSetUint64", "RegGetString"}),
                ElementsAre("RegGetString(3, \"Sec\", NULL, \"dflt\", 8)",
                            "RegSetUint64(4, \"S\", \"k\", 18446744073709551615)"));
    EXPECT_EQ(tmxhost::CallTexts().size(), 3u);
    EXPECT_EQ(tmxhost::CallTexts().front(), "RegLoad(NULL, 1)");
}

}  // namespace
