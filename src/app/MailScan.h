#pragma once
// The new-mail scan: compares the watched folder files with what it has seen,
// reads every new unread message, reduces its body to text and queues one
// notification per message for the popup.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Notification.h"
#include "content/MimeMessage.h"
#include "store/WatchedFolders.h"
#include "store/DbxRecords.h"

namespace pellumo {

class TDbxMessageFolder;

// Ids of the messages seen so far: sorted, compared without regard to case.
// A message's Id is its number within its folder file, so two folders can
// both hold an 000001: the keys carry the folder too (SeenKey).
class TSeenIds {
public:
    bool Contains(const std::string& id) const;
    void Add(const std::string& id);  // nothing when already there
    size_t Count() const { return ids_.size(); }
    void Clear() { ids_.clear(); }

private:
    std::vector<std::string> ids_;
};

// The seen-list key of message `messageId` of the watched folder whose
// record Id is `folderId`.
std::string SeenKey(const std::string& folderId, const std::string& messageId);

// Whether the folder's file is to be read in this scan: never for a folder
// without a record or of Kind 2 and above; otherwise when its file's stamp
// (age, exact last-write time, size) differs from the one kept, which is
// updated first.
bool FolderChanged(TFolderInfo& info);

TMailPriority MapPriority(int32_t priority);

// A watched folder file the scan could not read, and why.
struct TSkippedFolder {
    std::string FileName;
    std::string Message;
};

class TMailScan {
public:
    explicit TMailScan(TFolderList& folders) : folders_(folders) {}

    // Baseline: records every message as seen and queues nothing (so does a
    // folder marked for a baseline reading). Otherwise queues every new
    // unread message. A folder file that cannot be opened or is not a message
    // file is passed over, its stamp kept, so that it is read again once it
    // changes; the others are read, and the folders passed over are returned.
    // A message whose text cannot be read, parsed or converted is announced
    // with an empty body and the index record's names; one whose text is not all written yet waits, unseen,
    // for a later scan.
    std::vector<TSkippedFolder> ScanFolders(bool baseline);
    // The scan after a change in the store directory.
    std::vector<TSkippedFolder> StoreChanged() { return ScanFolders(false); }

    // What one notification shows of a message: the text read from the
    // message itself where it could be read, all as UTF-8.
    struct TMessageText {
        std::string Body;
        TMessageNames Names;
    };
    // Queues a notification. Sender and subject come from Text, else from
    // the index record (system code page); the folder name from Folder
    // (system code page).
    void QueueNotification(const TDbxMessageRecord& msg, const std::string& folder, const TMessageText& text);

    TSeenIds SeenIds;
    TNotificationQueue Queue;
    std::unique_ptr<TMimeMessage> MimeMessage{new TMimeMessage};
    // Shows the oldest queued notification when none is showing.
    std::function<void()> ShowNextNotification;
    // True when a notification is to be dropped instead of queued (the mail
    // client is in front and the user does not want to be told then).
    std::function<bool()> HoldBack;

private:
    // False when the message's text is not all written yet.
    bool ReadMessageText(TDbxMessageFolder& reader, const TDbxMessageRecord& msg, TMemoryStream& buffer,
                         TMessageText& text);

    TFolderList& folders_;
};

}  // namespace pellumo
