#pragma once
// The folder pane's sound field: a drop-down list of the user's new-mail
// sound, no sound, the folder's own file when it has one, and an entry that
// opens the standard open-file dialog to pick a .wav file.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace pellumo {

class TFolderSoundField {
public:
    // Takes the dialog's combo box (a drop-down list) and its label, made by the pane.
    TFolderSoundField(HWND dialog, int comboId, int labelId);

    // Shows a folder's Sound (TFolderChoice::Sound); greyed with its label
    // when the folder cannot be watched.
    void Show(const std::string& sound, bool enabled);
    // Told the Sound the user picked.
    std::function<void(const std::string& sound)> OnChange;

    // The dialog's window procedure offers every message first; true when taken.
    bool ParentMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    enum class TEntry { UserSound, Silence, File, Choose };
    void Fill();
    void Picked();
    // The file the user picks, in the system's code page; empty when none.
    std::string AskForFile() const;

    HWND dialog_, combo_, label_;
    std::string sound_;
    std::vector<TEntry> entries_;  // parallel to the list's items
};

}  // namespace pellumo
