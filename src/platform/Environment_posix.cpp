#include <cstdlib>

#include "platform/Environment.h"

namespace pellumo {

std::string ExpandEnvironment(const std::string& text) {
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find('%', at);
        const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) break;
        const std::string name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        out += text.substr(at, open - at);
        if (value) {
            out += value;
            at = close + 1;
        } else {
            // Not a reference: keep the first percent sign and look again from the second.
            out += '%';
            at = open + 1;
        }
    }
    return out + text.substr(at);
}

}  // namespace pellumo
