#pragma once
// Reduces the HTML text of a message body to the plain text the popup shows:
// tags, comments and most of a script go; "<br", "<p" and "<div" become
// line breaks; five character entities are replaced at the end.
#include <string>

namespace pellumo {

// Never fails: malformed HTML is tokenized by the same rules as any other.
std::string HtmlToText(const std::string& html);

// Replaces "&nbsp;", "&lt;", "&gt;", "&amp;" and "&quot;", in that order, each
// search resuming at the character just put in (so "&amp;amp;" gives "&").
std::string ReplaceHtmlEntities(std::string text);

}  // namespace pellumo
