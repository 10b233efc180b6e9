#include "platform/AsciiText.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace pellumo {
namespace asciitext {

namespace {
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

std::string UpperCase(std::string s) {
    for (char& c : s) c = Upper(c);
    return s;
}

bool EqualsI(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

bool StartsWithI(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), s.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

size_t FindI(const std::string& haystack, const std::string& needle) {
    const auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                                [](char x, char y) { return Upper(x) == Upper(y); });
    return it == haystack.end() && !needle.empty() ? std::string::npos : static_cast<size_t>(it - haystack.begin());
}

std::vector<std::string> SplitLines(const std::string& text) { return SplitLines(text.data(), text.size()); }

std::vector<std::string> SplitLines(const char* text, size_t size) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text + start, i - start);
        if (text[i] == '\r' && i + 1 < size && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < size) lines.emplace_back(text + start, size - start);
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

bool IsAscii(const std::string& text) {
    // Eight bytes at a time: most texts are long runs of ASCII.
    const char* data = text.data();
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, data + i, 8);
        if (word & 0x8080808080808080ull) return false;
    }
    for (; i < text.size(); ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80) return false;
    return true;
}

}  // namespace asciitext
}  // namespace pellumo
