#include "settings/WindowLocation.h"

#include <cstdint>
#include <cstdio>

namespace pellumo {

namespace {

bool IsBlank(char c) { return c != 0 && static_cast<unsigned char>(c) <= ' '; }

// A signed decimal integer making up the whole item, within 32 bits.
bool ToInt(const std::string& item, int32_t& value) {
    size_t at = 0;
    const bool negative = !item.empty() && item[0] == '-';
    if (!item.empty() && (item[0] == '-' || item[0] == '+')) at = 1;
    if (at == item.size()) return false;
    int64_t v = 0;
    for (; at < item.size(); ++at) {
        if (item[at] < '0' || item[at] > '9') return false;
        v = v * 10 + (item[at] - '0');
        if (v > int64_t(INT32_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = static_cast<int32_t>(v);
    return true;
}

}  // namespace

std::vector<std::string> SplitCommaText(const std::string& full) {
    // The text ends at its first zero, as a C string would.
    const std::string text = full.substr(0, full.find('\0'));
    std::vector<std::string> items;
    size_t p = 0;
    const size_t n = text.size();
    while (p < n && IsBlank(text[p])) ++p;
    while (p < n) {
        std::string item;
        if (text[p] == '"') {
            ++p;
            while (p < n) {
                if (text[p] == '"') {
                    if (p + 1 < n && text[p + 1] == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text[p++];
            }
        } else {
            const size_t start = p;
            while (p < n && !IsBlank(text[p]) && text[p] != ',') ++p;
            item = text.substr(start, p - start);
        }
        items.push_back(item);
        while (p < n && IsBlank(text[p])) ++p;
        if (p < n && text[p] == ',') {
            if (p + 1 == n) items.emplace_back();
            do {
                ++p;
            } while (p < n && IsBlank(text[p]));
        }
    }
    return items;
}

TRect ParseWindowLocation(const std::string& text, const TRect& fallback) {
    const auto items = SplitCommaText(text);
    TRect rect = fallback;
    if (items.size() < 4) return rect;
    ToInt(items[0], rect.Left);
    ToInt(items[1], rect.Top);
    ToInt(items[2], rect.Right);
    ToInt(items[3], rect.Bottom);
    return rect;
}

std::string FormatWindowLocation(const TRect& r) {
    char text[64];
    std::snprintf(text, sizeof text, "%d, %d, %d, %d", static_cast<int>(r.Left), static_cast<int>(r.Top),
                  static_cast<int>(r.Right), static_cast<int>(r.Bottom));
    return text;
}

}  // namespace pellumo
