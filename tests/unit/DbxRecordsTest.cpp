// Decoding of record property tables: folder records, message index records,
// their value rules and the data-area bounds; the scan's summaries of them.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "DbxWriter.h"
#include "platform/DateTime.h"
#include "store/DbxFormat.h"
#include "store/DbxRecordSummary.h"
#include "unit/RawDbx.h"
#include "unit/TestSupport.h"

namespace pellumo {
namespace test {
namespace {

uint32_t Direct(uint8_t number, uint32_t value) { return (value << 8) | 0x80 | number; }
uint32_t At(uint8_t indexByte, uint32_t offset) { return (offset << 8) | indexByte; }

std::string Le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}
std::string Le64(uint64_t v) { return Le32(static_cast<uint32_t>(v)) + Le32(static_cast<uint32_t>(v >> 32)); }

template <class T>
std::unique_ptr<T> ReadRecord(const std::vector<uint32_t>& table, const std::string& data, int64_t length = -1) {
    RawDbx f;
    const uint32_t at = f.Record(table, data, length);
    TMemoryStream stream(f.bytes);
    std::unique_ptr<T> obj(new T);
    EXPECT_TRUE(obj->Load(stream, at));
    obj->Stream = nullptr;
    return obj;
}

TEST(TDbxFolderRecord_Fields, FolderRecordFieldsFromTheirExactIndexBytes) {
    const std::string data = std::string("Inbox\0Inbox.dbx\0LocalStore\0", 27);
    auto obj = ReadRecord<TDbxFolderRecord>(
        {Direct(0, 0x1A2B), Direct(1, 1), At(0x02, 0), At(0x03, 6), At(0x05, 16), Direct(9, 0x301), Direct(10, 7)},
        data);
    EXPECT_EQ(obj->Id, "001A2B");
    EXPECT_EQ(obj->ParentId, "000001");
    EXPECT_EQ(obj->Name, "Inbox");
    EXPECT_EQ(obj->FileName, "Inbox.dbx");
    EXPECT_EQ(obj->StoreId, "LocalStore");
    EXPECT_EQ(obj->Kind, 1);  // low 8 bits only
    EXPECT_EQ(obj->AccountType, 7);
    EXPECT_EQ(obj->DataSize, 27);
}

TEST(TDbxFolderRecord_Fields, OtherIndexBytesLandInValuesOnly) {
    // Name stored direct and Id stored indirect do not fill the fields.
    auto obj = ReadRecord<TDbxFolderRecord>({At(0x82, 0), At(0x00, 0), Direct(0x33, 5)}, Le32(0x44));
    EXPECT_EQ(obj->Name, "");
    EXPECT_EQ(obj->Id, "");
    EXPECT_EQ(obj->Values.Value("82"), "0");
    EXPECT_EQ(obj->Values.Value("00"), "0");
    EXPECT_EQ(obj->Values.Value("B3"), "5");
    EXPECT_EQ(obj->Values.Count(), 3u);
}

TEST(TDbxFolderRecord_Fields, RepeatedIndexByteReplacesItsValuesLineAndField) {
    auto obj = ReadRecord<TDbxFolderRecord>({Direct(0, 1), Direct(9, 1), Direct(0, 0xABCDEF)}, "");
    EXPECT_EQ(obj->Id, "ABCDEF");
    EXPECT_EQ(obj->Values.Count(), 2u);
    EXPECT_EQ(obj->Values.Line(0).first, "80");
    EXPECT_EQ(obj->Values.Line(0).second, std::to_string(0xABCDEF));
    EXPECT_EQ(obj->Values.Line(1).first, "89");
}

TEST(TDbxFolderRecord_Fields, AbsentPropertiesLeaveFieldsEmpty) {
    auto obj = ReadRecord<TDbxFolderRecord>({}, "");
    EXPECT_EQ(obj->Id, "");
    EXPECT_EQ(obj->Kind, 0);
    EXPECT_EQ(obj->DataSize, 0);
    EXPECT_EQ(obj->Values.Count(), 0u);
}

TEST(TDbxMessageRecord_Fields, EveryStringFieldFromItsPropertyNumber) {
    const std::vector<std::pair<uint8_t, std::string TDbxMessageRecord::*>> strings = {
        {0x09, &TDbxMessageRecord::SenderNameAndAddress}, {0x07, &TDbxMessageRecord::MessageId},
        {0x23, &TDbxMessageRecord::UnidentifiedText},       {0x08, &TDbxMessageRecord::Subject},
        {0x0B, &TDbxMessageRecord::ServerGroupNumber},    {0x0A, &TDbxMessageRecord::AnsweredMessageId},
        {0x1B, &TDbxMessageRecord::AccountKey},           {0x0E, &TDbxMessageRecord::SenderAddress},
        {0x14, &TDbxMessageRecord::ReceiverAddress},      {0x05, &TDbxMessageRecord::OriginalSubject},
        {0x13, &TDbxMessageRecord::ReceiverName},         {0x0C, &TDbxMessageRecord::Server},
        {0x1A, &TDbxMessageRecord::AccountName},          {0x0D, &TDbxMessageRecord::SenderName}};
    std::vector<uint32_t> table;
    std::string data;
    for (const auto& s : strings) {
        table.push_back(At(s.first, static_cast<uint32_t>(data.size())));
        data += "text " + std::to_string(s.first) + '\0';
    }
    auto obj = ReadRecord<TDbxMessageRecord>(table, data);
    for (const auto& s : strings) EXPECT_EQ((*obj).*(s.second), "text " + std::to_string(s.first)) << int(s.first);
}

TEST(TDbxMessageRecord_Fields, NumbersDirectOrIndirect) {
    const std::string data = Le32(0x01000081) + Le32(42) + Le32(0x12345678);
    auto obj = ReadRecord<TDbxMessageRecord>(
        {Direct(0, 0x234567), At(0x01, 0), Direct(0x10, 5), At(0x03, 4), At(0x04, 8), Direct(0x11, 999)},
        data);
    EXPECT_EQ(obj->Id, "234567");
    EXPECT_EQ(obj->Flags, 0x01000081);
    EXPECT_TRUE(obj->IsRead());
    EXPECT_EQ(obj->Priority, 5);
    EXPECT_EQ(obj->BodyLines, 42);
    EXPECT_EQ(obj->BodyPos, 0x12345678u);  // beyond 16 MiB: only the indirect form holds it
    EXPECT_EQ(obj->TextLength, 999);
}

TEST(TDbxMessageRecord_Fields, IdOfMoreThanSixDigitsKeepsThemAll) {
    auto obj = ReadRecord<TDbxMessageRecord>({At(0x00, 0)}, Le32(0x1234567));
    EXPECT_EQ(obj->Id, "1234567");
}

TEST(TDbxMessageRecord_Fields, OnlyBit80OfFlagsMeansRead) {
    EXPECT_TRUE(ReadRecord<TDbxMessageRecord>({Direct(1, 0x80)}, "")->IsRead());
    EXPECT_FALSE(ReadRecord<TDbxMessageRecord>({Direct(1, 0x100)}, "")->IsRead());
    EXPECT_FALSE(ReadRecord<TDbxMessageRecord>({Direct(1, 0x7F)}, "")->IsRead());
}

TEST(TDbxMessageRecord_Fields, MissingPropertiesKeepInitialValues) {
    auto obj = ReadRecord<TDbxMessageRecord>({Direct(0, 3), Direct(0x20, 9), Direct(0x0F, 1)}, "");
    EXPECT_EQ(obj->Priority, 0);
    EXPECT_EQ(obj->BodyPos, 0u);
    EXPECT_EQ(obj->Subject, "");
    EXPECT_EQ(obj->SentTime, 0.0);
    // Unknown numbers appear in Values only.
    EXPECT_EQ(obj->Values.Value("A0"), "9");
    EXPECT_EQ(obj->Values.Value("8F"), "1");
}

TEST(TDbxMessageRecord_Fields, StringStoredDirectIsStillReadAtItsOffset) {
    auto obj = ReadRecord<TDbxMessageRecord>({At(0x88, 3)}, std::string("xx\0Hello\0", 9));
    EXPECT_EQ(obj->Subject, "Hello");
}

TEST(TDbxMessageRecord_Fields, LaterEntryOfAPropertyWins) {
    auto obj = ReadRecord<TDbxMessageRecord>({At(0x08, 0), At(0x88, 2)}, std::string("a\0b\0", 4));
    EXPECT_EQ(obj->Subject, "b");
    EXPECT_EQ(obj->Values.Value("08"), "0");
    EXPECT_EQ(obj->Values.Value("88"), "2");
}

TEST(TDbxMessageRecord_Fields, DatesAreLocalTimeDateTimeValues) {
    // Tests run with TZ=UTC. 2002-03-04 05:06:07.089 is day 37319.
    const std::string data = Le64(0x1c1c33a4aa45e10ull) + Le64(0x1179ff103aee000ull);
    auto obj = ReadRecord<TDbxMessageRecord>({At(0x02, 0), At(0x12, 0), At(0x06, 8)}, data);
    const double expected = 37319 + (5 * 3600 + 6 * 60 + 7.089) / 86400.0;
    EXPECT_NEAR(obj->SentTime, expected, 1e-9);
    EXPECT_NEAR(obj->ReceivedTime, expected, 1e-9);
    // Before 1899-12-30 the time of day counts away from zero.
    EXPECT_NEAR(obj->SavedTime, -18109.5, 1e-9);
}

TEST(TDbxMessageRecord_Bounds, StringWithoutTerminatorEndsAtTheDataArea) {
    auto obj = ReadRecord<TDbxMessageRecord>({At(0x08, 2)}, "abcdef");
    EXPECT_EQ(obj->Subject, "cdef");
}

TEST(TDbxMessageRecord_Bounds, OffsetsOutsideTheDataAreaReadAsEmpty) {
    auto obj = ReadRecord<TDbxMessageRecord>(
        {At(0x08, 4), At(0x01, 2), At(0x02, 0), At(0x0D, 0xFFFFFF)}, "abcd");
    EXPECT_EQ(obj->Subject, "");
    EXPECT_EQ(obj->Flags, 0);  // the 4 bytes at 2 are not all there
    EXPECT_EQ(obj->SentTime, 0.0);
    EXPECT_EQ(obj->SenderName, "");
}

TEST(TDbxMessageRecord_Bounds, DataAreaIsLengthMinusTable) {
    // The length covers the table and 3 data bytes: the rest of the file is not data.
    RawDbx f;
    const uint32_t at = f.Record({At(0x08, 0)}, "abc");
    f.PutBytes(static_cast<uint32_t>(f.bytes.size()), std::string("def\0", 4));
    TMemoryStream stream(f.bytes);
    TDbxMessageRecord obj;
    ASSERT_TRUE(obj.Load(stream, at));
    EXPECT_EQ(obj.DataSize, 3);
    EXPECT_EQ(obj.Subject, "abc");
}

TEST(TDbxRecord_Data, SetDataKeepsACopyAndNoneForNull) {
    TDbxRecord obj;
    char bytes[] = "xyz";
    obj.SetData(bytes, 3);
    bytes[0] = 'q';
    EXPECT_EQ(obj.DataSize, 3);
    EXPECT_EQ(obj.Data[0], 'x');
    obj.SetData(nullptr, 5);
    EXPECT_EQ(obj.DataSize, -1);
    EXPECT_TRUE(obj.Data.empty());
}

// Files whose records the summaries must read as a full reading does, at a
// cost bounded per record whatever the index names, N positions each.
struct SummaryLayout {
    const char* what;
    std::vector<uint8_t> file;
    std::vector<uint32_t> positions;
};

std::vector<SummaryLayout> SummaryLayouts(uint32_t n) {
    std::vector<SummaryLayout> layouts;
    {
        std::vector<mkstore::Message> messages(n);
        for (uint32_t i = 0; i < n; ++i) {
            messages[i].subject = "m" + std::to_string(i);
            messages[i].flags = i % 2 * 0x80;
        }
        mkstore::Layout layout;
        std::vector<uint8_t> file = mkstore::WriteMessageFile(messages, {}, &layout);
        layouts.push_back({"as written", std::move(file), layout.records});
    }
    {
        // The Id and flags lie past the table, the table past 512 bytes; a
        // later Id replaces the first.
        RawDbx f;
        const uint32_t other = f.IdRecord(3);
        std::vector<uint32_t> table = {Direct(0, 7)};
        for (uint32_t i = 0; i < 150; ++i) table.push_back(Direct(0x7F, i));
        table.push_back(At(0x00, 0)), table.push_back(At(0x01, 4));
        const uint32_t at = f.Record(table, Le32(0x123456) + Le32(0x80));
        std::vector<uint32_t> positions(n, at);
        positions[n / 2] = other, positions[n / 3] = 0;
        layouts.push_back({"one record named again and again", f.bytes, positions});
    }
    {
        // Bytes of 1: each position a byte on reads a record whose flags lie
        // 64 KB on.
        RawDbx f;
        const uint32_t region = f.Alloc(n + 0x10200);
        for (uint32_t i = 0; i < n + 0x10200; ++i) f.Put8(region + i, 1);
        std::vector<uint32_t> positions;
        for (uint32_t i = n; i-- > 0;) positions.push_back(region + i);
        layouts.push_back({"records a byte apart, each value far past it", f.bytes, positions});
    }
    {
        RawDbx f;
        std::vector<uint32_t> positions = {f.IdRecord(5)};
        const uint32_t end = uint32_t(f.bytes.size());
        for (uint32_t i = 0; i + 1 < n; ++i) positions.push_back(end - 11 + i);
        layouts.push_back({"headers cut off by the end and beyond it", f.bytes, positions});
    }
    {
        RawDbx f;
        std::vector<uint32_t> positions;
        for (uint32_t i = 0; positions.size() < n; ++i) {
            std::vector<uint32_t> table(140, Direct(0x7F, 1));
            table.push_back(Direct(0, i + 1)), table.push_back(At(0x01, 0));
            positions.push_back(f.Record(table, Le32(i % 2 * 0x80)));
            positions.push_back(f.IdRecord(0x10000 + i));
        }
        layouts.push_back({"long records among short ones", f.bytes, positions});
    }
    return layouts;
}

// Counts what a reader asks of a stream.
class CountingStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    size_t Read(void* buffer, size_t count) override {
        const size_t got = TMemoryStream::Read(buffer, count);
        ++reads, bytes += got;
        return got;
    }
    size_t reads = 0;
    uint64_t bytes = 0;
};

TEST(ReadRecordSummaries, EqualAFullReadingOfEveryRecord) {
    for (const SummaryLayout& layout : SummaryLayouts(300)) {
        SCOPED_TRACE(layout.what);
        OneByteStream stream(layout.file);
        const std::vector<TRecordSummary> summaries = ReadRecordSummaries(stream, layout.positions);
        ASSERT_EQ(summaries.size(), layout.positions.size());
        TMemoryStream whole(layout.file);
        for (size_t i = 0; i < summaries.size(); ++i) {
            TDbxMessageRecord full;
            const bool loaded = full.Load(whole, layout.positions[i]);
            uint32_t id = 0xFFFFFFFFu;
            if (!full.Id.empty()) {
                ASSERT_TRUE(dbx::ParseId(full.Id, id));
            }
            EXPECT_EQ(summaries[i].Loaded, loaded) << i;
            EXPECT_EQ(summaries[i].Id, loaded ? id : 0xFFFFFFFFu) << i;
            EXPECT_EQ(summaries[i].Flags, loaded ? uint32_t(full.Flags) : 0u) << i;
        }
    }
}

TEST(ReadRecordSummaries, CostIsBoundedPerRecordWhateverTheIndexNames) {
    // Per record at most a planned read's slack, its header, a whole table
    // and two values, in five reads; a position named again costs nothing
    // more, nor one whose header the file cannot hold.
    const uint64_t kBytesPerRecord = 2048, kReadsPerRecord = 5;
    for (const SummaryLayout& layout : SummaryLayouts(16000)) {
        SCOPED_TRACE(layout.what);
        std::set<uint32_t> records;
        for (uint32_t p : layout.positions)
            if (p != 0 && uint64_t(p) + 12 <= layout.file.size()) records.insert(p);
        CountingStream stream(layout.file);
        ReadRecordSummaries(stream, layout.positions);
        EXPECT_LE(stream.reads, kReadsPerRecord * records.size());
        EXPECT_LE(stream.bytes, layout.file.size() + kBytesPerRecord * records.size());
    }
}

TEST(DateTime_Encode, CalendarFieldsToDays) {
    EXPECT_EQ(EncodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_EQ(EncodeDateTime({1900, 3, 1, 18, 0, 0, 0}), 61.75);  // 1900 is no leap year
    EXPECT_EQ(EncodeDateTime({2000, 2, 29, 0, 0, 0, 0}), 36585.0);
    EXPECT_EQ(EncodeDateTime({1899, 12, 29, 6, 0, 0, 0}), -1.25);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
