// Attachment files on POSIX systems. O_CREAT|O_EXCL makes the creation fail
// for any name that exists, a symbolic link included, so a file planted in a
// shared /tmp is never opened; the mode keeps the mail data to its owner.
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Exception.h"
#include "platform/TempFile.h"

namespace pellumo {

std::string TempDirectory() {
    const char* tmpdir = std::getenv("TMPDIR");
    std::string dir = tmpdir && *tmpdir ? tmpdir : "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir;
}

uint32_t TickCount() {
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

struct TFileWriteStream::Handle {
    int fd = -1;
    ~Handle() {
        if (fd >= 0) ::close(fd);
    }
};

std::unique_ptr<TFileWriteStream> TFileWriteStream::CreateNew(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == EEXIST) return nullptr;
        throw Exception(Substitute("Cannot create file %s", path));
    }
    std::unique_ptr<TFileWriteStream> stream(new TFileWriteStream);
    stream->handle_.reset(new Handle);
    stream->handle_->fd = fd;
    return stream;
}

TFileWriteStream::~TFileWriteStream() = default;

size_t TFileWriteStream::Write(const void* buffer, size_t count) {
    if (!handle_) throw Exception("Stream write error");
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(handle_->fd, static_cast<const char*>(buffer) + done, count - done,
                                   static_cast<off_t>(position_ + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw Exception("Stream write error");
        done += static_cast<size_t>(n);
    }
    position_ += done;
    if (position_ > size_) size_ = position_;
    return done;
}

void TFileWriteStream::Close() {
    if (!handle_) return;
    const int fd = handle_->fd;
    handle_->fd = -1;
    handle_.reset();
    // close() may be the first to report a failed delayed write. Its EINTR
    // leaves the descriptor closed on Linux, so it is not retried.
    if (::close(fd) != 0 && errno != EINTR) throw Exception("Stream write error");
}

bool DeleteFileAt(const std::string& path) { return !path.empty() && ::unlink(path.c_str()) == 0; }

}  // namespace pellumo
