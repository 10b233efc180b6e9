#include "app/StoreProbe.h"

#include <exception>

#include "platform/FileSystem.h"

namespace pellumo {

TStoreProbe ProbeStore(const std::function<std::string()>& storeRoot, bool armed) {
    TStoreProbe probe;
    probe.Armed = armed;
    try {
        if (storeRoot) probe.Root = storeRoot();
    } catch (const std::exception& error) {
        probe.Root.clear();
        probe.Error = error.what();
        return probe;
    }
    probe.Present = DirectoryExists(probe.Root);
    return probe;
}

}  // namespace pellumo
