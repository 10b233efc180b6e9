#include "store/DbxFormat.h"

#include <cstring>

namespace pellumo {
namespace dbx {

std::string ByteView::StringAt(uint64_t offset) const {
    if (offset >= size_) return std::string();
    const char* begin = reinterpret_cast<const char*>(data_ + offset);
    const size_t room = size_ - static_cast<size_t>(offset);
    const void* zero = std::memchr(begin, 0, room);
    return std::string(begin, zero ? static_cast<const char*>(zero) - begin : room);
}

uint32_t ReadWordAt(TStream& stream, uint32_t offset) {
    uint8_t word[4] = {0, 0, 0, 0};
    stream.ReadAt(offset, word, sizeof word);
    return Le32(word);
}

HeaderWords ReadHeaderWords(TStream& stream) {
    uint8_t header[kHeaderCheckSize] = {};
    stream.ReadAt(0, header, sizeof header);
    return {Le32(header + kOffsetSignature), Le32(header + kOffsetFileType)};
}

int ClassifyFileType(uint32_t typeWord) {
    switch (typeWord) {
    case kTypeFolders: return 1;
    case kTypeMessages: return 2;
    case kTypeOther: return 3;
    case kTypeOffline: return 4;
    default: return 0;
    }
}

bool ParseId(const std::string& text, uint32_t& value) {
    if (text.empty()) return false;
    uint64_t v = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        v = v * 16 + unsigned(digit);
        if (v > 0xFFFFFFFFu) return false;
    }
    value = uint32_t(v);
    return true;
}

std::string FormatId(uint32_t value) {
    static const char kHex[] = "0123456789ABCDEF";
    char text[8];
    int start = 8;
    do {
        text[--start] = kHex[value & 15];
        value >>= 4;
    } while (value != 0);
    while (start > 2) text[--start] = '0';  // at least six digits
    return std::string(text + start, text + 8);
}

}  // namespace dbx
}  // namespace pellumo
