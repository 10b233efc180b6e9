#pragma once
// Hand-placed DBX bytes for tests that need a layout no writer would make:
// cycles, empty nodes, short records, chains running off the end.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/Stream.h"

namespace pellumo {
namespace test {

class RawDbx {
public:
    static const uint32_t kMessages = 0x6F74FDC5;
    static const uint32_t kFolders = 0x6F74FDC6;

    explicit RawDbx(uint32_t fileType = kMessages) : bytes(0x24BC, 0) {
        Put32(0, 0xFE12ADCF);
        Put32(4, fileType);
    }

    void Put32(uint32_t at, uint32_t value) {
        Grow(at + 4);
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    void Put8(uint32_t at, uint8_t value) {
        Grow(at + 1);
        bytes[at] = value;
    }
    void PutBytes(uint32_t at, const std::string& data) {
        Grow(at + data.size());
        std::copy(data.begin(), data.end(), bytes.begin() + at);
    }
    // Room at the end of the file.
    uint32_t Alloc(size_t size) {
        const uint32_t at = static_cast<uint32_t>(bytes.size());
        Grow(at + size);
        return at;
    }

    // Message-file header fields (count at 0xC4, root at 0xE4); folder files use 0xEC.
    void SetRoot(uint32_t root, uint32_t count = 1) {
        Put32(0xC4, count);
        Put32(0xE4, root);
        Put32(0xEC, root);
    }

    // An index node: (record, child) per entry.
    uint32_t Node(const std::vector<std::pair<uint32_t, uint32_t>>& entries, uint32_t tail = 0, int count = -1) {
        const uint32_t at = Alloc(0x27C);
        NodeAt(at, entries, tail, count);
        return at;
    }
    void NodeAt(uint32_t at, const std::vector<std::pair<uint32_t, uint32_t>>& entries, uint32_t tail = 0,
                int count = -1) {
        Grow(at + 0x27C);
        Put32(at, at);
        Put32(at + 8, tail);
        Put8(at + 0x11, static_cast<uint8_t>(count < 0 ? entries.size() : count));
        for (size_t i = 0; i < entries.size() && i < 51; ++i) {
            Put32(at + 0x18 + 12 * i, entries[i].first);
            Put32(at + 0x18 + 12 * i + 4, entries[i].second);
        }
    }

    // A record with the given property table entries and data area.
    uint32_t Record(const std::vector<uint32_t>& table, const std::string& data = std::string(),
                    int64_t length = -1) {
        const uint32_t at = Alloc(12 + 4 * table.size() + data.size());
        Put32(at, at);
        Put32(at + 4, static_cast<uint32_t>(length < 0 ? 4 * table.size() + data.size() : length));
        Put8(at + 0x0A, static_cast<uint8_t>(table.size()));
        for (size_t i = 0; i < table.size(); ++i) Put32(at + 12 + 4 * i, table[i]);
        PutBytes(static_cast<uint32_t>(at + 12 + 4 * table.size()), data);
        return at;
    }
    // A record carrying only its Id (direct property 0).
    uint32_t IdRecord(uint32_t id) { return Record({(id << 8) | 0x80}); }

    // A message block holding Text (Count overrides its byte count).
    uint32_t Block(const std::string& text, uint32_t next = 0, int64_t count = -1) {
        const uint32_t at = Alloc(0x210);
        Put32(at, at);
        Put32(at + 4, 0x200);
        Put32(at + 8, static_cast<uint32_t>(count < 0 ? text.size() : count));
        Put32(at + 12, next);
        PutBytes(at + 16, text.substr(0, 512));
        return at;
    }

    std::vector<uint8_t> bytes;

private:
    void Grow(size_t size) {
        if (bytes.size() < size) bytes.resize(size, 0);
    }
};

}  // namespace test
}  // namespace pellumo
