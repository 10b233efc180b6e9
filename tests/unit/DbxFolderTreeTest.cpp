// The folder tree built from Folders.dbx and the watched-folder list taken
// from it: placement of folders, their files, and whole stores on disk.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "DbxWriter.h"
#include "platform/Exception.h"
#include "store/WatchedFolders.h"
#include "store/DbxFolderTree.h"
#include "unit/RawDbx.h"
#include "unit/TestSupport.h"

namespace pellumo {
namespace test {
namespace {

namespace fs = std::filesystem;

mkstore::Folder F(uint32_t id, uint32_t parentId, const std::string& name, const std::string& fileName = "",
                  const std::string& storeId = "", uint8_t kind = 0) {
    mkstore::Folder f;
    f.id = id, f.parentId = parentId, f.name = name, f.fileName = fileName, f.storeId = storeId, f.kind = kind;
    return f;
}

std::unique_ptr<TDbxFolderNode> Build(const std::vector<uint8_t>& file,
                                        TDbxFolderTreeBuilder::TAcceptFileEvent accept = nullptr) {
    TMemoryStream stream(file);
    TDbxFolderListFile dbx;
    dbx.Open(stream);
    TDbxFolderTreeBuilder builder(dbx);
    builder.StoreRoot = "S/";
    builder.OnAcceptFile = accept;
    std::unique_ptr<TDbxFolderNode> root(new TDbxFolderNode("me", nullptr));
    EXPECT_TRUE(builder.Build(*root));
    return root;
}
std::unique_ptr<TDbxFolderNode> Build(const std::vector<mkstore::Folder>& folders) {
    return Build(mkstore::WriteFolderFile(folders));
}

// "me[B A[C]]": captions with the children of each node in brackets.
std::string Shape(const TTreeNode& node) {
    std::string out = node.Text;
    for (size_t i = 0; i < node.Count(); ++i) out += (i ? " " : "[") + Shape(*node.Items(i));
    return node.Count() ? out + "]" : out;
}

const TDbxFolderNode& Child(const TTreeNode& node, size_t i) {
    return dynamic_cast<const TDbxFolderNode&>(*node.Items(i));
}

std::string WatchedIds(const TTreeNode& node) {
    TFolderList list;
    AddWatchedFolders(node, list);
    std::string out;
    for (const auto& entry : list) out += (out.empty() ? "" : " ") + entry.FolderId;
    return out;
}

TEST(TDbxFolderTreeBuilder_Placement, ParentIdOrderWithEqualParentsInReverseReportOrder) {
    EXPECT_EQ(Shape(*Build({F(1, 0, "A"), F(2, 0, "B"), F(3, 1, "C")})), "me[B A[C]]");
    // Parents absent from the file: the root's children show the processing order.
    EXPECT_EQ(Shape(*Build({F(1, 0x30, "P"), F(2, 0x20, "Q"), F(3, 0x30, "R"), F(4, 0x20, "S")})), "me[S Q R P]");
}

TEST(TDbxFolderTreeBuilder_Placement, ParentProcessedLaterOrMissingLeavesTheFolderAtTheRoot) {
    EXPECT_EQ(Shape(*Build({F(3, 7, "X"), F(7, 8, "Y")})), "me[X Y]");
    EXPECT_EQ(Shape(*Build({F(1, 0, "A"), F(2, 1, "B"), F(3, 2, "C"), F(4, 9, "D")})), "me[A[B[C]] D]");
}

TEST(TDbxFolderTreeBuilder_Placement, DuplicateIdKeepsTheFolderProcessedFirstAsParent) {
    // Both parents have ParentId 000000, so the one reported later comes first.
    EXPECT_EQ(Shape(*Build({F(2, 0, "first"), F(2, 0, "second"), F(3, 2, "C")})), "me[second[C] first]");
}

TEST(TDbxFolderTreeBuilder_Placement, RecordWithoutIdIsNobodysParent) {
    // Neither record has a ParentId; the one without an Id is processed first.
    RawDbx raw(RawDbx::kFolders);
    const uint32_t orphan = raw.Record({0x80 | (5 << 8), 0x02}, std::string("orphan\0", 7));
    const uint32_t nameless = raw.Record({0x02}, std::string("no id\0", 6));
    raw.SetRoot(raw.Node({{orphan, 0}, {nameless, 0}}));
    EXPECT_EQ(Shape(*Build(raw.bytes)), "me[no id orphan]");
}

TEST(TDbxFolderTreeBuilder_Files, OrdinaryFoldersGetFullPathsAndTheFilterDecides) {
    std::vector<std::string> asked;
    auto root = Build(mkstore::WriteFolderFile({F(1, 0, "A", "a.dbx"), F(2, 0, "B", "b.dbx"), F(3, 0, "N")}),
                      [&](const std::string& name) {
                          asked.push_back(name);
                          return name != "S/b.dbx";
                      });
    ASSERT_EQ(Shape(*root), "me[N B A]");
    EXPECT_EQ(asked, (std::vector<std::string>{"S/b.dbx", "S/a.dbx"}));
    const TDbxFolderNode &n = Child(*root, 0), &b = Child(*root, 1), &a = Child(*root, 2);
    EXPECT_EQ(a.Record->FileName, "S/a.dbx");
    EXPECT_TRUE(a.FileEnabled && a.FileChecked);
    EXPECT_EQ(b.Record->FileName, "S/b.dbx");
    EXPECT_FALSE(b.FileEnabled || b.FileChecked);
    EXPECT_EQ(n.Record->FileName, "");
    EXPECT_FALSE(n.FileEnabled || n.FileChecked);
    EXPECT_TRUE(a.Files.empty() && b.Files.empty());
}

TEST(TDbxFolderTreeBuilder_Files, LocalStoreListsItsStoreFilesAndOtherStoresKeepTheirNames) {
    auto root = Build({F(1, 0, "local", "x.dbx", "LocalStore"), F(2, 0, "odd", "y.dbx", "localstore"),
                       F(3, 0, "mail", "", "00000001")});
    ASSERT_EQ(Shape(*root), "me[mail odd local]");
    for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(Child(*root, i).FileEnabled && Child(*root, i).FileChecked) << i;
    EXPECT_EQ(Child(*root, 2).Files, (std::vector<std::string>{"S/Folders.dbx", "S/Offline.dbx"}));
    EXPECT_EQ(Child(*root, 2).Record->FileName, "x.dbx");
    EXPECT_TRUE(Child(*root, 1).Files.empty());
    EXPECT_EQ(Child(*root, 1).Record->FileName, "y.dbx");
}

TEST(TDbxFolderTreeBuilder_Reader, OnlyAFolderListFileIsAccepted) {
    for (uint32_t type : {RawDbx::kMessages, 0x6F74FDC7u, 0x26FE9D30u, 0u}) {
        TMemoryStream stream(RawDbx(type).bytes);
        TDbxFolderListFile dbx;
        dbx.Open(stream);
        try {
            TDbxFolderTreeBuilder builder(dbx);
            ADD_FAILURE() << std::hex << type;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Folders.dbx signature is not found");
        }
    }
}

// Fails every read once armed, after the builder has checked the file type.
struct FailingStream : TMemoryStream {
    using TMemoryStream::TMemoryStream;
    size_t Read(void* buffer, size_t count) override {
        if (armed && ++reads > 3) throw Exception("read failed");
        return TMemoryStream::Read(buffer, count);
    }
    bool armed = false;
    int reads = 0;
};

TEST(TDbxFolderTreeBuilder_Reader, ReaderKeepsItsOwnHandlerAfterBuildAndAfterAFailedScan) {
    std::vector<mkstore::Folder> many;
    for (uint32_t i = 1; i <= 60; ++i) many.push_back(F(i, 0, "f"));
    int own = 0;
    for (bool fail : {false, true}) {
        FailingStream stream(mkstore::WriteFolderFile(many, {3}));
        TDbxFolderListFile dbx;
        dbx.Open(stream);
        dbx.OnRecordFound = [&](TDbxFolderListFile&, std::unique_ptr<TDbxFolderRecord>) { ++own; };
        TDbxFolderTreeBuilder builder(dbx);
        stream.armed = fail;
        TTreeNode root;
        if (fail) {
            EXPECT_THROW(builder.Build(root), Exception);
            EXPECT_EQ(root.Count(), 0u);
        } else {
            EXPECT_TRUE(builder.Build(root));
            EXPECT_EQ(root.Count(), 60u);
            EXPECT_FALSE(dbx.Active());
        }
        stream.armed = false;
        dbx.Open(stream);
        dbx.Scan();
    }
    EXPECT_EQ(own, 120);
}

TEST(AddWatchedFolders, KindOneFoldersDepthFirstParentsFirstRootNever) {
    auto root = Build({F(1, 0, "top", "t.dbx", "", 1), F(2, 1, "mid", "m.dbx", "", 2), F(3, 2, "deep", "d.dbx", "", 1),
                       F(4, 0, "second", "s.dbx", "", 1), F(5, 1, "sibling", "b.dbx", "", 1)});
    ASSERT_EQ(Shape(*root), "me[second top[sibling mid[deep]]]");
    EXPECT_EQ(WatchedIds(*root), "000004 000001 000005 000003");
    EXPECT_EQ(WatchedIds(*root->Items(1)), "000001 000005 000003");

    // A root carrying a watched record is still not a folder; a plain node in
    // between is passed through.
    auto record = std::make_unique<TDbxFolderRecord>();
    record->Kind = 1;
    record->FileName = "identity.dbx";
    TDbxFolderNode top("identity", std::move(record));
    TTreeNode* plain = top.Add(std::make_unique<TTreeNode>("plain"));
    plain->Add(std::move(root));
    TFolderList list;
    list.push_back({"kept", nullptr});
    AddWatchedFolders(top, list);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].FolderId, "kept");
    const TFolderInfo& info = *list[1].Info;
    EXPECT_EQ(info.Record, Child(*plain->Items(0), 0).Record.get());
    EXPECT_FALSE(info.Color);
    EXPECT_TRUE(info.Enabled);
    EXPECT_EQ(info.LastAge, TFileStamp());
}

TEST(AddWatchedFolders, ChainOfAHundredThousandFoldersBuildsWatchesAndFrees) {
    std::vector<mkstore::Folder> chain;
    for (uint32_t i = 1; i <= 100000; ++i) chain.push_back(F(i, i - 1, "f", "f.dbx", "", 1));
    auto root = Build(chain);
    TFolderList list;
    AddWatchedFolders(*root, list);
    ASSERT_EQ(list.size(), 100000u);
    EXPECT_EQ(list.front().FolderId, "000001");
    EXPECT_EQ(list.back().FolderId, Hex6(100000));
    const TTreeNode* tip = root.get();
    size_t depth = 0;
    while (tip->FirstChild()) tip = tip->FirstChild(), ++depth;
    EXPECT_EQ(depth, 100000u);
}

class TempStore {
public:
    TempStore() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        for (int n = 0;; ++n) {
            dir_ = fs::temp_directory_path() / ("pellumo-tree-" + std::to_string(stamp) + "-" + std::to_string(n));
            if (fs::create_directory(dir_)) break;
        }
    }
    ~TempStore() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    std::string Root() const { return (dir_ / "").string(); }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    const fs::path& Dir() const { return dir_; }

private:
    fs::path dir_;
};

TEST(BuildFolderTree, StoreOnDisk) {
    TempStore store;
    store.Write("Folders.dbx", mkstore::WriteFolderFile({F(1, 0, "Inbox", "Inbox.dbx", "", 1)}));
    auto root = BuildFolderTree(store.Root(), "Main Identity");
    ASSERT_EQ(Shape(*root), "Main Identity[Inbox]");
    EXPECT_EQ(root->Record, nullptr);
    EXPECT_EQ(Child(*root, 0).Record->FileName, store.Root() + "Inbox.dbx");
    EXPECT_EQ(Shape(*BuildFolderTree(store.Root(), "")), "[Inbox]");
}

TEST(BuildFolderTree, NoStoreOrNoFolderListGivesTheRootAlone) {
    TempStore store;
    EXPECT_EQ(Shape(*BuildFolderTree(store.Root(), "me")), "me");
    fs::create_directory(store.Dir() / "Folders.dbx");
    EXPECT_EQ(Shape(*BuildFolderTree(store.Root(), "me")), "me");

    // An unknown store is not the current directory's.
    TempStore cwd;
    cwd.Write("Folders.dbx", mkstore::WriteFolderFile({F(1, 0, "stray")}));
    const fs::path before = fs::current_path();
    fs::current_path(cwd.Dir());
    auto root = BuildFolderTree("", "me");
    fs::current_path(before);
    EXPECT_EQ(Shape(*root), "me");
}

TEST(BuildFolderTree, MessageFileAsFolderListRaisesTheSignatureError) {
    TempStore store;
    store.Write("Folders.dbx", mkstore::WriteMessageFile({}));
    try {
        BuildFolderTree(store.Root(), "me");
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Folders.dbx signature is not found");
    }
}

TEST(BuildFolderTree, RealSampleStore) {
    const std::string dir = TestData("dbx/oe6-sample-store/");
    auto root = BuildFolderTree(dir, "Main Identity");
    ASSERT_EQ(Shape(*root),
              "Main Identity[Local Folders[Sent Items Outbox Inbox Drafts Deleted Items] Hotmail]");
    const TDbxFolderNode &local = Child(*root, 0), &hotmail = Child(*root, 1);
    EXPECT_EQ(local.Files, (std::vector<std::string>{dir + "Folders.dbx", dir + "Offline.dbx"}));
    EXPECT_TRUE(hotmail.Files.empty() && hotmail.FileEnabled);
    EXPECT_EQ(Child(local, 2).Record->FileName, dir + "Inbox.dbx");
    EXPECT_FALSE(Child(local, 0).FileEnabled);  // Sent Items has no file name
    EXPECT_EQ(WatchedIds(*root), "000004");
}

}  // namespace
}  // namespace test
}  // namespace pellumo
