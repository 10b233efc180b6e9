#pragma once
// The binary layout of Outlook Express store files (DBX) as far as the
// program reads it, and the bounded little-endian reads every parse goes through.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Stream.h"

namespace pellumo {
namespace dbx {

// Header.
const uint32_t kSignature = 0xFE12ADCF;
const size_t kHeaderCheckSize = 0xEC;  // the type checks read this much in one go
const uint32_t kOffsetSignature = 0x00;
const uint32_t kOffsetFileType = 0x04;
const uint32_t kOffsetItemCount = 0xC4;
const uint32_t kOffsetMessageRoot = 0xE4;
const uint32_t kOffsetFolderRoot = 0xEC;

const uint32_t kTypeFolders = 0x6F74FDC6;
const uint32_t kTypeMessages = 0x6F74FDC5;
const uint32_t kTypeOther = 0x6F74FDC7;
const uint32_t kTypeOffline = 0x26FE9D30;

// Index nodes.
const size_t kNodeSize = 0x27C;
const uint32_t kNodeOwnPosition = 0x00;
const uint32_t kNodeTailChild = 0x08;
const uint32_t kNodeEntryCount = 0x11;
const uint32_t kNodeEntries = 0x18;
const size_t kEntrySize = 12;
const unsigned kMaxEntries = 51;  // what fits in a node; a larger count is read as this

// Records.
const size_t kRecordHeaderSize = 12;
const uint32_t kRecordLength = 0x04;
const uint32_t kRecordPropertyCount = 0x0A;
const uint8_t kDirectBit = 0x80;

// Message blocks.
const size_t kBlockSize = 0x210;
const uint32_t kBlockCount = 0x08;
const uint32_t kBlockNext = 0x0C;
const uint32_t kBlockData = 0x10;
const uint32_t kBlockDataSize = 0x200;

inline uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t Le64(const uint8_t* p) { return uint64_t(Le32(p)) | uint64_t(Le32(p + 4)) << 32; }

// A byte range read from the file: every access is checked against what was read.
class ByteView {
public:
    ByteView() = default;
    ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Size() const { return size_; }
    bool Has(uint64_t offset, uint64_t count) const { return offset <= size_ && count <= size_ - offset; }
    // 0 when the four bytes are not all inside the view.
    uint32_t Le32At(uint64_t offset) const { return Has(offset, 4) ? Le32(data_ + offset) : 0; }
    uint64_t Le64At(uint64_t offset) const { return Has(offset, 8) ? Le64(data_ + offset) : 0; }
    uint8_t ByteAt(uint64_t offset) const { return Has(offset, 1) ? data_[offset] : 0; }
    // The zero-terminated string at Offset, cut at the end of the view; empty outside it.
    std::string StringAt(uint64_t offset) const;

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// The first u32 at Offset, 0 when the file is shorter.
uint32_t ReadWordAt(TStream& stream, uint32_t offset);

// The signature and file-type words, from one read of the first 0xEC bytes
// (zero where the file is shorter).
struct HeaderWords {
    uint32_t signature;
    uint32_t fileType;
};
HeaderWords ReadHeaderWords(TStream& stream);

// FileType: 1 folder list, 2 message folder, 3 and 4 other store files, 0 unknown.
int ClassifyFileType(uint32_t typeWord);

// An identifier as the store's users see it: upper-case hex, at least six digits.
std::string FormatId(uint32_t value);
// The number an identifier stands for: hex digits in either case, any
// number of them ("00000A", "a"); false for anything else, or past 32 bits.
bool ParseId(const std::string& text, uint32_t& value);

}  // namespace dbx
}  // namespace pellumo
