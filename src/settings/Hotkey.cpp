#include "settings/Hotkey.h"

#include <cstdio>

namespace pellumo {

namespace {

// RegisterHotKey's modifier flags: ordered unlike the hotkey control's.
constexpr uint32_t kModAlt = 0x0001, kModControl = 0x0002, kModShift = 0x0004;
constexpr uint32_t kVirtualKeyF1 = 0x70, kVirtualKeyF24 = 0x87;

}  // namespace

std::optional<THotkeyRegistration> HotkeyRegistration(uint32_t stored) {
    const uint32_t key = stored & 0xFF, flags = (stored >> 8) & 0xFF;
    if (key == 0 || stored > 0xFFFF) return std::nullopt;
    // As the setup dialog's hotkey control refuses them: a key alone or with
    // Shift alone would take a letter or a key from every program, and
    // Ctrl+Alt (with or without Shift) is AltGr, which types characters.
    if (((flags & kHotkeyControl) != 0) == ((flags & kHotkeyAlt) != 0)) return std::nullopt;
    THotkeyRegistration registration;
    registration.VirtualKey = key;
    if (flags & kHotkeyAlt) registration.Modifiers |= kModAlt;
    if (flags & kHotkeyControl) registration.Modifiers |= kModControl;
    if (flags & kHotkeyShift) registration.Modifiers |= kModShift;
    return registration;
}

std::string HotkeyText(uint32_t stored) {
    if (!HotkeyRegistration(stored)) return "none";
    const uint32_t key = stored & 0xFF, flags = (stored >> 8) & 0xFF;
    std::string text;
    if (flags & kHotkeyControl) text += "Ctrl+";
    if (flags & kHotkeyShift) text += "Shift+";
    if (flags & kHotkeyAlt) text += "Alt+";
    if (key >= kVirtualKeyF1 && key <= kVirtualKeyF24) return text + "F" + std::to_string(key - kVirtualKeyF1 + 1);
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return text + static_cast<char>(key);
    char number[16];
    std::snprintf(number, sizeof number, "key 0x%02X", static_cast<unsigned>(key));
    return text + number;
}

}  // namespace pellumo
