// The store change watcher against the real change notifications: a temporary
// directory is made the store through the identity keys, files in it are
// written, renamed and deleted, and the scans the watcher asks for are
// counted on this (the owner's) thread, which pumps messages while it waits.
#include <gtest/gtest.h>
#include <windows.h>
#include <dbt.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "win/MessagePump.h"
#include "app/StoreWatcherThread.h"
#include "app/RemovalWatch_win.h"
#include "app/WatcherWait_win.h"
#include "app/MainThreadCall.h"
#include "platform/Exception.h"
#include "platform/Window_win.h"
#include "store/StoreLocation.h"
#include "unit/RegistryFixture.h"

namespace pellumo {
namespace {

using test::Pump;
using test::PumpUntil;

// Generous bounds: long enough for a slow machine to deliver a change, and a
// quiet spell long enough for a spurious further scan to show up.
const DWORD kArrival = 5000;
const DWORD kQuiet = 1500;
const DWORD kPromptly = 2000;

uint64_t ProcessCpuMs() {
    FILETIME creation, exit, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
    auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return (ticks(kernel) + ticks(user)) / 10000;
}

// What the scans saw; shared with the OnChange copy that the watcher's run
// keeps (and releases on its own thread).
struct TScans {
    int Count = 0;
    bool Armed = false;  // as the last scan was told
    bool Present = false;
    int Depth = 0;
    int MaxDepth = 0;
    DWORD Thread = 0;
};

class WatcherTest : public test::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        static int serial = 0;
        dir_ = std::string(temp) + "pellumo-watch-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++serial) + "\\";
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << GetLastError();
    }

    void TearDown() override {
        if (watcher_) {
            watcher_->Stop();
            EXPECT_TRUE(PumpUntil([&] { return watcher_->Ended(); }, kArrival)) << "the watcher did not end";
            watcher_.reset();
        }
        RemoveTree(dir_);
        RegistryTest::TearDown();
    }

    // Makes Store the last identity's store directory.
    static void SetStoreRoot(const std::string& store) {
        PutString("Identities", "Last User ID", "{00000000-7E57-0000-0000-000000000001}");
        PutString("Identities\\{00000000-7E57-0000-0000-000000000001}\\Software\\Microsoft\\Outlook Express\\5.0",
                  "Store Root", store);
    }

    // Watches the temporary directory, given without its trailing backslash.
    void UseTempStore() { SetStoreRoot(dir_.substr(0, dir_.size() - 1)); }

    // Starts a watcher on the registry's store that counts its scans and then
    // runs Extra, and waits until its run has settled on watching or not.
    void Start(std::function<void(TScans&)> extra = nullptr, unsigned long retryInterval = 30000) {
        watcher_ = std::make_unique<TStoreWatcherThread>();
        auto scans = scans_;
        watcher_->RetryInterval = retryInterval;
        watcher_->SetDirectory(LookUpStoreRoot());
        watcher_->StoreRoot = LookUpStoreRoot;
        watcher_->OnChange = [scans, extra](const TStoreProbe& probe) {
            scans->Count++;
            scans->Armed = probe.Armed;
            scans->Present = probe.Present;
            scans->Thread = GetCurrentThreadId();
            scans->Depth++;
            scans->MaxDepth = std::max(scans->MaxDepth, scans->Depth);
            struct TLeave {
                TScans& s;
                ~TLeave() { s.Depth--; }
            } leave {*scans};
            if (extra) extra(*scans);
        };
        watcher_->Resume();
        EXPECT_TRUE(PumpUntil([&] { return watcher_->Phase() != wpStarting; }, kArrival));
    }

    // Appends Bytes to the file Name of the store (making it when missing).
    void Write(const std::string& name, const std::string& bytes = "data") const {
        const HANDLE file = CreateFileA((dir_ + name).c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << name << ": " << GetLastError();
        SetFilePointer(file, 0, nullptr, FILE_END);
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr));
        CloseHandle(file);
    }

    int Scans() const { return scans_->Count; }
    bool WaitForScans(int count) {
        return PumpUntil([&] { return scans_->Count >= count; }, kArrival);
    }

    static void RemoveTree(const std::string& dir) {
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(dir + name + "\\");
                else
                    DeleteFileA((dir + name).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(dir.c_str());
    }

    std::string dir_;
    std::shared_ptr<TScans> scans_ = std::make_shared<TScans>();
    std::unique_ptr<TStoreWatcherThread> watcher_;
};

using StoreWatcherThread_Changes = WatcherTest;
using StoreWatcherThread_Stop = WatcherTest;
using StoreWatcherThread_NoStore = WatcherTest;
using StoreWatcherThread_FailingScan = WatcherTest;
using StoreWatcherThread_Idle = WatcherTest;
using StoreWatcherThread_Removal = WatcherTest;

TEST_F(StoreWatcherThread_Changes, AWriteToAFileCausesOneScanOnTheOwnersThread) {
    Write("Inbox.dbx");
    UseTempStore();
    Start();
    ASSERT_EQ(watcher_->Phase(), wpWatching);
    Write("Inbox.dbx", "more");
    ASSERT_TRUE(WaitForScans(1));
    EXPECT_EQ(scans_->Thread, GetCurrentThreadId());
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 1);
    EXPECT_FALSE(watcher_->Ended());
}

TEST_F(StoreWatcherThread_Changes, AWriteToAnyNewFileCausesOneScan) {
    UseTempStore();
    Start();
    Write("not a folder.txt", "anything");
    ASSERT_TRUE(WaitForScans(1));
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 1);
}

TEST_F(StoreWatcherThread_Changes, EachWriteAfterAScanCausesItsOwnScan) {
    Write("Inbox.dbx");
    UseTempStore();
    Start();
    for (int i = 1; i <= 3; i++) {
        Write("Inbox.dbx");
        ASSERT_TRUE(WaitForScans(i)) << i;
        Pump(kQuiet);
        EXPECT_EQ(Scans(), i);
    }
}

TEST_F(StoreWatcherThread_Changes, RenameAloneCausesNoScan) {
    Write("Inbox.dbx");
    UseTempStore();
    Start();
    ASSERT_TRUE(MoveFileA((dir_ + "Inbox.dbx").c_str(), (dir_ + "Renamed.dbx").c_str())) << GetLastError();
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 0);
    // The watcher was listening all along.
    Write("Renamed.dbx");
    ASSERT_TRUE(WaitForScans(1));
}

TEST_F(StoreWatcherThread_Changes, DeleteAloneCausesNoScan) {
    Write("Old.dbx");
    Write("Inbox.dbx");
    UseTempStore();
    Start();
    ASSERT_TRUE(DeleteFileA((dir_ + "Old.dbx").c_str())) << GetLastError();
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 0);
    Write("Inbox.dbx");
    ASSERT_TRUE(WaitForScans(1));
}

TEST_F(StoreWatcherThread_Changes, AWriteInASubdirectoryCausesNoScan) {
    ASSERT_TRUE(CreateDirectoryA((dir_ + "Sub").c_str(), nullptr));
    Write("Sub\\Inbox.dbx");
    Write("Inbox.dbx");
    UseTempStore();
    Start();
    Write("Sub\\Inbox.dbx", "more");
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 0);
    Write("Inbox.dbx");
    ASSERT_TRUE(WaitForScans(1));
}

TEST_F(StoreWatcherThread_Changes, WritesDuringAScanCauseExactlyOneMoreScan) {
    Write("Inbox.dbx");
    Write("Sent Items.dbx");
    UseTempStore();
    Start([this](TScans& scans) {
        if (scans.Count != 1) return;
        Write("Inbox.dbx", "during the scan");
        Write("Sent Items.dbx", "during the scan");
        Write("Fresh.dbx", "during the scan");
    });
    Write("Inbox.dbx");
    ASSERT_TRUE(WaitForScans(2));
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 2);
}

TEST_F(StoreWatcherThread_Changes, AWriteByAnotherThreadWhileTheScanRunsCausesOneMoreScan) {
    Write("Inbox.dbx");
    UseTempStore();
    Start([this](TScans& scans) {
        if (scans.Count != 1) return;
        std::thread writer([this] {
            Sleep(100);
            Write("Inbox.dbx", "while the scan runs");
        });
        Sleep(400);  // a long scan
        writer.join();
    });
    Write("Inbox.dbx");
    ASSERT_TRUE(WaitForScans(2));
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 2);
}

TEST_F(StoreWatcherThread_Changes, TheWatcherWaitsUntilTheScanHasReturned) {
    Write("Inbox.dbx");
    UseTempStore();
    // The first scan writes and then serves messages itself for a while, as a
    // modal loop would: a watcher that did not wait would be let in again.
    Start([this](TScans& scans) {
        if (scans.Count != 1) return;
        Write("Inbox.dbx", "during the scan");
        Pump(kQuiet);
    });
    Write("Inbox.dbx");
    ASSERT_TRUE(WaitForScans(2));
    EXPECT_EQ(scans_->MaxDepth, 1);
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 2);
}

TEST_F(StoreWatcherThread_Stop, StopEndsAWaitingWatcherAtOnce) {
    UseTempStore();
    Start();
    ASSERT_EQ(watcher_->Phase(), wpWatching);
    watcher_->Stop();
    EXPECT_TRUE(PumpUntil([&] { return watcher_->Ended(); }, kPromptly));
    EXPECT_EQ(Scans(), 0);
    watcher_->Stop();  // again, on an ended watcher
    Write("Inbox.dbx");
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 0);
}

TEST_F(StoreWatcherThread_Stop, StopBeforeResumeEndsTheRunAsItStarts) {
    UseTempStore();
    watcher_ = std::make_unique<TStoreWatcherThread>();
    auto scans = scans_;
    watcher_->OnChange = [scans](const TStoreProbe&) { scans->Count++; };
    EXPECT_EQ(watcher_->Phase(), wpStarting);
    watcher_->Stop();
    watcher_->Resume();
    EXPECT_TRUE(PumpUntil([&] { return watcher_->Ended(); }, kPromptly));
    Write("Inbox.dbx");
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 0);
}

TEST_F(StoreWatcherThread_Stop, StopWhileARequestWaitsToBeServedRunsNoScan) {
    UseTempStore();
    Start();
    Write("Inbox.dbx");
    // Not serving messages now: the watcher's request stays pending.
    bool pending = false;
    for (DWORD start = GetTickCount(); !pending && GetTickCount() - start < kArrival; Sleep(10))
        pending = HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE;
    ASSERT_TRUE(pending) << "the change never reached the watcher";
    watcher_->Stop();
    EXPECT_TRUE(PumpUntil([&] { return watcher_->Ended(); }, kPromptly));
    EXPECT_EQ(Scans(), 0);
}

TEST_F(StoreWatcherThread_Stop, ReleasingTheWatcherStopsIt) {
    Write("Inbox.dbx");
    UseTempStore();
    Start();
    ASSERT_EQ(watcher_->Phase(), wpWatching);
    watcher_.reset();
    Write("Inbox.dbx");
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 0);
}

TEST_F(StoreWatcherThread_Stop, ReleasingAWatcherNeverResumedIsSafe) {
    UseTempStore();
    watcher_ = std::make_unique<TStoreWatcherThread>();
    auto scans = scans_;
    watcher_->OnChange = [scans](const TStoreProbe&) { scans->Count++; };
    watcher_.reset();
    Write("Inbox.dbx");
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 0);
}

TEST_F(StoreWatcherThread_NoStore, NoStoreDirectoryMeansNoScansAndStopStillWorks) {
    // Nothing in the registry; the current directory, where an empty path
    // would point, is the one written to.
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
    Start();
    EXPECT_EQ(watcher_->Phase(), wpNotWatching);
    Write("Inbox.dbx");
    Pump(kQuiet);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(Scans(), 0);
    EXPECT_FALSE(watcher_->Ended());
    watcher_->Stop();
    EXPECT_TRUE(PumpUntil([&] { return watcher_->Ended(); }, kPromptly));
}

TEST_F(StoreWatcherThread_NoStore, AMissingStoreDirectoryIsLookedForAgainAndWatchedOnceThere) {
    SetStoreRoot(dir_ + "Later");
    Start(nullptr, 200);
    EXPECT_EQ(watcher_->Phase(), wpNotWatching);
    // Looked at again now and then, the owner told each time.
    ASSERT_TRUE(WaitForScans(2));
    EXPECT_FALSE(scans_->Armed);
    EXPECT_FALSE(scans_->Present);  // looked at by the watcher, not by the owner
    ASSERT_TRUE(CreateDirectoryA((dir_ + "Later").c_str(), nullptr));
    ASSERT_TRUE(PumpUntil([&] { return scans_->Armed; }, kArrival)) << "the new folder was never watched";
    EXPECT_TRUE(scans_->Present);
    EXPECT_EQ(watcher_->Phase(), wpWatching);
    const int armedAt = Scans();
    Pump(kQuiet);  // several retry intervals
    EXPECT_EQ(Scans(), armedAt) << "no more looking once watched";
    Write("Later\\Inbox.dbx");
    ASSERT_TRUE(WaitForScans(armedAt + 1));
    RemoveTree(dir_ + "Later\\");
}

TEST_F(StoreWatcherThread_NoStore, TheWatchMovesWithTheDirectory) {
    ASSERT_TRUE(CreateDirectoryA((dir_ + "Other").c_str(), nullptr));
    UseTempStore();
    Start();
    watcher_->SetDirectory(dir_ + "Other\\");
    ASSERT_TRUE(WaitForScans(1));  // the owner hears where the watch now is
    EXPECT_TRUE(scans_->Armed);
    Write("Inbox.dbx");
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 1);
    Write("Other\\Inbox.dbx");
    ASSERT_TRUE(WaitForScans(2));
    RemoveTree(dir_ + "Other\\");
}

TEST_F(StoreWatcherThread_NoStore, AChangeOfTheIdentityKeysCausesAScan) {
    UseTempStore();
    Start();
    PutString("Identities", "Last User ID", "{00000000-7E57-0000-0000-000000000002}");
    ASSERT_TRUE(WaitForScans(1));
    PutString("Identities\\{00000000-7E57-0000-0000-000000000001}\\Software\\Microsoft\\Outlook Express\\5.0",
              "Store Root", dir_ + "Moved");
    ASSERT_TRUE(WaitForScans(2)) << "the second change was not watched";
}

TEST_F(StoreWatcherThread_NoStore, AStoreRootThatIsAFileIsNotWatched) {
    Write("Inbox.dbx");
    SetStoreRoot(dir_ + "Inbox.dbx");
    Start();
    EXPECT_EQ(watcher_->Phase(), wpNotWatching);
    // The owner, who asked for it, hears once that it cannot be watched.
    ASSERT_TRUE(WaitForScans(1));
    EXPECT_FALSE(scans_->Armed);
    Write("Inbox.dbx");
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 1);
}

TEST_F(StoreWatcherThread_NoStore, AStoreDirectoryRemovedWhileWatchedCausesNoStreamOfScans) {
    Write("Inbox.dbx");
    UseTempStore();
    Start();
    ASSERT_EQ(watcher_->Phase(), wpWatching);
    ASSERT_TRUE(DeleteFileA((dir_ + "Inbox.dbx").c_str()));
    ASSERT_TRUE(RemoveDirectoryA(dir_.c_str())) << GetLastError();
    // The system may report the loss as one change, but a handle on a
    // directory that is gone must not keep the watcher busy.
    const uint64_t from = ProcessCpuMs();
    Pump(3000);
    EXPECT_LE(Scans(), 2);
    EXPECT_LT(ProcessCpuMs() - from, 500u);
    EXPECT_FALSE(watcher_->Ended());
    watcher_->Stop();
    EXPECT_TRUE(PumpUntil([&] { return watcher_->Ended(); }, kPromptly));
}

TEST_F(StoreWatcherThread_FailingScan, AScanThatRaisesDoesNotEndWatching) {
    const std::function<void(TScans&)> failures[] = {[](TScans&) { throw Exception("Invalid dbx file"); },
                                                     [](TScans&) { throw 42; }};
    for (const auto& fail : failures) {
        Write("Inbox.dbx");
        UseTempStore();
        scans_->Count = 0;
        Start(fail);
        Write("Inbox.dbx");
        ASSERT_TRUE(WaitForScans(1));
        Pump(kQuiet);
        EXPECT_FALSE(watcher_->Ended());
        Write("Inbox.dbx");
        ASSERT_TRUE(WaitForScans(2)) << "watching ended with the error";
        watcher_->Stop();
        EXPECT_TRUE(PumpUntil([&] { return watcher_->Ended(); }, kPromptly));
        watcher_.reset();
    }
}

TEST_F(StoreWatcherThread_Idle, AWaitingWatcherUsesNoProcessorTime) {
    // The measure itself must see work when there is some.
    const uint64_t before = ProcessCpuMs();
    for (DWORD start = GetTickCount(); GetTickCount() - start < 300;) {
    }
    ASSERT_GE(ProcessCpuMs() - before, 100u) << "process times are not measured here";

    Write("Inbox.dbx");
    UseTempStore();
    Start();
    ASSERT_EQ(watcher_->Phase(), wpWatching);
    const uint64_t idleFrom = ProcessCpuMs();
    Pump(10000);
    EXPECT_LT(ProcessCpuMs() - idleFrom, 500u);
    // And it is still awake.
    Write("Inbox.dbx");
    ASSERT_TRUE(WaitForScans(1));
}

// What one wait came to: a failed wait is never a change, whichever slot
// happens to be unused.
TEST(StoreWatcherThread_Wait, EveryOutcomeIsTakenForWhatItIs) {
    TWaitSlots all;
    all.Count = 4, all.Change = 0, all.Stop = 1, all.Moved = 2, all.Keys = 3, all.Messages = true;
    TWaitSlots unarmed;  // no change notification, no identity keys
    unarmed.Count = 2, unarmed.Stop = 0, unarmed.Moved = 1;
    const struct {
        DWORD Result;
        const TWaitSlots& Slots;
        TWaitOutcome Outcome;
    } cases[] = {
        {WAIT_OBJECT_0, all, TWaitOutcome::Change},
        {WAIT_OBJECT_0 + 1, all, TWaitOutcome::Stop},
        {WAIT_OBJECT_0 + 2, all, TWaitOutcome::DirectoryMoved},
        {WAIT_OBJECT_0 + 3, all, TWaitOutcome::IdentityKeys},
        {WAIT_OBJECT_0 + 4, all, TWaitOutcome::Message},
        {WAIT_TIMEOUT, all, TWaitOutcome::Timeout},
        {WAIT_FAILED, all, TWaitOutcome::Failed},
        {WAIT_OBJECT_0, unarmed, TWaitOutcome::Stop},
        {WAIT_FAILED, unarmed, TWaitOutcome::Failed},  // WAIT_OBJECT_0 + an unused slot's MAXDWORD
        {WAIT_OBJECT_0 + 2, unarmed, TWaitOutcome::Failed},  // no messages waited for
        {WAIT_ABANDONED_0, unarmed, TWaitOutcome::Failed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<int>(ClassifyWait(c.Result, c.Slots)), static_cast<int>(c.Outcome)) << c.Result;
}

// The drive's removal: the folder is let go when the system asks, held again
// when the removal is called off; events about other handles change nothing.
TEST_F(StoreWatcherThread_Removal, TheFolderIsLetGoWhenItsDriveIsToBeRemoved) {
    TRemovalWatch watch;
    int removals = 0, cancellations = 0;
    watch.OnRemovalAsked = [&] { ++removals; };
    watch.OnRemovalCancelled = [&] { ++cancellations; };
    ASSERT_TRUE(watch.Hold(dir_)) << "no device events for a local folder";
    ASSERT_NE(watch.FolderHandle(), INVALID_HANDLE_VALUE);
    auto send = [&](WPARAM event, HDEVNOTIFY registration) {
        DEV_BROADCAST_HANDLE about {};
        about.dbch_size = sizeof about;
        about.dbch_devicetype = DBT_DEVTYP_HANDLE;
        about.dbch_hdevnotify = registration;
        return SendMessageW(watch.Hwnd(), WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&about));
    };
    int other = 0;
    send(DBT_DEVICEQUERYREMOVE, &other);
    EXPECT_EQ(removals, 0);
    EXPECT_NE(watch.FolderHandle(), INVALID_HANDLE_VALUE);

    EXPECT_EQ(send(DBT_DEVICEQUERYREMOVE, watch.Registration()), TRUE) << "the removal must not be refused";
    EXPECT_EQ(removals, 1);
    EXPECT_EQ(watch.FolderHandle(), INVALID_HANDLE_VALUE);
    send(DBT_DEVICEQUERYREMOVEFAILED, watch.Registration());
    EXPECT_EQ(cancellations, 1);
    EXPECT_EQ(watch.Registration(), nullptr);
}

// Between Windows asking to remove the drive and saying whether it did, the
// owner is not woken (it would look at the drive, and Windows would refuse
// the removal); once the removal is called off the folder is watched again,
// and a directory that moves meanwhile is watched at once.
TEST_F(StoreWatcherThread_Removal, NothingOnTheDriveIsTouchedWhileItsRemovalIsPending) {
    Write("Inbox.dbx");
    UseTempStore();
    Start();
    ASSERT_EQ(watcher_->Phase(), wpWatching);
    // The watcher's own removal watch, as the system's device events reach it.
    const HWND window = FindWindowExW(HWND_MESSAGE, nullptr, L"PellumoRemovalWatch", nullptr);
    ASSERT_NE(window, nullptr);
    auto* watch = dynamic_cast<TRemovalWatch*>(reinterpret_cast<TWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
    ASSERT_NE(watch, nullptr);
    DEV_BROADCAST_HANDLE about {};
    about.dbch_size = sizeof about;
    about.dbch_devicetype = DBT_DEVTYP_HANDLE;
    about.dbch_hdevnotify = watch->Registration();
    auto send = [&](WPARAM event) { SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&about)); };

    send(DBT_DEVICEQUERYREMOVE);
    Pump(kQuiet);
    EXPECT_EQ(Scans(), 0) << "the owner was woken to look at a drive being removed";
    EXPECT_EQ(watcher_->Phase(), wpNotWatching);
    send(DBT_DEVICEQUERYREMOVEFAILED);
    ASSERT_TRUE(PumpUntil([&] { return watcher_->Phase() == wpWatching; }, kPromptly));
    const int before = Scans();
    Write("Inbox.dbx");
    ASSERT_TRUE(WaitForScans(before + 1)) << "not watched again after the removal was called off";

    // Asked again, and the directory moves before Windows says more: the
    // old drive's answer is no longer heard, and the new directory is watched.
    ASSERT_TRUE(CreateDirectoryA((dir_ + "Other").c_str(), nullptr));
    about.dbch_hdevnotify = watch->Registration();
    send(DBT_DEVICEQUERYREMOVE);
    ASSERT_TRUE(PumpUntil([&] { return watcher_->Phase() == wpNotWatching; }, kPromptly));
    watcher_->SetDirectory(dir_ + "Other\\");
    EXPECT_TRUE(PumpUntil([&] { return watcher_->Phase() == wpWatching; }, kPromptly))
        << "nothing watched after the move";
    const int moved = Scans();
    Write("Other\\Inbox.dbx");
    EXPECT_TRUE(WaitForScans(moved + 1)) << "a write in the new directory was not seen";
    RemoveTree(dir_ + "Other\\");
}

// A run that an unforeseen error ends tells its owner, which may start another.
TEST_F(StoreWatcherThread_FailingScan, ARunEndedByAnErrorTellsItsOwner) {
    UseTempStore();
    std::string why;
    watcher_ = std::make_unique<TStoreWatcherThread>();
    watcher_->SetDirectory(LookUpStoreRoot());
    watcher_->StoreRoot = []() -> std::string { throw 42; };
    watcher_->OnEnded = [&why](const std::string& error) { why = error; };
    watcher_->Resume();
    ASSERT_TRUE(PumpUntil([&] { return watcher_->Phase() == wpWatching; }, kArrival));
    Write("Inbox.dbx");
    ASSERT_TRUE(PumpUntil([&] { return watcher_->Ended(); }, kArrival));
    EXPECT_EQ(why, "an unknown error");
}

// Where the store is cannot be read (the identity keys half written): the
// watcher goes on, and reads it again at its next retry.
TEST_F(StoreWatcherThread_FailingScan, AStoreLocationThatCannotBeReadIsReadAgainSoon) {
    UseTempStore();
    auto failing = std::make_shared<std::atomic<int>>(1);
    auto errors = std::make_shared<std::atomic<int>>(0);
    watcher_ = std::make_unique<TStoreWatcherThread>();
    watcher_->RetryInterval = 200;
    watcher_->SetDirectory(LookUpStoreRoot());
    watcher_->StoreRoot = [failing]() -> std::string {
        if (*failing) throw Exception("Invalid data type for 'Store Root'");
        return LookUpStoreRoot();
    };
    auto scans = scans_;
    watcher_->OnChange = [scans, errors](const TStoreProbe& probe) {
        if (!probe.Error.empty()) ++*errors;
        else scans->Count++;
    };
    watcher_->Resume();
    ASSERT_TRUE(PumpUntil([&] { return watcher_->Phase() == wpWatching; }, kArrival));
    Write("Inbox.dbx");
    ASSERT_TRUE(PumpUntil([&] { return *errors > 0; }, kArrival));
    *failing = 0;
    // No further change: the retry alone reads it again.
    ASSERT_TRUE(WaitForScans(1)) << "the store's place was not read again";
    EXPECT_FALSE(watcher_->Ended());
}

// The dispatcher on its own.

TEST(MainThreadCall, RunsOnTheOwnersThreadAndWaitsForTheEnd) {
    const TMainThreadCall owner = TMainThreadCall::OfThisThread();
    DWORD ranOn = 0;
    std::atomic<bool> finished {false};
    std::atomic<bool> returned {false};
    std::thread caller([&] {
        returned = owner.Call([&] {
            Sleep(200);
            ranOn = GetCurrentThreadId();
            finished = true;
        });
        // Only now may the caller look: the call has run to its end.
        EXPECT_TRUE(finished.load());
    });
    PumpUntil([&] { return finished.load(); }, kArrival);
    caller.join();
    EXPECT_TRUE(returned.load());
    EXPECT_EQ(ranOn, GetCurrentThreadId());
}

TEST(MainThreadCall, AnErrorInTheCallComesBackAsFalse) {
    const TMainThreadCall owner = TMainThreadCall::OfThisThread();
    std::atomic<int> result {-1};
    std::thread caller([&] { result = owner.Call([] { throw Exception("Invalid dbx file"); }); });
    PumpUntil([&] { return result != -1; }, kArrival);
    caller.join();
    EXPECT_EQ(result.load(), 0);
}

TEST(MainThreadCall, OnTheOwnersThreadItselfTheCallRunsAtOnce) {
    int calls = 0;
    EXPECT_TRUE(TMainThreadCall::OfThisThread().Call([&] { calls++; }));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(TMainThreadCall::OfThisThread().Call([] { throw Exception("x"); }));
}

TEST(MainThreadCall, AThreadThatHasEndedTakesNoMoreCalls) {
    std::unique_ptr<TMainThreadCall> gone;
    std::thread owner([&] { gone = std::make_unique<TMainThreadCall>(TMainThreadCall::OfThisThread()); });
    owner.join();
    int calls = 0;
    EXPECT_FALSE(gone->Call([&] { calls++; }));
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace pellumo
