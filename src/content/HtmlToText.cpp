#include "content/HtmlToText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

#include "content/HtmlTokenizer.h"
#include "platform/Utf8Text.h"

namespace pellumo {

namespace {

struct NamedEntity {
    std::string_view name;
    char32_t code;
};

// The named entities of HTML 4.01 and "&apos;", sorted by name byte by byte
// for the binary search. Names are case-sensitive: "&Eacute;" is not "&eacute;".
constexpr NamedEntity kEntities[] = {
    {"AElig", 0x00C6}, {"Aacute", 0x00C1}, {"Acirc", 0x00C2}, {"Agrave", 0x00C0}, {"Alpha", 0x0391},
    {"Aring", 0x00C5}, {"Atilde", 0x00C3}, {"Auml", 0x00C4}, {"Beta", 0x0392}, {"Ccedil", 0x00C7}, {"Chi", 0x03A7},
    {"Dagger", 0x2021}, {"Delta", 0x0394}, {"ETH", 0x00D0}, {"Eacute", 0x00C9}, {"Ecirc", 0x00CA},
    {"Egrave", 0x00C8}, {"Epsilon", 0x0395}, {"Eta", 0x0397}, {"Euml", 0x00CB}, {"Gamma", 0x0393},
    {"Iacute", 0x00CD}, {"Icirc", 0x00CE}, {"Igrave", 0x00CC}, {"Iota", 0x0399}, {"Iuml", 0x00CF},
    {"Kappa", 0x039A}, {"Lambda", 0x039B}, {"Mu", 0x039C}, {"Ntilde", 0x00D1}, {"Nu", 0x039D}, {"OElig", 0x0152},
    {"Oacute", 0x00D3}, {"Ocirc", 0x00D4}, {"Ograve", 0x00D2}, {"Omega", 0x03A9}, {"Omicron", 0x039F},
    {"Oslash", 0x00D8}, {"Otilde", 0x00D5}, {"Ouml", 0x00D6}, {"Phi", 0x03A6}, {"Pi", 0x03A0}, {"Prime", 0x2033},
    {"Psi", 0x03A8}, {"Rho", 0x03A1}, {"Scaron", 0x0160}, {"Sigma", 0x03A3}, {"THORN", 0x00DE}, {"Tau", 0x03A4},
    {"Theta", 0x0398}, {"Uacute", 0x00DA}, {"Ucirc", 0x00DB}, {"Ugrave", 0x00D9}, {"Upsilon", 0x03A5},
    {"Uuml", 0x00DC}, {"Xi", 0x039E}, {"Yacute", 0x00DD}, {"Yuml", 0x0178}, {"Zeta", 0x0396}, {"aacute", 0x00E1},
    {"acirc", 0x00E2}, {"acute", 0x00B4}, {"aelig", 0x00E6}, {"agrave", 0x00E0}, {"alefsym", 0x2135},
    {"alpha", 0x03B1}, {"amp", 0x0026}, {"and", 0x2227}, {"ang", 0x2220}, {"apos", 0x0027}, {"aring", 0x00E5},
    {"asymp", 0x2248}, {"atilde", 0x00E3}, {"auml", 0x00E4}, {"bdquo", 0x201E}, {"beta", 0x03B2},
    {"brvbar", 0x00A6}, {"bull", 0x2022}, {"cap", 0x2229}, {"ccedil", 0x00E7}, {"cedil", 0x00B8}, {"cent", 0x00A2},
    {"chi", 0x03C7}, {"circ", 0x02C6}, {"clubs", 0x2663}, {"cong", 0x2245}, {"copy", 0x00A9}, {"crarr", 0x21B5},
    {"cup", 0x222A}, {"curren", 0x00A4}, {"dArr", 0x21D3}, {"dagger", 0x2020}, {"darr", 0x2193}, {"deg", 0x00B0},
    {"delta", 0x03B4}, {"diams", 0x2666}, {"divide", 0x00F7}, {"eacute", 0x00E9}, {"ecirc", 0x00EA},
    {"egrave", 0x00E8}, {"empty", 0x2205}, {"emsp", 0x2003}, {"ensp", 0x2002}, {"epsilon", 0x03B5},
    {"equiv", 0x2261}, {"eta", 0x03B7}, {"eth", 0x00F0}, {"euml", 0x00EB}, {"euro", 0x20AC}, {"exist", 0x2203},
    {"fnof", 0x0192}, {"forall", 0x2200}, {"frac12", 0x00BD}, {"frac14", 0x00BC}, {"frac34", 0x00BE},
    {"frasl", 0x2044}, {"gamma", 0x03B3}, {"ge", 0x2265}, {"gt", 0x003E}, {"hArr", 0x21D4}, {"harr", 0x2194},
    {"hearts", 0x2665}, {"hellip", 0x2026}, {"iacute", 0x00ED}, {"icirc", 0x00EE}, {"iexcl", 0x00A1},
    {"igrave", 0x00EC}, {"image", 0x2111}, {"infin", 0x221E}, {"int", 0x222B}, {"iota", 0x03B9}, {"iquest", 0x00BF},
    {"isin", 0x2208}, {"iuml", 0x00EF}, {"kappa", 0x03BA}, {"lArr", 0x21D0}, {"lambda", 0x03BB}, {"lang", 0x2329},
    {"laquo", 0x00AB}, {"larr", 0x2190}, {"lceil", 0x2308}, {"ldquo", 0x201C}, {"le", 0x2264}, {"lfloor", 0x230A},
    {"lowast", 0x2217}, {"loz", 0x25CA}, {"lrm", 0x200E}, {"lsaquo", 0x2039}, {"lsquo", 0x2018}, {"lt", 0x003C},
    {"macr", 0x00AF}, {"mdash", 0x2014}, {"micro", 0x00B5}, {"middot", 0x00B7}, {"minus", 0x2212}, {"mu", 0x03BC},
    {"nabla", 0x2207}, {"nbsp", 0x00A0}, {"ndash", 0x2013}, {"ne", 0x2260}, {"ni", 0x220B}, {"not", 0x00AC},
    {"notin", 0x2209}, {"nsub", 0x2284}, {"ntilde", 0x00F1}, {"nu", 0x03BD}, {"oacute", 0x00F3}, {"ocirc", 0x00F4},
    {"oelig", 0x0153}, {"ograve", 0x00F2}, {"oline", 0x203E}, {"omega", 0x03C9}, {"omicron", 0x03BF},
    {"oplus", 0x2295}, {"or", 0x2228}, {"ordf", 0x00AA}, {"ordm", 0x00BA}, {"oslash", 0x00F8}, {"otilde", 0x00F5},
    {"otimes", 0x2297}, {"ouml", 0x00F6}, {"para", 0x00B6}, {"part", 0x2202}, {"permil", 0x2030}, {"perp", 0x22A5},
    {"phi", 0x03C6}, {"pi", 0x03C0}, {"piv", 0x03D6}, {"plusmn", 0x00B1}, {"pound", 0x00A3}, {"prime", 0x2032},
    {"prod", 0x220F}, {"prop", 0x221D}, {"psi", 0x03C8}, {"quot", 0x0022}, {"rArr", 0x21D2}, {"radic", 0x221A},
    {"rang", 0x232A}, {"raquo", 0x00BB}, {"rarr", 0x2192}, {"rceil", 0x2309}, {"rdquo", 0x201D}, {"real", 0x211C},
    {"reg", 0x00AE}, {"rfloor", 0x230B}, {"rho", 0x03C1}, {"rlm", 0x200F}, {"rsaquo", 0x203A}, {"rsquo", 0x2019},
    {"sbquo", 0x201A}, {"scaron", 0x0161}, {"sdot", 0x22C5}, {"sect", 0x00A7}, {"shy", 0x00AD}, {"sigma", 0x03C3},
    {"sigmaf", 0x03C2}, {"sim", 0x223C}, {"spades", 0x2660}, {"sub", 0x2282}, {"sube", 0x2286}, {"sum", 0x2211},
    {"sup", 0x2283}, {"sup1", 0x00B9}, {"sup2", 0x00B2}, {"sup3", 0x00B3}, {"supe", 0x2287}, {"szlig", 0x00DF},
    {"tau", 0x03C4}, {"there4", 0x2234}, {"theta", 0x03B8}, {"thetasym", 0x03D1}, {"thinsp", 0x2009},
    {"thorn", 0x00FE}, {"tilde", 0x02DC}, {"times", 0x00D7}, {"trade", 0x2122}, {"uArr", 0x21D1},
    {"uacute", 0x00FA}, {"uarr", 0x2191}, {"ucirc", 0x00FB}, {"ugrave", 0x00F9}, {"uml", 0x00A8}, {"upsih", 0x03D2},
    {"upsilon", 0x03C5}, {"uuml", 0x00FC}, {"weierp", 0x2118}, {"xi", 0x03BE}, {"yacute", 0x00FD}, {"yen", 0x00A5},
    {"yuml", 0x00FF}, {"zeta", 0x03B6}, {"zwj", 0x200D}, {"zwnj", 0x200C},
};

template <class Entry, size_t count>
constexpr bool IsSortedByName(const Entry (&entries)[count]) {
    for (size_t i = 1; i < count; ++i)
        if (!(entries[i - 1].name < entries[i].name)) return false;
    return true;
}
static_assert(std::size(kEntities) == 253, "HTML 4.01 has 252 named entities; &apos; makes 253");
static_assert(IsSortedByName(kEntities), "the binary search needs the entities sorted");

const size_t kLongestEntityName = 8;  // "thetasym"

// Browsers read "&#128;" to "&#159;" as Windows-1252, which is what pages
// that write them mean; 0 marks the five codes that table leaves undefined.
constexpr char32_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

const char32_t kReplacement = 0xFFFD;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlnum(char c) { return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

const NamedEntity* FindEntity(std::string_view name) {
    const NamedEntity* end = kEntities + std::size(kEntities);
    const NamedEntity* found =
        std::lower_bound(kEntities, end, name, [](const NamedEntity& e, std::string_view n) { return e.name < n; });
    return found != end && found->name == name ? found : nullptr;
}

// The few entities browsers also take without their ";".
bool TakenWithoutSemicolon(std::string_view name) {
    return name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "nbsp";
}

char32_t FromNumber(uint32_t value) {
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return kReplacement;
    if (value >= 0x80 && value <= 0x9F) {
        const char32_t mapped = kWindows1252[value - 0x80];
        return mapped ? mapped : kReplacement;
    }
    return value;
}

// The character reference at P (a "&") as one code point, with the number
// of bytes it takes; 0 when what follows the "&" is none. A reference is
// never shorter than the UTF-8 of what it stands for, which keeps the text
// no longer than the HTML.
size_t ReadReference(const char* p, const char* end, char32_t& code) {
    const char* q = p + 1;
    if (q < end && *q == '#') {
        ++q;
        const bool hex = q < end && (*q == 'x' || *q == 'X');
        if (hex) ++q;
        const char* const digits = q;
        uint32_t value = 0;
        for (int digit; q < end && (digit = hex ? HexValue(*q) : (IsDigit(*q) ? *q - '0' : -1)) >= 0; ++q)
            value = std::min<uint32_t>(value * (hex ? 16 : 10) + static_cast<uint32_t>(digit), 0x110000);
        if (q == digits) return 0;
        if (q < end && *q == ';') ++q;
        code = FromNumber(value);
        return static_cast<size_t>(q - p);
    }
    const char* const name = q;
    while (q < end && IsAsciiAlnum(*q) && static_cast<size_t>(q - name) <= kLongestEntityName) ++q;
    const std::string_view written(name, static_cast<size_t>(q - name));
    if (written.empty() || written.size() > kLongestEntityName) return 0;
    const bool semicolon = q < end && *q == ';';
    // Without its ";" a name must not run on into letters or digits: "&ampx" stays.
    if (!semicolon && ((q < end && IsAsciiAlnum(*q)) || !TakenWithoutSemicolon(written))) return 0;
    const NamedEntity* entity = FindEntity(written);
    if (!entity) return 0;
    code = entity->code;
    return static_cast<size_t>(q - p) + (semicolon ? 1 : 0);
}

// Control characters and the no-break space show as a gap in a plain text
// line; the popup has no other use for them.
bool IsBlank(char32_t c) { return c <= 0x20 || c == 0x7F || c == 0xA0; }

// What a tag does to the text.
enum class TagRole : uint8_t {
    kNone,
    kCell,         // a space before it
    kBreak,        // a line break, even on an empty line (br)
    kLine,         // starts and ends a line
    kParagraph,    // an empty line before and after
    kHeadContent,  // allowed in head: does not end it
    kHead,
    kBody,
};

struct TagName {
    std::string_view name;
    TagRole role;
};

// Sorted by name for the binary search.
constexpr TagName kTags[] = {
    {"address", TagRole::kLine},         {"article", TagRole::kLine},         {"aside", TagRole::kLine},
    {"base", TagRole::kHeadContent},     {"basefont", TagRole::kHeadContent}, {"bgsound", TagRole::kHeadContent},
    {"blockquote", TagRole::kParagraph}, {"body", TagRole::kBody},            {"br", TagRole::kBreak},
    {"caption", TagRole::kLine},         {"center", TagRole::kLine},          {"dd", TagRole::kLine},
    {"details", TagRole::kLine},         {"dir", TagRole::kLine},             {"div", TagRole::kLine},
    {"dl", TagRole::kLine},              {"dt", TagRole::kLine},              {"fieldset", TagRole::kLine},
    {"figcaption", TagRole::kLine},      {"figure", TagRole::kLine},          {"footer", TagRole::kLine},
    {"form", TagRole::kLine},            {"h1", TagRole::kParagraph},         {"h2", TagRole::kParagraph},
    {"h3", TagRole::kParagraph},         {"h4", TagRole::kParagraph},         {"h5", TagRole::kParagraph},
    {"h6", TagRole::kParagraph},         {"head", TagRole::kHead},            {"header", TagRole::kLine},
    {"hr", TagRole::kLine},              {"html", TagRole::kHeadContent},     {"legend", TagRole::kLine},
    {"li", TagRole::kLine},              {"link", TagRole::kHeadContent},     {"main", TagRole::kLine},
    {"menu", TagRole::kLine},            {"meta", TagRole::kHeadContent},     {"nav", TagRole::kLine},
    {"noframes", TagRole::kHeadContent}, {"noscript", TagRole::kHeadContent}, {"ol", TagRole::kLine},
    {"p", TagRole::kParagraph},          {"pre", TagRole::kParagraph},        {"script", TagRole::kHeadContent},
    {"section", TagRole::kLine},         {"style", TagRole::kHeadContent},    {"summary", TagRole::kLine},
    {"table", TagRole::kLine},           {"td", TagRole::kCell},              {"template", TagRole::kHeadContent},
    {"th", TagRole::kCell},              {"title", TagRole::kHeadContent},    {"tr", TagRole::kLine},
    {"ul", TagRole::kLine},
};
static_assert(IsSortedByName(kTags), "the binary search needs the tags sorted");

TagRole RoleOf(std::string_view name) {
    char lower[10];
    if (name.size() > sizeof lower) return TagRole::kNone;
    for (size_t i = 0; i < name.size(); ++i)
        lower[i] = (name[i] >= 'A' && name[i] <= 'Z') ? static_cast<char>(name[i] + 32) : name[i];
    const std::string_view key(lower, name.size());
    const TagName* end = kTags + std::size(kTags);
    const TagName* found =
        std::lower_bound(kTags, end, key, [](const TagName& t, std::string_view n) { return t.name < n; });
    return found != end && found->name == key ? found->role : TagRole::kNone;
}

// Builds the text in one string. A gap or line break asked for is written
// only when something visible follows, so the text never starts or ends with
// one and no line ends in a space.
class TextWriter {
public:
    explicit TextWriter(size_t capacity) { text_.reserve(capacity); }

    void Gap() { gap_ = true; }
    // Makes the next text start a line, or (2) follow an empty line.
    void EndLine(int lineEnds) { lineEnds_ = std::max(lineEnds_, lineEnds); }
    // One line end more, up to one empty line.
    void Break() { lineEnds_ = std::min(lineEnds_ + 1, 2); }

    void Text(std::string_view run) {
        const char* p = run.data();
        const char* const end = p + run.size();
        while (p < end) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (c <= 0x20 || c == 0x7F) {
                gap_ = true;
                ++p;
            } else if (c == '&') {
                char32_t code;
                const size_t length = ReadReference(p, end, code);
                if (length == 0) {
                    Visible().push_back('&');
                    ++p;
                } else {
                    if (IsBlank(code)) gap_ = true;
                    else AppendUtf8(Visible(), code);
                    p += length;
                }
            } else if (c == 0xC2 && end - p >= 2 && static_cast<unsigned char>(p[1]) == 0xA0) {
                gap_ = true;  // a no-break space written as such
                p += 2;
            } else {
                const char* q = p + 1;
                while (q < end && IsPlain(static_cast<unsigned char>(*q))) ++q;
                Visible().append(p, static_cast<size_t>(q - p));
                p = q;
            }
        }
    }

    std::string Take() { return std::move(text_); }

private:
    static bool IsPlain(unsigned char c) { return c > 0x20 && c != 0x7F && c != '&' && c != 0xC2; }

    // The text, with what has to come before the next visible character.
    std::string& Visible() {
        if (!text_.empty()) {
            if (lineEnds_ > 0) text_.append("\r\n\r\n", static_cast<size_t>(lineEnds_) * 2);
            else if (gap_) text_ += ' ';
        }
        lineEnds_ = 0;
        gap_ = false;
        return text_;
    }

    std::string text_;
    int lineEnds_ = 0;
    bool gap_ = false;
};

}  // namespace

std::string ReplaceHtmlEntities(std::string text) {
    std::string out;
    out.reserve(text.size());
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* amp = static_cast<const char*>(std::memchr(p, '&', static_cast<size_t>(end - p)));
        if (!amp) amp = end;
        out.append(p, static_cast<size_t>(amp - p));
        if (amp == end) break;
        char32_t code;
        const size_t length = ReadReference(amp, end, code);
        if (length == 0) {
            out += '&';
            p = amp + 1;
        } else {
            AppendUtf8(out, code == 0xA0 ? U' ' : code);
            p = amp + length;
        }
    }
    return out;
}

std::string HtmlToText(const std::string& html) {
    // A NUL is a blank like any other control character: the text goes on after it.
    HtmlTokenizer tokens(html);
    TextWriter out(html.size());  // the text is never longer than the HTML
    bool inHead = false;
    for (HtmlToken kind; (kind = tokens.Next()) != HtmlToken::End;) {
        if (kind == HtmlToken::Text) {
            if (!inHead) out.Text(tokens.Token());
            continue;
        }
        if (kind != HtmlToken::StartTag && kind != HtmlToken::EndTag) continue;
        const bool start = kind == HtmlToken::StartTag;
        switch (RoleOf(tokens.Name())) {
        case TagRole::kHead:
            inHead = start;
            break;
        case TagRole::kHeadContent:
            break;
        case TagRole::kBreak:  // "</br>" too, as browsers read it
            inHead = false;
            out.Break();
            break;
        case TagRole::kLine:
            inHead = inHead && !start;
            out.EndLine(1);
            break;
        case TagRole::kParagraph:
            inHead = inHead && !start;
            // Only "</p>" puts an empty line after a paragraph: two line ends
            // from the three bytes of "<p>" would make the text longer than
            // the HTML.
            out.EndLine(start && tokens.Name().size() == 1 ? 1 : 2);
            break;
        case TagRole::kCell:
            inHead = inHead && !start;
            if (start) out.Gap();
            break;
        case TagRole::kBody:
        case TagRole::kNone:
            // Any tag of the body ends an unclosed head, as in browsers.
            inHead = inHead && !start;
            break;
        }
    }
    return out.Take();
}

}  // namespace pellumo
