// Without a system registry the program keeps its settings for the run only.
#include "platform/Registry.h"

namespace pellumo {

TRegistry& CurrentUserRegistry() {
    static TMemoryRegistry registry;
    return registry;
}

}  // namespace pellumo
