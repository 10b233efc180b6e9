#pragma once
// The store change watcher: a thread that sleeps until a file directly in
// the store directory is written or the identity keys change, then has the
// thread that made it run OnChange (the new-mail scan) and waits for that to
// finish before it sleeps again. While there is nothing it can watch (no
// store folder, or one the system cannot watch) it looks again at a slow
// interval, and soon again while where the store is cannot be read. It
// never gives up on a failure it knows: only Stop ends it, and a run that an
// unforeseen error ends says so (OnEnded).
//
// While it watches, the store's drive can still be removed (Safely Remove
// Hardware): the watch lets go when the system asks, and looks again at its
// next retry, or when the drive is back (LookAgain).
//
// The thread's own part frees itself when its run ends; this object is the
// owner's hold on it and may outlive it (or be released before it) safely.
#include <functional>
#include <memory>
#include <string>

#include "app/StoreProbe.h"

namespace pellumo {

enum TWatchPhase {
    wpStarting,     // not resumed yet, or resumed and not yet watching
    wpWatching,     // the directory's change notification is in place
    wpNotWatching,  // nothing that can be watched: looking again now and then
    wpEnded,        // the run is over; the thread has let go of everything
};

class TStoreWatcherThread {
public:
    // Creates the thread suspended. OnChange will run on the calling thread,
    // served by its message loop. Throws Exception when the system cannot
    // make the thread.
    TStoreWatcherThread();
    // Stops the watcher (signal only, no waiting), so that OnChange never
    // runs after this on the thread that made it. A watcher never resumed is
    // let run just long enough to end.
    ~TStoreWatcherThread();
    TStoreWatcherThread(const TStoreWatcherThread&) = delete;
    TStoreWatcherThread& operator=(const TStoreWatcherThread&) = delete;

    // Run on the thread that made the watcher, while the watcher waits, after
    // a write in the watched directory, a change under the identity keys, a
    // change of the directory's watch, and at every slow retry, with what the
    // watcher found out on its own thread just before (Armed: a change
    // notification on the directory is in place; the store's folder from
    // StoreRoot and whether it is there). An error it throws is logged and
    // watching goes on. Set it before Resume; the run takes its own copy then.
    std::function<void(const TStoreProbe& probe)> OnChange;
    // Run on the thread that made the watcher when the run ended on an error
    // of its own (never after Stop), with the error's text: the watcher
    // watches nothing more, and the owner may start another. Set it before
    // Resume.
    std::function<void(const std::string& why)> OnEnded;
    // Where the store is, asked on the watcher's thread before each OnChange
    // (not set: the probe names no folder). Set it before Resume.
    std::function<std::string()> StoreRoot;

    // How long the watcher waits before it looks again while it cannot watch
    // (milliseconds). Set it before Resume.
    unsigned long RetryInterval = 30000;

    // The directory to watch (empty: none). Any thread, any time; the run
    // moves its watch when the value changes.
    void SetDirectory(const std::string& dir);

    // Starts the run. Only the first call counts.
    void Resume();

    // A drive came: the watcher looks at its directory again now rather
    // than at its next retry. Any thread, any time.
    void LookAgain();

    // Asks the watcher to end and returns at once. Safe at any time: before
    // Resume (the run then ends as it starts), while it runs, and after it
    // ended. From this call on no OnChange runs, not even one whose request
    // is already waiting to be served.
    void Stop();

    // Whether the run is over: after Stop, or when the thread that made the
    // watcher no longer takes calls.
    bool Ended() const;
    TWatchPhase Phase() const;

private:
    struct TShared;
    struct TRun;
    struct TThread;
    std::shared_ptr<TShared> shared_;  // kept alive by the run as well
    std::unique_ptr<TThread> thread_;  // the thread's handle, ours to close
    TRun* run_;                        // until Resume; then its thread's own
};

}  // namespace pellumo
