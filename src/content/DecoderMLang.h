#pragma once
// TCharsetDecoder: converts a body's 8-bit text from its MIME charset to the
// Windows ANSI code page of the same script family, through the platform's
// Multilanguage service (MLang on Windows, a table over iconv elsewhere).
#include <cstdint>
#include <memory>
#include <string>

namespace pellumo {

class IMultiLanguageService;

class TCharsetDecoder {
public:
    // Raises EAssertionFailed "Failed to create the Multilanguage class
    // instance" when the service is not there.
    explicit TCharsetDecoder(const std::string& charset = std::string());
    // The same over a service of the caller's choosing (tests); a null
    // service raises as above.
    TCharsetDecoder(std::unique_ptr<IMultiLanguageService> service, const std::string& charset);
    ~TCharsetDecoder();
    TCharsetDecoder(const TCharsetDecoder&) = delete;
    TCharsetDecoder& operator=(const TCharsetDecoder&) = delete;

    std::string Charset() const;
    void SetCharset(const std::string& name);
    uint32_t CodePage() const;
    uint32_t FamilyCodePage() const;

    // The text converted from the code page to its family code page, or to
    // the system's ANSI code page when the family is a Unicode one. With no
    // charset or an unknown one both code pages are 0, which the service
    // takes as the ANSI code page on both sides: the text comes back as it is.
    // Raises EAssertionFailed "Couldn't convert the string" when the service fails.
    std::string Decode(const std::string& text);

private:
    struct Record;
    std::unique_ptr<Record> record_;
    std::unique_ptr<IMultiLanguageService> service_;
};

}  // namespace pellumo
