#include <windows.h>

#include <vector>

#include "platform/Environment.h"
#include "platform/WideText_win.h"

namespace pellumo {

std::string ExpandEnvironment(const std::string& text) {
    // In UTF-16: a folder named in letters outside the system's code page (a
    // user's profile, say) stays whole. Grown to what the system asks for: a
    // long expansion is never cut.
    const std::wstring wide = WideFromUtf8(text);
    std::vector<wchar_t> buffer(1024);
    for (;;) {
        const DWORD needed = ExpandEnvironmentStringsW(wide.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0) return text;
        if (needed <= buffer.size()) return Utf8FromWide(buffer.data());
        buffer.resize(needed);
    }
}

}  // namespace pellumo
