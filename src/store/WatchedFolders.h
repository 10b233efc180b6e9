#pragma once
// The watched-folder list: one TFolderInfo per folder of the tree whose
// record has Kind 1, in the order the new-mail scan walks them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/DbxRecords.h"
#include "platform/FileSystem.h"
#include "store/TreeNode.h"

namespace pellumo {

struct TFolderInfo {
    static constexpr uint32_t kInfoBackgroundColor = 0x80000018;  // system colour COLOR_INFOBK

    const TDbxFolderRecord* Record = nullptr;  // owned by its tree node
    uint32_t Color = kInfoBackgroundColor;
    bool Enabled = false;
    TFileStamp LastAge;  // the file's stamp when the scan last looked at it
    // Set for a folder the program has not read yet (a folder made while it
    // runs, or every folder of a store it moved to): its next reading only
    // records what it holds as seen, announcing nothing.
    bool Baseline = false;
};

struct TFolderListEntry {
    std::string FolderId;  // the folder record's Id
    std::unique_ptr<TFolderInfo> Info;
};
using TFolderList = std::vector<TFolderListEntry>;

// The folder record Kind that marks a folder to watch.
const uint8_t kWatchedFolderKind = 1;

// Appends the watched folders of the subtree at Node to List: depth first,
// each parent before its children, children in tree order. A node without a
// parent (the root) is never added.
void AddWatchedFolders(const TTreeNode& node, TFolderList& list);

// Replaces List with the watched folders of the subtree at Node (a newer
// reading of the same store's folder list), in that order. A folder already
// in List (same Id and file) keeps what the scan knows of it; a new one is
// marked for a baseline reading; one no longer there is dropped.
void UpdateWatchedFolders(const TTreeNode& node, TFolderList& list);

}  // namespace pellumo
