#pragma once
// The one base of every error the program raises: it carries the message text
// exactly as the user (or a caller) is to see it.
#include <stdexcept>
#include <string>

namespace pellumo {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Builds a message from a pattern holding one "%s", as the program's texts do.
std::string Substitute(const std::string& pattern, const std::string& arg);

}  // namespace pellumo
