#pragma once
// The one base of every error the program throws: it carries the message text
// exactly as the user (or a caller) is to see it. Errors with a class of
// their own derive from it.
#include <stdexcept>
#include <string>

namespace pellumo {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A broken internal expectation, such as a platform service that is missing.
class EAssertionFailed : public Exception {
public:
    using Exception::Exception;
};

// Builds a message from a pattern holding one "%s", as the program's texts do.
std::string Substitute(const std::string& pattern, const std::string& arg);

}  // namespace pellumo
