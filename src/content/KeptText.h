#pragma once
// What a message's reading keeps of what it reads: a text's start, bounded in
// bytes and lines, or of an attachment only its size.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Stream.h"

namespace pellumo {

// What is kept of one text: far more than any preview shows, and no more, so
// that a huge text costs no more memory than this. Lines are counted too, as
// each costs a string of its own: a text of nothing but line ends keeps
// these many, not a quarter of a million.
const uint64_t kKeptTextBytes = 512 * 1024;
const size_t kKeptTextLines = 16384;

// What is kept of one header field, of the message or of a part: far more
// than any real one, so that a field folded over any number of lines costs
// no more memory than this. Every reading keeps the same, so that a reading
// that stops early sees the fields a whole reading sees.
const size_t kKeptFieldBytes = 64 * 1024;

// Counts what is written and keeps none of it.
class TDiscardedData : public TStream {
public:
    size_t Read(void*, size_t) override { return 0; }
    size_t Write(const void*, size_t count) override {
        written_ += count;
        return count;
    }
    void Seek(uint64_t) override {}
    uint64_t Position() const override { return written_; }
    uint64_t Size() const override { return written_; }

private:
    uint64_t written_ = 0;
};

// Keeps the first kKeptTextBytes written, of at most kKeptTextLines lines
// (a line ends at CR LF, CR or LF), and passes over the rest.
class TKeptText : public TMemoryStream {
public:
    size_t Write(const void* buffer, size_t count) override;
    bool Full() const { return Position() >= kKeptTextBytes || lines_ >= kKeptTextLines; }
    // The text kept, split into lines.
    std::vector<std::string> Lines() const;

private:
    size_t lines_ = 0;
    bool afterCr_ = false;
};

}  // namespace pellumo
