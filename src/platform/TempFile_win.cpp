// Attachment files on Windows (XP and later). CREATE_NEW fails for any name
// that exists, so another program's file is never opened or overwritten.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/TempFile.h"

namespace pellumo {

std::string TempDirectory() {
    char buffer[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof buffer, buffer);
    std::string dir;
    if (n > 0 && n < sizeof buffer) {
        dir.assign(buffer, n);
    } else if (n >= sizeof buffer) {
        // Too small: n is the size needed, terminating zero included.
        std::vector<char> big(n + 1);
        n = GetTempPathA(static_cast<DWORD>(big.size()), big.data());
        if (n > 0 && n < big.size()) dir.assign(big.data(), n);
    }
    if (!dir.empty() && !EndsWithPathDelimiter(dir)) dir += '\\';
    return dir;
}

uint32_t TickCount() { return GetTickCount(); }

struct TFileWriteStream::Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

std::unique_ptr<TFileWriteStream> TFileWriteStream::CreateNew(const std::string& path) {
    // Others may read the file, or delete it (a virus scanner may); the
    // reader of the message notices a vanished file when it closes it.
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return nullptr;
        // A directory of that name, or a file waiting to be deleted, answers
        // "access denied"; the name is taken all the same.
        if (error == ERROR_ACCESS_DENIED && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return nullptr;
        throw Exception(Substitute("Cannot create file %s", path));
    }
    std::unique_ptr<TFileWriteStream> stream(new TFileWriteStream);
    stream->handle_.reset(new Handle);
    stream->handle_->h = h;
    return stream;
}

TFileWriteStream::~TFileWriteStream() = default;

size_t TFileWriteStream::Write(const void* buffer, size_t count) {
    if (!handle_) throw Exception("Stream write error");
    size_t done = 0;
    while (done < count) {
        OVERLAPPED at {};
        const uint64_t pos = position_ + done;
        at.Offset = static_cast<DWORD>(pos);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        const DWORD want = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle_->h, static_cast<const char*>(buffer) + done, want, &written, &at) || written == 0)
            throw Exception("Stream write error");
        done += written;
    }
    position_ += done;
    if (position_ > size_) size_ = position_;
    return done;
}

void TFileWriteStream::Close() {
    if (!handle_) return;
    const HANDLE h = handle_->h;
    handle_->h = INVALID_HANDLE_VALUE;
    handle_.reset();
    if (!CloseHandle(h)) throw Exception("Stream write error");
}

bool DeleteFileAt(const std::string& path) { return !path.empty() && DeleteFileA(path.c_str()) != 0; }

}  // namespace pellumo
