#include "platform/Stream.h"

#include <algorithm>
#include <cstring>

#include "platform/Exception.h"

namespace pellumo {

size_t TStream::ReadAt(uint64_t position, void* buffer, size_t count) {
    Seek(position);
    size_t done = 0;
    while (done < count) {
        const size_t n = Read(static_cast<char*>(buffer) + done, count - done);
        if (n == 0) break;
        done += n;
    }
    return done;
}

size_t TReadAheadStream::Read(void* buffer, size_t count) {
    if (position_ < keptAt_ || position_ + count > keptAt_ + kept_.size()) {
        kept_.resize(std::max(span_, count));
        kept_.resize(inner_.ReadAt(position_, kept_.data(), kept_.size()));
        keptAt_ = position_;
    }
    if (position_ - keptAt_ >= kept_.size()) return 0;
    const size_t n = std::min<uint64_t>(count, kept_.size() - (position_ - keptAt_));
    std::memcpy(buffer, kept_.data() + (position_ - keptAt_), n);
    position_ += n;
    return n;
}

size_t TReadAheadStream::Write(const void*, size_t) { throw Exception("Stream write error"); }

size_t TMemoryStream::Read(void* buffer, size_t count) {
    if (position_ >= bytes_.size()) return 0;
    const size_t n = std::min<uint64_t>(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) return 0;
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
    return count;
}


}  // namespace pellumo
