#include "store/DbxMessageStream.h"

#include <algorithm>
#include <cstring>

#include "platform/Exception.h"
#include "store/DbxFormat.h"

namespace pellumo {

using namespace dbx;

namespace {
// Blocks lying one after another are read together, up to this much at a
// time; a chain that jumps about costs one block a read.
const size_t kMinReadAhead = 8 * kBlockSize;
const size_t kMaxReadAhead = 128 * kBlockSize;
}  // namespace

TDbxMessageStream::TDbxMessageStream(TStream& file, uint32_t first)
    : file_(file), first_(first), fileSize_(file.Size()), span_(file) {
    Restart();
}

void TDbxMessageStream::Restart() {
    runs_.clear();
    positions_.reset();
    next_ = first_;
    at_ = end_ = 0;
    position_ = 0;
    chained_ = 0;
    blocks_ = 0;
    ahead_ = kMinReadAhead;
    ended_ = false;
    whole_ = true;
}

bool TDbxMessageStream::Visited(uint32_t position) const {
    if (positions_) return positions_->Contains(position);
    auto run = runs_.upper_bound(position);
    if (run == runs_.begin()) return false;
    --run;
    const uint64_t offset = position - run->first;
    return offset % kBlockSize == 0 && offset / kBlockSize < run->second;
}

void TDbxMessageStream::Visit(uint32_t position) {
    if (!positions_) {
        // Runs never overlap: a block that would lie across another is kept
        // apart with every position, so that Visited stays exact.
        auto after = runs_.upper_bound(position);
        const uint64_t end = uint64_t(position) + kBlockSize;
        const bool clearAfter = after == runs_.end() || end <= after->first;
        if (after != runs_.begin()) {
            auto before = std::prev(after);
            const uint64_t beforeEnd = before->first + uint64_t(before->second) * kBlockSize;
            if (beforeEnd == position && clearAfter) {
                ++before->second;
                return;
            }
            if (beforeEnd <= position && clearAfter) {
                runs_.emplace(position, 1);
                return;
            }
        } else if (clearAfter) {
            runs_.emplace(position, 1);
            return;
        }
        positions_.reset(new TNumberSet);
        for (const auto& run : runs_)
            for (uint32_t i = 0; i < run.second; ++i)
                positions_->Insert(static_cast<uint32_t>(run.first + uint64_t(i) * kBlockSize));
        runs_.clear();
    }
    positions_->Insert(position);
}

bool TDbxMessageStream::NextBlock() {
    at_ = end_ = 0;
    if (ended_) return false;
    if (next_ == 0 || Visited(next_)) {
        ended_ = true;
        return false;
    }
    const uint32_t position = next_;
    Visit(position);
    ++blocks_;
    if (!span_.Holds(position, kBlockSize)) {
        span_.ReadFrom(position, uint64_t(position) + ahead_);
        ahead_ = std::min(ahead_ * 2, kMaxReadAhead);
    }
    uint64_t got = 0;
    const uint8_t* block = span_.Kept(position, kBlockSize, got);
    if (got < kBlockSize || std::all_of(block, block + kBlockData, [](uint8_t b) { return b == 0; }))
        whole_ = false;
    if (got < kBlockData) {
        ended_ = true;
        return false;
    }
    const uint32_t count = std::min<uint32_t>(Le32(block + kBlockCount), kBlockDataSize);
    end_ = std::min<size_t>(count, static_cast<size_t>(got - kBlockData));
    if (end_ > fileSize_ - chained_) fileSize_ = std::max(fileSize_, file_.Size());
    if (end_ > fileSize_ - chained_) {
        end_ = static_cast<size_t>(fileSize_ - chained_);
        ended_ = true;
    }
    chained_ += end_;
    std::memcpy(data_, block + kBlockData, end_);
    if (got < kBlockSize) {
        ended_ = true;  // past the end of the file: nothing more to trust
    } else {
        next_ = Le32(block + kBlockNext);
        // A jump elsewhere starts the read-ahead small again.
        if (next_ != uint64_t(position) + kBlockSize) ahead_ = kMinReadAhead;
    }
    return true;
}

size_t TDbxMessageStream::Read(void* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        if (at_ == end_ && !NextBlock()) {
            if (ended_) break;
            continue;
        }
        if (at_ == end_) continue;  // a block without bytes: on to the next
        const size_t n = std::min(count - done, end_ - at_);
        std::memcpy(static_cast<uint8_t*>(buffer) + done, data_ + at_, n);
        at_ += n;
        done += n;
    }
    position_ += done;
    return done;
}

size_t TDbxMessageStream::Write(const void*, size_t) { throw Exception("Stream write error"); }

void TDbxMessageStream::Seek(uint64_t position) {
    if (position == position_) return;
    Restart();
    uint8_t skipped[512];
    while (position_ < position && Read(skipped, static_cast<size_t>(std::min<uint64_t>(sizeof skipped, position - position_))))
        ;
}

}  // namespace pellumo
