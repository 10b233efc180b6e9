#pragma once
// UTF-8, the text of the program: checking it and mending what is not.
#include <cstddef>
#include <string>

namespace pellumo {

// The length of the well-formed character at Text[0], or 0 when none starts
// there (a stray or missing continuation byte, an overlong form, a surrogate,
// a code point above U+10FFFF, or a character cut off by Size).
size_t Utf8CharacterLength(const char* text, size_t size);

bool IsValidUtf8(const char* text, size_t size);

// The text with each maximal piece that is no character replaced by "?".
std::string RepairedUtf8(const std::string& text);

}  // namespace pellumo
