#include "store/DbxIndexWalk.h"

#include <algorithm>
#include <cstring>

namespace pellumo {

using namespace dbx;

namespace {
const size_t kKeptLevels = 16;
}

void DbxIndexWalk::Reset() {
    node_.fill(0);
    nodePosition_ = 0;
    index_ = -1;
    positioned_ = false;
    stack_.clear();
    visited_ = TNumberSet();
}

unsigned DbxIndexWalk::EntryCount() const {
    return std::min<unsigned>(node_[kNodeEntryCount], kMaxEntries);
}

uint32_t DbxIndexWalk::EntryWord(int index, unsigned word) const {
    return Le32(node_.data() + kNodeEntries + index * kEntrySize + word * 4);
}

uint32_t DbxIndexWalk::RecordPosition() const {
    return positioned_ ? EntryWord(index_, 0) : 0;
}

void DbxIndexWalk::Load(uint32_t position) {
    const size_t got = stream_ ? stream_->ReadAt(position, node_.data(), node_.size()) : 0;
    std::fill(node_.begin() + got, node_.end(), 0);
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
            if (stack_.size() < kKeptLevels) {
                if (keptNodes_.size() <= stack_.size()) keptNodes_.resize(stack_.size() + 1);
                keptNodes_[stack_.size()] = node_;
            }
            stack_.emplace_back(nodePosition_, index_);
            Enter(child);
            index_ = 0;
        } else if (index_ + 1 < static_cast<int>(EntryCount())) {
            ++index_;
        } else if (Enter(Le32(node_.data() + kNodeTailChild))) {
            index_ = 0;
        } else if (!stack_.empty()) {
            const auto back = stack_.back();
            stack_.pop_back();
            if (stack_.size() < kKeptLevels) {
                node_ = keptNodes_[stack_.size()];
                nodePosition_ = back.first;
            } else {
                Load(back.first);
            }
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
