// A charset name from the first bytes and the rest as body text. The
// conversion must never fail and always gives UTF-8; a single-byte charset
// gives one character per source byte, and plain ASCII comes back as it is
// in every charset that contains it.
//
// First byte below 0xC0: a known name, picked by its value. Otherwise its low
// six bits are the length of a name that follows.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/CharsetConverter.h"
#include "platform/Utf8Text.h"

namespace {

const char* const kNames[] = {
    "iso-8859-1", "ISO-8859-2", "iso-8859-5", "iso-8859-7", "iso-8859-8", "iso-8859-15", "windows-1250",
    "windows-1251", "WINDOWS-1252", "windows-1253", "windows-1255", "windows-1258", "koi8-r", "koi8-u",
    "us-ascii", "utf-8", "UTF-7", "unicode", "unicodeFFFE", "iso-2022-jp", "csISO2022JP", "shift_jis",
    "EUC-JP", "gb2312", "GB18030", "big5", "ks_c_5601-1987", "euc-kr", "windows-874", "macintosh", "", "x-none",
};
const size_t kNameCount = sizeof kNames / sizeof kNames[0];

bool SingleByte(uint32_t codePage) {
    switch (codePage) {
        case 20127: case 28591: case 28592: case 28593: case 28594: case 28595: case 28596: case 28597:
        case 28598: case 38598: case 28599: case 28600: case 28603: case 28605: case 1250: case 1251:
        case 1252: case 1253: case 1254: case 1255: case 1256: case 1257: case 1258: case 874: case 866:
        case 20866: case 21866: case 10000:
            return true;
        default:
            return false;
    }
}

size_t CharacterCount(const std::string& utf8) {
    size_t count = 0;
    for (char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string name;
    size_t at = 1;
    if (data[0] < 0xC0) {
        name = kNames[data[0] % kNameCount];
    } else {
        const size_t length = std::min<size_t>(data[0] & 0x3F, size - 1);
        name.assign(reinterpret_cast<const char*>(data + 1), length);
        at += length;
    }
    const std::string text(reinterpret_cast<const char*>(data + at), size - at);

    pellumo::TCharsetConverter converter(name);
    const std::string converted = converter.Decode(text);  // throws, and so fails, on any refusal
    if (!pellumo::IsValidUtf8(converted.data(), converted.size())) __builtin_trap();
    const bool noCharset = converter.CodePage() == 0;
    if (SingleByte(converter.CodePage()) || noCharset) {
        if (CharacterCount(converted) != text.size()) __builtin_trap();
        const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return c > 0 && c < 0x7F; });
        if (ascii && converted != text) __builtin_trap();
    }
    return 0;
}
