#include "store/WatchedFolders.h"

#include "store/DbxFolderTree.h"

namespace pellumo {

void AddWatchedFolders(const TTreeNode& node, TFolderList& list) {
    // An explicit stack: folder chains may be deeper than the call stack.
    std::vector<const TTreeNode*> pending{&node};
    while (!pending.empty()) {
        const TTreeNode* current = pending.back();
        pending.pop_back();
        const auto* folder = dynamic_cast<const TDbxFolderNode*>(current);
        if (current->Parent() && folder && folder->Record && folder->Record->Kind == kWatchedFolderKind) {
            std::unique_ptr<TFolderInfo> info(new TFolderInfo);
            info->Record = folder->Record.get();
            info->Enabled = true;
            list.push_back({folder->Record->Id, std::move(info)});
        }
        for (size_t i = current->Count(); i > 0; --i) pending.push_back(current->Items(i - 1));
    }
}

void UpdateWatchedFolders(const TTreeNode& node, TFolderList& list) {
    TFolderList fresh;
    AddWatchedFolders(node, fresh);
    for (TFolderListEntry& entry : fresh) {
        TFolderInfo& info = *entry.Info;
        info.Baseline = true;
        for (TFolderListEntry& old : list) {
            if (!old.Info || !old.Info->Record || old.FolderId != entry.FolderId ||
                old.Info->Record->FileName != info.Record->FileName)
                continue;
            info.LastAge = old.Info->LastAge;
            info.Baseline = old.Info->Baseline;
            break;
        }
    }
    list.swap(fresh);
}

}  // namespace pellumo
