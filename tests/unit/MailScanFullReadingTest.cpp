// Each reading of a changing folder by the scan against a full reading of the
// same file (every record loaded whole, every text read).
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "platform/FileSystem.h"
#include "store/DbxMessageFolder.h"
#include "unit/MailScanFixture.h"

namespace pellumo {
namespace test {
namespace {

// What a full reading of a folder file (every record loaded whole, every
// text read) says a scan must find, given what was seen before.
struct FullReading {
    Subjects announced;
    size_t unread = 0;
    std::set<uint32_t> seen;

    FullReading(const std::string& path, std::set<uint32_t> seenBefore, bool baseline) {
        TDbxMessageFolder dbx;
        dbx.Open(std::unique_ptr<TStream>(new TFileStream(path)));
        size_t records = 0;
        std::set<uint32_t> kept;
        for (dbx.First(); !dbx.Eof(); dbx.Next()) {
            const TDbxMessageRecord& msg = *dbx.Current();
            ++records;
            const uint32_t id = TSeenIds::Number(msg.Id);
            if (!msg.IsRead()) ++unread;
            if (baseline || seenBefore.count(id)) {
                kept.insert(id);
            } else if (!msg.IsRead()) {
                TMemoryStream text;
                bool complete = true;
                dbx.ReadMessage(msg.BodyPos, text, &complete);
                if (!complete) continue;
                announced.push_back("Inbox: " + msg.Subject);
                kept.insert(id);
            }
        }
        if (records != dbx.ItemCount()) kept.insert(seenBefore.begin(), seenBefore.end());
        seen = kept;
    }
};

// The messages a file holds, as WriteMessageFile takes them (a compaction).
std::vector<mkstore::Message> MessagesOf(const std::vector<uint8_t>& file) {
    TMemoryStream stream(file);
    TDbxMessageFolder dbx;
    dbx.Open(stream);
    std::vector<mkstore::Message> messages;
    for (dbx.First(); !dbx.Eof(); dbx.Next())
        messages.push_back(Mail(TSeenIds::Number(dbx.Current()->Id), dbx.Current()->Subject, dbx.Current()->Flags));
    return messages;
}

// Each reading of a changing folder must find what a full reading of the
// same file finds: the same announcements, unread count and seen Ids.
class ScanEqualsFullReading : public MailScanTest {
protected:
    enum How { kInPlace, kSameStamp, kRenamedOver };
    void Start(const std::vector<uint8_t>& bytes) {
        Folder("Inbox");
        file_ = bytes;
        Write("Inbox", file_);
        scan_.reset(new TMailScan(folders_));
        Check(true);
    }
    void Step(const std::vector<uint8_t>& bytes, How how = kInPlace) {
        file_ = bytes;
        if (how == kRenamedOver) {
            Write("Inbox.new", file_);
            fs::rename(dir_ / "Inbox.new.dbx", dir_ / "Inbox.dbx");
        } else {
            Write("Inbox", file_, how == kSameStamp ? 0 : 10);
        }
        Check(false);
    }
    void Check(bool baseline) {
        const FullReading full((dir_ / "Inbox.dbx").string(), seen_, baseline);
        baseline ? (void)scan_->ScanFolders(true) : (void)scan_->StoreChanged();
        EXPECT_EQ(full.announced, Queued(*scan_));
        EXPECT_EQ(full.unread, folders_[0].Info->Unread);
        EXPECT_EQ(full.seen.size(), scan_->SeenIds.Count());
        for (uint32_t id : full.seen) EXPECT_TRUE(scan_->SeenIds.Of("Inbox").Contains(id)) << id;
        seen_ = full.seen;
    }

    std::vector<uint8_t> file_;
    std::set<uint32_t> seen_;
    std::unique_ptr<TMailScan> scan_;
};

TEST_F(ScanEqualsFullReading, AtEveryChangeTheMailClientMakes) {
    using mkstore::kFlagsProperty;
    using mkstore::kIdProperty;
    Start(mkstore::WriteMessageFile({Mail(1, "a"), Mail(2, "b", 0x80), Mail(3, "c")}));
    mkstore::Message unfinished = Mail(12, "unfinished");
    unfinished.text += std::string(700, 'y');
    std::vector<uint8_t> whole;
    const struct {
        const char* what;
        std::function<std::vector<uint8_t>(const std::vector<uint8_t>&)> change;
        How how;
    } steps[] = {
        {"new", [](auto& f) { return mkstore::AddMessages(f, {Mail(4, "d")}); }, kInPlace},
        {"marked read where it lies", [](auto& f) { return mkstore::SetMessageValue(f, 3, kFlagsProperty, 0x80); },
         kInPlace},
        {"marked unread again", [](auto& f) { return mkstore::SetMessageValue(f, 2, kFlagsProperty, 0); }, kInPlace},
        {"deleted", [](auto& f) { return mkstore::RemoveMessages(f, {1}); }, kInPlace},
        {"a record's room reused for a new message, the index as it was",
         [](auto& f) { return mkstore::SetMessageValue(f, 4, kIdProperty, 9); }, kInPlace},
        {"compacted, a new message with it",
         [](auto& f) {
             std::vector<mkstore::Message> messages = MessagesOf(f);
             messages.push_back(Mail(10, "j"));
             return mkstore::WriteMessageFile(messages);
         },
         kInPlace},
        {"a new file renamed over it", [](auto& f) { return mkstore::AddMessages(f, {Mail(11, "k")}); },
         kRenamedOver},
        {"shrunk", [&](auto& f) { return whole = f, std::vector<uint8_t>(f.begin(), f.begin() + f.size() * 2 / 3); },
         kInPlace},
        {"whole again", [&](auto&) { return whole; }, kInPlace},
        {"a new message half written",
         [&](auto& f) {
             whole = mkstore::AddMessages(f, {unfinished});
             std::vector<uint8_t> half = whole;
             std::fill(half.begin() + f.size(), half.begin() + f.size() + 0x210, 0);  // its first block
             return half;
         },
         kInPlace},
        {"written to its end within the same stamp", [&](auto&) { return whole; }, kSameStamp},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        Step(step.change(file_), step.how);
    }
}

TEST_F(ScanEqualsFullReading, UnderRandomChanges) {
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        TearDown(), SetUp(), folders_.clear(), records_.clear(), seen_.clear();
        std::mt19937 random(seed);
        auto pick = [&](size_t n) { return size_t(random() % n); };
        uint32_t nextId = 1;
        std::vector<mkstore::Message> start;
        for (; nextId <= 30; ++nextId) start.push_back(Mail(nextId, "m" + std::to_string(nextId), pick(2) * 0x80));
        mkstore::Options options;
        options.entriesPerNode = 3;  // deep trees
        Start(mkstore::WriteMessageFile(start, options));
        for (int i = 0; i < 40; ++i) {
            const std::vector<mkstore::Message> held = MessagesOf(file_);
            const uint32_t id = held.empty() ? 0 : held[pick(held.size())].id;
            switch (held.empty() ? 0 : pick(6)) {
            case 0: {
                std::vector<mkstore::Message> added;
                for (size_t n = 1 + pick(3); n > 0; --n, ++nextId)
                    added.push_back(Mail(nextId, "m" + std::to_string(nextId), pick(3) == 0 ? 0x80 : 0));
                Step(mkstore::AddMessages(file_, added, options));
                break;
            }
            case 1: Step(mkstore::SetMessageValue(file_, id, mkstore::kFlagsProperty, pick(2) * 0x80)); break;
            case 2: Step(mkstore::RemoveMessages(file_, {id}, options)); break;
            case 3: Step(mkstore::SetMessageValue(file_, id, mkstore::kIdProperty, nextId++)); break;
            case 4: Step(mkstore::WriteMessageFile(held, options), kRenamedOver); break;
            default: {
                const std::vector<uint8_t> whole = file_;
                Step(std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() * (1 + pick(9)) / 10));
                Step(whole);
            }
            }
        }
    }
}

}  // namespace
}  // namespace test
}  // namespace pellumo
