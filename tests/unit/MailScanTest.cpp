// The new-mail scan over stores written by mkstore: what is announced, in
// which order, what is passed over, and how bad files and messages are borne.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>

#include "DbxWriter.h"
#include "app/MailScan.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "store/DbxMessageFolder.h"
#include "unit/MailScanFixture.h"

namespace pellumo {
namespace test {
namespace {

TEST_F(MailScanTest, BaselineRecordsEverythingAndAnnouncesNothing) {
    Folder("Inbox");
    Folder("Lists");
    Write("Inbox", {Mail(1, "a"), Mail(2, "b", 0x80)});
    Write("Lists", {Mail(3, "c")});
    TMailScan scan(folders_);
    scan.ScanFolders(true);
    EXPECT_EQ(scan.Queue.Count(), 0u);
    EXPECT_EQ(scan.SeenIds.Count(), 3u);  // read or unread alike
    // Nothing changed: nothing is read again, nothing is announced.
    scan.StoreChanged();
    EXPECT_EQ(scan.Queue.Count(), 0u);
}

TEST_F(MailScanTest, TestStartAnnouncesEveryUnreadMessageInFolderAndRecordOrder) {
    Folder("Inbox");
    Folder("Lists");
    Write("Inbox", {Mail(1, "a"), Mail(2, "b", 0x80), Mail(3, "c", 0x100, 1)});
    Write("Lists", {Mail(4, "d", 0, 5)});
    TMailScan scan(folders_);
    int shown = 0;
    scan.ShowNextNotification = [&] { ++shown; };
    scan.ScanFolders(false);
    ASSERT_EQ(scan.Queue.Count(), 3u);
    std::unique_ptr<TNotification> first = scan.Queue.Take();
    EXPECT_EQ(first->Folder, "Inbox");
    EXPECT_EQ(first->Sender, "Sender of a");
    EXPECT_EQ(first->Subject, "a");
    EXPECT_EQ(first->Body, "Body of a\r\n");
    EXPECT_EQ(first->Priority, mpNormal);
    std::unique_ptr<TNotification> second = scan.Queue.Take();
    EXPECT_EQ(second->Subject, "c");  // only 0x80 marks a message read
    EXPECT_EQ(second->Priority, mpHigh);
    EXPECT_EQ(scan.Queue.Take()->Priority, mpLow);
    EXPECT_EQ(shown, 3);
}

TEST_F(MailScanTest, NewMessagesBetweenScansComeInFolderThenRecordOrder) {
    Folder("Inbox");
    Folder("Lists");
    Write("Inbox", {Mail(1, "old")});
    Write("Lists", {Mail(2, "old too")});
    TMailScan scan(folders_);
    scan.ScanFolders(true);
    Write("Lists", {Mail(2, "old too"), Mail(7, "l1"), Mail(8, "l2")});
    Write("Inbox", {Mail(1, "old"), Mail(5, "i1")});
    scan.StoreChanged();
    EXPECT_EQ(Queued(scan), (Subjects{"Inbox: i1", "Lists: l1", "Lists: l2"}));
    scan.StoreChanged();
    EXPECT_TRUE(Queued(scan).empty());  // announced once only
}

TEST_F(MailScanTest, ReadMarksDecideAndAreLookedAtAgain) {
    Folder("Inbox");
    Write("Inbox", {Mail(1, "seen at start")});
    TMailScan scan(folders_);
    scan.ScanFolders(true);
    // Arrives and is read before any scan sees it: not announced, not seen.
    Write("Inbox", {Mail(1, "seen at start"), Mail(2, "read early", 0x80)});
    scan.StoreChanged();
    EXPECT_TRUE(Queued(scan).empty());
    EXPECT_FALSE(scan.SeenIds.Contains("Inbox", "000002"));
    // Marked unread again: announced. The one seen at start never is.
    Write("Inbox", {Mail(1, "seen at start"), Mail(2, "read early")});
    scan.StoreChanged();
    EXPECT_EQ(Queued(scan), Subjects{"Inbox: read early"});
}

TEST_F(MailScanTest, IdsAreSeenPerFolder) {
    // Message Ids number the messages of one folder file: another folder's
    // 0000A1 is a different message and is announced; the same folder's
    // 0000B2 under another letter case is the same one.
    Folder("Inbox");
    Folder("Lists");
    Write("Inbox", {Mail(0xA1, "a")});
    Write("Lists", std::vector<mkstore::Message>{});
    TMailScan scan(folders_);
    scan.ScanFolders(true);
    Write("Lists", {Mail(0xA1, "same number elsewhere"), Mail(0xB2, "new")});
    scan.StoreChanged();
    EXPECT_EQ(Queued(scan), (Subjects{"Lists: same number elsewhere", "Lists: new"}));
    EXPECT_TRUE(scan.SeenIds.Contains("Lists", "0000b2"));
    EXPECT_FALSE(scan.SeenIds.Contains("Inbox", "0000B2"));
    Write("Inbox", {Mail(0xA1, "a"), Mail(0xB2, "inbox's own b2")});
    Write("Lists", {Mail(0xA1, "same number elsewhere"), Mail(0xB2, "new")});
    scan.StoreChanged();
    EXPECT_EQ(Queued(scan), Subjects{"Inbox: inbox's own b2"});
}

TEST_F(MailScanTest, WritesWithinOneAgeStepAreSeen) {
    // The mail client writes a message in several steps; a scan woken by the
    // first may find the file half written. The rest lands within the same
    // two-second age step, and still makes the next scan read the file.
    Folder("Inbox");
    Write("Inbox", {Mail(1, "a")});
    TMailScan scan(folders_);
    scan.ScanFolders(true);
    Write("Inbox", {Mail(1, "a")}, 0);  // a half-written state: nothing new yet
    const TFileStamp half = folders_[0].Info->LastAge;
    scan.StoreChanged();
    EXPECT_TRUE(Queued(scan).empty());
    Write("Inbox", {Mail(1, "a"), Mail(2, "b")}, 0);
    ASSERT_EQ(FileStamp(folders_[0].Info->Record->FileName).Age, half.Age) << "the test needs one age step";
    scan.StoreChanged();
    EXPECT_EQ(Queued(scan), Subjects{"Inbox: b"});
    // Nothing written since: not read again.
    scan.StoreChanged();
    EXPECT_TRUE(Queued(scan).empty());
}

TEST_F(MailScanTest, FoldersOfEveryKindTheListHoldsAreReadOthersNever) {
    Folder("Sent", 3);  // ticked by the user
    Folder("Missing");
    TFolderListEntry bare;
    bare.Info.reset(new TFolderInfo);
    folders_.push_back(std::move(bare));
    Write("Sent", {Mail(1, "sent and unread")});
    TMailScan scan(folders_);
    EXPECT_NO_THROW(scan.ScanFolders(false));
    EXPECT_EQ(Queued(scan), Subjects{"Sent: sent and unread"});
    EXPECT_EQ(folders_[1].Info->LastAge.Age, -1);
    EXPECT_EQ(folders_[2].Info->LastAge, TFileStamp());  // no record: not even looked at
    // The missing file appears: read at the next scan.
    Write("Missing", {Mail(1, "now here")});
    scan.StoreChanged();
    EXPECT_EQ(Queued(scan), Subjects{"Missing: now here"});
}

// Only the headers kept (an IMAP or HTTP account's message not opened yet):
// told at once with what its record knows, the body saying why it is empty.
TEST_F(MailScanTest, MessageNotDownloadedYetIsAnnouncedSayingSo) {
    Folder("Inbox");
    mkstore::Message m = Mail(1, "headers only");
    m.text.clear();
    m.priority = 1;
    Write("Inbox", {m});
    TMailScan scan(folders_);
    scan.ScanFolders(false);
    std::unique_ptr<TNotification> info = scan.Queue.Take();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Subject, "headers only");
    EXPECT_EQ(info->Priority, mpHigh);
    EXPECT_EQ(info->Body, "This message has not been downloaded yet.");
}

TEST_F(MailScanTest, ShuttingDownStopsBeforeTheNextRecord) {
    InboxOfThreeListsOfOne();
    TMailScan scan(folders_);
    scan.ShowNextNotification = [&scan] { scan.Queue.Close(); };
    scan.ScanFolders(false);
    EXPECT_EQ(Queued(scan), Subjects{"Inbox: a"});
}

TEST_F(MailScanTest, BadMessageIsAnnouncedWithoutBodyAndTheRestFollow) {
    Folder("Inbox");
    mkstore::Message longLine = Mail(2, "long line");
    longLine.text = "Subject: long line\r\n\r\n" + std::string(20000, 'x') + "\r\n";  // cut, not refused
    mkstore::Message unknownPart = Mail(3, "unknown part");
    unknownPart.text = "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: x";
    Write("Inbox", {Mail(1, "good"), longLine, unknownPart, Mail(4, "good too")});
    TMailScan scan(folders_);
    scan.ScanFolders(false);
    ASSERT_EQ(scan.Queue.Count(), 4u);
    EXPECT_EQ(scan.Queue.Take()->Body, "Body of good\r\n");
    EXPECT_EQ(scan.Queue.Take()->Body, std::string(16384, 'x') + "\r\n");
    std::unique_ptr<TNotification> bad = scan.Queue.Take();
    EXPECT_EQ(bad->Subject, "unknown part");
    EXPECT_EQ(bad->Body, "");
    EXPECT_EQ(scan.Queue.Take()->Body, "Body of good too\r\n");
}

TEST_F(MailScanTest, BadFolderFileIsPassedOverToldAndReadOnceItChanges) {
    Folder("Inbox");
    Folder("Broken");
    Folder("Lists");
    Write("Inbox", {Mail(1, "a")});
    Write("Broken", std::vector<uint8_t>(600, 'x'));
    Write("Lists", {Mail(2, "b")});
    TMailScan scan(folders_);
    const std::vector<TSkippedFolder> skipped = scan.ScanFolders(false);
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0].FileName, folders_[1].Info->Record->FileName);
    EXPECT_EQ(skipped[0].Message.English(), "Invalid dbx file");
    EXPECT_EQ(Queued(scan), (Subjects{"Inbox: a", "Lists: b"}));
    EXPECT_TRUE(scan.StoreChanged().empty()) << "not read again while unchanged";

    Write("Broken", mkstore::WriteFolderFile({}));  // still not a message file
    ASSERT_EQ(scan.StoreChanged().size(), 1u);
    Write("Broken", {Mail(9, "mended")});
    EXPECT_TRUE(scan.StoreChanged().empty());
    EXPECT_EQ(Queued(scan), Subjects{"Broken: mended"});
}

TEST_F(MailScanTest, MessagesNotAllWrittenYetWaitUnseenForALaterScan) {
    // States the scan can meet while the mail client writes a message: the
    // index already names it, its text does not all stand there yet. The
    // finished file may keep the stamp of the half-written one.
    enum Damage { kTextCut, kBlocksZero, kSecondBlockZero };
    for (Damage damage : {kTextCut, kBlocksZero, kSecondBlockZero}) {
        SCOPED_TRACE(damage);
        StartAfresh();
        TMailScan scan(folders_);
        scan.ScanFolders(true);
        mkstore::Message arriving = Mail(2, "arriving");
        arriving.text += std::string(700, 'y') + "\r\n";  // two blocks
        mkstore::Layout layout;
        const std::vector<uint8_t> whole = mkstore::WriteMessageFile({Mail(1, "old"), arriving}, {}, &layout);
        std::vector<uint8_t> half = whole;
        const uint32_t first = layout.blocks[1][0], second = layout.blocks[1][1];
        if (damage == kTextCut) half.resize(first + 0x100);
        if (damage == kBlocksZero) std::fill(half.begin() + first, half.begin() + first + 0x210, 0);
        if (damage == kSecondBlockZero) std::fill(half.begin() + second, half.begin() + second + 0x210, 0);
        Write("Inbox", half);
        scan.StoreChanged();
        EXPECT_TRUE(Queued(scan).empty());
        EXPECT_FALSE(scan.SeenIds.Contains("Inbox", "000002"));
        Write("Inbox", whole, 0);  // the zeroed states: the same size and time as the finished file
        scan.StoreChanged();
        EXPECT_EQ(Queued(scan), Subjects{"Inbox: arriving"});
    }
}

TEST_F(MailScanTest, AnUnwrittenTailPastWhatIsShownHoldsNothingBack) {
    // The text comes first and is all written; what the chain lacks lies in
    // the attachment after it, which the preview never needs: announced at
    // once, as it will read when finished. A tail in the text itself still
    // waits (above).
    mkstore::Message arriving = Mail(2, "arriving");
    arriving.text = "Subject: arriving\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
                    "--b\r\nContent-Type: text/plain\r\n\r\nthe text\r\n--b\r\n"
                    "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    while (arriving.text.size() < 200000) arriving.text += std::string(76, 'A') + "\r\n";
    arriving.text += "--b--\r\n";
    enum Damage { kLastBlockZero, kMiddleBlockZero };
    for (Damage damage : {kLastBlockZero, kMiddleBlockZero}) {
        SCOPED_TRACE(damage);
        StartAfresh();
        TMailScan scan(folders_);
        scan.ScanFolders(true);
        mkstore::Layout layout;
        std::vector<uint8_t> half = mkstore::WriteMessageFile({Mail(1, "old"), arriving}, {}, &layout);
        const std::vector<uint32_t>& blocks = layout.blocks[1];
        const uint32_t zeroed = damage == kLastBlockZero ? blocks.back() : blocks[blocks.size() / 2];
        std::fill(half.begin() + zeroed, half.begin() + zeroed + 0x210, 0);
        Write("Inbox", half);
        scan.StoreChanged();
        std::unique_ptr<TNotification> info = scan.Queue.Take();
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->Subject, "arriving");
        EXPECT_EQ(info->Body, "the text\r\n");
        EXPECT_TRUE(scan.SeenIds.Contains("Inbox", "000002"));
    }
}

TEST_F(MailScanTest, AnErrorMidFolderLosesNothingAndSparesTheOtherFolders) {
    InboxOfThreeListsOfOne();
    TMailScan scan(folders_);
    int calls = 0;
    scan.HoldBack = [&] {
        if (++calls == 2) throw Exception("out of something");
        return false;
    };
    scan.ScanFolders(false);
    EXPECT_EQ(Queued(scan), (Subjects{"Inbox: a", "Lists: d"}));
    EXPECT_FALSE(scan.SeenIds.Contains("Inbox", "000002"));
    // The file has not changed; the folder is read again all the same.
    scan.StoreChanged();
    EXPECT_EQ(Queued(scan), (Subjects{"Inbox: b", "Inbox: c"}));
    scan.StoreChanged();
    EXPECT_TRUE(Queued(scan).empty());
}

TEST_F(MailScanTest, UnreadIsCountedAtEveryReadingOfAFolder) {
    Folder("Inbox");
    TMailScan scan(folders_);
    const TFolderInfo& inbox = *folders_[0].Info;
    const struct {
        const char* what;
        std::vector<mkstore::Message> file;  // empty: the file is gone
        size_t unread;
    } steps[] = {
        {"at start", {Mail(1, "a"), Mail(2, "b", 0x80)}, 1},
        {"one new", {Mail(1, "a"), Mail(2, "b", 0x80), Mail(3, "c")}, 2},
        {"one read in the mail client", {Mail(1, "a", 0x80), Mail(2, "b", 0x80), Mail(3, "c")}, 1},
        {"one deleted", {Mail(2, "b", 0x80), Mail(3, "c")}, 1},
        {"compacted", {Mail(3, "c"), Mail(2, "b", 0x80)}, 1},
        {"gone", {}, 0},
    };
    bool first = true;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.file.empty())
            fs::remove(dir_ / "Inbox.dbx");
        else
            Write("Inbox", step.file);
        first ? (void)scan.ScanFolders(true) : (void)scan.StoreChanged();
        first = false;
        EXPECT_EQ(step.unread, inbox.Unread);
    }
    // What was queued is in the recent list too, newest first.
    ASSERT_EQ(1u, scan.Recent.Items().size());
    EXPECT_EQ("c", scan.Recent.Items().front().Subject);
}

TEST_F(MailScanTest, HoldBackDropsTheNotification) {
    Folder("Inbox");
    Write("Inbox", {Mail(1, "a"), Mail(2, "b")});
    TMailScan scan(folders_);
    bool front = true;
    scan.HoldBack = [&] { return front; };
    scan.ScanFolders(false);
    EXPECT_EQ(scan.Queue.Count(), 0u);
    EXPECT_TRUE(scan.SeenIds.Contains("Inbox", "000001"));  // dropped, not offered again
}

// The user's rules, by the sender's address (never the display name), from
// the message's From, else the index (a message not downloaded yet): one
// never to announce is neither queued nor in the recent list, yet unread and
// counted, and not looked at again; one always to announce goes first.
TEST_F(MailScanTest, RulesKeepMailUnannouncedOrPutItFirst) {
    Folder("Inbox");
    const auto from = [](uint32_t id, const std::string& subject, const std::string& fromValue) {
        mkstore::Message m = Mail(id, subject);
        m.text = "From: " + fromValue + "\r\n" + m.text;
        return m;
    };
    mkstore::Message notDownloaded = Mail(5, "headers only");
    notDownloaded.text.clear();
    notDownloaded.senderAddress = "Daily@News.Example.org";
    mkstore::Message boss = Mail(6, "from the index");
    boss.senderAddress = "boss@example.org";
    Write("Inbox", {from(1, "ordinary", "Ann <ann@example.org>"),
                    from(2, "spoofed", "\"boss@example.org\" <x@spam.example>"),
                    from(3, "news", "News <daily@news.example.org>"), from(4, "urgent", "<BOSS@example.org>"),
                    notDownloaded, boss, from(7, "ordinary too", "ann@example.org")});
    TMailScan scan(folders_);
    scan.UseRules({"@spam.example", "*@news.example.org"}, {"boss@example.org"});
    std::vector<std::string> notAnnounced;
    scan.NotAnnounced = [&](const TNotification& info, const TRuleMatch& rule) {
        notAnnounced.push_back(info.Subject + ": " + RuleName(rule));
    };
    scan.ScanFolders(false);
    EXPECT_EQ((std::vector<std::string>{"spoofed: NeverAnnounce rule 1", "news: NeverAnnounce rule 2",
                                        "headers only: NeverAnnounce rule 2"}),
              notAnnounced);
    // A rule added while mail waits to be told keeps what it matches
    // untold; what is told always stays.
    scan.UseRules({"@spam.example", "*@news.example.org", "ann@*"}, {"boss@example.org"});
    EXPECT_EQ((std::vector<std::string>{"ordinary: NeverAnnounce rule 3", "ordinary too: NeverAnnounce rule 3"}),
              std::vector<std::string>(notAnnounced.begin() + 3, notAnnounced.end()));
    std::vector<std::string> told, recent;
    for (const TNotification& info : scan.Recent.Items()) recent.push_back(info.Subject);
    while (auto info = scan.Queue.Take()) told.push_back(info->Subject + (info->Always ? " (always)" : ""));
    EXPECT_EQ((std::vector<std::string>{"urgent (always)", "from the index (always)"}), told);
    EXPECT_EQ((std::vector<std::string>{"ordinary too", "from the index", "urgent", "ordinary"}), recent);
    EXPECT_EQ(7u, folders_[0].Info->Unread);
    // Seen: a later change does not look at them again.
    Write("Inbox", {from(1, "ordinary", "ann@example.org"), from(3, "news", "daily@news.example.org"),
                    from(8, "more news", "daily@news.example.org")});
    notAnnounced.clear();
    scan.StoreChanged();
    EXPECT_EQ(std::vector<std::string>{"more news: NeverAnnounce rule 2"}, notAnnounced);
    EXPECT_EQ(0u, scan.Queue.Count());
    EXPECT_EQ(3u, folders_[0].Info->Unread);
}

// More new mail than the queue keeps bodies for: past that each message is
// read for its sender and subject alone, yet the recent list, which keeps
// the last few, has their bodies; a popup that keeps up (the queue taken as
// it fills) has every body.
TEST_F(MailScanTest, PastTheBodiesTheQueueKeepsOnlyNamesAreReadSaveForTheRecentOnes) {
    const size_t count = TNotificationQueue::kMaxWaitingWithBody + 2 * TRecentMail::kLimit;
    std::vector<mkstore::Message> mail;
    for (size_t i = 1; i <= count; ++i) {
        mail.push_back(Mail(static_cast<uint32_t>(i), std::to_string(i)));
        mail.back().text = "From: =?utf-8?Q?Writer_=C3=A9" + std::to_string(i) + "?= <w@example.com>\r\n" + mail.back().text;
    }
    for (bool keepingUp : {false, true}) {
        SCOPED_TRACE(keepingUp ? "a popup that keeps up" : "nothing shown meanwhile");
        StartAfresh();
        Write("Inbox", mail);
        TMailScan scan(folders_);
        std::vector<std::unique_ptr<TNotification>> shown;
        if (keepingUp) scan.ShowNextNotification = [&] { shown.push_back(scan.Queue.Take()); };
        scan.ScanFolders(false);
        while (auto info = scan.Queue.Take()) shown.push_back(std::move(info));
        ASSERT_EQ(shown.size(), count);
        for (size_t i = 0; i < count; ++i) {
            const std::string n = std::to_string(i + 1);
            EXPECT_EQ(shown[i]->Sender, u8"Writer \u00e9" + n);
            const bool body = keepingUp || i < TNotificationQueue::kMaxWaitingWithBody;
            EXPECT_EQ(shown[i]->Body, body ? "Body of " + n + "\r\n" : "") << n;
        }
        ASSERT_EQ(scan.Recent.Items().size(), TRecentMail::kLimit);
        for (size_t i = 0; i < TRecentMail::kLimit; ++i)
            EXPECT_EQ(scan.Recent.Items()[i].Body, "Body of " + std::to_string(count - i) + "\r\n");
    }
}

TEST(MailScan_Parts, PriorityMapping) {
    EXPECT_EQ(MapPriority(1), mpHigh);
    EXPECT_EQ(MapPriority(3), mpNormal);
    EXPECT_EQ(MapPriority(5), mpLow);
    EXPECT_EQ(MapPriority(0), mpNormal);
    EXPECT_EQ(MapPriority(2), mpNormal);
}

TEST_F(MailScanTest, TheSeenListKeepsOnlyWhatTheFoldersHold) {
    Folder("Inbox");
    Folder("Lists");
    Write("Inbox", {Mail(1, "a"), Mail(2, "b"), Mail(3, "c")});
    Write("Lists", {Mail(1, "d")});
    TMailScan scan(folders_);
    scan.ScanFolders(true);
    EXPECT_EQ(scan.SeenIds.Count(), 4u);
    Write("Inbox", {Mail(1, "a"), Mail(3, "c")});  // b deleted, or moved away
    scan.StoreChanged();
    EXPECT_EQ(scan.SeenIds.Count(), 3u);
    EXPECT_FALSE(scan.SeenIds.Contains("Inbox", "000002"));
    folders_.pop_back();  // Lists no longer watched
    scan.SeenIds.KeepFolders(folders_);
    EXPECT_EQ(scan.SeenIds.Count(), 2u);
    EXPECT_TRUE(scan.SeenIds.Contains("INBOX", "000003"));
}

TEST(MailScan_Parts, FileAgePacksLocalTimeInTwoSecondSteps) {
    EXPECT_EQ(DosDateTime(1980, 1, 1, 0, 0, 0), (1 << 5 | 1) << 16);
    EXPECT_EQ(DosDateTime(2004, 1, 13, 16, 40, 11), int32_t((24u << 9 | 1 << 5 | 13) << 16 | (16 << 11 | 40 << 5 | 5)));
    EXPECT_EQ(DosDateTime(1979, 12, 31, 23, 59, 59), -1);
    const std::string dir = std::filesystem::temp_directory_path().string();
    EXPECT_EQ(FileStamp(dir).Age, -1);
    EXPECT_EQ(FileStamp(dir + "/no-such-pellumo-file").Age, -1);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
