// What is watched while the store changes under the program: a store folder
// that goes away and comes back, a folder list that is rewritten, broken or
// loses a folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "DbxWriter.h"
#include "app/StoreWatch.h"
#include "platform/Exception.h"

namespace pellumo {
namespace test {
namespace {

namespace fs = std::filesystem;

mkstore::Message Mail(uint32_t id, const std::string& subject) {
    mkstore::Message m;
    m.id = id;
    m.priority = 3;
    m.subject = subject;
    m.senderName = "Sender";
    m.text = "Subject: " + subject + "\r\n\r\nBody\r\n";
    return m;
}

mkstore::Folder Watched(uint32_t id, const std::string& name, uint8_t kind = 1) {
    mkstore::Folder f;
    f.id = id, f.name = name, f.fileName = name + ".dbx", f.kind = kind;
    return f;
}

class StoreWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("pellumo-storewatch-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::remove_all(dir_);
        fs::remove_all(Away());
        fs::create_directories(dir_);
        clock_ = fs::file_time_type::clock::now() - std::chrono::hours(1);
        registryRoot_ = (dir_ / "").string();
    }
    void TearDown() override {
        fs::remove_all(dir_);
        fs::remove_all(Away());
    }
    fs::path Away() const { return dir_.string() + ".away"; }

    // Writes a store file, its last-write time a step on from the one before.
    void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        clock_ += std::chrono::seconds(10);
        fs::last_write_time(path, clock_);
    }
    void Folders(const std::vector<mkstore::Folder>& folders) {
        Write(dir_ / "Folders.dbx", mkstore::WriteFolderFile(folders));
    }
    void Messages(const std::string& folder, const std::vector<mkstore::Message>& messages) {
        Write(dir_ / (folder + ".dbx"), mkstore::WriteMessageFile(messages));
    }
    // As the settings build the list at start (nothing when they cannot
    // read it), then the start-up baseline.
    void Start() {
        try {
            tree_ = BuildFolderTree(registryRoot_, "me");
            AddWatchedFolders(*tree_, folders_);
        } catch (const std::exception&) {
        }
        watch_.Start(false);
    }
    std::vector<std::string> Queued() {
        std::vector<std::string> subjects;
        while (auto info = scan_.Queue.Take()) subjects.push_back(info->Folder + ": " + info->Subject);
        return subjects;
    }

    fs::path dir_;
    fs::file_time_type clock_;
    std::string registryRoot_;
    std::unique_ptr<TDbxFolderNode> tree_;
    TFolderList folders_;
    TMailScan scan_{folders_};
    TFolderChoices choices_;
    std::string storeRootError_;  // what reading the identity keys throws, while set
    TStoreWatch watch_{scan_, tree_, folders_,
                       {[this] {
                            if (!storeRootError_.empty()) throw Exception(storeRootError_);
                            return registryRoot_;
                        }, [] { return std::string("me"); }, [this] { return choices_; }}};
};

using Subjects = std::vector<std::string>;

TEST_F(StoreWatchTest, AStoreThatGoesAwayAndComesBackIsScannedNormally) {
    Folders({Watched(1, "Inbox")});
    Messages("Inbox", {Mail(1, "before")});
    Start();
    ASSERT_EQ(watch_.State(), TWatchState::Watching);
    EXPECT_EQ(watch_.Directory(), registryRoot_);

    fs::rename(dir_, Away());  // the drive is gone
    watch_.Refresh(true);
    EXPECT_EQ(watch_.State(), TWatchState::StoreNotFound);
    EXPECT_EQ(watch_.Directory(), "");
    EXPECT_EQ(WatchStateTip(watch_.State()), "Ostrivane Pellumo - not watching: store folder not found");

    fs::rename(Away(), dir_);  // back, with mail that came meanwhile
    Messages("Inbox", {Mail(1, "before"), Mail(2, "while away")});
    watch_.Refresh(true);
    EXPECT_EQ(watch_.State(), TWatchState::Watching);
    EXPECT_EQ(WatchStateTip(watch_.State()), "Ostrivane Pellumo");
    EXPECT_EQ(Queued(), Subjects{"Inbox: while away"});
    watch_.Refresh(false);
    EXPECT_EQ(watch_.State(), TWatchState::CannotWatch);
}

// The identity keys being written: where the store is cannot be read for a
// moment, at the start or later. The start goes on, watching nothing until
// the store is found; later nothing of the store is forgotten, and what came
// meanwhile is told once it can be read again.
TEST_F(StoreWatchTest, AStoreLocationThatCannotBeReadForAMomentLosesNoMail) {
    Folders({Watched(1, "Inbox")});
    Messages("Inbox", {Mail(1, "before")});
    storeRootError_ = "Invalid data type for 'Store Root'";
    EXPECT_NO_THROW(watch_.Start(false));
    EXPECT_EQ(watch_.State(), TWatchState::NoStoreRoot);
    storeRootError_.clear();
    watch_.Refresh(true);
    EXPECT_EQ(watch_.State(), TWatchState::Watching);
    EXPECT_EQ(Queued(), Subjects{}) << "what the store held when found is not new";
    storeRootError_ = "Invalid data type for 'Store Root'";
    Messages("Inbox", {Mail(1, "before"), Mail(2, "meanwhile")});
    watch_.Refresh(true);
    EXPECT_EQ(watch_.State(), TWatchState::NoStoreRoot);
    EXPECT_EQ(watch_.Directory(), registryRoot_);
    EXPECT_EQ(Queued(), Subjects{});
    storeRootError_.clear();
    watch_.Refresh(true);
    EXPECT_EQ(watch_.State(), TWatchState::Watching);
    EXPECT_EQ(Queued(), Subjects{"Inbox: meanwhile"});
}

TEST_F(StoreWatchTest, TheFolderListIsFollowedAndABrokenOneChangesNothing) {
    Folders({Watched(1, "Inbox"), Watched(2, "Lists")});
    Messages("Inbox", {Mail(1, "a")});
    Messages("Lists", {Mail(1, "b")});
    Start();
    ASSERT_EQ(folders_.size(), 2u);

    Write(dir_ / "Folders.dbx", std::vector<uint8_t>(700, 'x'));
    Messages("Inbox", {Mail(1, "a"), Mail(2, "c")});
    watch_.Refresh(true);
    EXPECT_EQ(folders_.size(), 2u);
    EXPECT_EQ(Queued(), Subjects{"Inbox: c"});

    Folders({Watched(2, "Lists")});  // the Inbox folder removed
    Messages("Inbox", {Mail(1, "a"), Mail(2, "c"), Mail(3, "not watched now")});
    Messages("Lists", {Mail(1, "b"), Mail(2, "d")});
    watch_.Refresh(true);
    ASSERT_EQ(folders_.size(), 1u);
    EXPECT_EQ(folders_[0].Info->Record->Name, "Lists");
    EXPECT_EQ(Queued(), Subjects{"Lists: d"});  // kept what it knew: b is not announced again
}

TEST_F(StoreWatchTest, AFolderListUnreadableAtStartIsReadOnceItIsWhole) {
    Write(dir_ / "Folders.dbx", std::vector<uint8_t>(10, 0));  // half written at logon
    Messages("Inbox", {Mail(1, "present at start")});
    Start();
    EXPECT_EQ(watch_.State(), TWatchState::NoFolderList);
    EXPECT_EQ(WatchStateTip(watch_.State()), "Ostrivane Pellumo - not watching: Folders.dbx cannot be read");
    EXPECT_EQ(watch_.Directory(), registryRoot_) << "its change is what the watcher waits for";

    Folders({Watched(1, "Inbox")});
    watch_.Refresh(true);
    EXPECT_EQ(watch_.State(), TWatchState::Watching);
    ASSERT_EQ(folders_.size(), 1u);
    Messages("Inbox", {Mail(1, "present at start"), Mail(2, "new")});
    watch_.Refresh(true);
    EXPECT_EQ(Queued(), Subjects{"Inbox: new"});
}

TEST_F(StoreWatchTest, AFolderTickedIsWatchedFromThenOnAndOneUntickedAtOnceNoMore) {
    Folders({Watched(1, "Inbox"), Watched(2, "Lists", 0)});
    Messages("Inbox", {Mail(1, "a")});
    Messages("Lists", {Mail(1, "unread for long")});
    Start();
    ASSERT_EQ(folders_.size(), 1u);
    Messages("Lists", {Mail(1, "unread for long"), Mail(2, "filed by a rule")});
    watch_.Refresh(true);
    EXPECT_TRUE(Queued().empty()) << "not watched by default";

    choices_["000002"].Watch = true;
    choices_["000002"].Color = 0x00336699;
    choices_["000002"].Sound = "C:\\lists.wav";
    watch_.FolderChoicesChanged();
    EXPECT_TRUE(Queued().empty()) << "what it held when ticked is not announced";
    Messages("Lists", {Mail(1, "unread for long"), Mail(2, "filed by a rule"), Mail(3, "after the tick")});
    watch_.Refresh(true);
    ASSERT_EQ(scan_.Queue.Count(), 1u);
    const auto told = scan_.Queue.Take();
    EXPECT_EQ(told->Color.value_or(0), 0x00336699u);
    EXPECT_EQ(told->Sound, "C:\\lists.wav");

    Messages("Lists", {Mail(1, "unread for long"), Mail(3, "after the tick"), Mail(4, "waiting")});
    Messages("Inbox", {Mail(1, "a"), Mail(2, "b")});
    watch_.Refresh(true);
    ASSERT_EQ(scan_.Queue.Count(), 2u);
    choices_["000002"].Watch = false;
    watch_.FolderChoicesChanged();
    EXPECT_EQ(Queued(), Subjects{"Inbox: b"}) << "what waits of an unticked folder is not shown";
    Messages("Lists", {Mail(1, "unread for long"), Mail(5, "after the untick")});
    watch_.Refresh(true);
    EXPECT_TRUE(Queued().empty());
}

// A watcher that ended is replaced; while no replacement can be started
// (no thread, no event to be had), nothing counts as watched and every
// later try starts one afresh.
TEST(WatcherKeeper, AWatcherThatCannotBeStartedAgainStaysEndedUntilOneStarts) {
    int starts = 0;
    bool failing = false;
    TWatcherKeeper keeper([&] {
        ++starts;
        if (failing) throw Exception("no thread to be had");
    });
    keeper.Start();
    keeper.Ended();
    failing = true;
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_THROW(keeper.Restart(), Exception);
        EXPECT_EQ(TWatcherState::Ended, keeper.State());
        EXPECT_EQ(TWatchState::WatcherStopped, keeper.TrayState(TWatchState::Watching));
    }
    failing = false;
    EXPECT_TRUE(keeper.Restart());
    EXPECT_EQ(TWatchState::Watching, keeper.TrayState(TWatchState::Watching));
    EXPECT_FALSE(keeper.Restart());  // one runs: nothing to do
    EXPECT_EQ(4, starts);
    // Stopped, nothing is started again, even should the last one end.
    keeper.Stop();
    keeper.Ended();
    EXPECT_FALSE(keeper.Restart());
    EXPECT_EQ(4, starts);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
