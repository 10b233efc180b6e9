// The store file seam on Windows: our handle must never stand in the way of
// the mail client writing, replacing or deleting the file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/Exception.h"
#include "platform/Stream.h"

namespace pellumo {
namespace {

class TempFile {
public:
    TempFile() {
        char dir[MAX_PATH], name[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        GetTempFileNameA(dir, "plm", 0, name);
        path = name;
    }
    ~TempFile() { DeleteFileA(path.c_str()); }
    void Write(const std::string& bytes, DWORD disposition = CREATE_ALWAYS) const {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
        DWORD written = 0;
        SetFilePointer(h, 0, nullptr, FILE_END);
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
    }
    std::string path;
};

TEST(TFileStream_Sharing, OthersMayWriteTheFileWhileWeReadIt) {
    TempFile file;
    file.Write("first");
    TFileStream stream(file.path);
    file.Write("+second", OPEN_EXISTING);
    char buffer[32] = {};
    EXPECT_EQ(stream.ReadAt(0, buffer, sizeof buffer), 12u);
    EXPECT_EQ(std::string(buffer), "first+second");
    EXPECT_EQ(stream.Size(), 12u);
}

TEST(TFileStream_Sharing, OthersMayDeleteTheFileWhileWeReadIt) {
    TempFile file;
    file.Write("doomed");
    TFileStream stream(file.path);
    EXPECT_TRUE(DeleteFileA(file.path.c_str())) << GetLastError();
}

TEST(TFileStream_Sharing, ReadsPastTheEndComeBackShort) {
    TempFile file;
    file.Write("abc");
    TFileStream stream(file.path);
    char buffer[8];
    EXPECT_EQ(stream.ReadAt(1, buffer, sizeof buffer), 2u);
    EXPECT_EQ(stream.ReadAt(0x7FFFFFF0, buffer, sizeof buffer), 0u);
    EXPECT_THROW(stream.Write("x", 1), Exception);
}

TEST(TFileStream_Sharing, DirectoryIsNotAFile) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    EXPECT_THROW(TFileStream stream(dir), Exception);
}

}  // namespace
}  // namespace pellumo
