// The watcher thread: a directory change notification on the store
// directory (this directory only, last-write changes only) and a stop event,
// waited on together; each change is handed to the owner's thread through
// TMainThreadCall and waited for.
#include "app/MailNotificationThread.h"

#include <windows.h>
#include <process.h>

#include <atomic>
#include <string>
#include <utility>

#include "app/MainThreadCall.h"
#include "platform/Exception.h"
#include "store/OEUtils.h"

namespace pellumo {

namespace {

// Move-only owner of one handle; the traits know its invalid value and how
// it is closed.
template <typename Traits>
class TUniqueHandle {
public:
    TUniqueHandle() = default;
    explicit TUniqueHandle(HANDLE handle) : handle_(handle) {}
    TUniqueHandle(TUniqueHandle&& other) noexcept : handle_(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ~TUniqueHandle() { Reset(); }

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != Traits::Invalid(); }
    HANDLE Release() {
        const HANDLE handle = handle_;
        handle_ = Traits::Invalid();
        return handle;
    }
    void Reset(HANDLE handle = Traits::Invalid()) {
        if (Valid()) Traits::Close(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = Traits::Invalid();
};

struct TKernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct TChangeHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { FindCloseChangeNotification(handle); }
};

using TKernelHandle = TUniqueHandle<TKernelHandleTraits>;
using TChangeHandle = TUniqueHandle<TChangeHandleTraits>;

// A notification for writes to files directly in Dir; invalid when Dir
// cannot be watched. An empty Dir is refused here rather than handed on,
// where it could stand for the current directory.
TChangeHandle WatchDirectory(const std::string& dir) {
    if (dir.empty()) return TChangeHandle();
    return TChangeHandle(FindFirstChangeNotificationA(dir.c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE));
}

}  // namespace

// What the owner and the run share. The stop event is made here, with the
// owner, so that a Stop that comes before the thread has started is not lost.
struct TMailNotificationThread::TShared {
    TShared() : StopEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
        if (!StopEvent.Valid()) throw Exception("Cannot create the watcher's stop event");
    }
    TKernelHandle StopEvent;               // auto-reset, unnamed
    std::atomic<bool> StopAsked {false};   // read by the run and by calls it hands over
    std::atomic<int> Phase {wpStarting};
};

// The thread's own part: it frees itself when the run ends.
struct TMailNotificationThread::TRun {
    TRun(std::shared_ptr<TShared> shared, TMainThreadCall owner) : Shared(std::move(shared)), Owner(owner) {}
    ~TRun() {
        // Everything let go before the owner is told the run is over.
        ChangeHandle.Reset();
        OnChange = nullptr;
        Shared->Phase = wpEnded;
    }

    static unsigned __stdcall ThreadProc(void* arg) {
        TRun* run = static_cast<TRun*>(arg);
        // An error ends the run; there is nobody on this thread to tell.
        try {
            run->Execute();
        } catch (...) {
        }
        delete run;
        return 0;
    }

    void Execute() {
        if (Shared->StopAsked) return;
        const std::string dir = GetStoreRoot();
        ChangeHandle = WatchDirectory(dir);
        for (;;) {
            if (!ChangeHandle.Valid()) {
                // Nothing to watch: sleep until told to stop.
                Shared->Phase = wpNotWatching;
                WaitForSingleObject(Shared->StopEvent.Get(), INFINITE);
                return;
            }
            Shared->Phase = wpWatching;
            // The change notification first: when both are signalled, the
            // change wins and the stop event stays signalled for the next wait.
            const HANDLE handles[2] = {ChangeHandle.Get(), Shared->StopEvent.Get()};
            if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) return;
            // Re-armed before the scan rather than after it: writes made
            // while the scan runs then signal the handle and cause one more
            // scan. Windows would also remember them for a re-arm made after
            // the scan, but not every implementation of the call does.
            if (!FindNextChangeNotification(ChangeHandle.Get())) {
                // Once more from scratch; failing that, the scan below is the
                // last and the loop waits for Stop alone.
                ChangeHandle = WatchDirectory(dir);
            }
            if (!RunOnChange()) return;
        }
    }

    // Has the owner's thread run OnChange; false when the run is to end.
    bool RunOnChange() {
        bool ran = false;
        const bool returned = Owner.Call([this, &ran] {
            // Stop may have come while this request waited to be served.
            if (Shared->StopAsked) return;
            ran = true;
            if (OnChange) OnChange();
        });
        return returned && ran;
    }

    std::shared_ptr<TShared> Shared;
    TMainThreadCall Owner;
    std::function<void()> OnChange;
    TChangeHandle ChangeHandle;
};

TMailNotificationThread::TMailNotificationThread()
    : shared_(std::make_shared<TShared>()), thread_(nullptr), run_(nullptr) {
    auto run = std::make_unique<TRun>(shared_, TMainThreadCall::OfThisThread());
    const uintptr_t thread = _beginthreadex(nullptr, 0, &TRun::ThreadProc, run.get(), CREATE_SUSPENDED, nullptr);
    if (!thread) throw Exception("Cannot create the watcher thread");
    thread_ = reinterpret_cast<void*>(thread);
    run_ = run.release();
}

TMailNotificationThread::~TMailNotificationThread() {
    Stop();
    if (run_) {
        // Never resumed: with the stop asked for, the run ends as it starts
        // and frees itself.
        run_ = nullptr;
        ResumeThread(thread_);
    }
    CloseHandle(thread_);
}

void TMailNotificationThread::Resume() {
    if (!run_) return;
    run_->OnChange = OnChange;
    if (ResumeThread(thread_) == static_cast<DWORD>(-1)) throw Exception("Cannot start the watcher thread");
    // From here on the run belongs to its thread, which may free it at any time.
    run_ = nullptr;
}

void TMailNotificationThread::Stop() {
    shared_->StopAsked = true;
    SetEvent(shared_->StopEvent.Get());
}

bool TMailNotificationThread::Ended() const { return shared_->Phase == wpEnded; }

TWatchPhase TMailNotificationThread::Phase() const { return static_cast<TWatchPhase>(shared_->Phase.load()); }

}  // namespace pellumo
