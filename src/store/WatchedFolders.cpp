#include "store/WatchedFolders.h"

#include "store/ZellDbxTreeBuilder.h"

namespace pellumo {

void AddWatchedFolders(const TZellTreeNode& node, TFolderList& list) {
    // An explicit stack: folder chains may be deeper than the call stack.
    std::vector<const TZellTreeNode*> pending{&node};
    while (!pending.empty()) {
        const TZellTreeNode* current = pending.back();
        pending.pop_back();
        const auto* folder = dynamic_cast<const TZellDbxTreeNode*>(current);
        if (current->Parent() && folder && folder->Record && folder->Record->Kind == kWatchedFolderKind) {
            std::unique_ptr<TFolderInfo> info(new TFolderInfo);
            info->Record = folder->Record.get();
            info->Enabled = true;
            list.push_back({folder->Record->Id, std::move(info)});
        }
        for (size_t i = current->Count(); i > 0; --i) pending.push_back(current->Items(i - 1));
    }
}

void UpdateWatchedFolders(const TZellTreeNode& node, TFolderList& list) {
    TFolderList fresh;
    AddWatchedFolders(node, fresh);
    for (TFolderListEntry& entry : fresh) {
        TFolderInfo& info = *entry.Object;
        info.Baseline = true;
        for (TFolderListEntry& old : list) {
            if (!old.Object || !old.Object->Record || old.Text != entry.Text ||
                old.Object->Record->FileName != info.Record->FileName)
                continue;
            info.LastAge = old.Object->LastAge;
            info.Baseline = old.Object->Baseline;
            break;
        }
    }
    list.swap(fresh);
}

}  // namespace pellumo
