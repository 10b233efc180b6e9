#include "content/html2text.h"

#include <cstring>
#include <utility>

#include "content/dcparser.h"

namespace pellumo {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool IsLineBreakTag(const char* token, size_t length) {
    static const char* const kBreakTags[] = {"<br", "<p", "<div"};
    for (const char* tag : kBreakTags) {
        if (std::strlen(tag) != length) continue;
        size_t i = 0;
        while (i < length && LowerAscii(token[i]) == tag[i]) ++i;
        if (i == length) return true;
    }
    return false;
}

// Replaces every ENTITY in TEXT by C in one pass. Each entity ends in ";", so
// a match can only end at a ";" just written; writing C over it and going on
// lets C start a further match with what follows, as a search resuming at C
// would. Nothing written before C can be part of one: no entity holds its
// first character again.
void ReplaceEntity(std::string& text, const char* entity, char c) {
    const size_t length = std::strlen(entity);
    size_t w = 0;
    for (size_t r = 0; r < text.size(); ++r) {
        text[w++] = text[r];
        if (text[w - 1] == ';' && w >= length && text.compare(w - length, length, entity) == 0) {
            w -= length;
            text[w++] = c;
        }
    }
    text.resize(w);
}

}  // namespace

std::string ReplaceHtmlEntities(std::string text) {
    ReplaceEntity(text, "&nbsp;", ' ');
    ReplaceEntity(text, "&lt;", '<');
    ReplaceEntity(text, "&gt;", '>');
    ReplaceEntity(text, "&amp;", '&');
    ReplaceEntity(text, "&quot;", '"');
    return text;
}

std::string HtmlToText(const std::string& html) {
    TModParser parser;
    parser.SetText(html);
    std::string text;
    text.reserve(html.size());  // the text is never longer than the HTML
    // Whitespace of the text state between two output tokens becomes one
    // space, except at the start of the text or of a line a tag began, so a
    // space pending before a line break is dropped and no line ends in one.
    bool blank = false;
    bool lineStart = true;
    for (TTokenKind kind; (kind = parser.NextToken()) != tkEof;) {
        blank = blank || parser.BlankBefore();
        if (kind == tkChar || kind == tkText) {
            if (blank && !lineStart) text += ' ';
            text.append(parser.TokenStart(), parser.TokenLength());
            blank = false;
            lineStart = false;
        } else if (kind == tkTag && IsLineBreakTag(parser.TokenStart(), parser.TokenLength())) {
            text += "\r\n";
            lineStart = true;
        }
    }
    return ReplaceHtmlEntities(std::move(text));
}

}  // namespace pellumo
