#include "store/DbxIndexWalk.h"

#include <algorithm>
#include <cstring>

namespace pellumo {

using namespace dbx;

namespace {
const size_t kLevelsWithBuffers = 16;
}

std::array<uint8_t, kNodeSize>& DbxIndexWalk::Node() {
    const size_t level = std::min(stack_.size(), kLevelsWithBuffers);
    if (levels_.size() <= level) levels_.resize(level + 1);
    return levels_[level];
}

const std::array<uint8_t, kNodeSize>& DbxIndexWalk::Node() const {
    return levels_[std::min(stack_.size(), kLevelsWithBuffers)];
}

void DbxIndexWalk::Reset() {
    levels_.assign(1, {});
    nodePosition_ = 0;
    index_ = -1;
    positioned_ = false;
    stack_.clear();
    visited_ = TNumberSet();
}

unsigned DbxIndexWalk::EntryCount() const {
    return std::min<unsigned>(Node()[kNodeEntryCount], kMaxEntries);
}

uint32_t DbxIndexWalk::EntryWord(int index, unsigned word) const {
    return Le32(Node().data() + kNodeEntries + index * kEntrySize + word * 4);
}

uint32_t DbxIndexWalk::RecordPosition() const {
    return positioned_ ? EntryWord(index_, 0) : 0;
}

void DbxIndexWalk::Load(uint32_t position) {
    std::array<uint8_t, kNodeSize>& node = Node();
    const size_t got = stream_ ? stream_->ReadAt(position, node.data(), node.size()) : 0;
    std::fill(node.begin() + got, node.end(), 0);
    nodePosition_ = position;
}

bool DbxIndexWalk::Enter(uint32_t position) {
    if (position == 0 || visited_.Contains(position)) return false;
    visited_.Insert(position);
    Load(position);
    return true;
}

bool DbxIndexWalk::Start(uint32_t root, bool rootMustHaveEntries) {
    Reset();
    if (!Enter(root)) return false;
    index_ = 0;
    if (EntryCount() > 0) return positioned_ = true;
    if (rootMustHaveEntries) {
        nodePosition_ = 0;
        return false;
    }
    index_ = -1;  // no entry here: go on into the root's tail
    return Advance();
}

bool DbxIndexWalk::Advance() {
    if (nodePosition_ == 0) return false;
    // A child is entered only from an entry we stand on, never from one we
    // came back up to.
    bool onEntry = positioned_;
    positioned_ = false;
    for (;;) {
        const uint32_t child = onEntry ? EntryWord(index_, 1) : 0;
        if (child != 0 && !visited_.Contains(child)) {
            stack_.emplace_back(nodePosition_, index_);
            Enter(child);
            index_ = 0;
        } else if (index_ + 1 < static_cast<int>(EntryCount())) {
            ++index_;
        } else if (Enter(Le32(Node().data() + kNodeTailChild))) {
            index_ = 0;
        } else if (!stack_.empty()) {
            const auto back = stack_.back();
            stack_.pop_back();
            // The parent's node still stands in its level's buffer, unless
            // that level shares the last one.
            if (stack_.size() < kLevelsWithBuffers)
                nodePosition_ = back.first;
            else
                Load(back.first);
            index_ = back.second;
            onEntry = false;
            continue;
        } else {
            nodePosition_ = 0;
            return false;
        }
        if (index_ < static_cast<int>(EntryCount())) return positioned_ = true;
        onEntry = false;  // a node without entries: go on from it
    }
}

}  // namespace pellumo
