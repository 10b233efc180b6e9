#include <windows.h>

#include <vector>

#include "platform/Environment.h"

namespace pellumo {

std::string ExpandEnvironment(const std::string& text) {
    // Grown to what the system asks for: a long expansion is never cut.
    std::vector<char> buffer(1024);
    for (;;) {
        const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0) return text;
        if (needed <= buffer.size()) return std::string(buffer.data());
        buffer.resize(needed);
    }
}

}  // namespace pellumo
