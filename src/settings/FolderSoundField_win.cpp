#include "settings/FolderSoundField_win.h"

#include <commdlg.h>

#include "platform/Log.h"
#include "platform/WideText_win.h"
#include "texts/Language.h"
#include "store/WatchedFolders.h"

namespace pellumo {

namespace {

// The registry keeps the settings' texts in the system's code page, so a
// path is held that way: these convert at the window's edge.
std::wstring WideFromSystemText(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length > 0 ? length : 0, L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

// Empty when some character has no place in the code page.
std::string SystemTextFromWide(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) return std::string();
    std::string text(length, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &text[0], length,
                        nullptr, nullptr);
    return text;
}

}  // namespace

TFolderSoundField::TFolderSoundField(HWND dialog, int comboId, int labelId)
    : dialog_(dialog), combo_(GetDlgItem(dialog, comboId)), label_(GetDlgItem(dialog, labelId)) {}

void TFolderSoundField::Show(const std::string& sound, bool enabled) {
    sound_ = sound;
    Fill();
    EnableWindow(combo_, enabled);
    EnableWindow(label_, enabled);
}

void TFolderSoundField::Fill() {
    SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    entries_.clear();
    auto add = [this](TEntry entry, const std::wstring& text) {
        SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        entries_.push_back(entry);
    };
    add(TEntry::UserSound, WideFromUtf8(Text(TText::SoundDefault)));
    add(TEntry::Silence, WideFromUtf8(Text(TText::SoundNone)));
    const bool file = !sound_.empty() && sound_ != kNoSound;
    // The file's own name; the folder it lies in is seen when choosing again.
    if (file) add(TEntry::File, WideFromSystemText(sound_.substr(sound_.find_last_of("\\/") + 1)));
    add(TEntry::Choose, WideFromUtf8(Text(TText::SoundChoose)));
    const TEntry shown = sound_.empty() ? TEntry::UserSound : file ? TEntry::File : TEntry::Silence;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i] == shown) SendMessageW(combo_, CB_SETCURSEL, i, 0);
}

bool TFolderSoundField::ParentMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COMMAND || reinterpret_cast<HWND>(lParam) != combo_ || HIWORD(wParam) != CBN_SELCHANGE)
        return false;
    Picked();
    return true;
}

void TFolderSoundField::Picked() {
    const LRESULT index = SendMessageW(combo_, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return;
    switch (entries_[index]) {
        case TEntry::UserSound: sound_.clear(); break;
        case TEntry::Silence: sound_ = kNoSound; break;
        case TEntry::File: return;
        case TEntry::Choose: {
            const std::string file = AskForFile();
            if (!file.empty()) sound_ = file;
            // Cancelled: what was there shows again.
            Fill();
            break;
        }
    }
    if (OnChange) OnChange(sound_);
}

std::string TFolderSoundField::AskForFile() const {
    wchar_t path[MAX_PATH] = {};
    if (!sound_.empty() && sound_ != kNoSound) lstrcpynW(path, WideFromSystemText(sound_).c_str(), MAX_PATH);
    // Pairs of a name and its pattern, each ending in a zero, the list in another.
    std::wstring filter = WideFromUtf8(Text(TText::SoundFiles));
    filter += std::wstring(L"\0*.wav\0", 7) + WideFromUtf8(Text(TText::AllFiles)) + std::wstring(L"\0*.*\0", 5);
    const std::wstring title = WideFromUtf8(Text(TText::SoundChooseTitle));
    OPENFILENAMEW ask {};
    ask.lStructSize = sizeof ask;
    ask.hwndOwner = dialog_;
    ask.lpstrFilter = filter.c_str();
    ask.lpstrFile = path;
    ask.nMaxFile = MAX_PATH;
    ask.lpstrTitle = title.c_str();
    ask.lpstrDefExt = L"wav";
    ask.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ask)) {
        if (const DWORD error = CommDlgExtendedError()) LogLine("The open-file dialog failed: error " + std::to_string(error));
        return std::string();
    }
    std::string picked = SystemTextFromWide(path);
    if (picked.empty()) {
        // The short name is in the code page whatever the long one holds.
        wchar_t shortPath[MAX_PATH] = {};
        if (GetShortPathNameW(path, shortPath, MAX_PATH)) picked = SystemTextFromWide(shortPath);
    }
    if (picked.empty()) LogLine("A sound file's name that the registry cannot hold was not taken");
    return picked;
}

}  // namespace pellumo
