// Real and test messages from public corpora: each must preview without an
// error escaping other than the reader's own, and leave no temporary file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "content/IdMessage.h"
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

TEST(RealMessages, EveryCorpusMessagePreviewsAndCleansUp) {
    const auto files = FilesBelow(SharedData("mime"));
    if (files.empty()) GTEST_SKIP() << "no shared test data";
    size_t previewed = 0, refused = 0;
    for (const auto& path : files) {
        try {
            const std::string preview = PreviewRawMessage(ReadAll(path));
            ++previewed;
        } catch (const Exception& e) {
            // Only the reader's own errors may stop a message.
            const std::string m = e.what();
            EXPECT_TRUE(m == "Max line length exceeded." || m == "Unknown Message Part Type.") << path << ": " << m;
            ++refused;
        }
    }
    EXPECT_GT(previewed, files.size() * 9 / 10);
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
        // Its style sheet is ordinary text to the reduction.
        {"dbx/oe6-sample-store/Inbox.dbx", "font{font-family:\"Verdana\";font-size:8pt;color:#000000}"},
    };
    for (const auto& c : cases) {
        TZellMessageDbx dbx;
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
