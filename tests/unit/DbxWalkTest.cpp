// The order in which both readers visit an index tree, and how every walk
// ends on a damaged one.
#include <gtest/gtest.h>

#include "unit/RawDbx.h"
#include "unit/TestSupport.h"

namespace pellumo {
namespace test {
namespace {

using Ids = std::vector<std::string>;

// Root e0 (child C: c0, c1), e1, tail T (t0 whose child is U: u0), the
// shape whose order is neither key nor file order.
RawDbx TailAndChildTree(uint32_t fileType) {
    RawDbx f(fileType);
    const uint32_t u = f.Node({{f.IdRecord(0x30), 0}});
    const uint32_t t = f.Node({{f.IdRecord(0x20), u}});
    const uint32_t c = f.Node({{f.IdRecord(0x11), 0}, {f.IdRecord(0x12), 0}});
    const uint32_t e0 = f.IdRecord(0x01), e1 = f.IdRecord(0x02);
    f.SetRoot(f.Node({{e0, c}, {e1, 0}}, t), 6);
    return f;
}

TEST(DbxWalkOrder, EntryThenItsChildThenNextEntryThenTail) {
    const Ids expected = {"000001", "000011", "000012", "000002", "000020", "000030"};
    EXPECT_EQ(ListIds(TailAndChildTree(RawDbx::kMessages).bytes), expected);
    EXPECT_EQ(ScanIds(TailAndChildTree(RawDbx::kFolders).bytes), expected);
}

TEST(DbxWalkOrder, ChildOfTheLastEntryComesBeforeTheTail) {
    RawDbx f;
    const uint32_t c = f.Node({{f.IdRecord(2), 0}});
    const uint32_t t = f.Node({{f.IdRecord(3), 0}});
    f.SetRoot(f.Node({{f.IdRecord(1), c}}, t));
    EXPECT_EQ(ListIds(f.bytes), (Ids{"000001", "000002", "000003"}));
    EXPECT_EQ(ScanIds(f.bytes), (Ids{"000001", "000002", "000003"}));
}

TEST(DbxWalkOrder, WalkingBackUpResumesAfterTheEntryItLeft) {
    // Three levels of children below the first entry, then siblings at each level.
    RawDbx f;
    const uint32_t deep = f.Node({{f.IdRecord(4), 0}});
    const uint32_t mid = f.Node({{f.IdRecord(3), deep}, {f.IdRecord(5), 0}});
    const uint32_t top = f.Node({{f.IdRecord(2), mid}, {f.IdRecord(6), 0}});
    f.SetRoot(f.Node({{f.IdRecord(1), top}, {f.IdRecord(7), 0}}));
    const Ids expected = {"000001", "000002", "000003", "000004", "000005", "000006", "000007"};
    EXPECT_EQ(ListIds(f.bytes), expected);
    EXPECT_EQ(ScanIds(f.bytes), expected);
}

TEST(DbxWalkOrder, FirstRestartsTheWalk) {
    TMemoryStream stream(TailAndChildTree(RawDbx::kMessages).bytes);
    TDbxMessageFolder dbx;
    dbx.Open(stream);
    dbx.First();
    dbx.Next();
    dbx.Next();
    EXPECT_EQ(ListIds(dbx).front(), "000001");
    EXPECT_EQ(ListIds(dbx).size(), 6u);
}

TEST(DbxWalkOrder, ReadsThroughAStreamThatHandsOutOneByteAtATime) {
    OneByteStream stream(TailAndChildTree(RawDbx::kMessages).bytes);
    TDbxMessageFolder dbx;
    dbx.Open(stream);
    EXPECT_EQ(ListIds(dbx).size(), 6u);
}

TEST(DbxWalkEmpty, ItemCountZeroGivesEofWithoutReadingTheRoot) {
    RawDbx f = TailAndChildTree(RawDbx::kMessages);
    f.Put32(0xC4, 0);
    EXPECT_TRUE(ListIds(f.bytes).empty());
}

TEST(DbxWalkEmpty, RootWithoutEntriesEndsTheIteratingReaderButNotTheScan) {
    RawDbx f(RawDbx::kMessages);
    const uint32_t t = f.Node({{f.IdRecord(9), 0}});
    f.SetRoot(f.Node({}, t));
    EXPECT_TRUE(ListIds(f.bytes).empty());
    // The recursive walk follows the tail of any node, the root's included.
    EXPECT_EQ(ScanIds(f.bytes), Ids{"000009"});
}

TEST(DbxWalkEmpty, ScanOfRootPositionZeroReportsNothing) {
    RawDbx f(RawDbx::kFolders);
    f.Node({{f.IdRecord(1), 0}});
    EXPECT_TRUE(ScanIds(f.bytes).empty());
}

TEST(DbxWalkEmpty, NextBeforeFirstAndAfterCloseStaysAtEof) {
    TMemoryStream stream(TailAndChildTree(RawDbx::kMessages).bytes);
    TDbxMessageFolder dbx;
    dbx.Open(stream);
    EXPECT_TRUE(dbx.Eof());
    dbx.Next();
    EXPECT_TRUE(dbx.Eof());
    dbx.First();
    EXPECT_FALSE(dbx.Eof());
    dbx.Close();
    EXPECT_TRUE(dbx.Eof());
    dbx.Next();
    EXPECT_TRUE(dbx.Eof());
    dbx.First();
    EXPECT_TRUE(dbx.Eof());
}

TEST(DbxWalkEmpty, NextAfterTheEndKeepsEof) {
    TMemoryStream stream(TailAndChildTree(RawDbx::kMessages).bytes);
    TDbxMessageFolder dbx;
    dbx.Open(stream);
    ListIds(dbx);
    dbx.Next();
    dbx.Next();
    EXPECT_TRUE(dbx.Eof());
}

TEST(DbxWalkEmpty, EmptyChildNodeIsPassedOver) {
    RawDbx f;
    const uint32_t empty = f.Node({});
    f.SetRoot(f.Node({{f.IdRecord(1), empty}, {f.IdRecord(2), 0}}));
    EXPECT_EQ(ListIds(f.bytes), (Ids{"000001", "000002"}));
    EXPECT_EQ(ScanIds(f.bytes), (Ids{"000001", "000002"}));
}

// Damaged files: every walk ends, nothing is read outside the file, and the
// readable records are still reported.

TEST(DbxWalkCorrupt, EntryCountAbove51CountsAs51) {
    RawDbx f;
    std::vector<std::pair<uint32_t, uint32_t>> entries;
    for (uint32_t i = 1; i <= 51; ++i) entries.push_back({f.IdRecord(i), 0});
    f.SetRoot(f.Node(entries, 0, 255));
    EXPECT_EQ(ListIds(f.bytes).size(), 51u);
    RawDbx g(RawDbx::kFolders);
    entries.clear();
    for (uint32_t i = 1; i <= 51; ++i) entries.push_back({g.IdRecord(i), 0});
    g.SetRoot(g.Node(entries, 0, 200));
    EXPECT_EQ(ScanIds(g.bytes).size(), 51u);
}

TEST(DbxWalkCorrupt, ChildPointingBackAtItsOwnNodeEndsThatBranch) {
    RawDbx f;
    const uint32_t root = f.Alloc(0x27C);
    f.NodeAt(root, {{f.IdRecord(1), root}, {f.IdRecord(2), 0}}, root);
    f.SetRoot(root);
    EXPECT_EQ(ListIds(f.bytes), (Ids{"000001", "000002"}));
    EXPECT_EQ(ScanIds(f.bytes), (Ids{"000001", "000002"}));
}

TEST(DbxWalkCorrupt, TailCycleThroughSeveralNodesEnds) {
    RawDbx f;
    const uint32_t a = f.Alloc(0x27C), b = f.Alloc(0x27C), c = f.Alloc(0x27C);
    f.NodeAt(a, {{f.IdRecord(1), b}}, c);
    f.NodeAt(b, {{f.IdRecord(2), 0}}, c);
    f.NodeAt(c, {{f.IdRecord(3), a}}, b);
    f.SetRoot(a);
    EXPECT_EQ(ListIds(f.bytes), (Ids{"000001", "000002", "000003"}));
    EXPECT_EQ(ScanIds(f.bytes), (Ids{"000001", "000002", "000003"}));
}

TEST(DbxWalkCorrupt, DeepChainOfChildrenDoesNotExhaustTheStack) {
    // Each node's only entry has the next node as its child: a recursive
    // walk would need one frame (with its 636-byte node) per level.
    const int depth = 20000;
    RawDbx f;
    const uint32_t first = static_cast<uint32_t>(f.bytes.size());
    f.bytes.resize(first + depth * (0x27C + 16));
    uint32_t node = first;
    for (int i = 0; i < depth; ++i) {
        const uint32_t record = node + 0x27C;
        const uint32_t next = i + 1 < depth ? record + 16 : 0;
        f.NodeAt(node, {{record, next}});
        f.Put32(record + 4, 4);
        f.Put8(record + 0x0A, 1);
        f.Put32(record + 12, (uint32_t(i + 1) << 8) | 0x80);
        node = next;
    }
    f.SetRoot(first);
    EXPECT_EQ(ListIds(f.bytes).size(), size_t(depth));
    std::vector<uint8_t> folders = f.bytes;
    folders[4] = 0xC6;
    EXPECT_EQ(ScanIds(folders).size(), size_t(depth));
}

TEST(DbxWalkCorrupt, NodesAndRecordsPastTheEndAreSkipped) {
    RawDbx f;
    const uint32_t last = f.IdRecord(3);
    const uint32_t root = f.Node({{f.IdRecord(1), 0x7FFFFF00}, {0x7FFFFFF0, 0}, {last, 0}}, 0x7FFFF000);
    f.SetRoot(root);
    EXPECT_EQ(ListIds(f.bytes), (Ids{"000001", "000003"}));
    std::vector<uint8_t> folders = f.bytes;
    folders[4] = 0xC6;
    EXPECT_EQ(ScanIds(folders), (Ids{"000001", "000003"}));
}

TEST(DbxWalkCorrupt, NodeCutShortByTheEndOfTheFileIsNotFilledFromThePreviousNode) {
    // The child node starts 0x10 bytes before the end: its entry count and
    // entries lie past the end and must not come from the root's copy.
    RawDbx f;
    const uint32_t root = f.Node({{f.IdRecord(1), 0}, {f.IdRecord(2), 0}});
    f.Put32(root + 0x18 + 4, static_cast<uint32_t>(f.bytes.size() + 0x100 - 0x10));
    f.Alloc(0x100);
    f.SetRoot(root);
    EXPECT_EQ(ListIds(f.bytes), (Ids{"000001", "000002"}));
}

TEST(DbxWalkCorrupt, RecordWithShortHeaderOrTooShortLengthIsSkipped) {
    RawDbx f;
    const uint32_t root = f.Alloc(0x27C);
    const uint32_t tooShort = f.Record({0x0180, 0x0280, 0x0380}, "", 8);  // length below 4 x 3
    const uint32_t good = f.IdRecord(4);
    const uint32_t atEnd = f.Alloc(6);  // only 6 of the 12 header bytes exist
    f.NodeAt(root, {{tooShort, 0}, {good, 0}, {0, 0}, {atEnd, 0}});
    f.SetRoot(root);
    EXPECT_EQ(ListIds(f.bytes), (Ids{"000004"}));
    std::vector<uint8_t> folders = f.bytes;
    folders[4] = 0xC6;
    EXPECT_EQ(ScanIds(folders), (Ids{"000004"}));
}

TEST(DbxWalkCorrupt, FirstRecordUnreadableStillFindsTheRest) {
    RawDbx f;
    const uint32_t good = f.IdRecord(2);
    f.SetRoot(f.Node({{0x7FFFFFF0, 0}, {good, 0}}));
    EXPECT_EQ(ListIds(f.bytes), (Ids{"000002"}));
}

TEST(DbxWalkCorrupt, HugeRecordLengthReadsOnlyWhatTheFileHolds) {
    RawDbx f;
    const uint32_t rec = f.Record({0x0780}, "tail of the file");
    f.Put32(rec + 4, 0xFFFFFFF0);
    f.SetRoot(f.Node({{rec, 0}}));
    TMemoryStream stream(f.bytes);
    TDbxMessageFolder dbx;
    dbx.Open(stream);
    dbx.First();
    ASSERT_FALSE(dbx.Eof());
    EXPECT_EQ(dbx.Current()->Id, "000007");
    EXPECT_EQ(dbx.Current()->DataSize, int32_t(f.bytes.size() - (rec + 16)));
}

}  // namespace
}  // namespace test
}  // namespace pellumo
