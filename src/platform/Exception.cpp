#include "platform/Exception.h"

namespace pellumo {

TMessage UserMessageOf(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error)) return own->UserMessage();
    return TMessage::Verbatim(error.what());
}

}  // namespace pellumo
