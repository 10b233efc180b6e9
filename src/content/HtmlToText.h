#pragma once
// Reduces the HTML text of a message body to the plain text the popup shows:
// nothing of head, title, style, script, noscript or comments; block tags
// (p, div, br, li, tr, headings, ...) become line breaks (CR LF), with never
// more than one empty line in a row; every character reference becomes its
// UTF-8; whitespace runs become one space.
#include <string>

namespace pellumo {

// Never fails, and the text is never longer than the HTML: malformed HTML is
// read as browsers read it. Control characters, NUL included, are blanks
// like any other: the text goes on after them.
std::string HtmlToText(const std::string& html);

// Replaces every character reference in TEXT, named (those of HTML 4 and
// "&apos;") or numeric, by its UTF-8, once: "&amp;lt;" gives "&lt;".
// "&nbsp;" gives a plain space; numbers 128 to 159 are read as
// Windows-1252; 0, surrogates and numbers past U+10FFFF give U+FFFD;
// "&amp", "&lt", "&gt", "&quot" and "&nbsp" count without their ";" when no
// letter or digit follows; anything else stays as written.
std::string ReplaceHtmlEntities(std::string text);

}  // namespace pellumo
