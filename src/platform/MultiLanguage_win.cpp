// The Multilanguage service through MLang's IMultiLanguage (COM, in-process).
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <mlang.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ComApartment_win.h"
#include "platform/MultiLanguage.h"
#include "platform/WideText_win.h"
#include "platform/UniqueHandle_win.h"

namespace pellumo {
namespace {

// The Multilanguage server and its IMultiLanguage interface; declared here so
// the program needs no import library for them.
const CLSID kClsidMultiLanguage = {0x275C23E2, 0x3747, 0x11D0, {0x9F, 0xEA, 0x00, 0xAA, 0x00, 0x3F, 0x86, 0x46}};
const IID kIidMultiLanguage = {0x275C23E1, 0x3747, 0x11D0, {0x9F, 0xEA, 0x00, 0xAA, 0x00, 0x3F, 0x86, 0x46}};

const size_t kSlack = 16;

// A fixed UTF-16 field of an MLang record: up to its terminating zero, or the
// whole field when it has none.
template <size_t N>
std::string Narrow(const WCHAR (&field)[N]) {
    size_t length = 0;
    while (length < N && field[length] != 0) ++length;
    return Utf8FromWide(std::wstring(field, length));
}

class TMLangService : public IMultiLanguageService {
public:
    TMLangService() {
        IMultiLanguage* multiLanguage = nullptr;
        const HRESULT result = CoCreateInstance(kClsidMultiLanguage, nullptr, CLSCTX_INPROC_SERVER, kIidMultiLanguage,
                                                reinterpret_cast<void**>(&multiLanguage));
        if (SUCCEEDED(result)) multiLanguage_.Reset(multiLanguage);
    }
    bool Ready() const { return static_cast<bool>(multiLanguage_); }

    bool GetCharsetInfo(const std::string& name, TCharsetInfo& info) override {
        const std::wstring wide = WideFromUtf8(name);
        BSTR charset = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        if (!charset) return false;
        MIMECSETINFO record;
        ZeroMemory(&record, sizeof record);
        const HRESULT result = multiLanguage_->GetCharsetInfo(charset, &record);
        SysFreeString(charset);
        if (result != S_OK) return false;
        info.CodePage = record.uiCodePage;
        info.InternetEncoding = record.uiInternetEncoding;
        info.Charset = Narrow(record.wszCharset);
        return true;
    }

    bool GetCodePageInfo(uint32_t codePage, TCodePageInfo& info) override {
        MIMECPINFO record;
        ZeroMemory(&record, sizeof record);
        // An unknown code page gives S_FALSE (Wine) with nothing filled in.
        if (multiLanguage_->GetCodePageInfo(codePage, &record) != S_OK) return false;
        info.Flags = record.dwFlags;
        info.CodePage = record.uiCodePage;
        info.FamilyCodePage = record.uiFamilyCodePage;
        info.Description = Narrow(record.wszDescription);
        info.WebCharset = Narrow(record.wszWebCharset);
        info.HeaderCharset = Narrow(record.wszHeaderCharset);
        info.BodyCharset = Narrow(record.wszBodyCharset);
        info.FixedWidthFont = Narrow(record.wszFixedWidthFont);
        info.ProportionalFont = Narrow(record.wszProportionalFont);
        info.GDICharset = record.bGDICharset;
        return true;
    }

    bool ConvertString(uint32_t sourceCodePage, uint32_t destinationCodePage, const char* source, size_t sourceSize,
                       char* destination, size_t& destinationSize) override {
        // MLang may write its whole result whatever room it is given (Wine's
        // does when converting to UTF-16), so it always gets room for the
        // worst case, and the result is copied out only when it fits. A source
        // byte gives at most three bytes (one UTF-16 unit, as UTF-8).
        if (sourceSize > (UINT_MAX - kSlack) / 3) return false;
        const size_t worstCase = sourceSize * 3 + kSlack;
        std::vector<char> scratch;
        char* target = destination;
        size_t room = destinationSize;
        if (room < worstCase) {
            scratch.resize(worstCase);
            target = scratch.data();
            room = worstCase;
        }
        if (room > UINT_MAX) room = UINT_MAX;
        DWORD mode = 0;
        UINT sourceCount = static_cast<UINT>(sourceSize);
        UINT written = static_cast<UINT>(room);
        // MLang does not write to the source; the interface only lacks the const.
        BYTE empty = 0;
        BYTE* from = sourceSize ? reinterpret_cast<BYTE*>(const_cast<char*>(source)) : &empty;
        const HRESULT result = multiLanguage_->ConvertString(&mode, sourceCodePage, destinationCodePage, from,
                                                             &sourceCount, reinterpret_cast<BYTE*>(target), &written);
        // S_FALSE means the pair of code pages cannot be converted: nothing
        // useful was written, so it is a failure like any other.
        if (result != S_OK || written > room || written > destinationSize) return false;
        if (target != destination && written > 0) std::memcpy(destination, target, written);
        destinationSize = written;
        return true;
    }

    uint32_t SystemCodePage() override { return GetACP(); }

private:
    TComApartment apartment_;  // declared first: COM ends after the interface is released
    TComPtr<IMultiLanguage> multiLanguage_;
};

}  // namespace

std::unique_ptr<IMultiLanguageService> CreateMultiLanguageService() {
    auto service = std::make_unique<TMLangService>();
    if (!service->Ready()) return nullptr;
    return service;
}

}  // namespace pellumo
