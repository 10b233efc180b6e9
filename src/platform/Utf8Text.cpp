#include "platform/Utf8Text.h"

namespace pellumo {

namespace {

// How many bytes of Text[0..Size) form the start of a character that could
// still be well-formed: 0 for a byte no character begins with.
size_t WellFormedPrefix(const unsigned char* b, size_t size, size_t& length) {
    const unsigned char c = b[0];
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (c < 0x80) {
        length = 1;
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        length = 0;
        return 0;
    }
    size_t good = 1;
    if (good < size && b[good] >= low && b[good] <= high) {
        ++good;
        while (good < length && good < size && (b[good] & 0xC0) == 0x80) ++good;
    }
    return good;
}

}  // namespace

size_t Utf8CharacterLength(const char* text, size_t size) {
    if (size == 0) return 0;
    size_t length = 0;
    const size_t good = WellFormedPrefix(reinterpret_cast<const unsigned char*>(text), size, length);
    return good == length ? length : 0;
}

bool IsValidUtf8(const char* text, size_t size) {
    for (size_t i = 0; i < size;) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t length = Utf8CharacterLength(text + i, size - i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string RepairedUtf8(const std::string& text) {
    if (IsValidUtf8(text.data(), text.size())) return text;
    std::string repaired;
    repaired.reserve(text.size());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        size_t length = 0;
        const size_t good = WellFormedPrefix(b + i, text.size() - i, length);
        if (good != 0 && good == length) {
            repaired.append(text, i, length);
            i += length;
        } else {
            repaired += '?';
            i += good ? good : 1;
        }
    }
    return repaired;
}

size_t Utf8CharacterStart(const std::string& text, size_t at) {
    for (int i = 0; i < 3 && at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; ++i)
        --at;
    return at;
}

}  // namespace pellumo
