// Any bytes as a message folder file: open, list every record, copy every
// body; the scan's light reading of each record's Id and flags must give
// what a full reading of the same record gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/Exception.h"
#include "store/DbxFormat.h"
#include "store/DbxMessageFolder.h"
#include "store/DbxRecordSummary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pellumo::TMemoryStream stream(std::vector<uint8_t>(data, data + size));
    pellumo::TDbxMessageFolder dbx;
    try {
        dbx.Open(stream);
    } catch (const pellumo::Exception&) {
        return 0;
    }
    const std::vector<uint32_t> positions = dbx.RecordPositions();
    const std::vector<pellumo::TRecordSummary> summaries = pellumo::ReadRecordSummaries(stream, positions);
    size_t next = 0;
    for (dbx.First(); !dbx.Eof(); dbx.Next()) {
        pellumo::TMemoryStream text;
        dbx.ReadMessage(dbx.Current()->BodyPos, text);
        // The walk passes over what cannot be loaded, as the summaries say.
        while (next < summaries.size() && !summaries[next].Loaded) ++next;
        if (next == summaries.size()) abort();
        uint32_t id = 0xFFFFFFFFu;
        if (!dbx.Current()->Id.empty() && !pellumo::dbx::ParseId(dbx.Current()->Id, id)) abort();
        if (summaries[next].Id != id || summaries[next].Flags != uint32_t(dbx.Current()->Flags)) abort();
        ++next;
    }
    while (next < summaries.size())
        if (summaries[next++].Loaded) abort();
    return 0;
}
