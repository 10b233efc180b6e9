// Any bytes as an HTML body: the conversion must end, stay in bounds, and give
// text made only of token bytes, single spaces and the CR LF of tags.
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/html2text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string html(reinterpret_cast<const char*>(data), size);
    const std::string text = pellumo::HtmlToText(html);
    if (text.size() > html.size()) __builtin_trap();
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        else if (c < 32 && c != '\t') __builtin_trap();
    }
    // Only the count of line ends between two tokens differs, which must not matter.
    std::string lf = html;
    for (char& c : lf)
        if (c == '\r') c = '\n';
    if (pellumo::HtmlToText(lf) != text) __builtin_trap();
    return 0;
}
