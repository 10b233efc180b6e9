#pragma once
// TDbxMessageStream: a message's raw text read straight out of its block
// chain as the reader asks for it, so that a reader that stops early never
// touches the rest of the chain and nothing holds the whole message.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

#include "platform/NumberSet.h"
#include "platform/Stream.h"

namespace pellumo {

class TDbxMessageStream : public TStream {
public:
    // The chain whose first block is at First in File (kept by the caller).
    TDbxMessageStream(TStream& file, uint32_t first);

    // The chain's bytes in order: at most 512 from a block; the chain ends at
    // a position of 0, at a block read short (the bytes read are kept), when
    // a block position comes round again, or once it has given as many bytes
    // as the file holds (blocks that overlap could give far more).
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    // Back to the start of the chain and forward to Position.
    void Seek(uint64_t position) override;
    uint64_t Position() const override { return position_; }
    // The bytes handed out so far, and those of the block at hand.
    uint64_t Size() const override { return position_ + (end_ - at_); }

    // True once the chain's end has been read.
    bool Ended() const { return ended_ && at_ == end_; }
    // False once a block met was past the end of the file or still all
    // zeros: a message the mail client has not finished writing. Only the
    // blocks read so far are judged.
    bool Whole() const { return whole_; }
    // Blocks read so far.
    size_t Blocks() const { return blocks_; }

private:
    // Reads the next block of the chain; false at its end.
    bool NextBlock();
    void Restart();

    // Every block position visited, for the end of a cycle: runs of blocks
    // lying one after another (a chain as the mail client writes it costs
    // one entry), or every position once blocks are found overlapping.
    bool Visited(uint32_t position) const;
    void Visit(uint32_t position);

    TStream& file_;
    const uint32_t first_;
    uint64_t fileSize_;  // as last asked: a file the mail client writes grows
    uint64_t chained_ = 0;  // the bytes of the blocks taken so far
    TStreamSpan span_;
    size_t ahead_ = 0;
    std::map<uint32_t, uint32_t> runs_;  // first position -> blocks
    std::unique_ptr<TNumberSet> positions_;
    uint32_t next_ = 0;
    uint8_t data_[0x200];
    size_t at_ = 0, end_ = 0;
    uint64_t position_ = 0;
    size_t blocks_ = 0;
    bool ended_ = false;
    bool whole_ = true;
};

}  // namespace pellumo
