#include "platform/WideText_win.h"

#include <climits>

namespace pellumo {

std::wstring WideFromUtf8(const std::string& text) {
    // The system's lengths are ints; a window never holds more than that.
    const int size = text.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
    if (size == 0) return std::wstring();
    // No MB_ERR_INVALID_CHARS: with it one bad byte would fail the whole text.
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    const int written = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &wide[0], length);
    wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return wide;
}

std::string Utf8FromWide(const std::wstring& text) {
    const int size = text.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
    if (size == 0) return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(static_cast<size_t>(length), '\0');
    const int written = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &narrow[0], length, nullptr, nullptr);
    narrow.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return narrow;
}

std::string WindowTextUtf8(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return std::string();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], length + 1)));
    return Utf8FromWide(text);
}

void SetWindowTextUtf8(HWND window, const std::string& text) { SetWindowTextW(window, WideFromUtf8(text).c_str()); }

}  // namespace pellumo
