// The watcher thread: a directory change notification on the store
// directory (this directory only, last-write changes only), a registry
// change notification on the identity keys, an event that says the
// directory to watch has changed, and a stop event, waited on together; each
// change is handed to the owner's thread through TMainThreadCall and waited
// for.
#include "app/StoreWatcherThread.h"

#include <windows.h>
#include <process.h>

#include <atomic>
#include <exception>
#include <memory>
#include <string>
#include <utility>

#include "app/MainThreadCall.h"
#include "app/RemovalWatch_win.h"
#include "app/WatcherWait_win.h"
#include "platform/Exception.h"
#include "platform/Lock.h"
#include "platform/Log.h"
#include "platform/UniqueHandle_win.h"

namespace pellumo {

namespace {

TKernelHandle MakeEvent() {
    TKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!event.Valid()) throw Exception(TText::CannotCreateWatcherEvents);
    return event;
}

// A notification for writes to files directly in Dir; invalid when Dir
// cannot be watched. An empty Dir is refused here rather than handed on,
// where it could stand for the current directory.
TChangeHandle WatchDirectory(const std::string& dir) {
    if (dir.empty()) return TChangeHandle();
    return TChangeHandle(FindFirstChangeNotificationA(dir.c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE));
}

// Changes under HKEY_CURRENT_USER\Identities: another identity becomes the
// last one used, or an identity's store moves. The notification belongs to
// the thread that asked for it, so the watcher asks for it itself.
class TIdentityKeysWatch {
public:
    TIdentityKeysWatch() : event_(MakeEvent()) {}

    // Asks for the next change; false while the key cannot be watched.
    bool Arm() {
        if (armed_) return true;
        if (!key_.Valid()) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, "Identities", 0, KEY_NOTIFY, &key) != ERROR_SUCCESS) return false;
            key_.Reset(key);
        }
        armed_ = RegNotifyChangeKeyValue(key_.Get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                         event_.Get(), TRUE) == ERROR_SUCCESS;
        // A key deleted and made again is another key: open it afresh next time.
        if (!armed_) key_.Reset();
        return armed_;
    }
    // The event fired: that request is used up.
    void Fired() { armed_ = false; }
    bool Armed() const { return armed_; }
    HANDLE Event() const { return event_.Get(); }

private:
    TKernelHandle event_;
    TRegistryKeyHandle key_;
    bool armed_ = false;
};

}  // namespace

// What the owner and the run share. The events are made here, with the
// owner, so that a Stop or a new directory that come before the thread has
// started are not lost.
struct TStoreWatcherThread::TShared {
    TShared() : StopEvent(MakeEvent()), DirectoryEvent(MakeEvent()) {}
    TKernelHandle StopEvent;        // auto-reset, unnamed
    TKernelHandle DirectoryEvent;   // auto-reset: Directory changed
    std::atomic<bool> StopAsked {false};  // read by the run and by calls it hands over
    std::atomic<bool> LookAgainAsked {false};
    std::atomic<int> Phase {wpStarting};
    DWORD RetryInterval = 0;         // the owner's, taken at Resume

    void SetDirectory(const std::string& dir) {
        TLockGuard guard(Lock);
        if (dir == Directory) return;
        Directory = dir;
        SetEvent(DirectoryEvent.Get());
    }
    std::string TakeDirectory() {
        TLockGuard guard(Lock);
        return Directory;
    }

private:
    TLock Lock;
    std::string Directory;
};

// The thread's own part: it frees itself when the run ends.
struct TStoreWatcherThread::TRun {
    TRun(std::shared_ptr<TShared> shared, TMainThreadCall owner) : Shared(std::move(shared)), Owner(owner) {}
    ~TRun() {
        // Everything let go before the owner is told the run is over.
        ChangeHandle.Reset();
        Removal.reset();
        OnChange = nullptr;
        OnEnded = nullptr;
        StoreRoot = nullptr;
        Shared->Phase = wpEnded;
    }

    static unsigned __stdcall ThreadProc(void* arg) {
        TRun* run = static_cast<TRun*>(arg);
        // Nothing may leave the thread's function: an exception there would
        // end the whole process.
        std::string why;
        try {
            run->Execute();
        } catch (const std::exception& error) {
            why = error.what();
        } catch (...) {
            why = "an unknown error";
        }
        if (!why.empty()) {
            LogLine("The store watcher ended: " + why);
            run->TellEnded(why);
        }
        delete run;
        return 0;
    }

    // A run that ended on an error, not asked to stop, is told to the
    // owner: a program that no longer watches must not look as if it did.
    void TellEnded(const std::string& why) {
        if (Shared->StopAsked || !OnEnded) return;
        Owner.Call([this, &why] {
            if (!Shared->StopAsked && OnEnded) OnEnded(why);
        });
    }

    // What the run does with the directory: one value, changed only by the
    // transitions below.
    enum class TPhase {
        Unwatched,       // no change notification: none asked for yet, the
                         // directory moved, or the system refused it (then
                         // tried again at every retry)
        Watching,        // its change notification is in place
        RemovalPending,  // let go: Windows asked to remove its drive and has
                         // not said yet whether it did; nothing on it is
                         // touched and the owner is not woken meanwhile
        Removed,         // let go: its drive was removed; looked at again at
                         // the next retry, or when a drive comes (LookAgain)
        Ending,          // Stop was asked, or the owner takes no more calls
    };
    // What the owner has heard: one value, beside OwnerHeardWatching.
    enum class TNews {
        Told,        // the owner knows what the run knows
        Due,         // something changed: told at the top of the loop, or
                     // once a pending removal is decided
        ToldFailed,  // told that where the store is could not be read:
                     // told again at the next retry
    };

    void Execute() {
        if (Shared->StopAsked) return;
        TIdentityKeysWatch identities;
        MakeRemovalWatch();
        // The owner knows where it asked us to watch and takes it as watched:
        // only a difference is news to it.
        Directory = Shared->TakeDirectory();
        OwnerHeardWatching = !Directory.empty();
        while (Phase != TPhase::Ending) {
            FollowDirectory();
            const bool watching = Phase == TPhase::Watching;
            Shared->Phase = watching ? wpWatching : wpNotWatching;
            identities.Arm();
            if (watching != OwnerHeardWatching) News = TNews::Due;
            // While the drive is being removed the owner is not woken: it
            // would look at the drive, and Windows would refuse the removal.
            if (News == TNews::Due && Phase != TPhase::RemovalPending) {
                TellOwner(watching);
                continue;  // the scan may have moved the directory
            }
            WaitOnce(identities);
        }
    }

    // One wait and the transition its outcome makes. Watching goes on after
    // every outcome but a stop.
    void WaitOnce(TIdentityKeysWatch& identities) {
        // The change notification first: when it and the stop event are
        // both signalled, the change wins and the stop event stays signalled
        // for the next wait.
        const bool watching = Phase == TPhase::Watching;
        HANDLE handles[4];
        TWaitSlots slots;
        if (watching) handles[slots.Change = slots.Count++] = ChangeHandle.Get();
        handles[slots.Stop = slots.Count++] = Shared->StopEvent.Get();
        handles[slots.Moved = slots.Count++] = Shared->DirectoryEvent.Get();
        if (identities.Armed()) handles[slots.Keys = slots.Count++] = identities.Event();
        // Nothing is polled while everything is watched; what is not, or a
        // store whose place could not be read, is looked at again now and
        // then.
        const DWORD timeout =
            watching && identities.Armed() && News != TNews::ToldFailed ? INFINITE : Shared->RetryInterval;
        // The removal watch's device events are sent to this thread.
        slots.Messages = Removal != nullptr;
        const DWORD result = slots.Messages
                                 ? MsgWaitForMultipleObjects(slots.Count, handles, FALSE, timeout, QS_ALLINPUT)
                                 : WaitForMultipleObjects(slots.Count, handles, FALSE, timeout);

        switch (ClassifyWait(result, slots)) {
            case TWaitOutcome::Change:
                // Re-armed before the scan rather than after it: writes made
                // while the scan runs then signal the handle and cause one
                // more scan. Windows would also remember them for a re-arm
                // made after the scan, but not every implementation of the
                // call does.
                if (!FindNextChangeNotification(ChangeHandle.Get())) {
                    LogLine("The store folder's change notification failed (error " +
                            std::to_string(GetLastError()) + "); watching it again");
                    Unwatch();
                }
                News = TNews::Due;
                break;
            case TWaitOutcome::Stop:
                Phase = TPhase::Ending;
                break;
            case TWaitOutcome::DirectoryMoved:
                // The directory itself is taken at the top of the loop.
                if (Shared->LookAgainAsked.exchange(false)) LookAgain();
                break;
            case TWaitOutcome::IdentityKeys:
                identities.Fired();
                News = TNews::Due;
                break;
            case TWaitOutcome::Message:
                PumpMessages();  // the removal watch's transitions
                break;
            case TWaitOutcome::Timeout:
                Retry();
                break;
            case TWaitOutcome::Failed:
                // A handle went bad under us: start the watch afresh, not in
                // a busy loop.
                LogLine("The store watcher's wait failed (error " + std::to_string(GetLastError()) +
                        "); watching again shortly");
                Unwatch();
                if (WaitForSingleObject(Shared->StopEvent.Get(), Shared->RetryInterval) == WAIT_OBJECT_0)
                    Phase = TPhase::Ending;
                else
                    News = TNews::Due;
                break;
        }
    }

    // The window that hears of the drive's removal; without it (the system
    // would not make it) the drive simply cannot be removed while watched.
    void MakeRemovalWatch() {
        try {
            Removal.reset(new TRemovalWatch);
        } catch (const std::exception& error) {
            LogLine(std::string("The store's drive cannot be watched for removal: ") + error.what());
            return;
        }
        Removal->OnRemovalAsked = [this] { LetGo(TPhase::RemovalPending); };
        Removal->OnRemoved = [this] { LetGo(TPhase::Removed); };
        Removal->OnRemovalCancelled = [this] {
            // Watched again at the top of the loop.
            if (Phase == TPhase::RemovalPending || Phase == TPhase::Removed) Phase = TPhase::Unwatched;
        };
    }

    // The drive is to be removed, or was: its change notification goes, and
    // nothing on it is watched until the removal is called off or retried.
    void LetGo(TPhase removal) {
        ChangeHandle.Reset();
        Phase = removal;
    }

    // Lets go of the directory: its change notification and its drive. A
    // removal that was pending is no longer heard of then: taken as done,
    // and looked at again at the next retry.
    void Unwatch() {
        ChangeHandle.Reset();
        if (Removal) Removal->Release();
        if (Phase == TPhase::Watching) Phase = TPhase::Unwatched;
        else if (Phase == TPhase::RemovalPending) Phase = TPhase::Removed;
    }

    // A drive came: a directory let go for a removal that is over is
    // watched again at once; the owner hears what there is.
    void LookAgain() {
        if (Phase == TPhase::Removed) Phase = TPhase::Unwatched;
        News = TNews::Due;
    }

    // The retry interval passed: as LookAgain.
    void Retry() { LookAgain(); }

    // Serves the messages of this thread's windows (the device events).
    void PumpMessages() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    // Moves the watch to the directory the owner asked for, and watches it
    // again when the last attempt failed.
    void FollowDirectory() {
        const std::string dir = Shared->TakeDirectory();
        if (dir != Directory) {
            // Another directory, perhaps on another drive: whatever became
            // of the old one's, it is watched at once.
            Directory = dir;
            Unwatch();
            Phase = TPhase::Unwatched;
            News = TNews::Due;
        }
        if (Phase != TPhase::Unwatched || Directory.empty()) return;
        ChangeHandle = WatchDirectory(Directory);
        if (!ChangeHandle.Valid()) {
            if (Directory != Refused) {
                LogLine("Cannot watch " + Directory + " (error " + std::to_string(GetLastError()) + ")");
                Refused = Directory;
            }
            return;
        }
        Refused.clear();
        if (Removal) Removal->Hold(Directory);
        Phase = TPhase::Watching;
    }

    // Has the owner's thread run OnChange. Watching goes on unless that
    // thread takes no more calls or the watcher is to stop.
    void TellOwner(bool watching) {
        OwnerHeardWatching = watching;
        // The paths are looked at here, never on the owner's thread.
        const TStoreProbe probe = ProbeStore(StoreRoot, watching);
        // The identity keys may be being written: read them again soon.
        News = probe.Error.empty() ? TNews::Told : TNews::ToldFailed;
        if (!Shared->StopAsked && RunOnChange(probe)) return;
        Phase = TPhase::Ending;
    }

    // False when the owner's thread takes no more calls or the watcher is
    // to stop.
    bool RunOnChange(const TStoreProbe& probe) {
        bool ran = false;
        const bool returned = Owner.Call([this, &probe, &ran] {
            // Stop may have come while this request waited to be served.
            if (Shared->StopAsked) return;
            ran = true;
            // A failed scan is no reason to stop watching.
            try {
                if (OnChange) OnChange(probe);
            } catch (const std::exception& error) {
                LogLine(std::string("A scan failed: ") + error.what());
            } catch (...) {
                LogLine("A scan failed");
            }
        });
        return returned && ran;
    }

    std::shared_ptr<TShared> Shared;
    TMainThreadCall Owner;
    std::function<void(const TStoreProbe&)> OnChange;
    std::function<void(const std::string&)> OnEnded;
    std::function<std::string()> StoreRoot;
    TPhase Phase = TPhase::Unwatched;
    TChangeHandle ChangeHandle;  // valid in Watching only
    std::unique_ptr<TRemovalWatch> Removal;  // made on the run's own thread
    TNews News = TNews::Told;
    bool OwnerHeardWatching = false;  // what the owner was last told
    std::string Directory;
    std::string Refused;  // the directory last reported as not watchable
};

struct TStoreWatcherThread::TThread {
    TKernelHandle Handle;
};

TStoreWatcherThread::TStoreWatcherThread()
    : shared_(std::make_shared<TShared>()), thread_(std::make_unique<TThread>()), run_(nullptr) {
    auto run = std::make_unique<TRun>(shared_, TMainThreadCall::OfThisThread());
    const uintptr_t thread = _beginthreadex(nullptr, 0, &TRun::ThreadProc, run.get(), CREATE_SUSPENDED, nullptr);
    if (!thread) throw Exception(TText::CannotCreateWatcherThread);
    thread_->Handle.Reset(reinterpret_cast<HANDLE>(thread));
    run_ = run.release();
}

TStoreWatcherThread::~TStoreWatcherThread() {
    Stop();
    if (run_) {
        // Never resumed: with the stop asked for, the run ends as it starts
        // and frees itself.
        run_ = nullptr;
        ResumeThread(thread_->Handle.Get());
    }
}

void TStoreWatcherThread::SetDirectory(const std::string& dir) { shared_->SetDirectory(dir); }

void TStoreWatcherThread::Resume() {
    if (!run_) return;
    run_->OnChange = OnChange;
    run_->OnEnded = OnEnded;
    run_->StoreRoot = StoreRoot;
    shared_->RetryInterval = RetryInterval;
    if (ResumeThread(thread_->Handle.Get()) == static_cast<DWORD>(-1)) throw Exception(TText::CannotStartWatcherThread);
    // From here on the run belongs to its thread, which may free it at any time.
    run_ = nullptr;
}

void TStoreWatcherThread::LookAgain() {
    shared_->LookAgainAsked = true;
    SetEvent(shared_->DirectoryEvent.Get());
}

void TStoreWatcherThread::Stop() {
    shared_->StopAsked = true;
    SetEvent(shared_->StopEvent.Get());
}

bool TStoreWatcherThread::Ended() const { return shared_->Phase == wpEnded; }

TWatchPhase TStoreWatcherThread::Phase() const { return static_cast<TWatchPhase>(shared_->Phase.load()); }

}  // namespace pellumo
