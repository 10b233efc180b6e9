// Any bytes as Folders.dbx: build the folder tree and its watched-folder list.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Exception.h"
#include "store/WatchedFolders.h"
#include "store/DbxFolderTree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pellumo::TMemoryStream stream(std::vector<uint8_t>(data, data + size));
    pellumo::TDbxFolderListFile dbx;
    dbx.Open(stream);
    try {
        pellumo::TDbxFolderTreeBuilder builder(dbx);
        builder.StoreRoot = "store/";
        pellumo::TDbxFolderNode root("identity", nullptr);
        builder.Build(root);
        pellumo::TFolderList list;
        pellumo::AddWatchedFolders(root, list);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
