#include "app/TrayIcon_win.h"

#include <cstring>

#include "app/PopupWindow.h"
#include "platform/Log.h"
#include "platform/UniqueHandle_win.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"
#include "texts/Language.h"

namespace pellumo {

namespace {

// NOTIFYICONDATA in its Windows 2000 layout: what XP and later all accept.
const DWORD kTrayIconDataSize = NOTIFYICONDATAW_V2_SIZE;
static_assert(NOTIFYICONDATAW_V2_SIZE == 936, "the Windows 2000 layout of NOTIFYICONDATAW");

// The tip as the icon's fixed field holds it, cut short rather than
// overrun, and never between the two halves of a surrogate pair.
void CopyTip(WCHAR (&tip)[128], const std::string& text) {
    const std::wstring wide = WideFromUtf8(text);
    size_t length = wide.size() < 127 ? wide.size() : 127;
    if (length < wide.size() && length > 0 && wide[length - 1] >= 0xD800 && wide[length - 1] <= 0xDBFF) --length;
    std::memset(tip, 0, sizeof tip);
    std::memcpy(tip, wide.data(), length * sizeof(WCHAR));
}

void Append(HMENU menu, UINT flags, UINT_PTR id, const std::string& text) {
    AppendMenuW(menu, flags, id, WideFromUtf8(text).c_str());
}

}  // namespace

TTrayIcon::TTrayIcon(HWND window, UINT callbackMessage, const std::string& tip) {
    std::memset(&data_, 0, sizeof data_);
    data_.cbSize = kTrayIconDataSize;
    data_.hWnd = window;
    data_.uID = 0;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
    look_.Tip = tip;
    CopyTip(data_.szTip, tip);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
}

void TTrayIcon::Add() {
    wanted_ = true;
    failures_ = 0;
    Place();
}

void TTrayIcon::SetLook(const TTrayLook& look) {
    if (look == look_) return;
    if (look.Tip != look_.Tip) LogLine("Tray: " + (look.TipInEnglish.empty() ? look.Tip : look.TipInEnglish));
    look_ = look;
    CopyTip(data_.szTip, look.Tip);
    if (wanted_ && !Notify(NIM_MODIFY)) {
        LogLine("The tray icon was gone; adding it again");
        Place();
    }
}

void TTrayIcon::Remove() {
    KillTimer(data_.hWnd, kRetryTimer);
    if (!wanted_) return;
    Shell_NotifyIconW(NIM_DELETE, &data_);
    wanted_ = false;
}

void TTrayIcon::Retry() {
    KillTimer(data_.hWnd, kRetryTimer);
    if (wanted_) Place();
}

UINT TTrayIcon::TrackMenu(POINT at, const TTrayMenuItems& items) {
    const TMenu menu(CreatePopupMenu());
    if (!menu) return cmNone;
    // The submenus belong to the menu once appended, and go with it.
    HMENU recent = CreatePopupMenu();
    HMENU pause = items.Paused ? nullptr : CreatePopupMenu();
    // Every item has its key, the default one too: a keyboard user opens
    // the menu with the context key and picks with a letter.
    Append(menu.Get(), MF_STRING, cmSettings, Text(TText::MenuSettings));
    if (recent) {
        if (items.Recent.empty()) Append(recent, MF_STRING | MF_GRAYED, cmNone, Text(TText::MenuRecentNone));
        for (size_t i = 0; i < items.Recent.size(); ++i) Append(recent, MF_STRING, cmRecentFirst + i, items.Recent[i]);
        Append(menu.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(recent), Text(TText::MenuRecentMail));
    }
    if (items.Paused) {
        Append(menu.Get(), MF_STRING, cmResume, Text(TText::MenuResume));
    } else if (pause) {
        Append(pause, MF_STRING, cmPause30Minutes, Text(TText::MenuPause30Minutes));
        Append(pause, MF_STRING, cmPauseOneHour, Text(TText::MenuPauseOneHour));
        Append(pause, MF_STRING, cmPauseUntilTomorrow, Text(TText::MenuPauseUntilTomorrow));
        Append(pause, MF_STRING, cmPauseUntilResumed, Text(TText::MenuPauseUntilResumed));
        Append(menu.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(pause), Text(TText::MenuPause));
    }
    AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    Append(menu.Get(), MF_STRING, cmExit, Text(TText::MenuExit));
    SetMenuDefaultItem(menu.Get(), cmSettings, FALSE);
    return TrackMenuInFront(menu.Get(), at, data_.hWnd);
}

bool TTrayIcon::Notify(DWORD action) {
    // The shell keeps its own copy of the icon.
    // At the system's small icon size: a 16-pixel icon scaled up at 120 or
    // 144 DPI would blur the count.
    const TIcon icon(
        static_cast<HICON>(DrawTrayIcon(look_.Greyed, look_.Paused, look_.Count, GetSystemMetrics(SM_CXSMICON))));
    data_.hIcon = icon.Get();
    const bool done = Shell_NotifyIconW(action, &data_) != FALSE;
    data_.hIcon = nullptr;
    return done;
}

POINT TTrayIcon::MenuPosition() const {
    POINT cursor {};
    GetCursorPos(&cursor);
    // Windows 7 and later tell where the icon is; XP does not.
    using TGetRect = HRESULT(WINAPI*)(const void*, RECT*);
    static const TGetRect getRect = reinterpret_cast<TGetRect>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"shell32.dll"), "Shell_NotifyIconGetRect")));
    if (!getRect) return cursor;
    struct {
        DWORD cbSize;
        HWND hWnd;
        UINT uID;
        GUID guidItem;
    } identifier {sizeof identifier, data_.hWnd, data_.uID, GUID()};
    RECT icon {};
    if (FAILED(getRect(&identifier, &icon)) || PtInRect(&icon, cursor)) return cursor;
    return POINT {icon.left, icon.top};
}

void TTrayIcon::Place() {
    if (Notify(NIM_ADD) || Notify(NIM_MODIFY)) {
        // Asked again after each add: a new taskbar knows nothing of it.
        data_.uVersion = NOTIFYICON_VERSION;
        versioned_ = Shell_NotifyIconW(NIM_SETVERSION, &data_) != FALSE;
        if (failures_ > 0) LogLine("The tray icon is in place after " + std::to_string(failures_ + 1) + " tries");
        failures_ = 0;
        return;
    }
    if (failures_ == 0)
        LogLine("The shell refused the tray icon (error " + std::to_string(GetLastError()) + "); trying again");
    if (++failures_ > kMaxRetries) {
        LogLine("The tray icon could not be added; it comes back when the taskbar starts again");
        return;
    }
    SetTimer(data_.hWnd, kRetryTimer, kRetryInterval, nullptr);
}

}  // namespace pellumo
