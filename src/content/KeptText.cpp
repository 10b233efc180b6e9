#include "content/KeptText.h"

#include <algorithm>
#include <cstring>

#include "platform/AsciiText.h"

namespace pellumo {

namespace {

// Whether any of the eight bytes is CR or LF.
bool HasLineEndByte(uint64_t word) {
    const uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    auto anyZeroByte = [&](uint64_t v) { return ((v - ones) & ~v & highs) != 0; };
    return anyZeroByte(word ^ (ones * '\n')) || anyZeroByte(word ^ (ones * '\r'));
}

}  // namespace

size_t TKeptText::Write(const void* buffer, size_t count) {
    if (Full()) return count;
    const char* bytes = static_cast<const char*>(buffer);
    size_t kept = static_cast<size_t>(std::min<uint64_t>(count, kKeptTextBytes - Position()));
    // Counted in locals: the bytes may alias the members for all the
    // compiler knows, which would cost a store and a load a byte.
    size_t lines = lines_;
    bool afterCr = afterCr_;
    for (size_t i = 0; i < kept; ++i) {
        // Eight bytes at a time past those that end no line.
        uint64_t word;
        while (i + 8 <= kept && (std::memcpy(&word, bytes + i, 8), !HasLineEndByte(word))) {
            i += 8;
            afterCr = false;
        }
        if (i == kept) break;
        const bool lineEnd = bytes[i] == '\r' || (bytes[i] == '\n' && !afterCr);
        afterCr = bytes[i] == '\r';
        if (lineEnd && ++lines == kKeptTextLines) {
            kept = i + 1;
            break;
        }
    }
    lines_ = lines;
    afterCr_ = afterCr;
    TMemoryStream::Write(bytes, kept);
    return count;
}

std::vector<std::string> TKeptText::Lines() const {
    return asciitext::SplitLines(reinterpret_cast<const char*>(Bytes().data()), Bytes().size());
}

}  // namespace pellumo
