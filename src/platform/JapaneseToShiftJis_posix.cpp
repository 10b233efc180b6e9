#include "platform/JapaneseToShiftJis_posix.h"

namespace pellumo {

namespace {

// One JIS X 0208 character (two bytes 0x21..0x7E) as Shift_JIS.
void AppendShiftJis(unsigned char j1, unsigned char j2, std::string& out) {
    unsigned s1 = ((j1 - 0x21u) >> 1) + 0x81u;
    if (s1 > 0x9F) s1 += 0x40;
    const unsigned s2 = (j1 & 1) ? j2 + 0x1Fu + (j2 >= 0x60 ? 1u : 0u) : j2 + 0x7Eu;
    out.push_back(static_cast<char>(s1));
    out.push_back(static_cast<char>(s2));
}

bool IsJisByte(unsigned char c) { return c >= 0x21 && c <= 0x7E; }
bool IsEucByte(unsigned char c) { return c >= 0xA1 && c <= 0xFE; }

}  // namespace

std::string JisToShiftJis(const char* data, size_t size) {
    enum { mAscii, mKana, mKanji, mOther } mode = mAscii;
    bool shiftedOut = false;
    std::string out;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(data);
    size_t i = 0;
    while (i < size) {
        const unsigned char c = b[i];
        if (c == 0x1B) {
            const size_t rest = size - i - 1;
            if (rest >= 2 && b[i + 1] == '(' && (b[i + 2] == 'B' || b[i + 2] == 'J' || b[i + 2] == 'H')) {
                mode = mAscii;  // JIS-Roman is read as ASCII, as Windows does
                i += 3;
            } else if (rest >= 2 && b[i + 1] == '(' && b[i + 2] == 'I') {
                mode = mKana;
                i += 3;
            } else if (rest >= 2 && b[i + 1] == '$' && (b[i + 2] == 'B' || b[i + 2] == '@')) {
                mode = mKanji;
                i += 3;
            } else if (rest >= 3 && b[i + 1] == '$' && b[i + 2] == '(') {
                mode = (b[i + 3] == 'B' || b[i + 3] == '@') ? mKanji : mOther;  // JIS X 0212 and the like: no Shift_JIS
                i += 4;
            } else {
                out.push_back('\x1B');
                ++i;
            }
            continue;
        }
        if (c == 0x0E || c == 0x0F) {
            shiftedOut = c == 0x0E;
            ++i;
            continue;
        }
        if (c >= 0x80) {
            out.push_back('?');
            ++i;
        } else if (!IsJisByte(c)) {
            out.push_back(static_cast<char>(c));  // controls and space stand in every mode
            ++i;
        } else if (shiftedOut || mode == mKana) {
            out.push_back(c <= 0x5F ? static_cast<char>(c + 0x80) : '?');
            ++i;
        } else if (mode == mKanji || mode == mOther) {
            if (i + 1 < size && IsJisByte(b[i + 1])) {
                if (mode == mKanji)
                    AppendShiftJis(c, b[i + 1], out);
                else
                    out.push_back('?');
                i += 2;
            } else {
                out.push_back('?');
                ++i;
            }
        } else {
            out.push_back(static_cast<char>(c));
            ++i;
        }
    }
    return out;
}

std::string EucJpToShiftJis(const char* data, size_t size) {
    std::string out;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(data);
    size_t i = 0;
    while (i < size) {
        const unsigned char c = b[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
        } else if (c == 0x8E && i + 1 < size && b[i + 1] >= 0xA1 && b[i + 1] <= 0xDF) {
            out.push_back(static_cast<char>(b[i + 1]));  // half-width katakana
            i += 2;
        } else if (c == 0x8F && i + 2 < size && IsEucByte(b[i + 1]) && IsEucByte(b[i + 2])) {
            out.push_back('?');  // JIS X 0212 has no Shift_JIS form
            i += 3;
        } else if (IsEucByte(c) && i + 1 < size && IsEucByte(b[i + 1])) {
            AppendShiftJis(c - 0x80, b[i + 1] - 0x80, out);
            i += 2;
        } else {
            out.push_back('?');
            ++i;
        }
    }
    return out;
}

}  // namespace pellumo
