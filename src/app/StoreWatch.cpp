#include "app/StoreWatch.h"

#include <set>

#include "app/ProgramStart.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"

namespace pellumo {

namespace {
const char kFolderListFile[] = "Folders.dbx";

std::string Shown(const std::string& root) { return root.empty() ? "(none)" : root; }
}  // namespace

std::string WatchStateTip(TWatchState state, const TLanguage& language) {
    const auto why = [&](TText reason) { return language.Text(TText::NotWatching, {kApplicationTitle, language.Text(reason)}); };
    switch (state) {
        case TWatchState::Watching: break;
        case TWatchState::StoreNotFound: return why(TText::StoreNotFound);
        case TWatchState::CannotWatch: return why(TText::StoreCannotBeWatched);
        case TWatchState::NoFolderList: return why(TText::FolderListUnreadable);
        case TWatchState::NoStoreRoot: return why(TText::StoreLocationUnreadable);
        case TWatchState::WatcherStopped: return why(TText::WatcherRestarting);
    }
    return kApplicationTitle;
}

TStoreWatch::TStoreWatch(TMailScan& scan, std::unique_ptr<TDbxFolderNode>& tree, TFolderList& folders,
                         TInputs inputs)
    : scan_(scan), tree_(tree), folders_(folders), inputs_(std::move(inputs)) {}

std::string TStoreWatch::Directory() const { return present_ ? root_ : std::string(); }

std::vector<TSkippedFolder> TStoreWatch::Start(bool announceAll) {
    try {
        root_ = inputs_.StoreRoot();
    } catch (const std::exception& error) {
        // As at any later look: the store is taken as it is found once where
        // it is can be read, at the next change or the watcher's next try.
        probeError_ = error.what();
        LogLine("Where the store is cannot be read: " + probeError_);
        SetState(TWatchState::NoStoreRoot);
        return {};
    }
    present_ = DirectoryExists(root_);
    // The settings read the folder list before this; when they could not,
    // any later change is worth a new try.
    noFolderList_ = !tree_;
    folderListStamp_ = noFolderList_ ? TFileStamp() : FileStamp(root_ + kFolderListFile);
    const std::vector<TSkippedFolder> skipped = scan_.ScanFolders(!announceAll);
    LogSkipped(skipped);
    LogLine("Started on " + Shown(root_) + ": " + std::to_string(folders_.size()) + " folders watched");
    SetState(!present_ ? TWatchState::StoreNotFound : noFolderList_ ? TWatchState::NoFolderList : TWatchState::Watching);
    return skipped;
}

void TStoreWatch::Refresh(const TStoreProbe& probe) {
    if (probe.Error != probeError_) {
        probeError_ = probe.Error;
        if (!probeError_.empty()) LogLine("Where the store is cannot be read: " + probeError_);
    }
    if (!probe.Error.empty()) {
        // Never taken for a move to no store: that would forget what was
        // seen, and mail that came meanwhile would pass for old.
        SetState(TWatchState::NoStoreRoot);
        return;
    }
    const std::string& root = probe.Root;
    if (root != root_) {
        LogLine("The store moved from " + Shown(root_) + " to " + Shown(root));
        root_ = root;
        // Another store's folders and messages: nothing of the old one counts.
        folders_.clear();
        tree_.reset();
        scan_.SeenIds.Clear();
        folderListStamp_ = TFileStamp();
    }
    present_ = probe.Present;
    if (present_) {
        ReadFolderList();
        LogSkipped(scan_.StoreChanged());
    }
    SetState(!present_       ? TWatchState::StoreNotFound
             : noFolderList_ ? TWatchState::NoFolderList
             : probe.Armed   ? TWatchState::Watching
                             : TWatchState::CannotWatch);
}

void TStoreWatch::ReadFolderList() {
    const TFileStamp stamp = FileStamp(root_ + kFolderListFile);
    if (stamp.Age == -1 || stamp == folderListStamp_) return;
    folderListStamp_ = stamp;
    try {
        std::unique_ptr<TDbxFolderNode> tree = BuildFolderTree(root_, inputs_.IdentityName());
        // The old records stay alive until the list no longer points at them.
        UpdateWatchedFolders(*tree, folders_, Choices());
        scan_.SeenIds.KeepFolders(folders_);
        tree_ = std::move(tree);
        noFolderList_ = false;
        LogLine("Folder list read: " + std::to_string(folders_.size()) + " folders watched");
    } catch (const std::exception& error) {
        // Half written, or broken: the folders watched so far stay, and the
        // next change of the file is read again.
        LogLine(std::string(kFolderListFile) + ": " + error.what() + "; the folders watched so far stay");
        if (!tree_) noFolderList_ = true;
    }
}

void TStoreWatch::FolderChoicesChanged() {
    if (!tree_) return;
    UpdateWatchedFolders(*tree_, folders_, Choices());
    scan_.SeenIds.KeepFolders(folders_);
    std::set<std::string> watched;
    for (const TFolderListEntry& entry : folders_) watched.insert(entry.FolderId);
    scan_.Queue.RemoveIf([&](const TNotification& item) { return !watched.count(item.FolderId); });
    LogLine("Folders chosen: " + std::to_string(folders_.size()) + " folders watched");
    if (present_) LogSkipped(scan_.StoreChanged());
}

void TStoreWatch::SetState(TWatchState state) {
    if (state == state_) return;
    state_ = state;
    LogLine(state == TWatchState::Watching ? "Watching " + Shown(root_) : WatchStateTip(state) + " (" + Shown(root_) + ")");
    if (OnStateChange) OnStateChange(state);
}

void TStoreWatch::LogSkipped(const std::vector<TSkippedFolder>& skipped) {
    for (const TSkippedFolder& folder : skipped) LogLine("Passed over " + folder.FileName + ": " + folder.Message.English());
}

TWatchState TWatcherKeeper::TrayState(TWatchState storeState) const {
    return state_ == TWatcherState::Ended ? TWatchState::WatcherStopped : storeState;
}

void TWatcherKeeper::Start() {
    startWatcher_();
    state_ = TWatcherState::Running;
}

void TWatcherKeeper::Ended() {
    if (state_ == TWatcherState::Running) state_ = TWatcherState::Ended;
}

bool TWatcherKeeper::Restart() {
    if (state_ != TWatcherState::Ended) return false;
    // Running only once it runs: a start that throws leaves another due.
    startWatcher_();
    state_ = TWatcherState::Running;
    return true;
}

}  // namespace pellumo
