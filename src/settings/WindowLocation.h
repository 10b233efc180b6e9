#pragma once
// The "Window Location" registry text: four comma-separated integers
// Left, Top, Right, Bottom, read leniently item by item.
#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace pellumo {

// Items of a comma text: split at commas; runs of blanks and control
// characters (1..32) also end an item and are skipped; an item beginning with
// a double quote runs to its closing quote, a doubled quote standing for one;
// a comma at the very end adds an empty item.
std::vector<std::string> SplitCommaText(const std::string& text);

// Fewer than four items keep the whole fallback; otherwise each of the first
// four items that is a decimal integer replaces its coordinate.
TRect ParseWindowLocation(const std::string& text, const TRect& fallback);

// "Left, Top, Right, Bottom".
std::string FormatWindowLocation(const TRect& rect);

}  // namespace pellumo
