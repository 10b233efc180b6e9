// Any text as a stored "Window Location": it must parse, and what it gives
// must be written and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/WindowLocation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    pellumo::TRect fallback;
    fallback.Left = 980;
    fallback.Top = 794;
    fallback.Right = 1280;
    fallback.Bottom = 994;
    const pellumo::TRect rect = pellumo::ParseWindowLocation(text, fallback);
    if (pellumo::ParseWindowLocation(pellumo::FormatWindowLocation(rect), fallback) != rect) __builtin_trap();
    return 0;
}
