#include "store/DbxRecordSummary.h"

#include <algorithm>

#include "store/DbxFormat.h"

namespace pellumo {

using namespace dbx;

namespace {

// Records this close are read in one span with what lies between them:
// copying a few KB costs less than one more read.
const uint64_t kReadThroughGap = 4096;
const uint64_t kLargestSpan = 256 * 1024;
// What a record is taken to fill when a span is planned; the rest of a
// longer one is read when it is needed.
const uint64_t kRecordGuess = 512;

// The planned span, and a small one of its own for what a record holds
// beyond it: reading that rest never moves the planned span away from the
// records still to come, whatever a damaged record points at.
struct TRecordBytes {
    explicit TRecordBytes(TStream& stream) : planned(stream), rest(stream) {}
    // As TStreamSpan::Bytes.
    const uint8_t* Bytes(uint64_t at, uint64_t count, uint64_t& got) {
        return planned.Holds(at, count) ? planned.Kept(at, count, got) : rest.Bytes(at, count, got);
    }
    TStreamSpan planned, rest;
};

// The value of a property table entry, as TDbxRecord::ReadValue decodes it.
uint32_t EntryValue(TRecordBytes& span, uint32_t entry, uint64_t dataAt, uint64_t dataSize) {
    if (entry & kDirectBit) return entry >> 8;
    const uint64_t offset = entry >> 8;
    if (offset > dataSize || dataSize - offset < 4) return 0;
    uint64_t got = 0;
    const uint8_t* bytes = span.Bytes(dataAt + offset, 4, got);
    return got == 4 ? Le32(bytes) : 0;
}

// Whether a record header can lie at Position: where none fits a full
// reading finds no record, and nothing is read.
bool Fits(uint64_t position, uint64_t fileSize) {
    return position != 0 && position + kRecordHeaderSize <= fileSize;
}

TRecordSummary ReadSummary(TRecordBytes& span, uint64_t fileSize, uint32_t position) {
    TRecordSummary summary;
    if (!Fits(position, fileSize)) return summary;
    uint64_t got = 0;
    const uint8_t* header = span.Bytes(position, kRecordHeaderSize, got);
    if (got < kRecordHeaderSize) return summary;
    const uint32_t length = Le32(header + kRecordLength);
    const uint32_t count = header[kRecordPropertyCount];
    if (length < 4 * count) return summary;
    summary.Loaded = true;

    const uint64_t tableAt = uint64_t(position) + kRecordHeaderSize;
    const uint64_t dataAt = tableAt + 4 * count;
    const uint64_t room = fileSize > dataAt ? fileSize - dataAt : 0;
    const uint64_t dataSize = std::min<uint64_t>(length - 4 * count, room);
    // A later entry of the same property wins, as in a full reading.
    uint32_t idEntry = 0, flagsEntry = 0;
    bool hasId = false, hasFlags = false;
    const uint8_t* table = span.Bytes(tableAt, 4 * count, got);
    for (uint64_t at = 0; at + 4 <= got; at += 4) {
        const uint32_t entry = Le32(table + at);
        switch (entry & 0x7F) {
        case 0x00: idEntry = entry, hasId = true; break;
        case 0x01: flagsEntry = entry, hasFlags = true; break;
        default: break;
        }
    }
    if (hasId) summary.Id = EntryValue(span, idEntry, dataAt, dataSize);
    if (hasFlags) summary.Flags = EntryValue(span, flagsEntry, dataAt, dataSize);
    return summary;
}

}  // namespace

std::vector<TRecordSummary> ReadRecordSummaries(TStream& stream, const std::vector<uint32_t>& positions) {
    std::vector<TRecordSummary> summaries(positions.size());
    // Read in file order, whatever order the index gives.
    std::vector<uint32_t> order(positions.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    if (!std::is_sorted(positions.begin(), positions.end()))
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return positions[a] < positions[b]; });

    TRecordBytes span(stream);
    const uint64_t fileSize = stream.Size();
    // However the entries lie, each is looked at by one plan and each
    // record read once: a damaged index may name one record thousands of
    // times, or thousands of positions a byte apart or past the end.
    size_t planEnd = 0;  // the entries the planned span was read for end here
    for (size_t k = 0; k < order.size(); ++k) {
        const uint64_t position = positions[order[k]];
        if (k > 0 && position == positions[order[k - 1]]) {
            summaries[order[k]] = summaries[order[k - 1]];
            continue;
        }
        if (Fits(position, fileSize) && k >= planEnd && !span.planned.Holds(position, kRecordHeaderSize)) {
            // One read for this record and those following it closely.
            uint64_t through = position + kRecordGuess;
            size_t j = k + 1;
            for (; j < order.size(); ++j) {
                const uint64_t next = positions[order[j]];
                if (!Fits(next, fileSize) || next > through + kReadThroughGap ||
                    next + kRecordGuess - position > kLargestSpan)
                    break;
                through = std::max(through, next + kRecordGuess);
            }
            planEnd = j;
            span.planned.ReadFrom(position, std::min(through, fileSize));
        }
        summaries[order[k]] = ReadSummary(span, fileSize, positions[order[k]]);
    }
    return summaries;
}

}  // namespace pellumo
