#pragma once
// A set of 32-bit numbers (message Ids, file positions) in one flat table,
// open addressing with linear probing, never more than half full: 8 to 16
// bytes per number against some 40 for a node-based set, and no allocation
// per number.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pellumo {

class TNumberSet {
public:
    bool Contains(uint32_t number) const;
    void Insert(uint32_t number);  // nothing when already there
    // Makes room for Count numbers in all.
    void Reserve(size_t count);
    size_t Size() const { return count_ + (hasFree_ ? 1 : 0); }
    void InsertAll(const TNumberSet& other);
    // What the set keeps in memory, its table.
    size_t Bytes() const { return slots_.capacity() * sizeof(uint32_t); }

private:
    // Marks an unused slot; the number itself is kept apart.
    static constexpr uint32_t kFree = 0xFFFFFFFFu;
    size_t Slot(uint32_t id) const;
    void Grow();
    void Rehash(size_t size);

    std::vector<uint32_t> slots_;
    unsigned shift_ = 32;  // 32 - log2 of the table's size
    size_t count_ = 0;
    bool hasFree_ = false;
};

}  // namespace pellumo
