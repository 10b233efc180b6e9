// Any bytes as a folder-list file: classify it and scan every record.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "store/ZellDbx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pellumo::TMemoryStream stream(std::vector<uint8_t>(data, data + size));
    pellumo::TZellDbx dbx;
    dbx.Open(stream);
    dbx.FileType();
    dbx.OnObjectFound = [](pellumo::TZellDbx&, std::unique_ptr<pellumo::TZellDbxObject>) {};
    dbx.Scan();
    return 0;
}
