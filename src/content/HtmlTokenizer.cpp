#include "content/HtmlTokenizer.h"

#include <cstring>

namespace pellumo {

namespace {

// CR is one too: a line end written as CR, LF or CR LF must read the same.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Whether [p, p + lower.size()) is LOWER in any letter case; the caller
// has checked that many bytes are there.
bool EqualsNoCase(const char* p, std::string_view lower) {
    for (size_t i = 0; i < lower.size(); ++i)
        if (LowerAscii(p[i]) != lower[i]) return false;
    return true;
}

bool IsNameNoCase(std::string_view name, std::string_view lower) {
    return name.size() == lower.size() && EqualsNoCase(name.data(), lower);
}

// Elements whose content browsers read as plain characters up to their own
// end tag, and never show.
const std::string_view kRawTextElements[] = {"script", "style", "title", "noscript", "noembed", "noframes", "iframe"};

// The first occurrence of byte C in [p, end), or END.
const char* Find(const char* p, const char* end, char c) {
    const void* found = std::memchr(p, c, static_cast<size_t>(end - p));
    return found ? static_cast<const char*>(found) : end;
}

}  // namespace

HtmlTokenizer::HtmlTokenizer(std::string_view html)
    : p_(html.data()), end_(html.data() + html.size()), start_(p_), kind_(HtmlToken::End) {}

HtmlToken HtmlTokenizer::Next() {
    start_ = p_;
    name_ = std::string_view();
    if (p_ == end_) return kind_ = HtmlToken::End;
    if (!rawTextOf_.empty()) {
        p_ = rawTextOf_ == "script" ? ScriptEnd() : RawTextEnd();
        rawTextOf_ = std::string_view();
        // Nothing between "<script>" and "</script>": go straight on to the end tag.
        if (p_ == start_) return Next();
        return kind_ = HtmlToken::RawText;
    }
    if (*p_ == '<' && StartsMarkup(p_)) return kind_ = ScanMarkup();
    // Text runs up to the next "<" that opens markup; a "<" that does not is text.
    const char* q = p_ + 1;
    for (;;) {
        q = Find(q, end_, '<');
        if (q == end_ || StartsMarkup(q)) break;
        ++q;
    }
    p_ = q;
    return kind_ = HtmlToken::Text;
}

// P points at a "<". "</" at the very end is text, as in browsers.
bool HtmlTokenizer::StartsMarkup(const char* p) const {
    if (end_ - p < 2) return false;
    const char c = p[1];
    return IsAsciiLetter(c) || c == '!' || c == '?' || (c == '/' && end_ - p > 2);
}

HtmlToken HtmlTokenizer::ScanMarkup() {
    const char* q = p_ + 1;
    if (IsAsciiLetter(*q)) return ScanTag(HtmlToken::StartTag);
    if (*q == '/') {
        if (IsAsciiLetter(q[1])) return ScanTag(HtmlToken::EndTag);
        if (q[1] == '>') {
            p_ = q + 2;
            return HtmlToken::Markup;
        }
    } else if (*q == '!' && end_ - q >= 3 && q[1] == '-' && q[2] == '-') {
        // A comment. "<!-->" and "<!--->" end at once; otherwise the first
        // "-->" or "--!>" ends it, and with neither it runs to the end.
        q += 3;
        if (q < end_ && *q == '>') {
            p_ = q + 1;
            return HtmlToken::Markup;
        }
        if (end_ - q >= 2 && q[0] == '-' && q[1] == '>') {
            p_ = q + 2;
            return HtmlToken::Markup;
        }
        for (;; ++q) {
            q = Find(q, end_, '-');
            if (end_ - q >= 3 && q[1] == '-' && q[2] == '>') {
                p_ = q + 3;
                break;
            }
            if (end_ - q >= 4 && q[1] == '-' && q[2] == '!' && q[3] == '>') {
                p_ = q + 4;
                break;
            }
            if (q == end_) {
                p_ = end_;
                break;
            }
        }
        return HtmlToken::Markup;
    }
    // <!DOCTYPE ...>, <?xml ...?>, <![CDATA[...]]>, <![if ...]>, </ ...>:
    // all of it up to the first ">".
    q = Find(q, end_, '>');
    p_ = q == end_ ? end_ : q + 1;
    return HtmlToken::Markup;
}

// P points at "<" or "</", a letter next.
HtmlToken HtmlTokenizer::ScanTag(HtmlToken kind) {
    const char* const nameStart = p_ + (kind == HtmlToken::EndTag ? 2 : 1);
    const char* q = nameStart;
    while (q < end_ && !IsSpace(*q) && *q != '/' && *q != '>') ++q;
    const std::string_view name(nameStart, static_cast<size_t>(q - nameStart));
    q = SkipAttributes(q);
    if (!q) {
        // Cut off by the end of the input: browsers drop it.
        p_ = end_;
        return HtmlToken::Markup;
    }
    p_ = q;
    name_ = name;
    if (kind == HtmlToken::StartTag) {
        // "<script/>" opens a script all the same, as in browsers.
        for (std::string_view element : kRawTextElements)
            if (IsNameNoCase(name, element)) rawTextOf_ = element;
    }
    return kind;
}

// From the end of a tag's name to just past its ">", or null when the input
// ends first. Values in quotes may hold ">"; an unquoted one ends at a space
// or ">".
const char* HtmlTokenizer::SkipAttributes(const char* p) const {
    for (;;) {
        while (p < end_ && (IsSpace(*p) || *p == '/')) ++p;
        if (p == end_) return nullptr;
        if (*p == '>') return p + 1;
        ++p;  // a name's first byte, which may be "="
        while (p < end_ && !IsSpace(*p) && *p != '/' && *p != '>' && *p != '=') ++p;
        while (p < end_ && IsSpace(*p)) ++p;
        if (p == end_ || *p != '=') continue;
        ++p;
        while (p < end_ && IsSpace(*p)) ++p;
        if (p == end_) return nullptr;
        if (*p == '"' || *p == '\'') {
            p = Find(p + 1, end_, *p);
            if (p == end_) return nullptr;
            ++p;
        } else {
            while (p < end_ && !IsSpace(*p) && *p != '>') ++p;
        }
    }
}

// "</name" then a space, "/" or ">", in any letter case.
bool HtmlTokenizer::IsEndTagOf(const char* p, std::string_view lower) const {
    const size_t length = lower.size() + 2;
    return static_cast<size_t>(end_ - p) > length && p[1] == '/' && EqualsNoCase(p + 2, lower) &&
           (IsSpace(p[length]) || p[length] == '/' || p[length] == '>');
}

bool HtmlTokenizer::IsStartTagOf(const char* p, std::string_view lower) const {
    const size_t length = lower.size() + 1;
    return static_cast<size_t>(end_ - p) > length && EqualsNoCase(p + 1, lower) &&
           (IsSpace(p[length]) || p[length] == '/' || p[length] == '>');
}

// Where the content of the element in rawTextOf_ ends: at its end tag, or
// at the end of the input.
const char* HtmlTokenizer::RawTextEnd() const {
    for (const char* q = p_;; ++q) {
        q = Find(q, end_, '<');
        if (q == end_ || IsEndTagOf(q, rawTextOf_)) return q;
    }
}

// A script ends at "</script" too, except that a "<script" inside a
// "<!--" ... "-->" of the script hides the next "</script" (old pages wrote
// scripts that write scripts that way, and browsers read it so).
const char* HtmlTokenizer::ScriptEnd() const {
    enum { kPlain, kEscaped, kDoubleEscaped } state = kPlain;
    for (const char* q = p_; q < end_; ++q) {
        if (*q == '<') {
            if (IsEndTagOf(q, "script")) {
                if (state != kDoubleEscaped) return q;
                state = kEscaped;
            } else if (state == kPlain && end_ - q >= 4 && q[1] == '!' && q[2] == '-' && q[3] == '-') {
                state = kEscaped;
                ++q;  // the "--" may also be the start of "-->"
            } else if (state == kEscaped && IsStartTagOf(q, "script")) {
                state = kDoubleEscaped;
            }
        } else if (*q == '-' && state != kPlain && end_ - q >= 3 && q[1] == '-' && q[2] == '>') {
            state = kPlain;
            q += 2;
        }
    }
    return end_;
}

}  // namespace pellumo
