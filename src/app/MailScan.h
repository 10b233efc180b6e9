#pragma once
// The new-mail scan: compares the watched folder files with what it has seen,
// reads every new unread message, reduces its body to text and queues one
// notification per message for the popup.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AnnounceRules.h"
#include "app/Notification.h"
#include "app/RecentMail.h"
#include "app/SeenIds.h"
#include "content/MimeMessage.h"
#include "texts/Message.h"
#include "store/WatchedFolders.h"
#include "store/DbxRecords.h"

namespace pellumo {

class TDbxMessageFolder;

// Whether the folder's file is to be read in this scan: never for a folder
// without a record; otherwise when its file's stamp
// (age, exact last-write time, size) differs from the one kept, which is
// updated first.
bool FolderChanged(TFolderInfo& info);

TMailPriority MapPriority(int32_t priority);

// A watched folder file the scan could not read, and why.
struct TSkippedFolder {
    std::string FileName;
    TMessage Message;
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
    // with an empty body and the index record's names; one whose text is not
    // all written yet waits, unseen, for a later scan. A message counts as
    // seen only once it is queued (or dropped by HoldBack): an error in the
    // middle of a folder is logged and leaves that folder to be read again
    // at the next scan, the other folders read as usual.
    std::vector<TSkippedFolder> ScanFolders(bool baseline);
    // The scan after a change in the store directory.
    std::vector<TSkippedFolder> StoreChanged() { return ScanFolders(false); }

    // What one notification shows of a message: the text read from the
    // message itself where it could be read, all as UTF-8.
    struct TMessageText {
        std::string Body;
        TMessageNames Names;
    };
    // Queues a notification, unless HoldBack drops it or a NeverAnnounce
    // rule matches (logged by the rule's line, told to NotAnnounced; the
    // message stays unread and counted); one an AlwaysAnnounce rule matches
    // is marked Always. ShowNextNotification is the caller's to call.
    // Sender, address and subject come from Text, else from the index record
    // (system code page); the folder's name (system code page), Id and colour
    // from Folder.
    void QueueNotification(const TDbxMessageRecord& msg, const TFolderListEntry& folder, const TMessageText& text);

    // The user's rules, their lines as stored (TUserSettings::NeverAnnounce,
    // AlwaysAnnounce): read, and each line that is no rule logged; the same
    // lines again change nothing and log nothing. Waiting mail a Never rule
    // now matches leaves the queue, as if it had come after the change.
    void UseRules(const std::vector<std::string>& never, const std::vector<std::string>& always);

    TSeenIds SeenIds;
    TNotificationQueue Queue;
    // Every notification queued, the last few: kept in memory only.
    TRecentMail Recent;
    std::unique_ptr<TMimeMessage> MimeMessage{new TMimeMessage};
    // Shows the oldest queued notification when none is showing.
    std::function<void()> ShowNextNotification;
    // True when a notification is to be dropped instead of queued (the mail
    // client is in front and the user does not want to be told then).
    std::function<bool()> HoldBack;
    // Told of each message a NeverAnnounce rule kept from being announced.
    std::function<void(const TNotification&, const TRuleMatch&)> NotAnnounced;

private:
    // Reads the folder's file (its stamp has changed): the Id and flags of
    // every record, and the whole of each one to be announced; throws what
    // reading it threw, having kept what it queued so far.
    void ScanFolder(const TFolderListEntry& entry, bool baseline, TDbxMessageFolder& reader,
                    std::vector<TSkippedFolder>& skipped);
    // False when the part of the message's text the preview needs is not
    // all written yet. Without PreviewShown only the sender and subject are
    // read (the body stays empty).
    bool ReadMessageText(TDbxMessageFolder& reader, const TDbxMessageRecord& msg, bool previewShown,
                         TMessageText& text);

    // The rule that decides for the message; one that keeps it untold is
    // logged and told to NotAnnounced.
    TRuleMatch RuleFor(const TNotification& info);

    TFolderList& folders_;
    TAnnounceRules rules_;
    std::vector<std::string> neverLines_, alwaysLines_;  // what rules_ was read from
};

}  // namespace pellumo
