#pragma once
// The setup dialog's "Folders" group: the current identity's folders as the
// mail client shows them (accounts and "Local Folders", then their folders
// in tree order), a check box for each folder that has a message file of
// its own (ticked: watched), and below the tree the colour of the folder
// selected, "Default" standing for the Start colour, and its sound.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/ColorCombo.h"
#include "settings/FolderSoundField_win.h"
#include "platform/Window_win.h"
#include "store/WatchedFolders.h"

namespace pellumo {

class TDbxFolderNode;
class TDbxFolderRecord;

// Where the pane's controls go, in the dialog's client coordinates.
struct TFolderPanePlaces {
    RECT Group, Tree, ColorLabel, Color, SoundLabel, Sound;
};

class TFolderPane {
public:
    // Makes the group box and its controls on Dialog at Places, with the
    // ids of TSetupDialog, filled from Tree (may be null: no folders) and
    // Choices; "Default" is drawn in StartColor. Throws Exception when a
    // control cannot be made.
    TFolderPane(HWND dialog, HFONT font, const TFolderPanePlaces& places, const TDbxFolderNode* tree,
                const TFolderChoices& choices, TColor startColor);
    ~TFolderPane();
    TFolderPane(const TFolderPane&) = delete;
    TFolderPane& operator=(const TFolderPane&) = delete;

    // The choices as the controls hold them: those found, with what the
    // user changed. A check box set back to what it was changes nothing.
    TFolderChoices Choices() const;
    // The Start colour changed: "Default" is drawn in it.
    void SetStartColor(TColor color);

    // The dialog's window procedure offers every message first; true when
    // taken, with the result in `result`.
    bool ParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    struct TRow {
        std::string Id;
        bool Checkable = false;
        bool WatchedByDefault = false;  // with no choice stored
        TFolderChoice Choice;           // as found, then the colour and sound as picked
    };
    // Lists the folders below Root (at most kDeepestLevelShown levels deep).
    void AddItems(const TDbxFolderNode& root);
    HTREEITEM AddItem(const TDbxFolderRecord& record, HTREEITEM parent);
    // The row of a tree item, or null.
    TRow* RowOf(HTREEITEM item);
    const TRow* RowOf(HTREEITEM item) const;
    // Shows the colour and sound of the folder at Item.
    void ShowLooksOf(HTREEITEM item);
    void ColorPicked();

    HWND dialog_;
    HWND tree_ = nullptr;
    std::unique_ptr<TControlHook> treeHook_;
    std::unique_ptr<TColorCombo> color_;
    std::unique_ptr<TFolderSoundField> sound_;
    TFolderChoices found_;
    std::vector<TRow> rows_;
    std::vector<HTREEITEM> items_;  // parallel to rows_
    int shown_ = -1;                // the row whose colour and sound are shown
};

}  // namespace pellumo
