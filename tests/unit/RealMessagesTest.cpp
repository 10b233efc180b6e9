// Real and test messages from public corpora: each must preview without an
// error escaping other than the reader's own, and leave no temporary file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/Notification.h"
#include "content/MimeMessage.h"
#include "unit/TestSupport.h"

namespace pellumo {
namespace test {
namespace {

// Every message file below Dir (the corpora's SOURCES.txt is not one), sorted.
std::vector<std::string> FilesBelow(const std::string& dir) {
    std::vector<std::string> files;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file() && it->path().filename() != "SOURCES.txt") files.push_back(it->path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Messages of the corpus with no inline text at all: attachments only (text
// named as a file included), attached or partial messages, empty or cut-off
// samples, HTML of nothing but images; and two whose text the reader does not
// reach (a part typed "<html>", an outer boundary inside an unclosed inner
// container). Each was looked at.
const size_t kMessagesWithoutText = 62;

bool Blank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

// The whole corpus: nothing but the reader's own errors stops a message,
// every message with inline text previews some, and none opens with the
// style sheet, script or markup of an HTML body.
TEST(RealMessages, EveryCorpusMessagePreviewsItsText) {
    const auto files = FilesBelow(SharedData("mime"));
    if (files.empty()) GTEST_SKIP() << "no shared test data";
    size_t empty = 0;
    for (const auto& path : files) {
        std::string preview;
        try {
            preview = PreviewRawMessage(ReadAll(path));
        } catch (const Exception& e) {
            const std::string m = e.what();
            EXPECT_EQ(m, "Unknown Message Part Type.") << path;
            continue;
        }
        if (Blank(preview)) {
            ++empty;
            continue;
        }
        // Its boundary lines do not match its boundary: the whole body is
        // its text, HTML part included, as in the mail client.
        if (path.find("spam-1__00467.") != std::string::npos) continue;
        const std::string start = preview.substr(0, 300);
        for (const char* junk : {"font-family:", "color:#", "function(", "@media", "<style", "<script", "&nbsp;", "&#"})
            EXPECT_EQ(start.find(junk), std::string::npos) << path << " opens with: " << start;
    }
    EXPECT_LE(empty, kMessagesWithoutText);
}

// What a popup shows of a raw message: its body, sender and subject cut as
// the queue cuts them, or the reader's error. Read whole, or only as far as
// the preview needs (from a stream of one byte per read, to find
// buffer-edge faults), or for the sender and subject alone (no body).
struct Shown {
    std::string body, sender, subject, error;
    bool stopped = false;
    bool operator==(const Shown& o) const {
        return body == o.body && sender == o.sender && subject == o.subject && error == o.error;
    }
};
enum class Reading { Whole, Preview, Names };
Shown ShownOf(const std::string& raw, Reading reading, bool oneByte = false) {
    Shown shown;
    TMimeMessage message;
    try {
        TNotification info;
        if (reading == Reading::Names) {
            TMemoryStream stream(raw);
            ReadNamesFromStream(message, stream);
        } else if (reading == Reading::Preview) {
            std::unique_ptr<TMemoryStream> stream(oneByte ? new OneByteStream(raw) : new TMemoryStream(raw));
            shown.stopped = ReadPreviewFromStream(message, *stream, info.Body);
        } else {
            TMemoryStream stream(raw);
            ReadFromStream(message, stream);
            info.Body = BodyPreview(message);
        }
        const TMessageNames names = MessageNames(message);
        info.Sender = names.Sender;
        info.Subject = names.Subject;
        CutToWhatAPopupShows(info);
        shown.body = info.Body, shown.sender = info.Sender, shown.subject = info.Subject;
    } catch (const Exception& e) {
        shown.error = e.what();
    }
    return shown;
}

// Reading only what the preview needs shows what reading the whole message
// shows, for every corpus message the whole reading does not give up on
// (one it gives up on at a part's cut-off header after the text shows that
// text). Most stop early: before an attachment, or past enough of the text.
TEST(RealMessages, PreviewReadingShowsWhatTheWholeReadingShows) {
    const auto files = FilesBelow(SharedData("mime"));
    if (files.empty()) GTEST_SKIP() << "no shared test data";
    size_t stopped = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        const std::string raw = ReadAll(path);
        const Shown whole = ShownOf(raw, Reading::Whole);
        const Shown streamed = ShownOf(raw, Reading::Preview, i % 4 == 0);
        if (streamed.stopped) ++stopped;
        if (!whole.error.empty() && streamed.error.empty()) {
            EXPECT_TRUE(streamed.stopped) << path;
            continue;
        }
        EXPECT_TRUE(whole == streamed) << path << "\n" << whole.body.substr(0, 200) << "\n---\n"
                                       << streamed.body.substr(0, 200) << "\n" << whole.error << streamed.error;
        // Read for the names alone (a message that will not be shown on its own).
        const Shown named = ShownOf(raw, Reading::Names);
        if (whole.error.empty()) {
            EXPECT_EQ(named.sender + "|" + named.subject, whole.sender + "|" + whole.subject) << path;
        }
    }
    EXPECT_GT(stopped, files.size() / 10);
}

// Previews read and judged right by eye, pinned.
TEST(RealMessages, PinnedPreviews) {
    const std::pair<const char*, const char*> cases[] = {
        {"mime/cpython/msg_02.txt", "Send Ppp mailing list submissions to\r\n\tppp@zzz.org\r\n"},
        // Plain text beside three uuencoded files: the text is shown.
        {"mime/spamassassin-corpus/hard-ham-1__00189.c69e4af5bfa5a1bcb403eefe112e5e45.eml",
         "I did more testing with your patch on top of today's CVS, but the patch\r\ndidn't help at all.\r\n"},
        // An unquoted boundary full of "=" and "_": the plain part of the alternative.
        {"mime/mail-ruby/mime_emails__raw_email_with_illegal_boundary.eml",
         "Hello\r\nThis is an outlook test\r\n\r\nSo there.\r\n\r\nMe.\r\n"},
    };
    for (const auto& c : cases) {
        const std::string raw = ReadAll(SharedData(c.first));
        if (raw.empty()) GTEST_SKIP() << "no shared test data";
        const std::string preview = PreviewRawMessage(raw);
        EXPECT_EQ(preview.substr(0, std::string(c.second).size()), c.second) << c.first;
    }
}

TEST(RealMessages, StoredMessagesPreview) {
    const std::pair<const char*, const char*> cases[] = {
        {"dbx/perl-dbx/test1.dbx", "This email is to inform you of release '4.7.5' of 'centericq' through\r\n"},
        {"dbx/perl-dbx/test.dbx", "\r\n\r\nThe following is a bit lengthy but definitely worth the read. \r\n"},
        // The store's welcome message: its text, not its style sheet.
        {"dbx/oe6-sample-store/Inbox.dbx", "The solution for all your messaging needs\r\nFeaturing\r\n"},
    };
    for (const auto& c : cases) {
        TDbxMessageFolder dbx;
        dbx.Open(std::unique_ptr<TStream>(new TFileStream(TestData(c.first))));
        dbx.First();
        ASSERT_FALSE(dbx.Eof()) << c.first;
        TMemoryStream raw;
        dbx.ReadMessage(dbx.Current()->BodyPos, raw);
        const std::string preview = PreviewRawMessage(raw.Text());
        EXPECT_EQ(preview.substr(0, std::string(c.second).size()), c.second) << c.first;
    }
}

}  // namespace
}  // namespace test
}  // namespace pellumo
