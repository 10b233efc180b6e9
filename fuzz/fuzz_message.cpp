// Any bytes as a stored message: read it, choose and convert the preview.
// The preview is UTF-8 whatever the bytes claimed to be, and holds no control
// character but CR, LF and tab.
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/MimeMessage.h"
#include "platform/Utf8Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pellumo::TMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
    pellumo::TMimeMessage message;
    try {
        pellumo::ReadFromStream(message, stream);
        const std::string preview = pellumo::BodyPreview(message);
        if (!pellumo::IsValidUtf8(preview.data(), preview.size())) __builtin_trap();
        for (const char c : preview) {
            const unsigned char byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && byte != '\r' && byte != '\n' && byte != '\t') || byte == 0x7F) __builtin_trap();
        }
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
