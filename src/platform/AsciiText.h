#pragma once
// Small ASCII text helpers: trimming, case folding,
// case-insensitive search, line splitting.
#include <string>
#include <vector>

namespace pellumo {
namespace asciitext {

// Removes every character with a code up to 32 from both ends.
std::string Trim(const std::string& s);
std::string UpperCase(std::string s);
bool EqualsI(const std::string& a, const std::string& b);
bool StartsWithI(const std::string& s, const std::string& prefix);
// Position of Needle in Haystack without regard to case; npos when absent.
size_t FindI(const std::string& haystack, const std::string& needle);
// No byte above 0x7F: the same text in UTF-8 and every ANSI code page.
bool IsAscii(const std::string& text);
// Lines at every CR LF, CR or LF; a final line end makes no empty line. A
// NUL byte is kept like any other: the text goes on after it.
std::vector<std::string> SplitLines(const std::string& text);
std::vector<std::string> SplitLines(const char* text, size_t size);
// The lines, each followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace asciitext
}  // namespace pellumo
