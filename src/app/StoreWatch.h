#pragma once
// What the program watches, and whether it can: the store of the identity
// that used the mail client last, with its list of watched folders kept in
// step with the store's folder list. Lives on the main thread; the watcher
// thread only says when something may have changed, and is told which
// directory to watch.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "texts/Language.h"
#include "app/MailScan.h"
#include "app/StoreProbe.h"
#include "store/WatchedFolders.h"
#include "store/DbxFolderTree.h"

namespace pellumo {

enum class TWatchState {
    Watching,
    StoreNotFound,  // no store in the registry, or its folder is not there
    CannotWatch,    // the folder is there, the system does not report its changes
    NoFolderList,   // the folder is there, its Folders.dbx has not been read
    NoStoreRoot,    // where the store is cannot be read from the identity keys
    WatcherStopped, // the watcher thread ended; it is being started again
};

// The tray icon's tip for a state: the title while watching, else the title
// and why nothing is watched.
std::string WatchStateTip(TWatchState state, const TLanguage& language = UserLanguage());

class TStoreWatch {
public:
    struct TInputs {
        std::function<std::string()> StoreRoot;     // asked afresh every time
        std::function<std::string()> IdentityName;
        // The current identity's folder choices, asked whenever the watched
        // list is made (not set: every folder takes its default).
        std::function<TFolderChoices()> FolderChoices;
    };

    // Tree and Folders are the settings' folder tree and watched list, as the
    // settings built them from StoreRoot at start.
    TStoreWatch(TMailScan& scan, std::unique_ptr<TDbxFolderNode>& tree, TFolderList& folders, TInputs inputs);

    // The start-up scan: a baseline, or with AnnounceAll every unread
    // message. Returns the folder files passed over. A tree the settings
    // could not build (null) is read again at the next change in the store.
    std::vector<TSkippedFolder> Start(bool announceAll);

    // After the watcher woke (a write in the store folder, a change of the
    // identity keys, or its slow retry while nothing could be watched), with
    // what it found out on its own thread: whether it holds a change
    // notification on Directory(), where the store is and whether it is
    // there. Follows a move of the store (every folder of the new one read
    // as a baseline), takes up folders added to the folder list (also as a
    // baseline) and drops removed ones, then scans; a store that is not
    // there is not looked at. A probe that could not read where the store
    // is changes nothing but the state: the store and what was seen of it
    // stay, and the next probe that can read it scans what came meanwhile.
    void Refresh(const TStoreProbe& probe);
    // The same, the store looked at on this thread.
    void Refresh(bool armed) { Refresh(ProbeStore(inputs_.StoreRoot, armed)); }

    // The user chose other folders: the list is made again from the tree.
    // A folder newly watched is read at once, as a baseline (what it holds
    // is not announced, what comes next is); one no longer watched is
    // dropped, and what of it still waits in the queue is not shown.
    void FolderChoicesChanged();

    // The folder the watcher is to watch: the store's, while it exists.
    std::string Directory() const;
    TWatchState State() const { return state_; }
    // Told every change of State.
    std::function<void(TWatchState)> OnStateChange;

private:
    void ReadFolderList();
    TFolderChoices Choices() const { return inputs_.FolderChoices ? inputs_.FolderChoices() : TFolderChoices(); }
    void SetState(TWatchState state);
    static void LogSkipped(const std::vector<TSkippedFolder>& skipped);

    TMailScan& scan_;
    std::unique_ptr<TDbxFolderNode>& tree_;
    TFolderList& folders_;
    TInputs inputs_;
    std::string root_;
    bool present_ = false;  // whether root_ was a folder when last looked at
    TFileStamp folderListStamp_;
    std::string probeError_;  // the last probe's, logged once
    // No reading of this store's folder list has succeeded yet: nothing is
    // watched until one does.
    bool noFolderList_ = false;
    TWatchState state_ = TWatchState::Watching;
};

// Whether a store watcher thread runs, for the application that keeps one
// going: one that ends on an error is replaced a little later, and one that
// cannot be started in its place is tried again at the next chance.
enum class TWatcherState {
    Stopped,  // none: before the start, and after the stop
    Running,
    Ended,    // ended on an error, or could not be started again: another is due
};

class TWatcherKeeper {
public:
    // StartWatcher makes and starts a watcher thread; it throws when the
    // system cannot.
    explicit TWatcherKeeper(std::function<void()> startWatcher) : startWatcher_(std::move(startWatcher)) {}

    TWatcherState State() const { return state_; }
    // What the tray tells: the store's state while a watcher runs.
    TWatchState TrayState(TWatchState storeState) const;

    // The first watcher. Throws what StartWatcher threw; none runs then.
    void Start();
    // The running watcher ended on an error of its own.
    void Ended();
    // Another watcher in place of one that ended; false, doing nothing, when
    // none had. Throws what StartWatcher threw, and stays Ended: the next call
    // tries again.
    bool Restart();
    void Stop() { state_ = TWatcherState::Stopped; }

private:
    std::function<void()> startWatcher_;
    TWatcherState state_ = TWatcherState::Stopped;
};

}  // namespace pellumo
