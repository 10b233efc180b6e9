// Store files on POSIX systems: plain read-only descriptors never lock, so
// the writer of the store is never hindered.
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Exception.h"
#include "platform/Stream.h"

namespace pellumo {

struct TFileStream::Handle {
    int fd = -1;
    ~Handle() {
        if (fd >= 0) ::close(fd);
    }
};

TFileStream::TFileStream(const std::string& path) : handle_(new Handle) {
    handle_->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (handle_->fd < 0 || ::fstat(handle_->fd, &st) != 0 || S_ISDIR(st.st_mode))
        throw Exception(TText::CannotOpenFile, {path});
}

TFileStream::~TFileStream() = default;

size_t TFileStream::Read(void* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(handle_->fd, static_cast<char*>(buffer) + done, count - done,
                                  static_cast<off_t>(position_ + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    position_ += done;
    return done;
}

size_t TFileStream::Write(const void*, size_t) {
    throw Exception("Stream write error");
}

uint64_t TFileStream::Size() const {
    struct stat st {};
    if (::fstat(handle_->fd, &st) != 0) return 0;
    return static_cast<uint64_t>(st.st_size);
}

}  // namespace pellumo
