// Any bytes as a stored message: read it, choose and convert the preview.
// The preview is UTF-8 whatever the bytes claimed to be, and holds no control
// character but CR, LF and tab. Read only as far as the preview needs, the
// message shows what it shows read whole: body as a popup keeps it, sender,
// subject (unless the whole reading gave up where the other never got).
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/Notification.h"
#include "content/MimeMessage.h"
#include "platform/Utf8Text.h"

namespace {

// What a popup shows of the message; false when the reader gave up.
bool Shown(const std::string& raw, bool previewOnly, pellumo::TNotification& info) {
    pellumo::TMemoryStream stream(raw);
    pellumo::TMimeMessage message;
    try {
        if (previewOnly)
            pellumo::ReadPreviewFromStream(message, stream);
        else
            pellumo::ReadFromStream(message, stream);
        info.Body = pellumo::BodyPreview(message);
        const pellumo::TMessageNames names = pellumo::MessageNames(message);
        info.Sender = names.Sender;
        info.Subject = names.Subject;
    } catch (const pellumo::Exception&) {
        return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    pellumo::TNotification whole, streamed;
    const bool wholeRead = Shown(raw, false, whole);
    const bool streamedRead = Shown(raw, true, streamed);
    if (wholeRead) {
        const std::string& preview = whole.Body;
        if (!pellumo::IsValidUtf8(preview.data(), preview.size())) __builtin_trap();
        for (const char c : preview) {
            const unsigned char byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && byte != '\r' && byte != '\n' && byte != '\t') || byte == 0x7F) __builtin_trap();
        }
        if (!streamedRead) __builtin_trap();
        pellumo::CutToWhatAPopupShows(whole);
        pellumo::CutToWhatAPopupShows(streamed);
        if (whole.Body != streamed.Body || whole.Sender != streamed.Sender || whole.Subject != streamed.Subject)
            __builtin_trap();
    }
    return 0;
}
