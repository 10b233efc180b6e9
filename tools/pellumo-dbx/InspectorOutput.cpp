#include "InspectorOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

#include "content/CharsetConverter.h"
#include "platform/Exception.h"

namespace pellumo {
namespace inspector {

OutputError::OutputError() : std::runtime_error(std::strerror(errno ? errno : EIO)), ReaderGone(errno == EPIPE) {
#ifdef _WIN32
    // The C library calls a pipe closed at the other end an invalid argument.
    const DWORD error = GetLastError();
    if (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED) ReaderGone = true;
#endif
}

void Emit(const std::string& bytes) {
    if (bytes.empty()) return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) throw OutputError();
}

void FinishOutput() {
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) throw OutputError();
}

std::string Hex8(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

std::string Escape(const std::string& text, bool doubleBackslashes) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\\': out += doubleBackslashes ? "\\\\" : "\\"; break;
        default: out += c;
        }
    }
    return out;
}

TIndexText::TIndexText(uint32_t codePage) : codePage_(codePage) {
    if (!codePage_) return;
    service_ = CreateMultiLanguageService();
    TCodePageInfo info;
    if (!service_ || !service_->GetCodePageInfo(codePage_, info))
        throw UsageError("unknown code page: " + std::to_string(codePage_));
}

std::string TIndexText::operator()(const std::string& text) const {
    if (!codePage_) return SystemTextToUtf8(text);
    if (text.empty()) return text;
    // A UTF-8 character takes at most four bytes, and no code page has
    // a character of less than one byte.
    std::string out(text.size() * 4 + 16, '\0');
    size_t size = out.size();
    if (!service_->ConvertString(codePage_, cpUtf8, text.data(), text.size(), &out[0], size))
        throw Exception("cannot read a text in code page " + std::to_string(codePage_));
    out.resize(size);
    return out;
}

}  // namespace inspector
}  // namespace pellumo
