#pragma once
// Lets the store's drive be removed while it is watched. A change
// notification keeps the store folder open, and Windows refuses "Safely
// Remove Hardware" while anything holds a file on the drive. So the watcher
// also holds a handle on the folder registered for the system's device
// events: when removal is asked for, it is told to let go (and does, before
// the system goes on), and when removal is called off, to watch again.
//
// Its window is message-only and belongs to the thread that made it, which
// must take messages while it waits.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/UniqueHandle_win.h"
#include "platform/Window_win.h"

namespace pellumo {

class TRemovalWatch : public TWindow {
public:
    // Throws Exception when the system cannot make the window.
    TRemovalWatch();

    // Holds Dir's drive for device events, instead of what was held before.
    // False where the system does not report them for it (nothing is held).
    bool Hold(const std::string& dir);
    // Lets go of the folder and of the registration.
    void Release();

    // The drive is to be removed: the watcher must close what it holds on it
    // before this returns, and touch nothing on it until the removal is done
    // or called off. The folder handle is closed already.
    std::function<void()> OnRemovalAsked;
    // The drive was removed (or is about to be, without asking).
    std::function<void()> OnRemoved;
    // The removal was called off: the folder can be watched again.
    std::function<void()> OnRemovalCancelled;

    HANDLE FolderHandle() const { return folder_.Get(); }
    HDEVNOTIFY Registration() const { return registration_.Get(); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Whether a device event is about the folder held.
    bool IsOurs(LPARAM lParam) const;

    TFileHandle folder_;
    TDeviceNotification registration_;
};

}  // namespace pellumo
