#pragma once
// Expansion of environment references written as %NAME%, as the system does
// for expandable registry strings. Unknown names are left as they stand.
#include <string>

namespace pellumo {

std::string ExpandEnvironment(const std::string& text);

}  // namespace pellumo
