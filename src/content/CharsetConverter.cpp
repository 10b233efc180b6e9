#include "content/CharsetConverter.h"

#include <limits>
#include <string>

#include "platform/AsciiText.h"
#include "platform/Exception.h"
#include "platform/MultiLanguage.h"
#include "platform/Utf8Text.h"

namespace pellumo {

namespace {

// One source byte gives at most one UTF-16 unit (a four-byte UTF-8 sequence
// gives two), and one unit takes at most three bytes in UTF-8; the slack
// covers a character cut off at the end.
const size_t kMaxGrowth = 3;
const size_t kSlack = 16;

// US-ASCII, whose 8-bit bytes the service reads without their high bit.
const uint32_t kUsAsciiCodePage = 20127;

// "%s (%s, line %d)": the message with the source file and line it is thrown at.
[[noreturn]] void ThrowAssertion(const char* message, int line) {
    const char* file = __FILE__;
    for (const char* p = file; *p; ++p)
        if (*p == '/' || *p == '\\') file = p + 1;
    throw EAssertionFailed(std::string(message) + " (" + file + ", line " + std::to_string(line) + ")");
}

}  // namespace

bool ReadsAsciiAsItself(uint32_t codePage) {
    switch (codePage) {
        case 866: case 874: case 932: case 936: case 949: case 950:
        case 1250: case 1251: case 1252: case 1253: case 1254: case 1255: case 1256: case 1257: case 1258:
        case 10000: case 20127: case 20866: case 21866:
        case 28591: case 28592: case 28593: case 28594: case 28595: case 28596: case 28597: case 28598: case 28599:
        case 28603: case 28605: case 38598: case 51932: case 51949: case 54936: case 65001:
            return true;
        default:
            return false;
    }
}

// The code page record of the current charset; all zero on creation.
struct TCharsetConverter::Record {
    TCodePageInfo Info;
};

TCharsetConverter::TCharsetConverter(const std::string& charset)
    : TCharsetConverter(CreateMultiLanguageService(), charset) {}

TCharsetConverter::TCharsetConverter(std::unique_ptr<IMultiLanguageService> service, const std::string& charset)
    : record_(new Record()), service_(std::move(service)) {
    if (!service_) ThrowAssertion("Failed to create the Multilanguage class instance", __LINE__);
    SetCharset(charset);
}

TCharsetConverter::~TCharsetConverter() = default;

std::string TCharsetConverter::Charset() const { return record_->Info.WebCharset; }

void TCharsetConverter::SetCharset(const std::string& name) {
    if (name == Charset()) return;
    TCharsetInfo charset;
    // An unknown name keeps the record as it is.
    if (!service_->GetCharsetInfo(name, charset)) return;
    // Not checked: a code page without a record leaves the record as it is.
    service_->GetCodePageInfo(charset.InternetEncoding, record_->Info);
}

uint32_t TCharsetConverter::CodePage() const { return record_->Info.CodePage; }

uint32_t TCharsetConverter::FamilyCodePage() const { return record_->Info.FamilyCodePage; }

std::string TCharsetConverter::Decode(const std::string& text) {
    // No charset, or one the service does not know: the text is taken to be
    // in the system's ANSI code page, as the mail client would show it. So is
    // "US-ASCII" text with 8-bit bytes in it: they were written in some ANSI
    // code page, and none of them may lose its high bit.
    uint32_t source = record_->Info.CodePage ? record_->Info.CodePage : service_->SystemCodePage();
    const bool ascii = asciitext::IsAscii(text);
    if (source == kUsAsciiCodePage && !ascii) source = service_->SystemCodePage();
    if (ascii && ReadsAsciiAsItself(source)) return text;
    // Room for the worst case, so no conversion fails for want of room (a
    // truncated Shift_JIS character, for one, grows on the way), then cut to
    // what was written.
    if (text.size() > (std::numeric_limits<size_t>::max() - kSlack) / kMaxGrowth)
        ThrowAssertion("Couldn't convert the string", __LINE__);
    const size_t capacity = text.size() * kMaxGrowth + kSlack;
    std::string converted(capacity, '\0');
    size_t written = capacity;
    if (!service_->ConvertString(source, cpUtf8, text.data(), text.size(), &converted[0], written) ||
        written > capacity)
        ThrowAssertion("Couldn't convert the string", __LINE__);
    converted.resize(written);
    return RepairedUtf8(converted);
}

std::string SystemTextToUtf8(const std::string& text) {
    // Most folder names and index texts are ASCII: no converter (on Windows a
    // COM object) is made for those, once per notification.
    return asciitext::IsAscii(text) ? text : TCharsetConverter().Decode(text);
}

}  // namespace pellumo
