#include "app/StoreProbe.h"

#include "platform/FileSystem.h"

namespace pellumo {

TStoreProbe ProbeStore(const std::function<std::string()>& storeRoot, bool armed) {
    TStoreProbe probe;
    probe.Armed = armed;
    if (storeRoot) probe.Root = storeRoot();
    probe.Present = DirectoryExists(probe.Root);
    return probe;
}

}  // namespace pellumo
