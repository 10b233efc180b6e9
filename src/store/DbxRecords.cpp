#include "store/DbxRecords.h"

#include <algorithm>

#include "store/DbxFormat.h"

namespace pellumo {

using namespace dbx;

void TValueList::Set(const std::string& name, const std::string& value) {
    for (auto& line : lines_) {
        if (line.first == name) {
            line.second = value;
            return;
        }
    }
    lines_.emplace_back(name, value);
}

std::string TValueList::Value(const std::string& name) const {
    for (const auto& line : lines_)
        if (line.first == name) return line.second;
    return std::string();
}

bool TValueList::Has(const std::string& name) const {
    return std::any_of(lines_.begin(), lines_.end(), [&](const auto& l) { return l.first == name; });
}

bool TDbxRecord::Load(TStream& stream, uint32_t position) {
    Stream = &stream;
    if (position == 0) return false;
    uint8_t header[kRecordHeaderSize];
    if (stream.ReadAt(position, header, sizeof header) < sizeof header) return false;
    const uint32_t length = Le32(header + kRecordLength);
    const uint32_t count = header[kRecordPropertyCount];
    if (length < 4 * count) return false;

    const uint64_t tableAt = uint64_t(position) + kRecordHeaderSize;
    uint8_t table[4 * 255];
    const size_t tableBytes = stream.ReadAt(tableAt, table, 4 * count);

    // The data area is never larger than what the file still holds.
    const uint64_t dataAt = tableAt + 4 * count;
    const uint64_t size = stream.Size();
    const uint64_t room = size > dataAt ? size - dataAt : 0;
    ClearData();
    Data.resize(static_cast<size_t>(std::min<uint64_t>(length - 4 * count, room)));
    Data.resize(stream.ReadAt(dataAt, Data.data(), Data.size()));
    DataSize = static_cast<int32_t>(Data.size());

    static const char kHex[] = "0123456789ABCDEF";
    Values.Reserve(count);
    for (size_t at = 0; at + 4 <= tableBytes; at += 4) {
        const uint32_t entry = Le32(table + at);
        const uint8_t indexByte = entry & 0xFF;
        SetProperty(entry, indexByte & 0x7F, (indexByte & kDirectBit) == 0);
        const char name[3] = {kHex[indexByte >> 4], kHex[indexByte & 15], 0};
        Values.Set(name, std::to_string(entry >> 8));
    }
    return true;
}

void TDbxRecord::SetData(const void* buffer, int32_t size) {
    ClearData();
    if (!buffer || size < 0) return;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    Data.assign(bytes, bytes + size);
    DataSize = size;
}

void TDbxRecord::ClearData() {
    Data.clear();
    DataSize = -1;
}

void TDbxRecord::SetProperty(uint32_t, uint8_t, bool) {}

uint32_t TDbxRecord::ReadValue(uint32_t entry) const {
    if (entry & kDirectBit) return entry >> 8;
    return ByteView(Data.data(), Data.size()).Le32At(entry >> 8);
}

std::string TDbxRecord::ReadString(uint32_t entry) const {
    return ByteView(Data.data(), Data.size()).StringAt(entry >> 8);
}

TDateTime TDbxRecord::ReadDate(uint32_t entry) const {
    const ByteView data(Data.data(), Data.size());
    if (!data.Has(entry >> 8, 8)) return 0;
    return FileTimeToLocalDateTime(data.Le64At(entry >> 8));
}

void TDbxFolderRecord::SetProperty(uint32_t entry, uint8_t, bool) {
    switch (entry & 0xFF) {
    case 0x80: Id = FormatId(entry >> 8); break;
    case 0x81: ParentId = FormatId(entry >> 8); break;
    case 0x02: Name = ReadString(entry); break;
    case 0x03: FileName = ReadString(entry); break;
    case 0x05: StoreId = ReadString(entry); break;
    case 0x89: Kind = static_cast<uint8_t>(entry >> 8); break;
    case 0x8A: AccountType = static_cast<uint8_t>(entry >> 8); break;
    default: break;
    }
}

void TDbxMessageRecord::SetProperty(uint32_t entry, uint8_t index, bool) {
    switch (index) {
    case 0x00: Id = FormatId(ReadValue(entry)); break;
    case 0x01: Flags = static_cast<int32_t>(ReadValue(entry)); break;
    case 0x02: SentTime = ReadDate(entry); break;
    case 0x03: BodyLines = static_cast<int32_t>(ReadValue(entry)); break;
    case 0x04: BodyPos = ReadValue(entry); break;
    case 0x05: OriginalSubject = ReadString(entry); break;
    case 0x06: SavedTime = ReadDate(entry); break;
    case 0x07: MessageId = ReadString(entry); break;
    case 0x08: Subject = ReadString(entry); break;
    case 0x09: SenderNameAndAddress = ReadString(entry); break;
    case 0x0A: AnsweredMessageId = ReadString(entry); break;
    case 0x0B: ServerGroupNumber = ReadString(entry); break;
    case 0x0C: Server = ReadString(entry); break;
    case 0x0D: SenderName = ReadString(entry); break;
    case 0x0E: SenderAddress = ReadString(entry); break;
    case 0x10: Priority = static_cast<int32_t>(ReadValue(entry)); break;
    case 0x11: TextLength = static_cast<int32_t>(ReadValue(entry)); break;
    case 0x12: ReceivedTime = ReadDate(entry); break;
    case 0x13: ReceiverName = ReadString(entry); break;
    case 0x14: ReceiverAddress = ReadString(entry); break;
    case 0x1A: AccountName = ReadString(entry); break;
    case 0x1B: AccountKey = ReadString(entry); break;
    case 0x23: UnidentifiedText = ReadString(entry); break;
    default: break;
    }
}

}  // namespace pellumo
