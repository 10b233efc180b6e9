// The Multilanguage service without Windows: MLang's table of MIME charsets as
// far as mail uses them, and conversion between code pages through iconv.
// It answers as MLang does (the charset tests hold both to the same vectors),
// with one difference: a character the target code page lacks becomes "?",
// where Windows first tries a look-alike ("best fit", so a-macron becomes a).
#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/JapaneseToShiftJis_posix.h"
#include "platform/MultiLanguage.h"
#include "platform/Utf8Text.h"

namespace pellumo {
namespace {

enum class TCodec {
    Ascii,    // us-ascii: Windows drops the high bit of an 8-bit byte
    Bytes,    // a single-byte code page, through a byte table built from iconv
    Iconv,    // multi-byte and stateful charsets, straight through iconv
    Utf16Le,  // Windows' "unicode"
    Utf16Be,
    Jis,      // ISO-2022-JP, read through Shift_JIS
    EucJp,    // EUC-JP, read through Shift_JIS
};

struct TCharsetEntry {
    uint32_t CodePage;
    uint32_t Family;
    const char* Names;  // the web charset name first, then the aliases, "|" between
    const char* Description;
    TCodec Codec;
    const char* IconvName;
    const char* HeaderCharset;  // null: the web charset name
    const char* BodyCharset;    // null: the web charset name
};

// Code pages, families and names as MLang gives them. A few entries Wine's
// MLang lacks but Windows has (euc-kr, iso-8859-8-i, windows-874, unicodeFFFE,
// the aliases); iso-8859-10 has no Windows code page and takes the number its
// series would give it, in the Western family.
const TCharsetEntry kCharsets[] = {
    {20127, 1252, "us-ascii|ascii|us|ansi_x3.4-1968|ansi_x3.4-1986|iso646-us|iso-ir-6|iso_646.irv:1991|cp367|ibm367|csascii",
     "US-ASCII", TCodec::Ascii, nullptr, nullptr, nullptr},
    {28591, 1252, "iso-8859-1|latin1|l1|iso_8859-1|iso_8859-1:1987|iso8859-1|iso-ir-100|cp819|ibm819|csisolatin1",
     "Western European (ISO)", TCodec::Bytes, "ISO-8859-1", nullptr, nullptr},
    {28592, 1250, "iso-8859-2|latin2|l2|iso_8859-2|iso_8859-2:1987|iso8859-2|iso-ir-101|csisolatin2",
     "Central European (ISO)", TCodec::Bytes, "ISO-8859-2", nullptr, nullptr},
    {28593, 1254, "iso-8859-3|latin3|l3|iso_8859-3|iso_8859-3:1988|iso8859-3|iso-ir-109|csisolatin3", "Latin 3 (ISO)",
     TCodec::Bytes, "ISO-8859-3", nullptr, nullptr},
    {28594, 1257, "iso-8859-4|latin4|l4|iso_8859-4|iso_8859-4:1988|iso8859-4|iso-ir-110|csisolatin4", "Baltic (ISO)",
     TCodec::Bytes, "ISO-8859-4", nullptr, nullptr},
    {28595, 1251, "iso-8859-5|cyrillic|iso_8859-5|iso_8859-5:1988|iso8859-5|iso-ir-144|csisolatincyrillic",
     "Cyrillic (ISO)", TCodec::Bytes, "ISO-8859-5", nullptr, nullptr},
    {28596, 1256, "iso-8859-6|arabic|iso_8859-6|iso_8859-6:1987|iso8859-6|iso-ir-127|ecma-114|csisolatinarabic",
     "Arabic (ISO)", TCodec::Bytes, "ISO-8859-6", nullptr, nullptr},
    {28597, 1253, "iso-8859-7|greek|greek8|iso_8859-7|iso_8859-7:1987|iso8859-7|iso-ir-126|elot_928|ecma-118|csisolatingreek",
     "Greek (ISO)", TCodec::Bytes, "ISO-8859-7", nullptr, nullptr},
    {28598, 1255, "iso-8859-8|hebrew|visual|iso_8859-8|iso_8859-8:1988|iso8859-8|iso-ir-138|csisolatinhebrew",
     "Hebrew (ISO-Visual)", TCodec::Bytes, "ISO-8859-8", nullptr, nullptr},
    {38598, 1255, "iso-8859-8-i|logical", "Hebrew (ISO-Logical)", TCodec::Bytes, "ISO-8859-8", nullptr, nullptr},
    {28599, 1254, "iso-8859-9|latin5|l5|iso_8859-9|iso_8859-9:1989|iso8859-9|iso-ir-148|csisolatin5", "Turkish (ISO)",
     TCodec::Bytes, "ISO-8859-9", nullptr, nullptr},
    {28600, 1252, "iso-8859-10|latin6|l6|iso_8859-10|iso_8859-10:1992|iso8859-10|iso-ir-157|csisolatin6", "Nordic (ISO)",
     TCodec::Bytes, "ISO-8859-10", nullptr, nullptr},
    {28603, 1257, "iso-8859-13|iso8859-13", "Estonian (ISO)", TCodec::Bytes, "ISO-8859-13", nullptr, nullptr},
    {28605, 1252, "iso-8859-15|latin-9|latin9|l9|iso_8859-15|iso8859-15|csisolatin9", "Latin 9 (ISO)", TCodec::Bytes,
     "ISO-8859-15", nullptr, nullptr},
    {1250, 1250, "windows-1250|x-cp1250", "Central European (Windows)", TCodec::Bytes, "CP1250", nullptr, nullptr},
    {1251, 1251, "windows-1251|x-cp1251", "Cyrillic (Windows)", TCodec::Bytes, "CP1251", nullptr, nullptr},
    {1252, 1252, "windows-1252", "Western European (Windows)", TCodec::Bytes, "CP1252", nullptr, "iso-8859-1"},
    {1253, 1253, "windows-1253", "Greek (Windows)", TCodec::Bytes, "CP1253", nullptr, nullptr},
    {1254, 1254, "windows-1254", "Turkish (Windows)", TCodec::Bytes, "CP1254", nullptr, nullptr},
    {1255, 1255, "windows-1255", "Hebrew (Windows)", TCodec::Bytes, "CP1255", nullptr, nullptr},
    {1256, 1256, "windows-1256", "Arabic (Windows)", TCodec::Bytes, "CP1256", nullptr, nullptr},
    {1257, 1257, "windows-1257", "Baltic (Windows)", TCodec::Bytes, "CP1257", nullptr, nullptr},
    {1258, 1258, "windows-1258", "Vietnamese (Windows)", TCodec::Bytes, "CP1258", nullptr, nullptr},
    {874, 874, "windows-874|tis-620|dos-874|iso-8859-11", "Thai (Windows)", TCodec::Bytes, "CP874", nullptr, nullptr},
    {866, 1251, "cp866|ibm866|csibm866", "Cyrillic (DOS)", TCodec::Bytes, "CP866", nullptr, nullptr},
    {20866, 1251, "koi8-r|koi|koi8|koi8r|cskoi8r", "Cyrillic (KOI8-R)", TCodec::Bytes, "KOI8-R", nullptr, nullptr},
    {21866, 1251, "koi8-u|koi8-ru", "Cyrillic (KOI8-U)", TCodec::Bytes, "KOI8-U", nullptr, nullptr},
    {10000, 1252, "macintosh|mac|csmacintosh", "Western European (Mac)", TCodec::Bytes, "MACINTOSH", nullptr, nullptr},
    {1200, 1200, "unicode|utf-16|utf-16le|iso-10646-ucs-2|ucs-2", "Unicode", TCodec::Utf16Le, nullptr, nullptr, nullptr},
    {1201, 1200, "unicodeFFFE|utf-16be", "Unicode (Big-Endian)", TCodec::Utf16Be, nullptr, nullptr, nullptr},
    {65000, 1200, "utf-7|unicode-1-1-utf-7|unicode-2-0-utf-7|x-unicode20utf7|x-unicode-2-0-utf-7|csunicode11utf7",
     "Unicode (UTF-7)", TCodec::Iconv, "UTF-7", nullptr, nullptr},
    {65001, 1200, "utf-8|unicode-1-1-utf-8|unicode-2-0-utf-8|x-unicode20utf8|x-unicode-2-0-utf-8", "Unicode (UTF-8)",
     TCodec::Iconv, "UTF-8", nullptr, nullptr},
    {932, 932, "shift_jis|shift-jis|csshiftjis|cswindows31j|ms_kanji|x-ms-cp932|x-sjis|sjis", "Japanese (Shift-JIS)",
     TCodec::Iconv, "CP932", "iso-2022-jp", "iso-2022-jp"},
    {50220, 932, "iso-2022-jp", "Japanese (JIS)", TCodec::Jis, nullptr, nullptr, nullptr},
    {50221, 932, "csISO2022JP", "Japanese (JIS-Allow 1 byte Kana)", TCodec::Jis, nullptr, "iso-2022-jp", "iso-2022-jp"},
    {51932, 932, "euc-jp|x-euc-jp|x-euc|cseucpkdfmtjapanese|extended_unix_code_packed_format_for_japanese",
     "Japanese (EUC)", TCodec::EucJp, nullptr, nullptr, nullptr},
    {936, 936, "gb2312|gbk|cp936|ms936|windows-936|euc-cn|x-euc-cn|csgb2312|csgb231280|gb_2312-80|gb231280|iso-ir-58|chinese",
     "Chinese Simplified (GB2312)", TCodec::Iconv, "CP936", nullptr, nullptr},
    {54936, 936, "GB18030", "Chinese Simplified (GB18030)", TCodec::Iconv, "GB18030", nullptr, nullptr},
    {950, 950, "big5|cn-big5|csbig5|x-x-big5", "Chinese Traditional (Big5)", TCodec::Iconv, "CP950", nullptr, nullptr},
    {949, 949, "ks_c_5601-1987|ks_c_5601|ks_c_5601_1987|ks_c_5601-1989|ksc_5601|ksc5601|korean|csksc56011987|iso-ir-149|cp949",
     "Korean", TCodec::Iconv, "CP949", nullptr, nullptr},
    {51949, 949, "euc-kr|cseuckr", "Korean (EUC)", TCodec::Iconv, "EUC-KR", nullptr, nullptr},
};
const size_t kCharsetCount = sizeof kCharsets / sizeof kCharsets[0];

// Bytes where Windows' single-byte tables differ from iconv's; 0 marks a byte
// Windows leaves undefined.
struct TByteOverride {
    uint32_t CodePage;
    uint8_t Byte;
    char32_t CodePoint;
};
const TByteOverride kByteOverrides[] = {
    {21866, 0xAE, 0x045E}, {21866, 0xBE, 0x040E},  // Windows' KOI8-U has the short u where iconv draws boxes
    {28597, 0xA1, 0x02BD}, {28597, 0xA2, 0x02BC},  // Windows' ISO-8859-7 is the 1987 edition
    {28597, 0xA4, 0},      {28597, 0xA5, 0},      {28597, 0xAA, 0},
    {28598, 0xAF, 0x203E}, {28598, 0xFD, 0},      {28598, 0xFE, 0},
    {10000, 0xBD, 0x2126}, {10000, 0xC6, 0x2206}, {10000, 0xF0, 0xF8FF},
};

// The system's ANSI code page, which code page 0 stands for.
const uint32_t kSystemCodePage = 1252;

// A byte that its code page leaves undefined decodes to a value beyond
// Unicode, one per code page and byte, so that it goes back to the same byte
// and becomes "?" anywhere else.
const char32_t kUndefinedByte = 0x110000;

const TCharsetEntry* FindCodePage(uint32_t codePage) {
    for (const TCharsetEntry& entry : kCharsets)
        if (entry.CodePage == codePage) return &entry;
    return nullptr;
}

size_t IndexOf(const TCharsetEntry& entry) { return static_cast<size_t>(&entry - kCharsets); }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameIgnoringCase(const char* name, size_t length, const std::string& wanted) {
    if (length != wanted.size()) return false;
    for (size_t i = 0; i < length; ++i)
        if (LowerAscii(name[i]) != LowerAscii(wanted[i])) return false;
    return true;
}

// The first of the "|"-separated names that equals Wanted, or an empty string.
std::string MatchName(const char* names, const std::string& wanted) {
    const char* at = names;
    for (;;) {
        const char* end = std::strchr(at, '|');
        const size_t length = end ? static_cast<size_t>(end - at) : std::strlen(at);
        if (length > 0 && SameNameIgnoringCase(at, length, wanted)) return std::string(at, length);
        if (!end) return std::string();
        at = end + 1;
    }
}

std::string WebCharset(const TCharsetEntry& entry) {
    const char* end = std::strchr(entry.Names, '|');
    return end ? std::string(entry.Names, end) : std::string(entry.Names);
}

// ---- single-byte tables

struct TByteTable {
    bool Valid = false;
    char32_t Decode[256] = {};
    std::vector<std::pair<char32_t, uint8_t>> Encode;  // by code point; the lowest byte first
};

TByteTable BuildByteTable(const TCharsetEntry& entry) {
    TByteTable table;
    iconv_t cd = iconv_open("UTF-32LE", entry.IconvName);
    if (cd == reinterpret_cast<iconv_t>(-1)) return table;
    for (unsigned byte = 0; byte < 256; ++byte) {
        char in[1] = {static_cast<char>(byte)};
        unsigned char out[8];
        char* inPointer = in;
        char* outPointer = reinterpret_cast<char*>(out);
        size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        bool converted = iconv(cd, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<size_t>(-1);
        // Vietnamese holds a base letter back for a combining mark that may follow.
        converted = converted && iconv(cd, nullptr, nullptr, &outPointer, &outLeft) != static_cast<size_t>(-1);
        if (converted && sizeof out - outLeft == 4) {
            table.Decode[byte] = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
        } else if (byte >= 0x80 && byte <= 0x9F) {
            // Windows gives the unused control positions their C1 control.
            table.Decode[byte] = byte;
        } else {
            table.Decode[byte] = kUndefinedByte + (IndexOf(entry) << 8) + byte;
        }
    }
    iconv_close(cd);
    for (const TByteOverride& o : kByteOverrides) {
        if (o.CodePage != entry.CodePage) continue;
        table.Decode[o.Byte] = o.CodePoint ? o.CodePoint : kUndefinedByte + (IndexOf(entry) << 8) + o.Byte;
    }
    for (unsigned byte = 0; byte < 256; ++byte)
        table.Encode.emplace_back(table.Decode[byte], static_cast<uint8_t>(byte));
    std::stable_sort(table.Encode.begin(), table.Encode.end(),
                     [](const std::pair<char32_t, uint8_t>& a, const std::pair<char32_t, uint8_t>& b) {
                         return a.first < b.first;
                     });
    table.Valid = true;
    return table;
}

// Built once, on first use (a function-local static is initialised once even
// with several threads).
const TByteTable& ByteTable(const TCharsetEntry& entry) {
    static const std::vector<TByteTable> tables = [] {
        std::vector<TByteTable> all(kCharsetCount);
        for (size_t i = 0; i < kCharsetCount; ++i)
            if (kCharsets[i].Codec == TCodec::Bytes) all[i] = BuildByteTable(kCharsets[i]);
        return all;
    }();
    return tables[IndexOf(entry)];
}

// ---- decoding to code points

void AppendUtf32Le(const char* bytes, size_t size, std::u32string& out) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i + 4 <= size; i += 4)
        out.push_back(b[i] | (b[i + 1] << 8) | (b[i + 2] << 16) | (static_cast<char32_t>(b[i + 3]) << 24));
}

// iconv descriptors by target and source name, opened once per thread (an
// open looks the converter up among the system's modules, which costs more
// than converting a message) and brought back to their initial state for
// each use.
class TIconvCache {
public:
    ~TIconvCache() {
        for (auto& open : open_)
            if (open.second != kFailed) iconv_close(open.second);
    }

    // Null when the system has no such conversion.
    iconv_t Get(const char* to, const char* from) {
        auto found = open_.find({to, from});
        if (found == open_.end()) found = open_.emplace(std::make_pair(to, from), iconv_open(to, from)).first;
        if (found->second == kFailed) return nullptr;
        iconv(found->second, nullptr, nullptr, nullptr, nullptr);
        return found->second;
    }

private:
    const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);
    std::map<std::pair<std::string, std::string>, iconv_t> open_;
};

iconv_t CachedIconv(const char* to, const char* from) {
    thread_local TIconvCache cache;
    return cache.Get(to, from);
}

// Whether the bytes at `data` begin a character, read from the initial state
// by descriptors of their own, so a running conversion keeps its state.
bool StartsACharacter(const char* iconvName, const char* data, size_t size) {
    thread_local TIconvCache lookAheads;
    iconv_t cd = lookAheads.Get("UTF-32LE", iconvName);
    if (!cd) return false;
    char* in = const_cast<char*>(data);
    size_t inLeft = std::min<size_t>(size, 8);  // longer than any one character
    char buffer[4];
    char* outPointer = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, &in, &inLeft, &outPointer, &outLeft);
    return outLeft < sizeof buffer;
}

// A byte that does not start a character becomes "?" and reading goes on
// after it; a character cut off by the end of the text becomes one "?".
bool IconvDecode(const char* iconvName, const char* data, size_t size, std::u32string& out) {
    iconv_t cd = CachedIconv("UTF-32LE", iconvName);
    if (!cd) return false;
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    char buffer[4096];
    while (inLeft > 0) {
        const char* const callStart = in;
        char* outPointer = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(cd, &in, &inLeft, &outPointer, &outLeft);
        const int error = errno;
        AppendUtf32Le(buffer, sizeof buffer - outLeft, out);
        if (result != static_cast<size_t>(-1)) break;
        if (error == E2BIG) continue;
        out.push_back('?');
        if (error != EILSEQ || inLeft == 0) break;
        // glibc's Korean converter steps over some undefined pairs before it
        // reports them, leaving `in` past the bad bytes (even at the end).
        const bool steppedOver = in > callStart && StartsACharacter(iconvName, in, inLeft);
        if (!steppedOver) {
            ++in;
            --inLeft;
        }
    }
    char* outPointer = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPointer, &outLeft);
    AppendUtf32Le(buffer, sizeof buffer - outLeft, out);
    return true;
}

void DecodeUtf16(const char* data, size_t size, bool bigEndian, std::u32string& out) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(data);
    auto unit = [&](size_t at) -> char32_t {
        return bigEndian ? (b[at] << 8) | b[at + 1] : b[at] | (b[at + 1] << 8);
    };
    // A last odd byte is dropped, as MLang does.
    for (size_t i = 0; i + 1 < size; i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < size) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out.push_back(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        out.push_back(u);  // a lone surrogate stays, and becomes "?" in any 8-bit code page
    }
}

bool Decode(const TCharsetEntry& entry, const char* data, size_t size, std::u32string& out) {
    switch (entry.Codec) {
        case TCodec::Ascii:
            for (size_t i = 0; i < size; ++i) out.push_back(static_cast<unsigned char>(data[i]) & 0x7F);
            return true;
        case TCodec::Bytes: {
            const TByteTable& table = ByteTable(entry);
            if (!table.Valid) return false;
            for (size_t i = 0; i < size; ++i) out.push_back(table.Decode[static_cast<unsigned char>(data[i])]);
            return true;
        }
        case TCodec::Iconv:
            return IconvDecode(entry.IconvName, data, size, out);
        case TCodec::Utf16Le:
        case TCodec::Utf16Be:
            DecodeUtf16(data, size, entry.Codec == TCodec::Utf16Be, out);
            return true;
        case TCodec::Jis: {
            const std::string sjis = JisToShiftJis(data, size);
            return IconvDecode("CP932", sjis.data(), sjis.size(), out);
        }
        case TCodec::EucJp: {
            const std::string sjis = EucJpToShiftJis(data, size);
            return IconvDecode("CP932", sjis.data(), sjis.size(), out);
        }
    }
    return false;
}

// ---- encoding from code points

bool IsUnicodeScalar(char32_t c) { return c < 0x110000 && (c < 0xD800 || c > 0xDFFF); }

// What stands for a character the target lacks: Windows converts UTF-16
// units, so a character beyond the BMP gives two.
void AppendDefault(char32_t c, std::string& out) {
    out.push_back('?');
    if (c >= 0x10000 && c < 0x110000) out.push_back('?');
}

void AppendUtf16(char32_t c, bool bigEndian, std::string& out) {
    auto put = [&](char32_t u) {
        const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
        out.push_back(bigEndian ? high : low);
        out.push_back(bigEndian ? low : high);
    };
    if (c >= 0x110000) {
        put('?');
    } else if (c >= 0x10000) {
        put(0xD800 + ((c - 0x10000) >> 10));
        put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        put(c);
    }
}

// Converts a run of Unicode scalar values; a character the target lacks
// becomes "?" and the rest of the run goes on.
void IconvEncodeRun(iconv_t cd, const char32_t* run, size_t count, std::string& out) {
    std::string bytes;
    bytes.reserve(count * 4);
    for (size_t i = 0; i < count; ++i)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((run[i] >> shift) & 0xFF));
    char* in = &bytes[0];
    size_t inLeft = bytes.size();
    char buffer[4096];
    while (inLeft >= 4) {
        char* outPointer = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(cd, &in, &inLeft, &outPointer, &outLeft);
        const int error = errno;
        out.append(buffer, sizeof buffer - outLeft);
        if (result != static_cast<size_t>(-1)) break;
        if (error == E2BIG) continue;
        if (inLeft < 4) break;
        const unsigned char* b = reinterpret_cast<const unsigned char*>(in);
        AppendDefault(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<char32_t>(b[3]) << 24), out);
        in += 4;
        inLeft -= 4;
    }
}

bool IconvEncode(const char* iconvName, const std::u32string& text, std::string& out) {
    iconv_t cd = CachedIconv(iconvName, "UTF-32LE");
    if (!cd) return false;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && IsUnicodeScalar(text[i])) continue;
        if (i > start) IconvEncodeRun(cd, text.data() + start, i - start, out);
        if (i < text.size()) out.push_back('?');  // a lone surrogate or an undefined byte
        start = i + 1;
    }
    char buffer[64];
    char* outPointer = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPointer, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    return true;
}

// UTF-8 holds every Unicode scalar value; anything else becomes "?", as
// through iconv.
void EncodeUtf8(const std::u32string& text, std::string& out) {
    out.reserve(out.size() + text.size());
    for (char32_t c : text) {
        if (IsUnicodeScalar(c))
            AppendUtf8(out, c);
        else
            out.push_back('?');
    }
}

bool Encode(const TCharsetEntry& entry, const std::u32string& text, std::string& out) {
    switch (entry.Codec) {
        case TCodec::Ascii:
            for (char32_t c : text) {
                if (c < 0x80)
                    out.push_back(static_cast<char>(c));
                else
                    AppendDefault(c, out);
            }
            return true;
        case TCodec::Bytes: {
            const TByteTable& table = ByteTable(entry);
            if (!table.Valid) return false;
            for (char32_t c : text) {
                const auto found = std::lower_bound(
                    table.Encode.begin(), table.Encode.end(), c,
                    [](const std::pair<char32_t, uint8_t>& item, char32_t wanted) { return item.first < wanted; });
                if (found != table.Encode.end() && found->first == c)
                    out.push_back(static_cast<char>(found->second));
                else
                    AppendDefault(c, out);
            }
            return true;
        }
        case TCodec::Iconv:
            if (entry.CodePage == cpUtf8) {
                EncodeUtf8(text, out);
                return true;
            }
            return IconvEncode(entry.IconvName, text, out);
        case TCodec::Utf16Le:
        case TCodec::Utf16Be:
            for (char32_t c : text) AppendUtf16(c, entry.Codec == TCodec::Utf16Be, out);
            return true;
        case TCodec::Jis:
        case TCodec::EucJp:
            // Never a family code page, so never a target here.
            return false;
    }
    return false;
}

bool IsSingleByte(const TCharsetEntry& entry) { return entry.Codec == TCodec::Ascii || entry.Codec == TCodec::Bytes; }

// What one byte becomes: at most four bytes (a BMP character in UTF-8, or "?").
struct TMappedByte {
    uint8_t Size = 0;
    char Bytes[4] = {};
};
using TByteMap = std::array<TMappedByte, 256>;

// From a single-byte code page to another or to UTF-8 each byte converts on its own, so one
// 256-entry table per pair, made on first use, converts whole bodies without
// going through code points. Null when either table cannot be had.
const TByteMap* ByteMap(const TCharsetEntry& from, const TCharsetEntry& to) {
    static std::mutex lock;
    static std::map<std::pair<const TCharsetEntry*, const TCharsetEntry*>, std::unique_ptr<TByteMap>> maps;
    std::lock_guard<std::mutex> guard(lock);
    auto& map = maps[{&from, &to}];
    if (!map) {
        std::unique_ptr<TByteMap> made(new TByteMap);
        for (int byte = 0; byte < 256; ++byte) {
            const char in = static_cast<char>(byte);
            std::u32string text;
            std::string bytes;
            if (!Decode(from, &in, 1, text) || !Encode(to, text, bytes) || bytes.size() > 4) return nullptr;
            (*made)[byte].Size = static_cast<uint8_t>(bytes.size());
            std::memcpy((*made)[byte].Bytes, bytes.data(), bytes.size());
        }
        map = std::move(made);
    }
    return map.get();
}

class TIconvMultiLanguage : public IMultiLanguageService {
public:
    bool GetCharsetInfo(const std::string& name, TCharsetInfo& info) override {
        for (const TCharsetEntry& entry : kCharsets) {
            const std::string matched = MatchName(entry.Names, name);
            if (matched.empty()) continue;
            info.CodePage = entry.Family;
            info.InternetEncoding = entry.CodePage;
            info.Charset = matched;
            return true;
        }
        return false;
    }

    bool GetCodePageInfo(uint32_t codePage, TCodePageInfo& info) override {
        const TCharsetEntry* entry = FindCodePage(codePage);
        if (!entry) return false;
        // Flags, fonts and the GDI charset stay empty: nothing here reads them.
        info = TCodePageInfo();
        info.CodePage = entry->CodePage;
        info.FamilyCodePage = entry->Family;
        info.Description = entry->Description;
        info.WebCharset = WebCharset(*entry);
        info.HeaderCharset = entry->HeaderCharset ? entry->HeaderCharset : info.WebCharset;
        info.BodyCharset = entry->BodyCharset ? entry->BodyCharset : info.WebCharset;
        return true;
    }

    bool ConvertString(uint32_t sourceCodePage, uint32_t destinationCodePage, const char* source, size_t sourceSize,
                       char* destination, size_t& destinationSize) override {
        const TCharsetEntry* from = FindCodePage(sourceCodePage ? sourceCodePage : kSystemCodePage);
        const TCharsetEntry* to = FindCodePage(destinationCodePage ? destinationCodePage : kSystemCodePage);
        if (!from || !to) return false;
        // UTF-8 to UTF-8 is a copy: the charset converter above mends what is
        // not well-formed, for this service and MLang alike.
        if (from == to && from->CodePage == cpUtf8) {
            if (sourceSize > destinationSize) return false;
            if (sourceSize) std::memcpy(destination, source, sourceSize);
            destinationSize = sourceSize;
            return true;
        }
        const bool byteWise = IsSingleByte(*from) && (IsSingleByte(*to) || to->CodePage == cpUtf8);
        if (const TByteMap* map = byteWise ? ByteMap(*from, *to) : nullptr) {
            size_t written = 0;
            for (size_t i = 0; i < sourceSize; ++i) {
                const TMappedByte& mapped = (*map)[static_cast<unsigned char>(source[i])];
                if (mapped.Size > destinationSize - written) return false;
                std::memcpy(destination + written, mapped.Bytes, mapped.Size);
                written += mapped.Size;
            }
            destinationSize = written;
            return true;
        }
        std::u32string text;
        text.reserve(sourceSize);
        std::string result;
        if (!Decode(*from, source, sourceSize, text) || !Encode(*to, text, result)) return false;
        if (result.size() > destinationSize) return false;
        if (!result.empty()) std::memcpy(destination, result.data(), result.size());
        destinationSize = result.size();
        return true;
    }

    uint32_t SystemCodePage() override { return kSystemCodePage; }
};

}  // namespace

std::unique_ptr<IMultiLanguageService> CreateMultiLanguageService() {
    return std::unique_ptr<IMultiLanguageService>(new TIconvMultiLanguage());
}

}  // namespace pellumo
