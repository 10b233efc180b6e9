// Any bytes as a folder-list file: classify it and scan every record.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "store/DbxFolderListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pellumo::TMemoryStream stream(std::vector<uint8_t>(data, data + size));
    pellumo::TDbxFolderListFile dbx;
    dbx.Open(stream);
    dbx.FileType();
    dbx.OnRecordFound = [](pellumo::TDbxFolderListFile&, std::unique_ptr<pellumo::TDbxFolderRecord>) {};
    dbx.Scan();
    return 0;
}
