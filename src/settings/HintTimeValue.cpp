#include "settings/HintTimeValue.h"

namespace pellumo {

bool IsHintTimeChar(char ch, char decimalSeparator) {
    const unsigned char c = static_cast<unsigned char>(ch);
    return c < 32 || (ch >= '0' && ch <= '9') || ch == '+' || ch == '-' || ch == decimalSeparator;
}

int32_t ReadHintTime(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return kHintTimeMin;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return kHintTimeMin;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > int64_t(INT32_MAX) + 1) return kHintTimeMin;  // not a 32-bit integer
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) return kHintTimeMin;
    return static_cast<int32_t>(value);
}

int32_t ClampHintTime(int64_t value) {
    if (value < kHintTimeMin) return kHintTimeMin;
    if (value > kHintTimeMax) return kHintTimeMax;
    return static_cast<int32_t>(value);
}

void THintTimeValue::SetValue(int32_t value) {
    if (value == Value()) return;
    text_ = std::to_string(ClampHintTime(value));
}

void THintTimeValue::Step(int delta) { text_ = std::to_string(ClampHintTime(int64_t(Value()) + delta)); }

void THintTimeValue::LoseFocus() { text_ = std::to_string(ClampHintTime(Value())); }

}  // namespace pellumo
