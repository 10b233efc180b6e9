#pragma once
// The "show the last message again" hotkey as it is stored: the value a
// hotkey control holds, the virtual key in the low byte and the control's
// modifier flags in the next; 0 is none. Windows-free: the flags' values are
// the system's, spelled out here.
#include <cstdint>
#include <optional>
#include <string>

namespace pellumo {

// The hotkey control's modifier flags (HOTKEYF_*), in the value's second byte.
constexpr uint32_t kHotkeyShift = 0x01;
constexpr uint32_t kHotkeyControl = 0x02;
constexpr uint32_t kHotkeyAlt = 0x04;
constexpr uint32_t kHotkeyExtended = 0x08;  // a key of the extended keyboard: no modifier

// Ctrl+Shift+F9: no AltGr letter (AltGr is Ctrl+Alt), no shortcut of Windows'
// own (those take the Windows key), and not F12, which debuggers keep.
constexpr uint32_t kVirtualKeyF9 = 0x78;
constexpr uint32_t kDefaultShowAgainHotkey = ((kHotkeyControl | kHotkeyShift) << 8) | kVirtualKeyF9;

// What RegisterHotKey takes: MOD_* flags and the virtual key.
struct THotkeyRegistration {
    uint32_t Modifiers = 0;
    uint32_t VirtualKey = 0;
    bool operator==(const THotkeyRegistration& o) const {
        return Modifiers == o.Modifiers && VirtualKey == o.VirtualKey;
    }
};

// The registration for a stored value; none for 0, for a value without a
// key, for a value no hotkey control writes (bits past its two bytes), and
// for a combination the setup dialog refuses: a key alone, with Shift alone,
// or with both Ctrl and Alt.
std::optional<THotkeyRegistration> HotkeyRegistration(uint32_t stored);

// "Ctrl+Shift+F9", for the log: F keys, letters and digits by name, other
// keys by number.
std::string HotkeyText(uint32_t stored);

}  // namespace pellumo
