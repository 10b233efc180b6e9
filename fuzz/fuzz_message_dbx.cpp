// Any bytes as a message folder file: open, list every record, copy every body.
#include <cstddef>
#include <cstdint>

#include "platform/Exception.h"
#include "store/DbxMessageFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pellumo::TMemoryStream stream(std::vector<uint8_t>(data, data + size));
    pellumo::TDbxMessageFolder dbx;
    try {
        dbx.Open(stream);
    } catch (const pellumo::Exception&) {
        return 0;
    }
    for (dbx.First(); !dbx.Eof(); dbx.Next()) {
        pellumo::TMemoryStream text;
        dbx.ReadMessage(dbx.Current()->BodyPos, text);
    }
    return 0;
}
