// Attachment files: free names counted up from a start, never anybody else's
// file, and a write stream that reports its failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/TempFile.h"

namespace pellumo {
namespace test {
namespace {

namespace fs = std::filesystem;

// A directory of the test's own, so fixed numbers can be used without racing
// other programs in the real temporary directory.
class TempFileDir : public ::testing::Test {
protected:
    void SetUp() override {
        for (unsigned n = 0; dir_.empty(); ++n) {
            const fs::path candidate = fs::path(TempDirectory()) / ("pellumo-temp-" + TempFileName(TickCount() + n));
            if (fs::create_directory(candidate)) dir_ = candidate.string() + kPathDelimiter;
        }
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    void Put(const std::string& name, const std::string& text) { std::ofstream(dir_ + name, std::ios::binary) << text; }
    std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string dir_;
};

TEST(TempFileName, IndyEightUpperHexDigitsTmp) {
    EXPECT_EQ(TempFileName(0), "Indy00000000.tmp");
    EXPECT_EQ(TempFileName(0x1A2B3C4D), "Indy1A2B3C4D.tmp");
    EXPECT_EQ(TempFileName(0xFFFFFFFF), "IndyFFFFFFFF.tmp");
}

TEST(TempDirectory, EndsInADelimiter) { EXPECT_TRUE(EndsWithPathDelimiter(TempDirectory())); }

TEST_F(TempFileDir, CountsUpPastTakenNamesAndLeavesThemAlone) {
    const struct {
        uint32_t start;
        std::vector<std::string> taken;  // files, and "/" + name for a directory
        std::string expected;
    } cases[] = {
        {0x100, {}, "Indy00000100.tmp"},
        {0x100, {"Indy00000100.tmp", "Indy00000101.tmp"}, "Indy00000102.tmp"},
        {0x9, {"/Indy00000009.tmp"}, "Indy0000000A.tmp"},
        {0xFFFFFFFF, {"IndyFFFFFFFF.tmp"}, "Indy00000000.tmp"},
    };
    for (const auto& c : cases) {
        for (const std::string& name : c.taken) {
            if (name[0] == '/') fs::create_directory(dir_ + name.substr(1));
            else Put(name, "keep " + name);
        }
        std::string path;
        std::unique_ptr<TFileWriteStream> file = CreateNumberedFile(dir_, c.start, path);
        ASSERT_TRUE(file);
        EXPECT_EQ(path, dir_ + c.expected);
        file->Write("new", 3);
        file->Close();
        EXPECT_EQ(Get(path), "new");
        for (const std::string& name : c.taken) {
            if (name[0] != '/') {
                EXPECT_EQ(Get(dir_ + name), "keep " + name);
            }
        }
        fs::remove_all(dir_);
        fs::create_directory(dir_);
    }
}

TEST_F(TempFileDir, SameStartTwiceGivesConsecutiveNames) {
    std::string first, second;
    auto a = CreateNumberedFile(dir_, 0xABC, first);
    auto b = CreateNumberedFile(dir_, 0xABC, second);
    EXPECT_EQ(first, dir_ + "Indy00000ABC.tmp");
    EXPECT_EQ(second, dir_ + "Indy00000ABD.tmp");
}

TEST_F(TempFileDir, GivesUpWhenEveryNameIsTakenOrTheDirectoryIsMissing) {
    for (uint32_t n = 5; n < 8; ++n) Put(TempFileName(n), "keep");
    std::string path = "unchanged";
    EXPECT_THROW(CreateNumberedFile(dir_, 5, path, 3), Exception);
    EXPECT_EQ(path, "unchanged");
    EXPECT_TRUE(CreateNumberedFile(dir_, 5, path, 4));
    EXPECT_EQ(path, dir_ + "Indy00000008.tmp");
    EXPECT_THROW(CreateNumberedFile(dir_ + "missing" + kPathDelimiter, 5, path), Exception);
    EXPECT_THROW(CreateNumberedFile("", 5, path), Exception);
}

#ifndef _WIN32
TEST_F(TempFileDir, ALinkOfTheNameIsNotFollowed) {
    Put("target", "keep");
    ASSERT_EQ(::symlink((dir_ + "target").c_str(), (dir_ + TempFileName(1)).c_str()), 0);
    ASSERT_EQ(::symlink((dir_ + "nowhere").c_str(), (dir_ + TempFileName(2)).c_str()), 0);
    std::string path;
    CreateNumberedFile(dir_, 1, path)->Write("x", 1);
    EXPECT_EQ(path, dir_ + TempFileName(3));
    EXPECT_EQ(Get(dir_ + "target"), "keep");
    EXPECT_FALSE(fs::exists(dir_ + "nowhere"));
}
#endif

TEST_F(TempFileDir, WriteStreamWritesSeeksAndReportsMisuse) {
    std::string path;
    std::unique_ptr<TFileWriteStream> file = CreateNumberedFile(dir_, 0, path);
    EXPECT_EQ(file->Write("hello world", 11), 11u);
    file->Seek(6);
    file->Write("W", 1);
    EXPECT_EQ(file->Position(), 7u);
    EXPECT_EQ(file->Size(), 11u);
    char buffer[4];
    EXPECT_THROW(file->Read(buffer, sizeof buffer), Exception);
    file->Close();
    file->Close();  // twice is harmless
    EXPECT_THROW(file->Write("x", 1), Exception);
    EXPECT_EQ(Get(path), "hello World");
}

TEST_F(TempFileDir, DeleteRemovesTheFileOnce) {
    std::string path;
    CreateNumberedFile(dir_, 0, path)->Close();
    EXPECT_TRUE(FileExists(path));
    EXPECT_TRUE(DeleteFileAt(path));
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(DeleteFileAt(path));
    EXPECT_FALSE(DeleteFileAt(""));
}

TEST(CreateAttachmentFile, NamesFromTheTickCountInTheTemporaryDirectory) {
    std::string first, second;
    const uint32_t before = TickCount();
    auto a = CreateAttachmentFile(first);
    auto b = CreateAttachmentFile(second);
    const uint32_t after = TickCount();
    for (const std::string* path : {&first, &second}) {
        ASSERT_EQ(path->size(), TempDirectory().size() + 16) << *path;
        EXPECT_EQ(path->substr(0, TempDirectory().size() + 4), TempDirectory() + "Indy");
        EXPECT_EQ(path->find_first_not_of("0123456789ABCDEF", TempDirectory().size() + 4), path->size() - 4);
        EXPECT_EQ(path->substr(path->size() - 4), ".tmp");
        EXPECT_TRUE(FileExists(*path));
    }
    // Both start at a tick in [before, after]; the second counts past the first.
    const uint32_t n1 = std::stoul(first.substr(first.size() - 12, 8), nullptr, 16);
    const uint32_t n2 = std::stoul(second.substr(second.size() - 12, 8), nullptr, 16);
    EXPECT_LE(n1 - before, after - before + 64) << "slack for names taken by others";
    EXPECT_GE(n2 - n1, 1u);
    EXPECT_LE(n2 - n1, after - before + 64);
    a.reset();
    b.reset();
    EXPECT_TRUE(DeleteFileAt(first));
    EXPECT_TRUE(DeleteFileAt(second));
}

}  // namespace
}  // namespace test
}  // namespace pellumo
