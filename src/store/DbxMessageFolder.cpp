#include "store/DbxMessageFolder.h"

#include <algorithm>
#include <unordered_set>

#include "store/DbxFormat.h"

namespace pellumo {

using namespace dbx;

uint32_t TDbxMessageFolder::RootPosition() {
    return ReadWordAt(*Stream(), kOffsetMessageRoot);
}

std::unique_ptr<TDbxRecord> TDbxMessageFolder::NewRecord() const {
    return std::unique_ptr<TDbxRecord>(new TDbxMessageRecord);
}

int32_t TDbxMessageFolder::ReadMessage(uint32_t position, TStream& dest, bool* complete) {
    int32_t total = 0;
    bool whole = true;
    std::unordered_set<uint32_t> seen;
    uint8_t block[kBlockSize];
    while (position != 0 && seen.insert(position).second) {
        const size_t got = ReadAt(position, block, sizeof block);
        if (got < sizeof block || std::all_of(block, block + kBlockData, [](uint8_t b) { return b == 0; }))
            whole = false;
        if (got < kBlockData) break;
        const uint32_t count = std::min<uint32_t>(Le32(block + kBlockCount), kBlockDataSize);
        const size_t take = std::min<size_t>(count, got - kBlockData);
        dest.Write(block + kBlockData, take);
        total += static_cast<int32_t>(take);
        if (got < sizeof block) break;  // past the end of the file: nothing more to trust
        position = Le32(block + kBlockNext);
    }
    if (complete) *complete = whole;
    return total;
}

}  // namespace pellumo
