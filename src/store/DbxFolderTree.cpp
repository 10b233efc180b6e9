#include "store/DbxFolderTree.h"

#include <algorithm>

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"

namespace pellumo {

namespace {

const int kFolderListFileType = 1;

// Ids are hex digits, so an ASCII case fold is all the comparison needs.
int CompareText(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool TextLess(const std::string& a, const std::string& b) { return CompareText(a, b) < 0; }

}  // namespace

TDbxFolderTreeBuilder::TDbxFolderTreeBuilder(TDbxFolderListFile& dbx) : dbx_(dbx) {
    // Only the file-type word tells a folder list from the other store files.
    if (dbx_.FileType() != kFolderListFileType) throw Exception(TText::FolderListSignatureNotFound);
}

bool TDbxFolderTreeBuilder::Build(TTreeNode& root) {
    root_ = &root;
    records_.clear();
    dbx_.Open();

    TDbxFolderListFile::TFolderRecordFoundEvent saved = dbx_.OnRecordFound;
    dbx_.OnRecordFound = [this](TDbxFolderListFile&, std::unique_ptr<TDbxFolderRecord> obj) {
        std::string parentId = obj->ParentId;
        records_.push_back({std::move(parentId), std::move(obj)});
    };
    try {
        dbx_.Scan();
    } catch (...) {
        dbx_.OnRecordFound = saved;
        throw;
    }
    dbx_.OnRecordFound = saved;
    dbx_.Close();

    // Ascending ParentId, and among equal ones the last reported first:
    // reversing before a stable sort gives that order in n log n.
    std::reverse(records_.begin(), records_.end());
    std::stable_sort(records_.begin(), records_.end(),
                     [](const TRecordEntry& a, const TRecordEntry& b) { return TextLess(a.ParentId, b.ParentId); });

    // Every Id is known up front, so the index is sorted once; an entry gets
    // its node when the first folder of that Id is built, which is what
    // adding while building (later duplicates ignored) would give. A record
    // without an Id is nobody's parent: its empty Id must not match the
    // empty ParentId of a record that has none.
    std::vector<TIdEntry> idIndex;
    idIndex.reserve(records_.size());
    for (const TRecordEntry& entry : records_)
        if (!entry.Record->Id.empty()) idIndex.push_back({entry.Record->Id, nullptr});
    std::sort(idIndex.begin(), idIndex.end(), [](const TIdEntry& a, const TIdEntry& b) { return TextLess(a.Id, b.Id); });
    idIndex.erase(std::unique(idIndex.begin(), idIndex.end(),
                              [](const TIdEntry& a, const TIdEntry& b) { return CompareText(a.Id, b.Id) == 0; }),
                  idIndex.end());

    for (TRecordEntry& entry : records_) {
        const std::string id = entry.Record->Id;
        TDbxFolderNode* node = AddFolder(std::move(entry.Record), idIndex);
        if (id.empty()) continue;
        auto at = std::lower_bound(idIndex.begin(), idIndex.end(), id,
                                   [](const TIdEntry& e, const std::string& key) { return TextLess(e.Id, key); });
        if (at != idIndex.end() && !at->Node) at->Node = node;
    }
    records_.clear();
    return true;
}

TDbxFolderNode* TDbxFolderTreeBuilder::AddFolder(std::unique_ptr<TDbxFolderRecord> record,
                                                 const std::vector<TIdEntry>& idIndex) {
    // A parent not built yet (later in the order, or not in the file at all)
    // leaves the folder directly under the root.
    TTreeNode* parent = root_;
    auto at = std::lower_bound(idIndex.begin(), idIndex.end(), record->ParentId,
                               [](const TIdEntry& e, const std::string& key) { return TextLess(e.Id, key); });
    if (at != idIndex.end() && CompareText(at->Id, record->ParentId) == 0 && at->Node) parent = at->Node;

    TDbxFolderRecord& r = *record;
    std::unique_ptr<TDbxFolderNode> owned(new TDbxFolderNode(r.Name, std::move(record)));
    TDbxFolderNode* const node = owned.get();
    parent->Add(std::move(owned));

    if (r.StoreId.empty()) {
        if (r.FileName.empty()) {
            node->FileEnabled = false;
        } else {
            r.FileName = StoreRoot + r.FileName;
            node->FileEnabled = Accept(r.FileName);
        }
        node->FileChecked = node->FileEnabled;
    } else if (r.StoreId == kLocalStoreId) {
        // The local folders' own store files; the record keeps its FileName.
        node->Files.push_back(StoreRoot + "Folders.dbx");
        node->Files.push_back(StoreRoot + "Offline.dbx");
    }
    return node;
}

std::unique_ptr<TDbxFolderNode> BuildFolderTree(const std::string& storeRoot, const std::string& identityName) {
    // No store root means no store: a relative "Folders.dbx" would be looked
    // for in whatever the current directory happens to be.
    std::unique_ptr<TStream> stream;
    if (!storeRoot.empty()) {
        const std::string path = storeRoot + "Folders.dbx";
        if (FileExists(path)) stream.reset(new TFileStream(path));
    }

    std::unique_ptr<TDbxFolderNode> root(new TDbxFolderNode(identityName, nullptr));
    if (stream) {
        root->Clear();
        TDbxFolderListFile dbx;
        dbx.Open(*stream);
        TDbxFolderTreeBuilder builder(dbx);
        builder.StoreRoot = storeRoot;
        builder.Build(*root);
    }
    return root;
}

}  // namespace pellumo
