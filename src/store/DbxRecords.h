#pragma once
// Records of DBX files: a property table over a data area, read
// from a stream at a position. TDbxRecord is the base the iterating
// reader creates; TDbxFolderRecord is a folder record of Folders.dbx;
// TDbxMessageRecord is a message index record of a message folder file.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Stream.h"

namespace pellumo {

// "name=value" lines: a name set again replaces its line.
class TValueList {
public:
    void Set(const std::string& name, const std::string& value);
    // The value of Name, or empty when there is none.
    std::string Value(const std::string& name) const;
    bool Has(const std::string& name) const;
    size_t Count() const { return lines_.size(); }
    void Reserve(size_t lines) { lines_.reserve(lines); }
    const std::pair<std::string, std::string>& Line(size_t i) const { return lines_[i]; }

private:
    std::vector<std::pair<std::string, std::string>> lines_;
};

class TDbxRecord {
public:
    TDbxRecord() = default;
    virtual ~TDbxRecord() { ClearData(); }
    TDbxRecord(const TDbxRecord&) = delete;
    TDbxRecord& operator=(const TDbxRecord&) = delete;

    // Reads the record at Position. False when no record can be read there:
    // position 0, a header read short, or a length below the property table.
    // A data area cut short by the end of the file is kept as far as it goes.
    bool Load(TStream& stream, uint32_t position);

    // Keeps a copy of Size bytes (nothing when Buffer is null).
    void SetData(const void* buffer, int32_t size);
    void ClearData();

    TStream* Stream = nullptr;  // not owned
    TValueList Values;
    std::vector<uint8_t> Data;
    int32_t DataSize = -1;

protected:
    // Called once per property entry, in table order; Index is the property
    // number (0..127), Indirect is bit 7 of the index byte clear.
    virtual void SetProperty(uint32_t entry, uint8_t index, bool indirect);

    // Value decoding against this record's data area; anything outside the
    // area reads as 0 or empty.
    uint32_t ReadValue(uint32_t entry) const;
    std::string ReadString(uint32_t entry) const;
    TDateTime ReadDate(uint32_t entry) const;
};

// A folder record: only the exact index bytes of its fields fill them.
class TDbxFolderRecord : public TDbxRecord {
public:
    std::string Id;
    std::string ParentId;
    std::string Name;
    std::string FileName;
    std::string StoreId;
    uint8_t Kind = 0;         // property 9, the special folder: 1 Inbox, 2 Outbox, ...; 0 any other
    uint8_t AccountType = 0;  // property 10: 0 news, 1 IMAP, 3 local folders

protected:
    void SetProperty(uint32_t entry, uint8_t index, bool indirect) override;
};

// A message index record: fields are taken by property number, stored
// direct or indirect alike; a repeated property's later entry wins.
class TDbxMessageRecord : public TDbxRecord {
public:
    uint32_t BodyPos = 0;
    int32_t TextLength = 0;
    int32_t Flags = 0;
    std::string Id;
    int32_t Priority = 0;
    int32_t BodyLines = 0;
    std::string SenderNameAndAddress;
    std::string MessageId;
    std::string UnidentifiedText;  // property 0x23, a text of unknown meaning: kept, not used
    std::string Subject;
    std::string ServerGroupNumber;
    std::string AnsweredMessageId;
    std::string AccountKey;
    std::string SenderAddress;
    std::string ReceiverAddress;
    std::string OriginalSubject;
    std::string ReceiverName;
    std::string Server;
    std::string AccountName;
    std::string SenderName;
    TDateTime SavedTime = 0;
    TDateTime SentTime = 0;
    TDateTime ReceivedTime = 0;

    static const int32_t kReadFlag = 0x80;
    bool IsRead() const { return (Flags & kReadFlag) != 0; }

protected:
    void SetProperty(uint32_t entry, uint8_t index, bool indirect) override;
};

}  // namespace pellumo
