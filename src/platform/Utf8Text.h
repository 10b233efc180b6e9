#pragma once
// UTF-8, the text of the program: checking it and mending what is not.
#include <cstddef>
#include <string>

namespace pellumo {

// "…", which ends a text cut short.
inline constexpr char kEllipsis[] = "\xE2\x80\xA6";

// The length of the well-formed character at Text[0], or 0 when none starts
// there (a stray or missing continuation byte, an overlong form, a surrogate,
// a code point above U+10FFFF, or a character cut off by Size).
size_t Utf8CharacterLength(const char* text, size_t size);

bool IsValidUtf8(const char* text, size_t size);

// Where the character holding Text[At] starts: At, stepped back over at most
// three continuation bytes (a longer run is no UTF-8, and may be cut
// anywhere). A cut made there never splits a character.
size_t Utf8CharacterStart(const std::string& text, size_t at);

// Appends code point C (at most U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// The text with each maximal piece that is no character replaced by "?".
std::string RepairedUtf8(const std::string& text);

}  // namespace pellumo
