// Any bytes as an HTML body: the conversion must end, stay in bounds, and give
// text no longer than the HTML, valid UTF-8 when the HTML is, with no control
// character but the CR LF of line breaks, no space at either end of a line,
// no more than one empty line in a row and none at either end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/HtmlToText.h"
#include "platform/Utf8Text.h"

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
    if (pellumo::IsValidUtf8(html.data(), html.size()) && !pellumo::IsValidUtf8(text.data(), text.size()))
        __builtin_trap();
    // Whitespace is whitespace: how the lines of the HTML end must not matter.
    std::string lf = html;
    for (char& c : lf)
        if (c == '\r') c = '\n';
    if (pellumo::HtmlToText(lf) != text) __builtin_trap();
    return 0;
}
