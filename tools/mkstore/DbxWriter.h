#pragma once
// Writes Outlook Express store files (DBX) from a description in memory, so
// that tests, benchmarks and the demo can have stores of any shape without
// Outlook Express. Files come out in this order: header, message blocks,
// records, then the index tree.
//
// Errors (a value that cannot be stored, a file beyond 4 GiB, an input file
// that is not a message folder file) throw std::invalid_argument,
// std::length_error or std::runtime_error.
#include <cstdint>
#include <string>
#include <vector>

namespace mkstore {

// One entry of a record's property table. The whole index byte is kept: bit 7
// set means the value is stored in the table itself (24 bits), clear means it
// lies in the record's data area.
struct Property {
    uint8_t indexByte;
    uint32_t direct = 0;
    std::vector<uint8_t> indirect;
};
Property Direct(uint8_t number, uint32_t value);        // index byte number|0x80
Property String(uint8_t number, const std::string& s);  // indirect, zero-terminated
Property Int(uint8_t number, uint32_t value);           // indirect 4-byte
Property FileTime(uint8_t number, uint64_t filetime);   // indirect 8-byte

struct Message {
    // 0: one more than the highest id given to an earlier message of the file,
    // so a list of zeros is numbered 1, 2, ...
    uint32_t id = 0;
    uint32_t flags = 0;     // 0x80 = read
    uint32_t priority = 3;  // 1 high, 3 normal, 5 low; 0 = not stored
    std::string subject, senderName, senderAddress, messageId;
    uint64_t sentTime = 0, receivedTime = 0;  // FILETIMEs; 0 = not stored
    std::string text;                         // raw Internet message text for the block chain
    // Further properties, merged into the table by number; one with the number
    // of a property written from the fields above takes its place.
    std::vector<Property> extra;
    // True: `extra` is written as the whole table, in its order (for odd test
    // records). The text still gets its block chain; nothing points at it.
    bool replaceProperties = false;
};

struct Folder {
    uint32_t id = 0, parentId = 0;  // id 0: numbered as for messages
    std::string name, fileName, storeId;
    uint8_t kind = 0, accountType = 0;
};

struct Options {
    unsigned entriesPerNode = 51;  // 1..51
    bool scatterBlocks = false;    // block chains interleaved and each laid out back to front
    uint32_t bodyGap = 0;          // zero bytes left before the first block (> 16 MiB gives indirect BodyPos)
};

// Where things were put, for tests that damage a file on purpose.
struct Layout {
    std::vector<uint32_t> nodes;                // every index node, root first (parents before children)
    std::vector<uint32_t> records;              // record positions in walk order
    std::vector<std::vector<uint32_t>> blocks;  // per message (walk order), its blocks in chain order
};

std::vector<uint8_t> WriteMessageFile(const std::vector<Message>& messages, const Options& options = {},
                                      Layout* layout = nullptr);
std::vector<uint8_t> WriteFolderFile(const std::vector<Folder>& folders, const Options& options = {},
                                     Layout* layout = nullptr);

// Adds messages to an existing message folder file, as the mail client does when
// mail arrives: existing records and blocks stay where they are, new blocks and
// records are appended, a new index (old records in their walk order, then the
// new ones) is appended, and the header's count and root are updated. New ids
// continue after the highest existing id. Only the header differs within the
// old file's length.
std::vector<uint8_t> AddMessages(const std::vector<uint8_t>& file, const std::vector<Message>& added,
                                 const Options& options = {});

// Sets one numeric property of a message's record where the record lies, the
// index untouched and the file's length kept: as the mail client marks a
// message read or unread (flags, property 0x01), or reuses a record's room
// for another message (its Id, 0x00). Throws when no record has the id or
// the record does not hold the property in a way that takes the value.
const uint8_t kIdProperty = 0x00, kFlagsProperty = 0x01;
std::vector<uint8_t> SetMessageValue(const std::vector<uint8_t>& file, uint32_t id, uint8_t property, uint32_t value);

// Removes messages from the index, as a delete or a move to another folder
// does: their records and blocks stay behind as unused space, a new index
// of the others (in their walk order) is appended, and the header's count
// and root are updated.
std::vector<uint8_t> RemoveMessages(const std::vector<uint8_t>& file, const std::vector<uint32_t>& ids,
                                    const Options& options = {});

// A damaged message folder file, for tests and benchmarks of bounded
// reading: Entries index entries that all name one unread message's record
// (Id 1), whose property table runs past 512 bytes (163 entries: fillers,
// then the Id and flags in the data area, later entries replacing an earlier
// Id).
std::vector<uint8_t> WriteRepeatedRecordFile(uint32_t entries, const Options& options = {});

// Parses one .eml text into a Message: Subject, From (display name and address;
// display name without quotes; encoded words decoded to the ANSI code page,
// as the mail client keeps them in its index),
// Message-ID; text = the whole file.
Message MessageFromEml(const std::string& emlText);

}  // namespace mkstore
