#pragma once
// A message for the user kept as its key and values, so that it can be
// told in the user's language and logged in English.
#include <string>
#include <vector>

#include "texts/Language.h"

namespace pellumo {

struct TMessage {
    TText Key = TText::Verbatim;
    std::vector<std::string> Args;

    TMessage() = default;
    TMessage(TText key, std::vector<std::string> args = {}) : Key(key), Args(std::move(args)) {}
    // A text from outside the program (a system's error), shown as it is.
    static TMessage Verbatim(const std::string& text) { return TMessage(TText::Verbatim, {text}); }

    bool Empty() const { return Key == TText::Verbatim && (Args.empty() || Args.front().empty()); }
    std::string In(const TLanguage& language) const;
    std::string English() const { return In(pellumo::English()); }
    std::string ForUser() const { return In(UserLanguage()); }
};

}  // namespace pellumo
