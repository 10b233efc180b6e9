#pragma once
// What a scan must know of every message record at each reading of a
// folder: its Id and its flags. Nothing in the file tells that a record has
// not been rewritten where it lies (a message marked read keeps its place
// and its index entry), so every record is looked at each time; this reads
// just those two values, and reads records that lie close together in one
// go, so a folder costs a few large reads instead of three small ones and
// the decoding of every field per message.
#include <cstdint>
#include <vector>

#include "platform/Stream.h"
#include "store/DbxRecords.h"

namespace pellumo {

struct TRecordSummary {
    // False where TDbxRecord::Load finds no record: position 0, a header read
    // short, or a length below the property table.
    bool Loaded = false;
    // The Id property's value (as TDbxMessageRecord::Id spells it in hex);
    // 0xFFFFFFFF without one, as TSeenIds counts an empty Id.
    uint32_t Id = 0xFFFFFFFFu;
    uint32_t Flags = 0;
    bool IsRead() const { return (Flags & TDbxMessageRecord::kReadFlag) != 0; }
};

// The summaries of the records at Positions, in the same order. Every value
// is what a full TDbxMessageRecord::Load of the same bytes gives. A record
// named more than once is read once, and a position where no record fits
// not at all, so a damaged index costs in step with its entries.
std::vector<TRecordSummary> ReadRecordSummaries(TStream& stream, const std::vector<uint32_t>& positions);

}  // namespace pellumo
