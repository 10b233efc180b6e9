#include "app/RemovalWatch_win.h"

#include <dbt.h>

#include "platform/Log.h"

namespace pellumo {

namespace {
const wchar_t kClassName[] = L"PellumoRemovalWatch";
}  // namespace

TRemovalWatch::TRemovalWatch() {
    RegisterWindowClass(kClassName, TWindowKind::Plain, nullptr, TText::CannotRegisterRemovalWatchClass);
    Create(kClassName, TWindowKind::Plain, 0, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
           TText::CannotCreateRemovalWatchWindow);
}

bool TRemovalWatch::Hold(const std::string& dir) {
    Release();
    if (dir.empty()) return false;
    // Listing rights only, every sharing: nothing that would stand in the
    // mail client's way.
    // The path in the system's code page, as every store path is.
    folder_.Reset(CreateFileA(dir.c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder_) return false;
    DEV_BROADCAST_HANDLE filter {};
    filter.dbch_size = sizeof filter;
    filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
    filter.dbch_handle = folder_.Get();
    registration_.Reset(RegisterDeviceNotificationW(Hwnd(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    if (!registration_) {
        // Not to be had for this drive: holding the folder would only keep it
        // from being removed.
        folder_.Reset();
        return false;
    }
    return true;
}

void TRemovalWatch::Release() {
    registration_.Reset();
    folder_.Reset();
}

bool TRemovalWatch::IsOurs(LPARAM lParam) const {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_HANDLE || !registration_) return false;
    const auto* event = reinterpret_cast<const DEV_BROADCAST_HANDLE*>(header);
    return event->dbch_hdevnotify == registration_.Get();
}

LRESULT TRemovalWatch::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DEVICECHANGE || !IsOurs(lParam)) return Default(message, wParam, lParam);
    switch (wParam) {
        case DBT_DEVICEQUERYREMOVE:
            // Let go now, or the system refuses the removal; the registration
            // stays, to hear whether the removal goes ahead.
            LogLine("The store's drive is to be removed: its folder is let go");
            folder_.Reset();
            if (OnRemovalAsked) OnRemovalAsked();
            break;
        case DBT_DEVICEQUERYREMOVEFAILED:
            LogLine("The store's drive stays: its folder is watched again");
            Release();
            if (OnRemovalCancelled) OnRemovalCancelled();
            break;
        case DBT_DEVICEREMOVEPENDING:
        case DBT_DEVICEREMOVECOMPLETE:
            Release();
            if (OnRemoved) OnRemoved();
            break;
    }
    return TRUE;
}

}  // namespace pellumo
