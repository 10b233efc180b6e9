#include "platform/Exception.h"

namespace pellumo {

std::string Substitute(const std::string& pattern, const std::string& arg) {
    const auto at = pattern.find("%s");
    if (at == std::string::npos) return pattern;
    return pattern.substr(0, at) + arg + pattern.substr(at + 2);
}

}  // namespace pellumo
