#pragma once
// The walk over a DBX index tree in the store's order: for each entry of a
// node its record, then the subtree of its child; after the last entry the
// subtree of the node's tail child. The way back is a stack of (node
// position, entry index) pairs. Each of the first levels has a node buffer
// of its own, so that backing up neither reads nor copies a node in any tree
// of real depth; deeper (corrupt) levels share the last buffer and read
// their node again, costing reads rather than memory.
//
// Corrupt files end every walk: a node position already visited in this walk
// ends that branch, an entry count above 51 counts as 51, and a node read
// short is padded with zeros rather than with the previous node's bytes.
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/NumberSet.h"
#include "platform/Stream.h"
#include "store/DbxFormat.h"

namespace pellumo {

class DbxIndexWalk {
public:
    explicit DbxIndexWalk(TStream* stream = nullptr) : stream_(stream) { Reset(); }

    void SetStream(TStream* stream) { stream_ = stream; Reset(); }
    // Forgets the node, the entry and the way back.
    void Reset();

    // Loads the root and positions on its first entry. When RootMustHaveEntries
    // is set, a root without entries ends the walk (its tail child is not
    // visited); otherwise the walk goes on into its tail. False at the end.
    bool Start(uint32_t root, bool rootMustHaveEntries);
    // Moves to the next entry in walk order; false at the end (and after).
    bool Advance();

    // Position of the current entry's record (0 when not positioned).
    uint32_t RecordPosition() const;

    // The current entry in the node being walked.
    int CurrentIndex() const { return index_; }

private:
    unsigned EntryCount() const;
    uint32_t EntryWord(int index, unsigned word) const;
    // Reads the node at Position; false (nothing changed) for 0 or a visited node.
    bool Enter(uint32_t position);
    void Load(uint32_t position);
    // The buffer of the node being walked: its level's own, or the last one.
    std::array<uint8_t, dbx::kNodeSize>& Node();
    const std::array<uint8_t, dbx::kNodeSize>& Node() const;

    TStream* stream_;
    std::vector<std::array<uint8_t, dbx::kNodeSize>> levels_;
    uint32_t nodePosition_ = 0;  // where the node was read from; 0 when none
    int index_ = -1;
    bool positioned_ = false;
    std::vector<std::pair<uint32_t, int>> stack_;
    TNumberSet visited_;
};

}  // namespace pellumo
