#pragma once
// Splits an HTML body into the pieces HtmlToText needs, in one pass and
// without copying: runs of text, start and end tags by name, the content of
// elements that is never shown, and markup that shows nothing. Malformed HTML
// is read the way browsers read it (a "<" not followed by a letter, "/", "!"
// or "?" is text; a tag cut off by the end of the input is dropped; an
// unclosed comment, script or style runs to the end), and no scan goes past
// the end of the input.
#include <cstddef>
#include <string_view>

namespace pellumo {

enum class HtmlToken {
    End,       // the input is used up
    Text,      // text between markup, its character references as written
    StartTag,  // "<name ...>"
    EndTag,    // "</name ...>"
    RawText,   // all that stands in a script, style, title, noscript, noembed, noframes or iframe
    Markup,    // a comment, <!DOCTYPE>, <?xml ...?>, <![CDATA[...]>, </>, or a tag cut off at the end
};

class HtmlTokenizer {
public:
    explicit HtmlTokenizer(std::string_view html);

    // Moves on to the next token and returns its kind; End at the end, and
    // again on every later call. Every other token is at least one byte.
    HtmlToken Next();

    HtmlToken Kind() const { return kind_; }
    // The bytes of the current token as written, for a tag from "<" to ">".
    std::string_view Token() const { return std::string_view(start_, static_cast<size_t>(p_ - start_)); }
    // The name of the current tag as written ("DIV", "o:p"); empty for other kinds.
    std::string_view Name() const { return name_; }

private:
    bool StartsMarkup(const char* p) const;
    HtmlToken ScanMarkup();
    HtmlToken ScanTag(HtmlToken kind);
    const char* SkipAttributes(const char* p) const;
    const char* ScriptEnd() const;
    const char* RawTextEnd() const;
    bool IsEndTagOf(const char* p, std::string_view lower) const;
    bool IsStartTagOf(const char* p, std::string_view lower) const;

    const char* p_;
    const char* end_;
    const char* start_;
    std::string_view name_;
    std::string_view rawTextOf_;  // the element whose content comes next, lower case
    HtmlToken kind_;
};

}  // namespace pellumo
