#pragma once
// TSetupDialog, the modal "Pellumo Setup" dialog that edits the user
// settings and whether Windows starts the program. Windows-free: the tray code and the tests reach it through
// TSetupDialogHolder, the window through its handle (void*).
#include <functional>

#include "texts/Message.h"

namespace pellumo {

class TNotifierSettings;
struct TUserSettings;

// How the setup dialog closed, and what of its OK could not be written.
struct TSetupResult {
    bool Ok = false;  // closed with OK
    // The first of the OK's writes that failed, empty when none did; the
    // writes after it were made all the same.
    TMessage WriteError;
};

// The dialog's names. Its window lives only inside ShowSetupDialog.
class TSetupDialog {
public:
    static const char* const kClassName;  // the dialog's window class

    // Control identifiers (GetDlgItem), so tests and accessibility tools find
    // the controls by more than their order.
    enum TControlId : int {
        idOk = 1,                // IDOK
        idCancel = 2,            // IDCANCEL
        idHintGroup = 301,       // group box "Hint"
        idAutoHideHint,          // "Auto hide hint"
        idHintTimeLabel,         // "Hint time (seconds):"
        idUseFading,             // "Use fading"
        idHintTimeEdit,          // the hint-time field (an edit) ...
        idHintTimeUpDown,        // ... and its up/down buttons
        idDisplayWhenOEActive,   // "Display when OE is active"
        idColorsGroup,           // group box "Colors"
        idBeginColorLabel,       // "Start"
        idBeginColor,            // colour combo box for BeginColor
        idEndColorLabel,         // "End"
        idEndColor,              // colour combo box for EndColor
        idLogo,                  // the logo
        idAlertsGroup,           // group box "Alerts"
        idSummarizeBursts,       // "Summarize bursts"
        idPlaySound,             // "Play sound"
        idQuietFullScreen,       // "Quiet during full-screen programs"
        idStartWithWindows,      // "Start with Windows"
        idFoldersGroup,          // group box "Folders"
        idFolderTree,            // the identity's folders, a check box for each that can be watched
        idFolderColorLabel,      // "Folder colour"
        idFolderColor,           // colour combo box for the selected folder ("Default" first)
        idShowUnreadCount,       // "Show unread count on the icon"
        idShowAgainLabel,        // "Show last message again:"
        idShowAgainHotkey,       // the hotkey control for it
        idShowAgainTaken,        // shown when another program has that key
        idHoldWhileAway,         // "Hold alerts while I'm away, after (minutes):"
        idAwayMinutesEdit,       // its minutes (an edit) ...
        idAwayMinutesUpDown,     // ... and their up/down buttons
        idFolderSoundLabel,      // "Folder sound"
        idFolderSound,           // the selected folder's sound: default, none, its file, or choose one
        idLanguageLabel,         // "Language:"
        idLanguage,              // "Automatic" and the program's languages by their own names
        idPages,                 // the tab control over the pages
        idShowSample,            // "Show sample": a popup in the colours and times as they stand
        idRulesGroup,            // group box "Announcement rules"
        idRuleLabel,             // "Rule:"
        idRuleEdit,              // the rule that Add and Change put into a list
        idRuleHint,              // what a rule may be
        idNeverLabel,            // "Never announce mail matching:"
        idNeverList,             // the NeverAnnounce rules
        idNeverAdd,              // "Add": the rule field's text to the Never list
        idNeverChange,           // "Change": the selected Never rule becomes the field's text
        idNeverRemove,           // "Remove": the selected Never rule goes
        idAlwaysLabel,           // "Always announce mail matching:"
        idAlwaysList,            // the AlwaysAnnounce rules
        idAlwaysAdd,             // as for the Never list
        idAlwaysChange,
        idAlwaysRemove,
    };

    // The pages, in the order of their tabs. A page's controls are shown
    // only while it is selected; the language and the buttons are on all.
    enum TPage : int {
        pagePopup,    // the popup's hiding, time, fading and colours, its sample, the logo
        pageAlerts,   // what is told when, the hotkey, the icon, the start with Windows
        pageFolders,  // the watched folders with their colours and sounds
        pageRules,    // the rules that say which mail is never and which always announced
        kPageCount
    };

    class TImpl;  // the window
};

// Where the open dialog is kept, so that asking again finds it: one per
// program (the application holds it), or per test.
class TSetupDialogHolder {
public:
    TSetupDialogHolder() = default;
    TSetupDialogHolder(const TSetupDialogHolder&) = delete;
    TSetupDialogHolder& operator=(const TSetupDialogHolder&) = delete;

    // Opens the dialog on `settings`, on the page last used (SetupPage),
    // and returns when it is closed, keeping the page it was on; OK (or
    // Enter) copies the controls into the settings, saves them, writes the
    // folder choices that changed for the current identity, and, when its box
    // was changed, sets and saves the user's start-with-Windows setting (a
    // copy installed for every user) or writes or removes the user's Run
    // value (any other copy), each whatever became of the others (a Run key
    // that a policy keeps closed costs nothing else); Cancel,
    // Esc and the close box change nothing. The thread's other windows keep
    // receiving their messages meanwhile. When this holder's dialog is open
    // already (the tray icon used again from inside it), brings that one to
    // the front and returns at once, as not OK. Throws Exception when the
    // window cannot be made.
    TSetupResult ShowSetupDialog(TNotifierSettings& settings);

    // The open dialog's window (its HWND), null when none is open.
    void* DialogHandle() const;

    // Shows a sample popup with the values the dialog's controls hold, not
    // yet stored: its "Show sample" button. Not set: the button is greyed.
    std::function<void(const TUserSettings&)> ShowSample;

private:
    TSetupDialog::TImpl* open_ = nullptr;
};

}  // namespace pellumo
