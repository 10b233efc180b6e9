#pragma once
// The new-mail scan's tests over stores written by mkstore: a directory of
// folder files, each written with a last-write time of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "DbxWriter.h"
#include "app/MailScan.h"

namespace pellumo {
namespace test {

namespace fs = std::filesystem;

inline mkstore::Message Mail(uint32_t id, const std::string& subject, uint32_t flags = 0, uint32_t priority = 3) {
    mkstore::Message m;
    m.id = id;
    m.flags = flags;
    m.priority = priority;
    m.subject = subject;
    m.senderName = "Sender of " + subject;
    m.text = "Subject: " + subject + "\r\n\r\nBody of " + subject + "\r\n";
    return m;
}

class MailScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("pellumo-scan-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        clock_ = fs::file_time_type::clock::now() - std::chrono::hours(1);
    }
    void TearDown() override {
        fs::remove_all(dir_);
    }

    // A table's next case: an empty directory, and the Inbox alone with
    // one old message.
    void StartAfresh() {
        TearDown(), SetUp(), folders_.clear(), records_.clear();
        Folder("Inbox");
        Write("Inbox", {Mail(1, "old")});
    }

    // A watched folder (Kind 1 unless told) whose file is Name + ".dbx".
    TFolderInfo& Folder(const std::string& name, uint8_t kind = 1) {
        std::unique_ptr<TDbxFolderRecord> record(new TDbxFolderRecord);
        record->Name = name;
        record->FileName = (dir_ / (name + ".dbx")).string();
        record->Kind = kind;
        records_.push_back(std::move(record));
        TFolderListEntry entry;
        entry.FolderId = name;
        entry.Info.reset(new TFolderInfo);
        entry.Info->Record = records_.back().get();
        folders_.push_back(std::move(entry));
        return *folders_.back().Info;
    }

    // Writes a folder file and moves its last-write time on by Step seconds
    // (0: the same time as before, as two writes within one age step).
    void Write(const std::string& name, const std::vector<uint8_t>& bytes, int step = 10) {
        const fs::path path = dir_ / (name + ".dbx");
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        clock_ += std::chrono::seconds(step);
        fs::last_write_time(path, clock_);
    }
    void Write(const std::string& name, const std::vector<mkstore::Message>& messages, int step = 10) {
        Write(name, mkstore::WriteMessageFile(messages), step);
    }

    // Inbox holding a, b and c; Lists holding d; all unread.
    void InboxOfThreeListsOfOne() {
        Folder("Inbox");
        Folder("Lists");
        Write("Inbox", {Mail(1, "a"), Mail(2, "b"), Mail(3, "c")});
        Write("Lists", {Mail(4, "d")});
    }

    // Subjects of everything queued, oldest first (the queue is emptied).
    std::vector<std::string> Queued(TMailScan& scan) {
        std::vector<std::string> subjects;
        while (auto info = scan.Queue.Take()) subjects.push_back(info->Folder + ": " + info->Subject);
        return subjects;
    }

    fs::path dir_;
    fs::file_time_type clock_;
    std::vector<std::unique_ptr<TDbxFolderRecord>> records_;
    TFolderList folders_;
};

using Subjects = std::vector<std::string>;

}  // namespace test
}  // namespace pellumo
