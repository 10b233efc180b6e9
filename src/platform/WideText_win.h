#pragma once
// UTF-8, the program's text, as the UTF-16 of the Win32 W calls and back.
// Used only where text crosses into or out of a window.
#include <windows.h>

#include <string>

namespace pellumo {

// Bytes that are no UTF-8 do not end the text: the system replaces them (or,
// on Windows XP, leaves them out) and converts the rest.
std::wstring WideFromUtf8(const std::string& text);
// An unpaired surrogate likewise leaves the rest of the text whole.
std::string Utf8FromWide(const std::wstring& text);

// A window's text as UTF-8, and set from UTF-8.
std::string WindowTextUtf8(HWND window);
void SetWindowTextUtf8(HWND window, const std::string& text);

}  // namespace pellumo
