// Any bytes as a stored message: read it, choose and convert the preview.
// The preview is UTF-8 whatever the bytes claimed to be, and holds no control
// character but CR, LF and tab. Read only as far as the preview needs, the
// message shows what it shows read whole: body as a popup keeps it, sender,
// subject (unless the whole reading gave up where the other never got); read
// for the names alone, the same sender and subject.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/Notification.h"
#include "content/MimeMessage.h"
#include "platform/Utf8Text.h"

namespace {

enum class Reading { Whole, Preview, Names };

// What a popup shows of the message; false when the reader gave up.
bool Shown(const std::string& raw, Reading reading, pellumo::TNotification& info) {
    pellumo::TMemoryStream stream(raw);
    pellumo::TMimeMessage message;
    try {
        if (reading == Reading::Names) {
            pellumo::ReadNamesFromStream(message, stream);
        } else if (reading == Reading::Preview) {
            pellumo::ReadPreviewFromStream(message, stream, info.Body);
        } else {
            pellumo::ReadFromStream(message, stream);
            info.Body = pellumo::BodyPreview(message);
        }
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
    pellumo::TNotification whole, streamed, named;
    const bool wholeRead = Shown(raw, Reading::Whole, whole);
    const bool streamedRead = Shown(raw, Reading::Preview, streamed);
    const bool namesRead = Shown(raw, Reading::Names, named);
    if (wholeRead) {
        const std::string& preview = whole.Body;
        if (!pellumo::IsValidUtf8(preview.data(), preview.size())) __builtin_trap();
        for (const char c : preview) {
            const unsigned char byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && byte != '\r' && byte != '\n' && byte != '\t') || byte == 0x7F) __builtin_trap();
        }
        if (!streamedRead || !namesRead) __builtin_trap();
        pellumo::CutToWhatAPopupShows(whole);
        pellumo::CutToWhatAPopupShows(streamed);
        pellumo::CutToWhatAPopupShows(named);
        if (whole.Body != streamed.Body || whole.Sender != streamed.Sender || whole.Subject != streamed.Subject)
            __builtin_trap();
        if (named.Sender != whole.Sender || named.Subject != whole.Subject) __builtin_trap();
    }
    return 0;
}
