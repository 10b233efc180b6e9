#pragma once
// The one base of every error the program throws: it carries the message
// the user (or a caller) is to see, as its key and values, so that the log
// has it in English (what(), Message()) and an error box in the user's
// language (UserMessage()). Errors with a class of their own derive from it.
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "texts/Message.h"

namespace pellumo {

class Exception : public std::runtime_error {
public:
    Exception(TText key, std::vector<std::string> args = {})
        : std::runtime_error(TMessage(key, args).English()), message_(key, std::move(args)) {}
    // A text of no table (a wrapped error, an internal one the user never sees).
    explicit Exception(const std::string& message)
        : std::runtime_error(message), message_(TMessage::Verbatim(message)) {}
    std::string Message() const { return what(); }
    const TMessage& UserMessage() const { return message_; }

private:
    TMessage message_;
};

// A broken internal expectation, such as a platform service that is missing.
class EAssertionFailed : public Exception {
public:
    using Exception::Exception;
};

// What an error caught at a boundary tells the user: the program's own in
// the user's language, any other as it is.
TMessage UserMessageOf(const std::exception& error);

}  // namespace pellumo
