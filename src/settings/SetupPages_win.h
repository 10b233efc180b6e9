#pragma once
// The setup dialog's pages as windows: each page makes its controls on the
// dialog (not on a window of its own, so their notifications reach the
// dialog's procedure, which offers them to the pages), fills them from the
// settings and reads them back. A new page is a class of its own here, a
// layout function in SetupLayout and a row in the dialog's list of pages.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/GradientPanel.h"
#include "settings/NotifierSettings.h"
#include "settings/SetupLayout.h"

namespace pellumo {

// Makes the dialog's controls where the layout puts them, in its font.
class TSetupControls {
public:
    TSetupControls(HWND dialog, HFONT font, const TSetupLayout& layout) : dialog_(dialog), font_(font), layout_(layout) {}

    HWND Dialog() const { return dialog_; }
    HFONT Font() const { return font_; }
    const TRect& At(int id) const { return layout_.Rects.at(id); }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    // A visible child window with id `id` at `at`. Throws Exception when it
    // cannot be made.
    HWND Make(const wchar_t* windowClass, const std::string& text, DWORD style, DWORD exStyle, const TRect& at,
              int id) const;
    HWND Make(const wchar_t* windowClass, const std::string& text, DWORD style, DWORD exStyle, int id) const {
        return Make(windowClass, text, style, exStyle, At(id), id);
    }
    // Labels, check boxes, buttons and group boxes: their text is the table's.
    HWND Make(const wchar_t* windowClass, DWORD style, int id) const;
    // A check box, a tab stop and a group of its own, so the arrow keys do
    // not wander between check boxes.
    HWND CheckBox(int id) const { return Make(L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, id); }
    // Group boxes go beneath the controls they frame, clipped by them: a
    // group box may paint its whole rectangle.
    void GroupBox(int id) const { Make(L"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, id); }

    void Check(int id, bool checked) const { CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED); }
    bool Checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

private:
    HWND dialog_;
    HFONT font_;
    const TSetupLayout& layout_;
};

class TSetupPage {
public:
    virtual ~TSetupPage() = default;
    // Puts the settings into the controls.
    virtual void Fill(const TNotifierSettings& settings) = 0;
    // Puts what the controls hold into `values`, the page's part of them.
    virtual void Read(TUserSettings& values) const = 0;
    // The page has been shown: controls its state keeps hidden are hidden again.
    virtual void Shown() {}
    // The dialog's messages are offered to every page first; true when
    // taken, with the result in `result`.
    virtual bool Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
};

// "Popup": whether and when it hides, its fading, the mail client's rule,
// its colours, the sample and the logo. Makes its controls on creation.
std::unique_ptr<TSetupPage> MakePopupPage(const TSetupControls& controls, std::function<void()> showSample,
                                          std::function<void(TColor)> startColorPicked);
// "Alerts": summaries, sound, full screen, away, the hotkey, the icon's
// count and the start with Windows (which OK applies apart: not a value).
std::unique_ptr<TSetupPage> MakeAlertsPage(const TSetupControls& controls);
// "Folders": the folder tree with each folder's colour and sound.
class TFolderPane;
std::unique_ptr<TSetupPage> MakeFoldersPage(const TSetupControls& controls, const TNotifierSettings& settings,
                                            const TFolderChoices& found, TFolderPane*& pane);
// "Rules": the lists of rules for mail never and mail always announced.
std::unique_ptr<TSetupPage> MakeRulesPage(const TSetupControls& controls);

}  // namespace pellumo
