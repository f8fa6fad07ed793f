// CCBS slots: at most five numbered copies of the network's records. The copies live on the
// platform heap, where the tests find them.
#include <algorithm>
#include <cstring>

#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallCcbs.h"
#include "support/HostTest.h"

namespace {

using Tags = std::vector<int>;

TapiCcbsInfo Record(unsigned char tag) {
    TapiCcbsInfo record;
    std::memset(&record, tag, sizeof(record));
    return record;
}

// The tags of the record copies alive on the heap, sorted; a copy not filled with one byte
// shows as -1.
Tags StoredTags() {
    Tags tags;
    for (const tmxhost::Block& block : tmxhost::LiveBlocks()) {
        if (block.size != sizeof(TapiCcbsInfo)) {
            continue;
        }
        const unsigned char* data = static_cast<const unsigned char*>(block.address);
        bool uniform =
            std::all_of(data, data + block.size, [&](unsigned char b) { return b == data[0]; });
        tags.push_back(uniform ? data[0] : -1);
    }
    std::sort(tags.begin(), tags.end());
    return tags;
}

// Deletes the slot `index` and returns the tag of the record that went with it (-1: none).
int DeleteAndTell(CCallCcbs& ccbs, int index) {
    Tags before = StoredTags();
    if (!ccbs.Delete(index)) {
        return -1;
    }
    Tags after = StoredTags();
    Tags gone;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::back_inserter(gone));
    return gone.size() == 1 ? gone[0] : -1;
}

int AddTagged(CCallCcbs& ccbs, unsigned char tag) {
    TapiCcbsInfo record = Record(tag);
    return ccbs.Add(&record);
}

using CcbsTest = HostTest;

}  // namespace

TEST_F(CcbsTest, FiveNumberedSlotsThenRefused) {
    CCallCcbs ccbs;
    for (unsigned char tag = 1; tag <= 5; ++tag) {
        EXPECT_EQ(ccbs.IsAvailableSlot(), 1);
        EXPECT_EQ(AddTagged(ccbs, tag), 1);
    }
    EXPECT_EQ(ccbs.IsAvailableSlot(), 0);
    EXPECT_EQ(AddTagged(ccbs, 6), 0);
    ExpectReports({"m_nIndex < MAX"});
    EXPECT_EQ(StoredTags(), (Tags{1, 2, 3, 4, 5}));

    EXPECT_EQ(DeleteAndTell(ccbs, 5), 5);
    EXPECT_EQ(ccbs.IsAvailableSlot(), 1);
    EXPECT_EQ(AddTagged(ccbs, 6), 1);
    for (int index = 1; index <= 4; ++index) {
        EXPECT_EQ(DeleteAndTell(ccbs, index), index);
    }
    EXPECT_EQ(DeleteAndTell(ccbs, 5), 6);
    EXPECT_TRUE(StoredTags().empty());
}

TEST_F(CcbsTest, RefusesMissingSlotAndNullRecord) {
    CCallCcbs ccbs;
    AddTagged(ccbs, 1);
    EXPECT_EQ(ccbs.Delete(7), 0);
    EXPECT_EQ(TraceTexts(TMX_DBG_FAIL),
              std::vector<std::string>{"Delete: m_map doesn't have an element (7)\n"});
    EXPECT_EQ(ccbs.Add(nullptr), 0);
    ExpectReports({"pCcbsInfo != NULL"});
    EXPECT_EQ(StoredTags(), Tags{1});
    // The next number is still 2: neither refusal used one up.
    AddTagged(ccbs, 2);
    EXPECT_EQ(DeleteAndTell(ccbs, 2), 2);
}

TEST_F(CcbsTest, NewRecordTakesLowestFreeNumber) {
    CCallCcbs ccbs;
    for (unsigned char tag = 1; tag <= 3; ++tag) {
        AddTagged(ccbs, tag);
    }
    EXPECT_EQ(DeleteAndTell(ccbs, 1), 1);
    EXPECT_EQ(AddTagged(ccbs, 9), 1);
    EXPECT_EQ(StoredTags(), (Tags{2, 3, 9}));
    EXPECT_EQ(AddTagged(ccbs, 4), 1);
    EXPECT_EQ(DeleteAndTell(ccbs, 1), 9);
    EXPECT_EQ(DeleteAndTell(ccbs, 3), 3);
    EXPECT_EQ(DeleteAndTell(ccbs, 4), 4);
}

TEST_F(CcbsTest, KeepsIndependentCopiesAndFreesThemWithTheObject) {
    {
        CCallCcbs ccbs;
        TapiCcbsInfo record = Record(1);
        ccbs.Add(&record);
        ccbs.Add(&record);
        std::memset(&record, 7, sizeof(record));
        EXPECT_EQ(StoredTags(), (Tags{1, 1}));
    }
    EXPECT_TRUE(tmxhost::LiveBlocks().empty());
}

TEST_F(CcbsTest, AllocationFailureUsesNoSlot) {
    CCallCcbs ccbs;
    for (int nth : {1, 2}) {  // the record's copy, then the list's node
        SCOPED_TRACE(nth);
        tmxhost::FailCall("MemAllocTraceEx", 0, nth);
        EXPECT_EQ(AddTagged(ccbs, 1), 0);
        ExpectReports({"pObj != NULL"});
        EXPECT_TRUE(StoredTags().empty());
    }
    // All five numbers are still free.
    for (unsigned char tag = 1; tag <= 5; ++tag) {
        EXPECT_EQ(AddTagged(ccbs, tag), 1);
    }
    EXPECT_EQ(DeleteAndTell(ccbs, 1), 1);
}
