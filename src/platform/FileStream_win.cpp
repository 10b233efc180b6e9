// Store files on Windows: opened for reading with full sharing, because
// Outlook Express keeps writing (and may replace) them while we read.
#include <windows.h>

#include "platform/Exception.h"
#include "platform/Stream.h"
#include "platform/UniqueHandle_win.h"

namespace pellumo {

struct TFileStream::Handle {
    TFileHandle File;
};

TFileStream::TFileStream(const std::string& path) : handle_(new Handle) {
    handle_->File.Reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle_->File) throw Exception(TText::CannotOpenFile, {path});
}

TFileStream::~TFileStream() = default;

size_t TFileStream::Read(void* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        OVERLAPPED at {};
        const uint64_t pos = position_ + done;
        at.Offset = static_cast<DWORD>(pos);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        const DWORD want = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(handle_->File.Get(), static_cast<char*>(buffer) + done, want, &got, &at) || got == 0)
            break;
        done += got;
    }
    position_ += done;
    return done;
}

size_t TFileStream::Write(const void*, size_t) {
    throw Exception("Stream write error");
}

uint64_t TFileStream::Size() const {
    LARGE_INTEGER size {};
    if (!GetFileSizeEx(handle_->File.Get(), &size)) return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

}  // namespace pellumo
