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

void TStreamSpan::ReadFrom(uint64_t at, uint64_t through) {
    const size_t want = through > at ? static_cast<size_t>(through - at) : 0;
    if (want > capacity_) {
        bytes_.reset(new uint8_t[want]);
        capacity_ = want;
    }
    size_ = stream_.ReadAt(at, bytes_.get(), want);
    start_ = at;
}

const uint8_t* TStreamSpan::Kept(uint64_t at, uint64_t count, uint64_t& got) const {
    got = at >= start_ && at - start_ < size_ ? std::min<uint64_t>(count, start_ + size_ - at) : 0;
    return got ? bytes_.get() + (at - start_) : nullptr;
}

const uint8_t* TStreamSpan::Bytes(uint64_t at, uint64_t count, uint64_t& got) {
    if (!Holds(at, count)) ReadFrom(at, at + count);
    return Kept(at, count, got);
}

size_t TReadAheadStream::Read(void* buffer, size_t count) {
    if (!span_.Holds(position_, count)) span_.ReadFrom(position_, position_ + std::max(ahead_, count));
    uint64_t got = 0;
    const uint8_t* bytes = span_.Kept(position_, count, got);
    if (got) std::memcpy(buffer, bytes, got);
    position_ += got;
    return got;
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
