// Files written by Outlook Express itself (tests/data/dbx, see its README).
#include <gtest/gtest.h>

#include <map>

#include "platform/Exception.h"
#include "unit/TestSupport.h"

namespace pellumo {
namespace test {
namespace {

struct Listed {
    std::string id, subject, sender, sha256;
    bool read;
};

std::vector<Listed> ListFile(const std::string& relative) {
    TDbxMessageFolder dbx;
    dbx.Open(std::unique_ptr<TStream>(new TFileStream(TestData(relative))));
    std::vector<Listed> out;
    for (dbx.First(); !dbx.Eof(); dbx.Next()) {
        TMemoryStream text;
        dbx.ReadMessage(dbx.Current()->BodyPos, text);
        out.push_back({dbx.Current()->Id, dbx.Current()->Subject, dbx.Current()->SenderName,
                       Sha256Hex(text.Bytes()), dbx.Current()->IsRead()});
    }
    return out;
}

TEST(RealStore_Messages, SampleInboxHoldsTheWelcomeMessage) {
    const auto list = ListFile("dbx/oe6-sample-store/Inbox.dbx");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].subject, "Welcome to Outlook Express 6");
    EXPECT_EQ(list[0].sender, "Microsoft Outlook Express Team");
    EXPECT_EQ(list[0].sha256, "5690ac3f898d12554c351767385901b1281720a1b485b08057b47ced59891ec9");
}

TEST(RealStore_Messages, PerlSamplesAndNoStaleCopy) {
    // test.dbx also holds blocks of an older message that no index entry reaches.
    const auto test = ListFile("dbx/perl-dbx/test.dbx");
    ASSERT_EQ(test.size(), 1u);
    EXPECT_EQ(test[0].subject, "Please read you won't be sorry........");
    EXPECT_EQ(test[0].sha256, "34934eb0b6b7bac25f3f3cfce518ae63102863b5c60cb74755d04b174121c43d");

    const auto test1 = ListFile("dbx/perl-dbx/test1.dbx");
    ASSERT_EQ(test1.size(), 1u);
    EXPECT_EQ(test1[0].subject.rfind("[fmII] centericq 4.7.5 released", 0), 0u);
    EXPECT_EQ(test1[0].sha256, "83f7d590d15ca661b4fddf23d73f3ec2f6ae1a49465bda277b3f5c02250be26f");
}

TEST(RealStore_Messages, EmptyOutboxAndFilesNoMessageReaderAccepts) {
    EXPECT_TRUE(ListFile("dbx/oe6-sample-store/Outbox.dbx").empty());
    try {
        ListFile("dbx/oe6-sample-store/Folders.dbx");
        ADD_FAILURE() << "Folders.dbx opened as a message file";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unexpected dbx file type");
    }
    TDbxFolderListFile offline;
    offline.FileName = TestData("dbx/oe6-sample-store/Offline.dbx");
    offline.Open();
    EXPECT_EQ(offline.FileType(), 4);
}

TEST(RealStore_Folders, ScanReportsTheSevenFolderRecords) {
    TDbxFolderListFile dbx;
    dbx.FileName = TestData("dbx/oe6-sample-store/Folders.dbx");
    dbx.SetActive(true);
    ASSERT_TRUE(dbx.Active());
    EXPECT_TRUE(dbx.OwnsStream());
    EXPECT_EQ(dbx.FileType(), 1);
    std::vector<std::unique_ptr<TDbxFolderRecord>> folders;
    dbx.OnRecordFound = [&](TDbxFolderListFile&, std::unique_ptr<TDbxFolderRecord> obj) { folders.push_back(std::move(obj)); };
    dbx.Scan();
    ASSERT_EQ(folders.size(), 7u);
    std::map<std::string, const TDbxFolderRecord*> byName;
    for (const auto& f : folders) byName[f->Name] = f.get();
    ASSERT_EQ(byName.size(), 7u);
    EXPECT_EQ(byName.at("Hotmail")->Id, "000009");
    EXPECT_EQ(byName.at("Hotmail")->StoreId, "00000001");
    EXPECT_EQ(byName.at("Local Folders")->Id, "000001");
    EXPECT_EQ(byName.at("Local Folders")->StoreId, "LocalStore");
    EXPECT_EQ(byName.at("Deleted Items")->Id, "000007");
    EXPECT_EQ(byName.at("Drafts")->Id, "000008");
    EXPECT_EQ(byName.at("Inbox")->Id, "000004");
    EXPECT_EQ(byName.at("Inbox")->FileName, "Inbox.dbx");
    EXPECT_EQ(byName.at("Outbox")->FileName, "Outbox.dbx");
    EXPECT_EQ(byName.at("Outbox")->Kind, 2);
    EXPECT_EQ(byName.at("Sent Items")->Id, "000006");
    for (const auto& f : folders) EXPECT_EQ(f->Kind == 1, f->Name == "Inbox") << f->Name;

    // A second scan starts again at the root; Close forgets the stream.
    folders.clear();
    dbx.Scan();
    EXPECT_EQ(folders.size(), 7u);
    dbx.SetActive(false);
    EXPECT_FALSE(dbx.Active());
    folders.clear();
    dbx.Scan();
    EXPECT_TRUE(folders.empty());
}

}  // namespace
}  // namespace test
}  // namespace pellumo
