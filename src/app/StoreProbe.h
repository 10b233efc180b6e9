#pragma once
// What the watcher thread finds out about the store before it wakes the
// main thread: the registry's store folder and whether it is there. Looked
// at on the watcher's own thread, so that a folder on a network path that no
// longer answers holds the watcher, never the menu and the popups.
#include <functional>
#include <string>

namespace pellumo {

struct TStoreProbe {
    bool Armed = false;    // a change notification is in place on the watched folder
    std::string Root;      // the store folder as the registry names it now
    bool Present = false;  // whether Root is a folder
    // Why the store's folder could not be asked for (the identity keys being
    // written, or of the wrong type); empty when it could. Root and Present
    // say nothing then.
    std::string Error;
};

// Asks StoreRoot for the folder and looks whether it is there. An error
// StoreRoot throws is kept in Error, never thrown on.
TStoreProbe ProbeStore(const std::function<std::string()>& storeRoot, bool armed);

}  // namespace pellumo
