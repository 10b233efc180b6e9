#pragma once
// The Multilanguage service: charset names, code page records and code page
// conversion. On Windows it is MLang (IMultiLanguage over COM); elsewhere a
// table of MIME charsets over iconv that answers as MLang does.
//
// Text crosses this seam as 8-bit strings; the Windows side converts to and
// from UTF-16 with the system's ANSI code page.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace pellumo {

// What GetCharsetInfo answers for a MIME charset name (MIMECSETINFO).
struct TCharsetInfo {
    uint32_t CodePage = 0;          // the family (Windows ANSI) code page
    uint32_t InternetEncoding = 0;  // the code page of the Internet encoding itself
    std::string Charset;            // the charset name
};

// What GetCodePageInfo answers for a code page (MIMECPINFO).
struct TCodePageInfo {
    uint32_t Flags = 0;
    uint32_t CodePage = 0;
    uint32_t FamilyCodePage = 0;
    std::string Description;
    std::string WebCharset;
    std::string HeaderCharset;
    std::string BodyCharset;
    std::string FixedWidthFont;
    std::string ProportionalFont;
    uint8_t GDICharset = 0;
};

// Code page numbers as Windows gives them.
enum : uint32_t {
    cpUtf16 = 1200,
    cpUtf16BigEndian = 1201,
    cpUtf7 = 65000,
    cpUtf8 = 65001,
};

inline bool IsUnicodeCodePage(uint32_t codePage) {
    return codePage == cpUtf16 || codePage == cpUtf16BigEndian || codePage == cpUtf7 || codePage == cpUtf8;
}

class IMultiLanguageService {
public:
    virtual ~IMultiLanguageService() = default;

    // The record of an Internet charset name in any letter case; false for a
    // name the service does not know (Info is then left alone).
    virtual bool GetCharsetInfo(const std::string& name, TCharsetInfo& info) = 0;
    // The record of a code page; false when there is none (Info left alone).
    virtual bool GetCodePageInfo(uint32_t codePage, TCodePageInfo& info) = 0;
    // Converts SourceSize bytes from one code page to another into
    // Destination, whose room is DestinationSize bytes; on success
    // DestinationSize is the number of bytes written. False when the
    // conversion fails, the lack of room included.
    virtual bool ConvertString(uint32_t sourceCodePage, uint32_t destinationCodePage, const char* source,
                               size_t sourceSize, char* destination, size_t& destinationSize) = 0;
    // The system's ANSI code page (GetACP on Windows, 1252 elsewhere).
    virtual uint32_t SystemCodePage() = 0;
};

// A new connection to the service; null when it cannot be created. On
// Windows it initialises COM on the calling thread for as long as it lives,
// so it must be released on the thread that created it.
std::unique_ptr<IMultiLanguageService> CreateMultiLanguageService();

}  // namespace pellumo
