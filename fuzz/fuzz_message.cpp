// Any bytes as a stored message: read it, choose and convert the preview.
// The preview is never longer than what the reader keeps of a text, and it is
// UTF-8 whatever the bytes claimed to be.
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/MimeMessage.h"

namespace {

bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pellumo::TMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
    pellumo::TMimeMessage message;
    try {
        pellumo::ReadFromStream(message, stream);
        const std::string preview = pellumo::BodyPreview(message);
        if (!IsUtf8(preview)) __builtin_trap();
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
