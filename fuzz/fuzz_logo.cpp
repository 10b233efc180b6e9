// Any bytes as the logo resource: decoding must never read or write out of
// bounds, and a picture it gives must have exactly its announced size.
#include <cstddef>
#include <cstdint>

#include "settings/Logo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto picture = pellumo::DecodeLogo(data, size);
    if (!picture) return 0;
    const size_t pixels = size_t(picture->Width) * size_t(picture->Height);
    if (picture->Width < 1 || picture->Height < 1 || picture->Rgba.size() != pixels * 4) __builtin_trap();
    if (pellumo::BlendLogo(*picture, 0x00D8E9EC).size() != pixels) __builtin_trap();
    return 0;
}
