// Any bytes as an HTML body: the conversion must end, stay in bounds, and give
// text no longer than the HTML, valid UTF-8 when the HTML is, with no control
// character but the CR LF of line breaks, no space at either end of a line,
// no more than one empty line in a row and none at either end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/HtmlToText.h"

namespace {

bool IsValidUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t length;
        uint32_t code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (s.size() - i < length) return false;
        for (size_t k = 1; k < length; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            code = (code << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and numbers past U+10FFFF.
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string html(reinterpret_cast<const char*>(data), size);
    const std::string text = pellumo::HtmlToText(html);
    if (text.size() > html.size()) __builtin_trap();
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        else if (c < 32 || c == 127) __builtin_trap();
    }
    for (const char* wrong : {" \r\n", "\r\n ", "\r\n\r\n\r\n"})
        if (text.find(wrong) != std::string::npos) __builtin_trap();
    if (!text.empty() && (text.front() == ' ' || text.front() == '\r' || text.back() == ' ' || text.back() == '\n'))
        __builtin_trap();
    if (IsValidUtf8(html.substr(0, html.find('\0'))) && !IsValidUtf8(text)) __builtin_trap();
    // Whitespace is whitespace: how the lines of the HTML end must not matter.
    std::string lf = html;
    for (char& c : lf)
        if (c == '\r') c = '\n';
    if (pellumo::HtmlToText(lf) != text) __builtin_trap();
    return 0;
}
