// CCBS slots: at most five numbered copies of the network's records. The copies live on the
// platform heap, where the tests find them.
#include <algorithm>
#include <cstring>

#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallCcbs.h"
#include "support/HostTest.h"

namespace {

using Tags = std::vector<int>;
using Texts = std::vector<std::string>;

// The fill bytes of the record copies on the heap, sorted; -1 for a copy of mixed bytes.
Tags StoredTags() {
    Tags tags;
    for (const tmxhost::Block& block : tmxhost::LiveBlocks()) {
        auto data = static_cast<const unsigned char*>(block.address);
        if (block.size == sizeof(TapiCcbsInfo)) {
            bool uniform = std::count(data, data + block.size, data[0]) == long(block.size);
            tags.push_back(uniform ? data[0] : -1);
        }
    }
    std::sort(tags.begin(), tags.end());
    return tags;
}

// Adds a record filled with `tag`. The one source record is refilled for every Add, so the
// stored copies show whether they are independent of it.
int Add(CCallCcbs& ccbs, unsigned char tag) {
    static TapiCcbsInfo record;
    std::memset(&record, tag, sizeof(record));
    return ccbs.Add(&record);
}

Tags Delete(CCallCcbs& ccbs, int index) {
    EXPECT_EQ(ccbs.Delete(index), 1);
    return StoredTags();
}

using CcbsTest = HostTest;

}  // namespace

TEST_F(CcbsTest, FiveSlotsAndANewRecordTakesTheLowestFree) {
    CCallCcbs ccbs;
    for (unsigned char tag = 1; tag <= 5; ++tag) {
        EXPECT_EQ(ccbs.IsAvailableSlot(), 1);
        EXPECT_EQ(Add(ccbs, tag), 1);
    }
    tmxhost::TakeTraces();
    EXPECT_EQ(ccbs.IsAvailableSlot(), 0);
    EXPECT_EQ(TraceTexts(0xE6), Texts{"Count: n (5)\n"});
    EXPECT_EQ(Add(ccbs, 6), 0);
    EXPECT_EQ(ccbs.Add(nullptr), 0);
    EXPECT_EQ(ccbs.Delete(7), 0);
    ExpectReports({"m_nIndex < MAX", "pCcbsInfo != NULL"});
    EXPECT_EQ(TraceTexts(0xBA), Texts{"Delete: m_map doesn't have an element (7)\n"});
    EXPECT_EQ(StoredTags(), (Tags{1, 2, 3, 4, 5}));

    EXPECT_EQ(Delete(ccbs, 4), (Tags{1, 2, 3, 5}));
    EXPECT_EQ(Delete(ccbs, 2), (Tags{1, 3, 5}));
    EXPECT_EQ(Add(ccbs, 7), 1);
    EXPECT_EQ(Add(ccbs, 8), 1);
    EXPECT_EQ(Add(ccbs, 9), 0);
    ExpectReports({"m_nIndex < MAX"});
    EXPECT_EQ(Delete(ccbs, 2), (Tags{1, 3, 5, 8}));
    EXPECT_EQ(Delete(ccbs, 4), (Tags{1, 3, 5}));
}

TEST_F(CcbsTest, AllocationFailureUsesNoSlotAndTheObjectFreesItsCopies) {
    {
        CCallCcbs ccbs;
        for (int nth : {1, 2}) {  // the record's copy, then the list's node
            tmxhost::FailCall("MemAllocTraceEx", 0, nth);
            EXPECT_EQ(Add(ccbs, 1), 0);
        }
        ExpectReports({"pObj != NULL", "pObj != NULL"});
        EXPECT_TRUE(StoredTags().empty());
        for (unsigned char tag = 1; tag <= 5; ++tag) {
            EXPECT_EQ(Add(ccbs, tag), 1);
        }
        EXPECT_EQ(StoredTags(), (Tags{1, 2, 3, 4, 5}));
    }
    EXPECT_TRUE(tmxhost::LiveBlocks().empty());
}
