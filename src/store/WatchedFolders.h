#pragma once
// The watched-folder list: one TFolderInfo per folder of the tree that is
// watched, in the order the new-mail scan walks them. An Inbox is watched
// unless the user says otherwise; any other folder with a message file of
// its own (Outbox, Sent Items and the user's folders, where the mail
// client's message rules file mail) when the user ticks it.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/DbxRecords.h"
#include "platform/FileSystem.h"
#include "store/TreeNode.h"

namespace pellumo {

struct TFolderInfo {
    const TDbxFolderRecord* Record = nullptr;  // owned by its tree node
    // The popup's start colour for this folder's mail; none: the settings' Start colour.
    std::optional<uint32_t> Color;
    std::string Sound;  // as TFolderChoice::Sound
    bool Enabled = false;
    TFileStamp LastAge;  // the file's stamp when the scan last looked at it
    size_t Unread = 0;   // unread messages when the scan last read the file
    // Set for a folder the program has not read yet (a folder made while it
    // runs, one the user has just ticked, or every folder of a store it
    // moved to): its next reading only records what it holds as seen,
    // announcing nothing.
    bool Baseline = false;
};

struct TFolderListEntry {
    std::string FolderId;  // the folder record's Id
    std::unique_ptr<TFolderInfo> Info;
};
using TFolderList = std::vector<TFolderListEntry>;

// What the user chose for one folder; what is not set takes its default.
struct TFolderChoice {
    std::optional<bool> Watch;
    std::optional<uint32_t> Color;  // in the settings' colour encoding
    // Its mail's sound: empty the user's new-mail sound, kNoSound none,
    // else the path of a .wav file.
    std::string Sound;
    bool Empty() const { return !Watch && !Color && Sound.empty(); }
    bool operator==(const TFolderChoice& o) const { return Watch == o.Watch && Color == o.Color && Sound == o.Sound; }
    bool operator!=(const TFolderChoice& o) const { return !(*this == o); }
};
// The Sound that asks for silence.
inline constexpr char kNoSound[] = "-";

// One identity's choices by folder Id (upper-case hex, as the records write it).
using TFolderChoices = std::map<std::string, TFolderChoice>;

// The choice for a folder Id in any letter case; null when there is none.
const TFolderChoice* ChoiceFor(const TFolderChoices& choices, const std::string& folderId);

// The folder record Kind of the Inbox, watched unless the user says otherwise.
const uint8_t kInboxFolderKind = 1;

enum class TWatchReason {
    Inbox,      // an Inbox left as it is
    Chosen,     // ticked by the user
    NotChosen,  // not ticked (or an Inbox unticked)
    NoFile,     // no message file of its own: an account, the local folders' node
};
TWatchReason WatchReason(const TDbxFolderRecord& record, const TFolderChoices& choices);
inline bool IsWatched(TWatchReason reason) { return reason == TWatchReason::Inbox || reason == TWatchReason::Chosen; }
// "inbox", "chosen", "not chosen", "no file".
const char* WatchReasonText(TWatchReason reason);
// Whether the folder has a message file of its own (and so can be watched).
bool HasMessageFile(const TDbxFolderRecord& record);

// Appends the watched folders of the subtree at Node to List: depth first,
// each parent before its children, children in tree order. A node without a
// parent (the root) is never added.
void AddWatchedFolders(const TTreeNode& node, TFolderList& list, const TFolderChoices& choices = {});

// Replaces List with the watched folders of the subtree at Node (a newer
// reading of the same store's folder list, or new choices), in that order. A
// folder already in List (same Id and file) keeps what the scan knows of it;
// a new one is marked for a baseline reading; one no longer there is dropped.
void UpdateWatchedFolders(const TTreeNode& node, TFolderList& list, const TFolderChoices& choices = {});

}  // namespace pellumo
