// The message folder reader over whole files: opening and its checks,
// listing, and copying raw message text out of block chains.
#include <gtest/gtest.h>

#include "DbxWriter.h"
#include "platform/Exception.h"
#include "store/DbxMessageStream.h"
#include "unit/RawDbx.h"
#include "unit/TestSupport.h"

namespace pellumo {
namespace test {
namespace {

std::string Text(size_t size, char seed = 'a') {
    std::string s(size, ' ');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(seed + i % 26);
    return s;
}

// Raw text of every message of a file, in reader order.
std::vector<std::string> Texts(const std::vector<uint8_t>& file) {
    TMemoryStream stream(file);
    TDbxMessageFolder dbx;
    dbx.Open(stream);
    std::vector<std::string> texts;
    for (dbx.First(); !dbx.Eof(); dbx.Next()) {
        TMemoryStream out;
        const uint64_t written = dbx.ReadMessage(dbx.Current()->BodyPos, out);
        EXPECT_EQ(written, out.Size());
        texts.push_back(out.Text());
    }
    return texts;
}

// A chain copied whole; read a byte at a time as a stream, it must give the
// same bytes and the same verdict on whether it is all written.
std::string ReadChain(const std::vector<uint8_t>& file, uint32_t position, uint64_t* total = nullptr) {
    TMemoryStream stream(file);
    TDbxMessageFolder dbx;
    dbx.Open(stream);
    TMemoryStream out;
    bool whole = false;
    const uint64_t n = dbx.ReadMessage(position, out, &whole);
    if (total) *total = n;
    TDbxMessageStream chain(stream, position);
    std::string bytes;
    for (char c; chain.Read(&c, 1) == 1;) bytes += c;
    EXPECT_EQ(bytes, out.Text());
    EXPECT_EQ(chain.Whole(), whole);
    EXPECT_TRUE(chain.Ended());
    return out.Text();
}

TEST(TDbxMessageFolder_Open, ChecksSignatureThenType) {
    RawDbx bad;
    bad.Put32(0, 0xFE12ADCE);
    TDbxMessageFolder dbx;
    auto open = [&](const std::vector<uint8_t>& bytes) {
        try {
            dbx.Open(std::unique_ptr<TStream>(new TMemoryStream(bytes)));
        } catch (const Exception& e) {
            return e.Message();
        }
        return std::string("opened");
    };
    EXPECT_EQ(open(bad.bytes), "Invalid dbx file");
    // The reader keeps the stream it was given until Close.
    EXPECT_NE(dbx.Stream(), nullptr);
    EXPECT_TRUE(dbx.OwnsStream());
    dbx.Close();
    EXPECT_EQ(dbx.Stream(), nullptr);

    EXPECT_EQ(open(RawDbx(RawDbx::kFolders).bytes), "Unexpected dbx file type");
    EXPECT_EQ(open(std::vector<uint8_t>(3, 0xCF)), "Invalid dbx file");
    EXPECT_EQ(open(RawDbx(RawDbx::kMessages).bytes), "opened");
    EXPECT_TRUE(dbx.Eof());  // not positioned until First
}

TEST(TDbxMessageFolder_Open, FileTypeClassifiesTheTypeWord) {
    const std::pair<uint32_t, int> cases[] = {
        {0x6F74FDC6, 1}, {0x6F74FDC5, 2}, {0x6F74FDC7, 3}, {0x26FE9D30, 4}, {0x6F74FDC4, 0}, {0, 0}};
    for (const auto& c : cases) {
        TMemoryStream stream(RawDbx(c.first).bytes);
        TDbxFolderListFile dbx;
        dbx.Open(stream);
        EXPECT_EQ(dbx.FileType(), c.second) << std::hex << c.first;
    }
}

TEST(TDbxMessageFolder_Open, MissingFileRaisesCannotOpen) {
    const std::string path = TestData("dbx/no-such-file.dbx");
    try {
        TFileStream stream(path);
        FAIL() << "opened";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + path);
    }
    TDbxFolderListFile dbx;
    dbx.FileName = path;
    EXPECT_THROW(dbx.Open(), Exception);
    EXPECT_FALSE(dbx.Active());
}

TEST(TDbxMessageFolder_List, WriterFilesComeBackInOrderThroughMultiLevelTrees) {
    for (unsigned perNode : {1u, 2u, 3u, 7u, 51u}) {
        std::vector<mkstore::Message> messages(300);
        for (size_t i = 0; i < messages.size(); ++i) {
            messages[i].id = static_cast<uint32_t>(1000 + i * 3);
            messages[i].subject = "Subject " + std::to_string(i);
        }
        mkstore::Options options;
        options.entriesPerNode = perNode;
        mkstore::Layout layout;
        const auto file = mkstore::WriteMessageFile(messages, options, &layout);
        if (perNode < 51) {
            ASSERT_GT(layout.nodes.size(), 1u);
        }
        TMemoryStream stream(file);
        TDbxMessageFolder dbx;
        dbx.Open(stream);
        size_t i = 0;
        for (dbx.First(); !dbx.Eof(); dbx.Next(), ++i) {
            ASSERT_LT(i, messages.size());
            EXPECT_EQ(dbx.Current()->Id, Hex6(1000 + static_cast<unsigned>(i) * 3));
            EXPECT_EQ(dbx.Current()->Subject, messages[i].subject);
        }
        EXPECT_EQ(i, messages.size()) << perNode << " entries per node";
    }
}

TEST(TDbxMessageFolder_List, IndexFieldsTheScanUses) {
    mkstore::Message m;
    m.id = 0x42;
    m.flags = 0x80;
    m.priority = 1;
    m.subject = "Quarterly report";
    m.senderName = "Zo\xEB Example";
    m.senderAddress = "zoe@example.com";
    m.text = "Subject: Quarterly report\r\n\r\nBody\r\n";
    const auto file = mkstore::WriteMessageFile({m});
    TMemoryStream stream(file);
    TDbxMessageFolder dbx;
    dbx.Open(stream);
    dbx.First();
    ASSERT_FALSE(dbx.Eof());
    const TDbxMessageRecord& r = *dbx.Current();
    EXPECT_EQ(r.Id, "000042");
    EXPECT_TRUE(r.IsRead());
    EXPECT_EQ(r.Priority, 1);
    EXPECT_EQ(r.Subject, "Quarterly report");
    EXPECT_EQ(r.SenderName, "Zo\xEB Example");
    EXPECT_EQ(r.SenderAddress, "zoe@example.com");
    EXPECT_EQ(r.TextLength, int32_t(m.text.size()));
    EXPECT_NE(r.BodyPos, 0u);
}

TEST(TDbxMessageFolder_List, AddedMessagesFollowTheOldOnes) {
    std::vector<mkstore::Message> first(60), more(5);
    for (auto& m : first) m.text = "old";
    for (auto& m : more) m.text = "new";
    mkstore::Options options;
    options.entriesPerNode = 4;
    const auto before = mkstore::WriteMessageFile(first, options);
    const auto after = mkstore::AddMessages(before, more, options);
    const auto ids = ListIds(after);
    ASSERT_EQ(ids.size(), 65u);
    EXPECT_EQ(ids[59], Hex6(60));
    EXPECT_EQ(ids[60], Hex6(61));
    EXPECT_EQ(ids[64], Hex6(65));
    const auto texts = Texts(after);
    EXPECT_EQ(texts[0], "old");
    EXPECT_EQ(texts[64], "new");
}

TEST(TDbxMessageFolder_ReadMessage, BlockChainsOfEverySize) {
    const size_t sizes[] = {1, 511, 512, 513, 1031, 5000};
    std::vector<mkstore::Message> messages;
    for (size_t size : sizes) {
        mkstore::Message m;
        m.text = Text(size, static_cast<char>('a' + messages.size()));
        messages.push_back(m);
    }
    for (bool scatter : {false, true}) {
        mkstore::Options options;
        options.scatterBlocks = scatter;
        const auto texts = Texts(mkstore::WriteMessageFile(messages, options));
        ASSERT_EQ(texts.size(), messages.size());
        for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], messages[i].text) << sizes[i];
    }
}

TEST(TDbxMessageFolder_ReadMessage, ThreeBlocksInChainOrderNotFileOrder) {
    RawDbx f;
    const uint32_t third = f.Block(Text(7, 'x'));
    const uint32_t second = f.Block(Text(512, 'b'), third);
    const uint32_t first = f.Block(Text(512, 'a'), second);
    uint64_t total = 0;
    EXPECT_EQ(ReadChain(f.bytes, first, &total), Text(512, 'a') + Text(512, 'b') + Text(7, 'x'));
    EXPECT_EQ(total, 1031u);
}

TEST(TDbxMessageFolder_ReadMessage, PositionZeroWritesNothing) {
    RawDbx f;
    uint64_t total = 1;
    EXPECT_EQ(ReadChain(f.bytes, 0, &total), "");
    EXPECT_EQ(total, 0u);
}

TEST(TDbxMessageFolder_ReadMessage, CountAbove512TakesTheBlocksOwnBytesOnly) {
    RawDbx f;
    const uint32_t second = f.Block("tail");
    const uint32_t first = f.Block(Text(512), second, 0x7FFFFFFF);
    EXPECT_EQ(ReadChain(f.bytes, first), Text(512) + "tail");
}

TEST(TDbxMessageFolder_ReadMessage, CycleEndsTheChainKeepingWhatWasCopied) {
    RawDbx f;
    const uint32_t a = f.Alloc(0x210), b = f.Alloc(0x210);
    f.Put32(a + 8, 3);
    f.Put32(a + 12, b);
    f.PutBytes(a + 16, "one");
    f.Put32(b + 8, 3);
    f.Put32(b + 12, a);
    f.PutBytes(b + 16, "two");
    EXPECT_EQ(ReadChain(f.bytes, a), "onetwo");
    f.Put32(a + 12, a);
    EXPECT_EQ(ReadChain(f.bytes, a), "one");

    // Blocks 16 bytes apart, each at a position of its own, give 512 bytes
    // each from a file a thirty-second the size: the chain gives no more
    // than the file holds.
    RawDbx overlapping;
    const uint32_t blocks = 4000, start = overlapping.Alloc(16 * blocks + 0x210);
    for (uint32_t k = 0; k < blocks; ++k) {
        const uint32_t at = start + 16 * k;
        overlapping.Put32(at + 8, 0x200);
        overlapping.Put32(at + 12, k + 1 < blocks ? at + 16 : 0);
    }
    uint64_t total = 0;
    EXPECT_EQ(ReadChain(overlapping.bytes, start, &total).size(), overlapping.bytes.size());
    EXPECT_EQ(total, overlapping.bytes.size());
}

TEST(TDbxMessageFolder_ReadMessage, ShortReadAtTheEndNeverRepeatsTheLastBlock) {
    // The second block starts 20 bytes before the end: 4 of its message bytes
    // exist; the rest must not be the first block's bytes again.
    RawDbx f;
    const uint32_t first = f.Block(Text(512, 'a'));
    const uint32_t second = static_cast<uint32_t>(f.bytes.size());
    f.Put32(first + 12, second);
    f.Put32(second + 8, 300);
    f.Put32(second + 12, first);
    f.PutBytes(second + 16, "WXYZ");
    EXPECT_EQ(ReadChain(f.bytes, first), Text(512, 'a') + "WXYZ");
    EXPECT_EQ(ReadChain(f.bytes, 0x7FFFFFF0), "");
}

TEST(TDbxMessageFolder_ReadMessage, AppendsAtTheDestinationsPosition) {
    RawDbx f;
    const uint32_t block = f.Block("text");
    TMemoryStream stream(f.bytes);
    TDbxMessageFolder dbx;
    dbx.Open(stream);
    TMemoryStream out(std::string("0123456789"));
    out.Seek(2);
    EXPECT_EQ(dbx.ReadMessage(block, out), 4u);
    EXPECT_EQ(out.Text(), "01text6789");
}

TEST(TDbxMessageFolder_ReadMessage, AStreamReadsNoFurtherThanItIsAsked) {
    // Three blocks, the last one never written: a reader that stops in the
    // first two sees a whole chain; one that reads on does not. Seeking
    // back reads the chain again from its start.
    RawDbx f;
    const uint32_t unwritten = f.Alloc(0x210);
    const uint32_t second = f.Block(Text(512, 'b'), unwritten);
    const uint32_t first = f.Block(Text(512, 'a'), second);
    TMemoryStream stream(f.bytes);
    TDbxMessageStream chain(stream, first);
    char buffer[700];
    EXPECT_EQ(chain.Read(buffer, sizeof buffer), sizeof buffer);
    EXPECT_EQ(chain.Blocks(), 2u);
    EXPECT_TRUE(chain.Whole());
    EXPECT_EQ(chain.Read(buffer, sizeof buffer), 1024 - sizeof buffer);
    EXPECT_FALSE(chain.Whole());
    chain.Seek(510);
    EXPECT_TRUE(chain.Whole());
    EXPECT_EQ(chain.Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), Text(512, 'a').substr(510) + Text(512, 'b').substr(0, 2));
}

TEST(TDbxMessageFolder_ReadMessage, BodyBeyond16MiBUsesTheIndirectPosition) {
    mkstore::Message m;
    m.text = "Subject: far away\r\n\r\nbody\r\n";
    mkstore::Options options;
    options.bodyGap = 17u << 20;
    const auto file = mkstore::WriteMessageFile({m, m}, options);
    TMemoryStream stream(file);
    TDbxMessageFolder dbx;
    dbx.Open(stream);
    dbx.First();
    ASSERT_FALSE(dbx.Eof());
    EXPECT_GT(dbx.Current()->BodyPos, 0xFFFFFFu);
    EXPECT_TRUE(dbx.Current()->Values.Has("04"));
    TMemoryStream out;
    dbx.ReadMessage(dbx.Current()->BodyPos, out);
    EXPECT_EQ(out.Text(), m.text);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
