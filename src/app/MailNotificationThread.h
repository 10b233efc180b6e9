#pragma once
// The store change watcher: a thread that sleeps until a file directly in
// the store directory is written, then has the thread that made it run
// OnChange (the new-mail scan) and waits for that to finish before it sleeps
// again. It does no other work and touches no data of the program.
//
// The thread's own part frees itself when its run ends; this object is the
// owner's hold on it and may outlive it (or be released before it) safely.
#include <functional>
#include <memory>

namespace pellumo {

enum TWatchPhase {
    wpStarting,     // not resumed yet, or resumed and not yet watching
    wpWatching,     // waiting for a change (or for a scan to finish)
    wpNotWatching,  // nothing that can be watched: waiting for Stop alone
    wpEnded,        // the run is over; the thread has let go of everything
};

class TMailNotificationThread {
public:
    // Creates the thread suspended. OnChange will run on the calling thread,
    // served by its message loop. Raises Exception when the system cannot
    // make the thread.
    TMailNotificationThread();
    // Stops the watcher (signal only, no waiting), so that OnChange never
    // runs after this on the thread that made it. A watcher never resumed is
    // let run just long enough to end.
    ~TMailNotificationThread();
    TMailNotificationThread(const TMailNotificationThread&) = delete;
    TMailNotificationThread& operator=(const TMailNotificationThread&) = delete;

    // Run once per reported change, on the thread that made the watcher, while
    // the watcher waits. When it raises, the watcher ends for good. Set it
    // before Resume; the run takes its own copy then.
    std::function<void()> OnChange;

    // Starts the run: the store directory is looked up (in the watcher's own
    // thread, GetStoreRoot keeping one value per thread) and watched. Only the
    // first call counts.
    void Resume();

    // Asks the watcher to end and returns at once. Safe at any time: before
    // Resume (the run then ends as it starts), while it runs, and after it
    // ended. From this call on no OnChange runs, not even one whose request
    // is already waiting to be served.
    void Stop();

    // Whether the run is over: after Stop, a failed wait, or OnChange raising.
    bool Ended() const;
    TWatchPhase Phase() const;

private:
    struct TShared;
    struct TRun;
    std::shared_ptr<TShared> shared_;  // kept alive by the run as well
    void* thread_;                     // the thread's handle, ours to close
    TRun* run_;                        // until Resume; then its thread's own
};

}  // namespace pellumo
