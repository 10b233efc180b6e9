#pragma once
// The folder tree of a store, built from the records of Folders.dbx:
// TZellDbxTreeNode is one folder (or, without a record, the identity at the
// root); TZellDbxTreeBuilder turns the records a TZellDbx reports into nodes.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/ZellDbx.h"
#include "store/ZellDbxObject.h"
#include "store/ZellTree.h"

namespace pellumo {

class TZellDbxTreeNode : public TZellTreeNode {
public:
    TZellDbxTreeNode(std::string text, std::unique_ptr<TZellDbxObject> record)
        : TZellTreeNode(std::move(text)), Record(std::move(record)) {}

    std::unique_ptr<TZellDbxObject> Record;  // null for the root
    bool FileEnabled = true;                 // the folder has a file the builder accepted
    bool FileChecked = true;
    std::vector<std::string> Files;          // further store files of a top folder, full paths
};

class TZellDbxTreeBuilder {
public:
    using TAcceptFileEvent = std::function<bool(const std::string& fileName)>;

    // Raises "Folders.dbx signature is not found" unless Dbx reads a
    // folder-list file. Dbx is not owned and must outlive the builder.
    explicit TZellDbxTreeBuilder(TZellDbx& dbx);
    TZellDbxTreeBuilder(const TZellDbxTreeBuilder&) = delete;
    TZellDbxTreeBuilder& operator=(const TZellDbxTreeBuilder&) = delete;

    std::string StoreRoot;       // prefixed to folder file names
    TAcceptFileEvent OnAcceptFile;  // asked for every folder file; none accepts all

    // Reads every record and builds the folders under Root; closes the reader.
    bool Build(TZellTreeNode& root);

private:
    struct TObjectEntry {
        std::string ParentId;
        std::unique_ptr<TZellDbxObject> Record;  // null once a node took it
    };
    struct TIdEntry {
        std::string Id;
        TZellDbxTreeNode* Node;  // null until the first folder of this Id is built
    };

    TZellDbxTreeNode* AddFolder(std::unique_ptr<TZellDbxObject> record, const std::vector<TIdEntry>& idIndex);
    bool Accept(const std::string& fileName) const { return OnAcceptFile ? OnAcceptFile(fileName) : true; }

    TZellDbx& dbx_;
    TZellTreeNode* root_ = nullptr;
    // Sorted by ParentId without regard to case; equal keys in the reverse of
    // the order the walk reported them.
    std::vector<TObjectEntry> objects_;
};

// The folder tree of the store in StoreRoot (a directory path ending in a
// separator): a root captioned IdentityName with the folders below it. No
// store root or no Folders.dbx there gives the root alone. The caller owns it.
std::unique_ptr<TZellDbxTreeNode> BuildFolderTree(const std::string& storeRoot, const std::string& identityName);

}  // namespace pellumo
