#include "platform/NumberSet.h"

namespace pellumo {

size_t TNumberSet::Slot(uint32_t id) const {
    // Fibonacci hashing: the product's top bits spread runs of Ids and
    // aligned file positions alike.
    const size_t mask = slots_.size() - 1;
    size_t slot = uint32_t(id * 2654435769u) >> shift_;
    while (slots_[slot] != kFree && slots_[slot] != id) slot = (slot + 1) & mask;
    return slot;
}

bool TNumberSet::Contains(uint32_t id) const {
    if (id == kFree) return hasFree_;
    return !slots_.empty() && slots_[Slot(id)] == id;
}

void TNumberSet::Insert(uint32_t id) {
    if (id == kFree) {
        hasFree_ = true;
        return;
    }
    if (2 * (count_ + 1) > slots_.size()) Grow();
    uint32_t& slot = slots_[Slot(id)];
    if (slot == id) return;
    slot = id;
    ++count_;
}

void TNumberSet::InsertAll(const TNumberSet& other) {
    for (uint32_t id : other.slots_)
        if (id != kFree) Insert(id);
    if (other.hasFree_) hasFree_ = true;
}

void TNumberSet::Reserve(size_t count) {
    size_t size = slots_.empty() ? 16 : slots_.size();
    while (size < 2 * count) size *= 2;
    if (size > slots_.size()) Rehash(size);
}

void TNumberSet::Grow() { Rehash(slots_.empty() ? 16 : 2 * slots_.size()); }

void TNumberSet::Rehash(size_t size) {
    shift_ = 32;
    for (size_t s = size; s > 1; s /= 2) --shift_;
    std::vector<uint32_t> old(size, kFree);
    old.swap(slots_);
    for (uint32_t id : old)
        if (id != kFree) slots_[Slot(id)] = id;
}

}  // namespace pellumo
