#pragma once
// The folder tree of a store, built from the records of Folders.dbx:
// TDbxFolderNode is one folder (or, without a record, the identity at the
// root); TDbxFolderTreeBuilder turns the records a TDbxFolderListFile reports into nodes.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/DbxFolderListFile.h"
#include "store/DbxRecords.h"
#include "store/TreeNode.h"

namespace pellumo {

// The StoreId of the local folders' node ("Local Folders").
inline constexpr char kLocalStoreId[] = "LocalStore";

class TDbxFolderNode : public TTreeNode {
public:
    TDbxFolderNode(std::string text, std::unique_ptr<TDbxFolderRecord> record)
        : TTreeNode(std::move(text)), Record(std::move(record)) {}

    std::unique_ptr<TDbxFolderRecord> Record;  // null for the root
    bool FileEnabled = true;                 // the folder has a file the builder accepted
    bool FileChecked = true;
    std::vector<std::string> Files;          // further store files of a top folder, full paths
};

class TDbxFolderTreeBuilder {
public:
    using TAcceptFileEvent = std::function<bool(const std::string& fileName)>;

    // Throws "Folders.dbx signature is not found" unless Dbx reads a
    // folder-list file. Dbx is not owned and must outlive the builder.
    explicit TDbxFolderTreeBuilder(TDbxFolderListFile& dbx);
    TDbxFolderTreeBuilder(const TDbxFolderTreeBuilder&) = delete;
    TDbxFolderTreeBuilder& operator=(const TDbxFolderTreeBuilder&) = delete;

    std::string StoreRoot;       // prefixed to folder file names
    TAcceptFileEvent OnAcceptFile;  // asked for every folder file; none accepts all

    // Reads every record and builds the folders under Root; closes the reader.
    bool Build(TTreeNode& root);

private:
    struct TRecordEntry {
        std::string ParentId;
        std::unique_ptr<TDbxFolderRecord> Record;  // null once a node took it
    };
    struct TIdEntry {
        std::string Id;
        TDbxFolderNode* Node;  // null until the first folder of this Id is built
    };

    TDbxFolderNode* AddFolder(std::unique_ptr<TDbxFolderRecord> record, const std::vector<TIdEntry>& idIndex);
    bool Accept(const std::string& fileName) const { return OnAcceptFile ? OnAcceptFile(fileName) : true; }

    TDbxFolderListFile& dbx_;
    TTreeNode* root_ = nullptr;
    // Sorted by ParentId without regard to case; equal keys in the reverse of
    // the order the walk reported them.
    std::vector<TRecordEntry> records_;
};

// The folder tree of the store in StoreRoot (a directory path ending in a
// separator): a root captioned IdentityName with the folders below it. No
// store root or no Folders.dbx there gives the root alone. The caller owns it.
std::unique_ptr<TDbxFolderNode> BuildFolderTree(const std::string& storeRoot, const std::string& identityName);

}  // namespace pellumo
