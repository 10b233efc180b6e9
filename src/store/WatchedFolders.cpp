#include "store/WatchedFolders.h"

#include "platform/AsciiText.h"
#include "store/DbxFolderTree.h"

namespace pellumo {

const TFolderChoice* ChoiceFor(const TFolderChoices& choices, const std::string& folderId) {
    const auto found = choices.find(asciitext::UpperCase(folderId));
    return found == choices.end() ? nullptr : &found->second;
}

bool HasMessageFile(const TDbxFolderRecord& record) {
    // A record naming a store of its own is an account or the local
    // folders' node; the others name their file, unless they have none.
    return record.StoreId.empty() && !record.FileName.empty();
}

TWatchReason WatchReason(const TDbxFolderRecord& record, const TFolderChoices& choices) {
    if (!HasMessageFile(record)) return TWatchReason::NoFile;
    const TFolderChoice* choice = ChoiceFor(choices, record.Id);
    if (choice && choice->Watch) return *choice->Watch ? TWatchReason::Chosen : TWatchReason::NotChosen;
    return record.Kind == kInboxFolderKind ? TWatchReason::Inbox : TWatchReason::NotChosen;
}

const char* WatchReasonText(TWatchReason reason) {
    switch (reason) {
        case TWatchReason::Inbox: return "inbox";
        case TWatchReason::Chosen: return "chosen";
        case TWatchReason::NotChosen: return "not chosen";
        case TWatchReason::NoFile: break;
    }
    return "no file";
}

void AddWatchedFolders(const TTreeNode& node, TFolderList& list, const TFolderChoices& choices) {
    // An explicit stack: folder chains may be deeper than the call stack.
    std::vector<const TTreeNode*> pending{&node};
    while (!pending.empty()) {
        const TTreeNode* current = pending.back();
        pending.pop_back();
        const auto* folder = dynamic_cast<const TDbxFolderNode*>(current);
        if (current->Parent() && folder && folder->Record && IsWatched(WatchReason(*folder->Record, choices))) {
            std::unique_ptr<TFolderInfo> info(new TFolderInfo);
            info->Record = folder->Record.get();
            info->Enabled = true;
            if (const TFolderChoice* choice = ChoiceFor(choices, folder->Record->Id)) {
                info->Color = choice->Color;
                info->Sound = choice->Sound;
            }
            list.push_back({folder->Record->Id, std::move(info)});
        }
        for (size_t i = current->Count(); i > 0; --i) pending.push_back(current->Items(i - 1));
    }
}

void UpdateWatchedFolders(const TTreeNode& node, TFolderList& list, const TFolderChoices& choices) {
    TFolderList fresh;
    AddWatchedFolders(node, fresh, choices);
    for (TFolderListEntry& entry : fresh) {
        TFolderInfo& info = *entry.Info;
        info.Baseline = true;
        for (TFolderListEntry& old : list) {
            if (!old.Info || !old.Info->Record || old.FolderId != entry.FolderId ||
                old.Info->Record->FileName != info.Record->FileName)
                continue;
            info.LastAge = old.Info->LastAge;
            info.Unread = old.Info->Unread;
            info.Baseline = old.Info->Baseline;
            break;
        }
    }
    list.swap(fresh);
}

}  // namespace pellumo
