#pragma once
// One new-mail notification, the queue that holds them from the scan until
// the popup shows them, and the rule that holds them back.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Lock.h"

namespace pellumo {

enum TMailPriority : uint8_t { mpHigh = 0, mpNormal = 1, mpLow = 2 };

// One queued notification; its texts are UTF-8.
struct TNotification {
    std::string Folder;
    std::string Sender;
    std::string Subject;
    std::string Body;
    TMailPriority Priority = mpNormal;
    std::string FolderId;           // the watched folder's record Id
    std::optional<uint32_t> Color;  // the folder's popup colour; none: the Start colour
    std::string Sound;              // the folder's sound (TFolderChoice::Sound)
    std::string SenderAddress;      // the sender's address alone, for the user's rules
    // An AlwaysAnnounce rule matched: told ahead of the rest and over a pause
    // or a full-screen program, on its own, marked with the high-priority icon.
    bool Always = false;
};

// Notifications waiting to be shown, oldest first. Each add, take and clear
// holds the lock for that operation only; the queue owns its entries.
// Closed at shutdown: the scan then stops before its next message and the
// popup shows nothing more.
// Popups may wait for long (auto-hide off, a full-screen program, a pause),
// so an entry keeps only what the popup can show, and past a number waiting
// only what a summary shows; no entry is ever dropped.
class TNotificationQueue {
public:
    // More than a popup the size of a screen shows, in any script; the
    // label ends what it cannot show with an ellipsis.
    static constexpr size_t kMaxBodyBytes = 32 * 1024;
    // Folder, sender and subject each fill one line.
    static constexpr size_t kMaxLineBytes = 1024;
    // Entries added while this many wait keep no body, only what a summary
    // lists; one shown on its own then has an empty body.
    static constexpr size_t kMaxWaitingWithBody = 100;

    // Cuts the texts to the bounds above before it queues. One told always
    // goes behind the others of its kind, ahead of every other, and keeps
    // its body however many wait.
    void Add(std::unique_ptr<TNotification> info);
    // The oldest entry, now the caller's; null when empty.
    std::unique_ptr<TNotification> Take();
    // Every entry, oldest first, now the caller's.
    std::vector<std::unique_ptr<TNotification>> TakeAll();
    // Entries taken and not shown after all go back in front, in their
    // order, save that those told always stay ahead of every other.
    void PutBack(std::vector<std::unique_ptr<TNotification>> items);
    // Whether the oldest entry is one told always (they stand first).
    bool FrontIsAlways();
    void Clear();
    // Drops every entry for which Drop answers true.
    void RemoveIf(const std::function<bool(const TNotification&)>& drop);
    size_t Count();
    void Close() { closed_ = true; }
    bool Closed() const { return closed_; }

private:
    // Where one not told always goes in front: after those that are.
    std::deque<std::unique_ptr<TNotification>>::iterator AfterAlways();

    TLock lock_;
    std::deque<std::unique_ptr<TNotification>> items_;
    std::atomic<bool> closed_{false};
};

// Cuts folder, sender, address, subject and body to what a popup shows (the
// queue's bounds), between characters.
void CutToWhatAPopupShows(TNotification& info);

// One notification standing for several (at least two): subject "N new
// messages"; folder and sender the one all share, else "N folders" and "N
// senders"; the body one "Sender: Subject" line each, oldest first, the
// hundred first then a line "…"; high priority when any is, low when all
// are; the folder's colour and sound when all are of one folder (else the
// Start colour and the user's new-mail sound).
TNotification SummaryOf(const std::vector<std::unique_ptr<TNotification>>& items);
// What came while the user was away, as one: as SummaryOf, its subject "While
// you were away: N new messages" and its folder the count in each ("Inbox 2,
// Lists 1", in the order they came).
TNotification SummaryWhileAway(const std::vector<std::unique_ptr<TNotification>>& items);

// What the setup dialog's sample shows: a message of the program's own in
// the Inbox, in the Start colour and with the user's new-mail sound.
TNotification SampleNotification();

// The body of a message whose record has no text yet: an IMAP or HTTP
// account keeps only the headers until the message is opened.
std::string NotDownloadedBody();  // "This message has not been downloaded yet."

// What a screen reader says of a popup: its name, "New mail from Sender:
// Subject", or for several "N new messages: Inbox 2, Lists 1" (the folders
// in the order they came); its description, the start of what the popup
// shows below (a few hundred bytes, cut between characters).
std::string AlertName(const std::vector<std::unique_ptr<TNotification>>& items);
std::string AlertDescription(const std::string& body);

// Whether a notification is dropped instead of shown: the user does not want
// to be told while the mail client is in front, and it is.
// The mail client is only looked for when it matters.
inline bool HeldBack(bool displayWhenMailClientActive, const std::function<bool()>& mailClientActive) {
    return !displayWhenMailClientActive && mailClientActive && mailClientActive();
}

}  // namespace pellumo
