#pragma once
// TCharsetConverter: converts a text from its MIME charset to UTF-8, the text
// of the program, through the platform's Multilanguage service (MLang on
// Windows, a table over iconv elsewhere).
#include <cstdint>
#include <memory>
#include <string>

namespace pellumo {

class IMultiLanguageService;

class TCharsetConverter {
public:
    // Throws EAssertionFailed "Failed to create the Multilanguage class
    // instance" when the service is not there.
    explicit TCharsetConverter(const std::string& charset = std::string());
    // The same over a service of the caller's choosing (tests); a null
    // service throws as above.
    TCharsetConverter(std::unique_ptr<IMultiLanguageService> service, const std::string& charset);
    ~TCharsetConverter();
    TCharsetConverter(const TCharsetConverter&) = delete;
    TCharsetConverter& operator=(const TCharsetConverter&) = delete;

    std::string Charset() const;
    void SetCharset(const std::string& name);
    uint32_t CodePage() const;
    uint32_t FamilyCodePage() const;

    // The text converted from the charset's code page to UTF-8. With no
    // charset or an unknown one, and for US-ASCII text with 8-bit bytes, the
    // text is read in the system's ANSI code page. A byte sequence that is no character becomes "?" (natively) or
    // U+FFFD (Windows). Throws EAssertionFailed "Couldn't convert the
    // string" when the service fails.
    std::string Decode(const std::string& text);

private:
    struct Record;
    std::unique_ptr<Record> record_;
    std::unique_ptr<IMultiLanguageService> service_;
};

// Whether the code page reads each byte below 0x80 as the ASCII character of
// that value, so that text of such bytes alone is its own UTF-8: the ANSI
// and ISO pages, KOI8, the DOS and Mac pages, the East Asian multi-byte pages
// and UTF-8. Not UTF-7, UTF-16, ISO-2022 or HZ (whose escapes are ASCII
// bytes) nor EBCDIC. Most mail is such text: Decode passes it over as it is.
bool ReadsAsciiAsItself(uint32_t codePage);

// Text in the system's ANSI code page (the store's own folder names and
// index texts) as UTF-8.
std::string SystemTextToUtf8(const std::string& text);

}  // namespace pellumo
