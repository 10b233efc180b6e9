#include "texts/Message.h"

namespace pellumo {

std::string TMessage::In(const TLanguage& language) const {
    // Up to the three values any of the program's messages takes.
    const auto arg = [this](size_t i) { return i < Args.size() ? Args[i] : std::string(); };
    return language.Text(Key, {arg(0), arg(1), arg(2)});
}

}  // namespace pellumo
