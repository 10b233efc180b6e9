#include "DbxWriter.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "platform/Stream.h"
#include "store/DbxIndexWalk.h"

namespace mkstore {

namespace {

const uint32_t kHeaderSize = 0x24BC;
const uint32_t kSignature = 0xFE12ADCF;
const uint32_t kTypeMessages = 0x6F74FDC5;
const uint32_t kTypeFolders = 0x6F74FDC6;
const uint32_t kClassWord1 = 0x11D1E366;
const uint32_t kClassWord2 = 0xC0004E9A;
const uint32_t kHeaderUsedLength = 0x7C;
const uint32_t kMessageCount = 0xC4;
const uint32_t kMessageRoot = 0xE4;
const uint32_t kFolderCount = 0xCC;
const uint32_t kFolderRoot = 0xEC;

const uint32_t kNodeSize = 0x27C;
const uint32_t kEntrySize = 12;
const unsigned kMaxEntries = 51;

const uint32_t kRecordHeaderSize = 12;

const uint32_t kBlockSize = 0x210;
const uint32_t kBlockDataSize = 0x200;

const uint32_t kDirectLimit = 0x1000000;  // a direct value has 24 bits

// Message record properties.
const uint8_t kPropId = 0x00;
const uint8_t kPropFlags = 0x01;
const uint8_t kPropSentTime = 0x02;
const uint8_t kPropBodyPos = 0x04;
const uint8_t kPropMessageId = 0x07;
const uint8_t kPropSubject = 0x08;
const uint8_t kPropSender = 0x09;
const uint8_t kPropSenderName = 0x0D;
const uint8_t kPropSenderAddress = 0x0E;
const uint8_t kPropPriority = 0x10;
const uint8_t kPropTextLength = 0x11;
const uint8_t kPropReceivedTime = 0x12;

// Folder record properties.
const uint8_t kPropFolderId = 0x00;
const uint8_t kPropParentId = 0x01;
const uint8_t kPropName = 0x02;
const uint8_t kPropFileName = 0x03;
const uint8_t kPropStoreId = 0x05;
const uint8_t kPropKind = 0x09;
const uint8_t kPropAccountType = 0x0A;

uint8_t Number(const Property& p) { return p.indexByte & 0x7F; }

// A value that does not fit the table's 24 bits goes to the data area, as the
// mail client does for body positions beyond 16 MiB.
Property Value(uint8_t number, uint32_t value) {
    return value < kDirectLimit ? Direct(number, value) : Int(number, value);
}

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
    out[at + 2] = uint8_t(v >> 16);
    out[at + 3] = uint8_t(v >> 24);
}

// 0 for bytes beyond the end, so damaged input reads as "absent".
uint32_t Get32(const std::vector<uint8_t>& in, uint64_t at) {
    if (at > in.size() || in.size() - at < 4) return 0;
    return uint32_t(in[at]) | uint32_t(in[at + 1]) << 8 | uint32_t(in[at + 2]) << 16 | uint32_t(in[at + 3]) << 24;
}

// Hands out space at the end of the file; positions are 32-bit.
uint32_t Allocate(std::vector<uint8_t>& out, uint64_t size) {
    const uint64_t position = out.size();
    if (position + size > std::numeric_limits<uint32_t>::max())
        throw std::length_error("the store file would grow beyond 4 GiB");
    out.resize(size_t(position + size));
    return uint32_t(position);
}

void CheckOptions(const Options& options) {
    if (options.entriesPerNode < 1 || options.entriesPerNode > kMaxEntries)
        throw std::invalid_argument("entries per node must be 1 to 51");
}

void WriteHeader(std::vector<uint8_t>& out, uint32_t type) {
    Put32(out, 0x00, kSignature);
    Put32(out, 0x04, type);
    Put32(out, 0x08, kClassWord1);
    Put32(out, 0x0C, kClassWord2);
}

void FinishHeader(std::vector<uint8_t>& out, uint32_t countAt, uint32_t count, uint32_t rootAt, uint32_t root) {
    Put32(out, countAt, count);
    Put32(out, rootAt, root);
    Put32(out, kHeaderUsedLength, uint32_t(out.size()));
}

uint32_t WriteRecord(std::vector<uint8_t>& out, const std::vector<Property>& properties) {
    if (properties.size() > 255) throw std::invalid_argument("a record holds at most 255 properties");
    const uint32_t count = uint32_t(properties.size());
    uint64_t dataSize = 0;
    for (const Property& p : properties) {
        if (p.indexByte & 0x80) {
            if (p.direct >= kDirectLimit)
                throw std::invalid_argument("a direct property value must fit in 24 bits");
        } else {
            if (dataSize >= kDirectLimit)
                throw std::invalid_argument("a record's data area must stay below 16 MiB");
            dataSize += p.indirect.size();
        }
    }
    const uint64_t unpadded = kRecordHeaderSize + 4 * count + dataSize;
    const uint64_t size = (unpadded + 3) & ~uint64_t(3);
    const uint32_t position = Allocate(out, size);
    const uint32_t length = uint32_t(size - kRecordHeaderSize);
    const uint32_t dataArea = length - 4 * count;
    Put32(out, position, position);
    Put32(out, position + 4, length);
    Put16(out, position + 8, uint16_t(std::min<uint32_t>(dataArea, 0xFFFF)));
    out[position + 10] = uint8_t(count);
    uint32_t entry = position + kRecordHeaderSize;
    uint32_t data = entry + 4 * count;
    uint32_t offset = 0;
    for (const Property& p : properties) {
        if (p.indexByte & 0x80) {
            Put32(out, entry, p.indexByte | p.direct << 8);
        } else {
            Put32(out, entry, p.indexByte | offset << 8);
            if (!p.indirect.empty()) std::memcpy(&out[data + offset], p.indirect.data(), p.indirect.size());
            offset += uint32_t(p.indirect.size());
        }
        entry += 4;
    }
    return position;
}

// Standard properties first, then the caller's extras in their place by number.
std::vector<Property> Merge(std::vector<Property> standard, const std::vector<Property>& extra) {
    for (const Property& e : extra) {
        standard.erase(std::remove_if(standard.begin(), standard.end(),
                                      [&](const Property& p) { return Number(p) == Number(e); }),
                       standard.end());
    }
    standard.insert(standard.end(), extra.begin(), extra.end());
    std::stable_sort(standard.begin(), standard.end(),
                     [](const Property& a, const Property& b) { return Number(a) < Number(b); });
    return standard;
}

// Lays out the index so that the walk (entry, its child's subtree, ..., then the
// tail's subtree) meets the records in the given order. Nodes are allocated
// parent first, so the root is the first node.
class IndexBuilder {
public:
    IndexBuilder(std::vector<uint8_t>& out, const std::vector<uint32_t>& records, unsigned capacity,
                 std::vector<uint32_t>* nodes)
        : out_(out), records_(records), capacity_(capacity), nodes_(nodes) {}

    uint32_t Build() { return records_.empty() ? 0 : Node(0, records_.size(), 0); }

private:
    uint32_t Node(size_t first, size_t count, uint32_t parent) {
        const uint32_t position = Allocate(out_, kNodeSize);
        if (nodes_) nodes_->push_back(position);
        Put32(out_, position, position);
        Put32(out_, position + 0x0C, parent);
        size_t next = first;
        if (count <= capacity_) {
            for (size_t i = 0; i < count; ++i) Entry(position, unsigned(i), records_[next++], 0, 0);
            out_[position + 0x11] = uint8_t(count);
            return position;
        }
        // The rest goes to one subtree per entry plus the tail, the larger
        // shares to the first subtrees.
        const size_t rest = count - capacity_;
        const size_t share = rest / (capacity_ + 1);
        const size_t larger = rest % (capacity_ + 1);  // at most capacity_: the tail gets `share`
        for (unsigned i = 0; i < capacity_; ++i) {
            const uint32_t record = records_[next++];
            const size_t size = share + (i < larger ? 1 : 0);
            const uint32_t child = size ? Node(next, size, position) : 0;
            next += size;
            Entry(position, i, record, child, uint32_t(size));
        }
        const uint32_t tail = share ? Node(next, share, position) : 0;
        Put32(out_, position + 0x08, tail);
        Put32(out_, position + 0x14, uint32_t(share));
        out_[position + 0x11] = uint8_t(capacity_);
        return position;
    }

    void Entry(uint32_t node, unsigned index, uint32_t record, uint32_t child, uint32_t childCount) {
        const uint32_t at = node + 0x18 + index * kEntrySize;
        Put32(out_, at, record);
        Put32(out_, at + 4, child);
        Put32(out_, at + 8, childCount);
    }

    std::vector<uint8_t>& out_;
    const std::vector<uint32_t>& records_;
    const unsigned capacity_;
    std::vector<uint32_t>* nodes_;
};

std::string SenderLine(const Message& m) {
    if (m.senderAddress.empty()) return m.senderName;
    if (m.senderName.empty()) return "<" + m.senderAddress + ">";
    return m.senderName + " <" + m.senderAddress + ">";
}

std::vector<Property> MessageProperties(const Message& m, uint32_t id, uint32_t bodyPosition) {
    if (m.replaceProperties) return m.extra;
    std::vector<Property> p;
    p.push_back(Value(kPropId, id));
    p.push_back(Value(kPropFlags, m.flags));
    if (m.sentTime) p.push_back(FileTime(kPropSentTime, m.sentTime));
    if (bodyPosition) p.push_back(Value(kPropBodyPos, bodyPosition));
    if (!m.messageId.empty()) p.push_back(String(kPropMessageId, m.messageId));
    if (!m.subject.empty()) p.push_back(String(kPropSubject, m.subject));
    const std::string sender = SenderLine(m);
    if (!sender.empty()) p.push_back(String(kPropSender, sender));
    if (!m.senderName.empty()) p.push_back(String(kPropSenderName, m.senderName));
    if (!m.senderAddress.empty()) p.push_back(String(kPropSenderAddress, m.senderAddress));
    if (m.priority) p.push_back(Value(kPropPriority, m.priority));
    p.push_back(Value(kPropTextLength, uint32_t(m.text.size())));
    if (m.receivedTime) p.push_back(FileTime(kPropReceivedTime, m.receivedTime));
    return Merge(std::move(p), m.extra);
}

// The id as it went into the table (an extra may have replaced it), 0 without one.
uint32_t WrittenId(const std::vector<Property>& properties) {
    for (const Property& p : properties) {
        if (Number(p) != kPropId) continue;
        if (p.indexByte & 0x80) return p.direct;
        if (p.indirect.size() >= 4)
            return uint32_t(p.indirect[0]) | uint32_t(p.indirect[1]) << 8 | uint32_t(p.indirect[2]) << 16 |
                   uint32_t(p.indirect[3]) << 24;
    }
    return 0;
}

// Appends the messages' block chains and records; returns the record positions
// in the order given. LastId is the highest id already in the file.
std::vector<uint32_t> AppendMessages(std::vector<uint8_t>& out, const std::vector<Message>& messages,
                                     const Options& options, uint32_t lastId, Layout* layout) {
    for (const Message& m : messages) {
        if (m.text.size() > std::numeric_limits<uint32_t>::max())
            throw std::length_error("a message text must stay below 4 GiB");
    }
    if (options.bodyGap) Allocate(out, options.bodyGap);

    // Block slots: in file order, or, scattered, the chains interleaved from the
    // last message back and each chain laid out back to front.
    std::vector<std::vector<uint32_t>> blocks(messages.size());
    uint64_t totalBlocks = 0;
    size_t longest = 0;
    for (size_t i = 0; i < messages.size(); ++i) {
        const size_t n = (messages[i].text.size() + kBlockDataSize - 1) / kBlockDataSize;
        blocks[i].resize(n);
        totalBlocks += n;
        longest = std::max(longest, n);
    }
    const uint32_t base = Allocate(out, totalBlocks * kBlockSize);
    uint32_t slot = base;
    if (options.scatterBlocks) {
        for (size_t round = 0; round < longest; ++round) {
            for (size_t i = messages.size(); i-- > 0;) {
                auto& chain = blocks[i];
                if (round < chain.size()) {
                    chain[chain.size() - 1 - round] = slot;
                    slot += kBlockSize;
                }
            }
        }
    } else {
        for (auto& chain : blocks) {
            for (uint32_t& b : chain) {
                b = slot;
                slot += kBlockSize;
            }
        }
    }
    for (size_t i = 0; i < messages.size(); ++i) {
        const std::string& text = messages[i].text;
        const auto& chain = blocks[i];
        for (size_t j = 0; j < chain.size(); ++j) {
            const uint32_t at = chain[j];
            const size_t from = j * kBlockDataSize;
            const uint32_t n = uint32_t(std::min<size_t>(kBlockDataSize, text.size() - from));
            Put32(out, at, at);
            Put32(out, at + 4, kBlockDataSize);
            Put32(out, at + 8, n);
            Put32(out, at + 12, j + 1 < chain.size() ? chain[j + 1] : 0);
            std::memcpy(&out[at + 16], text.data() + from, n);
        }
    }

    std::vector<uint32_t> records;
    records.reserve(messages.size());
    for (size_t i = 0; i < messages.size(); ++i) {
        const Message& m = messages[i];
        const std::vector<Property> properties =
            MessageProperties(m, m.id ? m.id : lastId + 1, blocks[i].empty() ? 0 : blocks[i][0]);
        lastId = std::max(lastId, WrittenId(properties));
        records.push_back(WriteRecord(out, properties));
    }
    if (layout) layout->blocks = std::move(blocks);
    return records;
}

uint32_t RecordId(const std::vector<uint8_t>& file, uint32_t record) {
    const uint32_t length = Get32(file, uint64_t(record) + 4);
    const unsigned count = uint64_t(record) + 10 < file.size() ? file[size_t(record) + 10] : 0;
    const uint64_t table = uint64_t(record) + kRecordHeaderSize;
    for (unsigned i = 0; i < count && 4 * (i + 1) <= length; ++i) {
        const uint32_t entry = Get32(file, table + 4 * i);
        if ((entry & 0xFF) == (kPropId | 0x80)) return entry >> 8;
        if ((entry & 0xFF) == kPropId) return Get32(file, table + 4 * count + (entry >> 8));
    }
    return 0;
}

}  // namespace

Property Direct(uint8_t number, uint32_t value) {
    Property p{uint8_t(number | 0x80), 0, {}};
    p.direct = value;
    return p;
}

Property String(uint8_t number, const std::string& s) {
    Property p{uint8_t(number & 0x7F), 0, {}};
    p.indirect.assign(s.begin(), s.end());
    p.indirect.push_back(0);
    return p;
}

Property Int(uint8_t number, uint32_t value) {
    Property p{uint8_t(number & 0x7F), 0, {}};
    p.indirect = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    return p;
}

Property FileTime(uint8_t number, uint64_t filetime) {
    Property p{uint8_t(number & 0x7F), 0, {}};
    for (int i = 0; i < 8; ++i) p.indirect.push_back(uint8_t(filetime >> (8 * i)));
    return p;
}

std::vector<uint8_t> WriteMessageFile(const std::vector<Message>& messages, const Options& options,
                                      Layout* layout) {
    CheckOptions(options);
    std::vector<uint8_t> out(kHeaderSize, 0);
    WriteHeader(out, kTypeMessages);
    Layout local;
    Layout* l = layout ? layout : &local;
    *l = Layout();
    l->records = AppendMessages(out, messages, options, 0, l);
    const uint32_t root = IndexBuilder(out, l->records, options.entriesPerNode, &l->nodes).Build();
    FinishHeader(out, kMessageCount, uint32_t(messages.size()), kMessageRoot, root);
    return out;
}

std::vector<uint8_t> WriteFolderFile(const std::vector<Folder>& folders, const Options& options, Layout* layout) {
    CheckOptions(options);
    std::vector<uint8_t> out(kHeaderSize, 0);
    WriteHeader(out, kTypeFolders);
    Layout local;
    Layout* l = layout ? layout : &local;
    *l = Layout();
    uint32_t lastId = 0;
    for (const Folder& f : folders) {
        const uint32_t id = f.id ? f.id : lastId + 1;
        lastId = std::max(lastId, id);
        std::vector<Property> p;
        p.push_back(Value(kPropFolderId, id));
        p.push_back(Value(kPropParentId, f.parentId));
        p.push_back(String(kPropName, f.name));
        if (!f.fileName.empty()) p.push_back(String(kPropFileName, f.fileName));
        if (!f.storeId.empty()) p.push_back(String(kPropStoreId, f.storeId));
        p.push_back(Direct(kPropKind, f.kind));
        p.push_back(Direct(kPropAccountType, f.accountType));
        l->records.push_back(WriteRecord(out, p));
    }
    l->blocks.assign(folders.size(), {});
    const uint32_t root = IndexBuilder(out, l->records, options.entriesPerNode, &l->nodes).Build();
    FinishHeader(out, kFolderCount, uint32_t(folders.size()), kFolderRoot, root);
    return out;
}

namespace {

void CheckMessageFile(const std::vector<uint8_t>& file) {
    if (file.size() < kHeaderSize || Get32(file, 0) != kSignature)
        throw std::runtime_error("not an Outlook Express store file");
    if (Get32(file, 4) != kTypeMessages) throw std::runtime_error("not a message folder file");
}

// The file's record positions in walk order.
std::vector<uint32_t> WalkRecords(const std::vector<uint8_t>& file) {
    std::vector<uint32_t> records;
    pellumo::TMemoryStream stream(file);
    pellumo::DbxIndexWalk walk(&stream);
    for (bool ok = walk.Start(Get32(file, kMessageRoot), true); ok; ok = walk.Advance())
        records.push_back(walk.RecordPosition());
    return records;
}

// Appends an index of Records and points the header at it.
std::vector<uint8_t> Reindexed(std::vector<uint8_t> out, const std::vector<uint32_t>& records, const Options& options) {
    const uint32_t root = IndexBuilder(out, records, options.entriesPerNode, nullptr).Build();
    FinishHeader(out, kMessageCount, uint32_t(records.size()), kMessageRoot, root);
    return out;
}

}  // namespace

std::vector<uint8_t> AddMessages(const std::vector<uint8_t>& file, const std::vector<Message>& added,
                                 const Options& options) {
    CheckOptions(options);
    CheckMessageFile(file);
    std::vector<uint32_t> records = WalkRecords(file);
    uint32_t lastId = 0;
    for (uint32_t record : records) lastId = std::max(lastId, RecordId(file, record));
    std::vector<uint8_t> out = file;
    const std::vector<uint32_t> fresh = AppendMessages(out, added, options, lastId, nullptr);
    records.insert(records.end(), fresh.begin(), fresh.end());
    return Reindexed(std::move(out), records, options);
}

std::vector<uint8_t> WriteRepeatedRecordFile(uint32_t entries, const Options& options) {
    CheckOptions(options);
    Message m;
    m.replaceProperties = true;
    m.extra.push_back(Direct(kPropId, 7));
    for (uint32_t i = 0; i < 160; ++i) m.extra.push_back(Direct(0x7F, i));
    m.extra.push_back(Int(kPropId, 1));
    m.extra.push_back(Int(kPropFlags, 0));
    std::vector<uint8_t> out(kHeaderSize, 0);
    WriteHeader(out, kTypeMessages);
    const uint32_t record = AppendMessages(out, {m}, options, 0, nullptr).front();
    return Reindexed(std::move(out), std::vector<uint32_t>(entries, record), options);
}

std::vector<uint8_t> SetMessageValue(const std::vector<uint8_t>& file, uint32_t id, uint8_t property, uint32_t value) {
    CheckMessageFile(file);
    for (uint32_t record : WalkRecords(file)) {
        if (RecordId(file, record) != id) continue;
        std::vector<uint8_t> out = file;
        const unsigned count = uint64_t(record) + 10 < out.size() ? out[record + 10] : 0;
        const uint64_t table = uint64_t(record) + kRecordHeaderSize;
        for (unsigned i = 0; i < count; ++i) {
            const uint32_t entry = Get32(out, table + 4 * i);
            if ((entry & 0xFF) == (property | 0x80) && value < kDirectLimit) {
                Put32(out, size_t(table + 4 * i), (property | 0x80) | value << 8);
                return out;
            }
            if ((entry & 0xFF) == property && table + 4 * count + (entry >> 8) + 4 <= out.size()) {
                Put32(out, size_t(table + 4 * count + (entry >> 8)), value);
                return out;
            }
        }
        throw std::runtime_error("the value cannot be rewritten where it lies");
    }
    throw std::runtime_error("no message has that id");
}

std::vector<uint8_t> RemoveMessages(const std::vector<uint8_t>& file, const std::vector<uint32_t>& ids,
                                    const Options& options) {
    CheckOptions(options);
    CheckMessageFile(file);
    std::vector<uint32_t> kept;
    for (uint32_t record : WalkRecords(file))
        if (std::find(ids.begin(), ids.end(), RecordId(file, record)) == ids.end()) kept.push_back(record);
    return Reindexed(file, kept, options);
}

}  // namespace mkstore
