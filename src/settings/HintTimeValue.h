#pragma once
// The setup dialog's hint-time field without its window: the text it shows,
// the value that text stands for, and how typing, stepping, focus changes and
// the settings move it. The Win32 edit and up-down control only forward to it.
#include <cstdint>
#include <string>

namespace pellumo {

constexpr int32_t kHintTimeMin = 1;
constexpr int32_t kHintTimeMax = 1800;

// Characters the field lets through: digits, "+", "-", the user's decimal
// separator, and control keys (backspace, Ctrl+V and the like).
bool IsHintTimeChar(char ch, char decimalSeparator);

// The text as a 32-bit decimal integer with an optional sign; an empty text,
// or one that is not such an integer, reads as kHintTimeMin.
int32_t ReadHintTime(const std::string& text);

int32_t ClampHintTime(int64_t value);

class THintTimeValue {
public:
    // A new field shows "0", so a stored 0 stays 0 (see SetValue).
    const std::string& Text() const { return text_; }
    // What the field's text stands for, unclamped.
    int32_t Value() const { return ReadHintTime(text_); }

    // The user's editing, as the edit control holds it.
    void SetText(const std::string& text) { text_ = text; }
    // From the settings: clamped, unless it equals the value shown.
    void SetValue(int32_t value);
    // Arrow keys, the up-down buttons and the mouse wheel: by `delta`,
    // within the range.
    void Step(int delta);
    // Leaving the field clamps what was typed and shows it as a plain number.
    void LoseFocus();

private:
    std::string text_ = "0";
};

}  // namespace pellumo
