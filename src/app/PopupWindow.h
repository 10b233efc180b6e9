#pragma once
// TPopupWindow as a window: the small always-on-top tool window that shows
// one queued notification at a time. It is the view of TPopupCycle, which
// decides everything; this class only creates the window and its controls,
// paints them and forwards the timer, the mouse and the move/size messages.
// Windows-free on purpose, so the program entry and the scan can hold one
// without including <windows.h>; handles travel as void*.
#include <cstdint>
#include <functional>
#include <memory>

#include "app/DisplayCycle.h"
#include "app/MailScan.h"
#include "app/RuleChoices.h"
#include "platform/Geometry.h"

namespace pellumo {

class TNotifierSettings;

// The program's icons: 0 the tray icon (envelope with a lightning flash), 1 a plain
// envelope, 2 a red exclamation mark (high priority), 3 a blue downward
// arrow (low priority); designed 16 x 16, drawn at any size (the system's
// small icon size, which grows with its DPI).
constexpr int kProgramIconCount = 4;
constexpr int kProgramIconSize = 16;

// Draws the program's icon `index` (greyed: in shades of grey), Size pixels
// square, and gives its HICON, now the caller's (DestroyIcon); null for an
// index out of range or when the system cannot.
void* DrawProgramIcon(int index, bool greyed = false, int size = kProgramIconSize);
// The tray's icon: the program's, greyed while nothing is watched, with a
// pause sign while the alerts are paused, and Count (IconCount's) drawn on a
// badge when not empty. An HICON, the caller's to destroy; null on failure.
void* DrawTrayIcon(bool greyed, bool paused, const std::string& count, int size = kProgramIconSize);

class TPopupWindow {
public:
    static const char* const kClassName;  // the window class

    // Child control identifiers (GetDlgItem), so tests and accessibility
    // tools find the labels by more than their order.
    enum TControlId : int {
        idSender = 101,  // the sender label
        idFolder,        // the folder label
        idSubject,       // the subject label
        idPriorityIcon,  // the priority icon
        idMessageBody,   // the body text
    };

    // Creates the hidden popup at `bounds` (the settings' WindowRect) over
    // `queue`. Throws Exception when the system cannot make the window.
    TPopupWindow(TNotificationQueue& queue, TPopupCycle::TInputs inputs, const TRect& bounds);
    // Stops the timer and destroys the window.
    ~TPopupWindow();
    TPopupWindow(const TPopupWindow&) = delete;
    TPopupWindow& operator=(const TPopupWindow&) = delete;

    // What the scan calls after queueing: starts the oldest notification
    // unless one is up.
    void ShowNextNotification();

    TPopupCycle& Cycle();
    // While a message is on screen, the keyboard goes to the popup: Escape
    // closes it, Enter brings Outlook Express to the front, the context-menu
    // key or Shift+F10 opens its menu. False, and nothing done, when none is.
    bool TakeKeyboard();
    // Receives what the user chose from the popup's context menu, to be
    // kept (a Never choice has taken the popup away already).
    void OnRuleChosen(std::function<void(const TRuleChoice&)> ruleChosen);
    // The window's HWND.
    void* Handle() const;
    // The program's icon `index` as the window holds it (an HICON it owns).
    void* ProgramIcon(int index) const;

    // The program's wiring: `settings` read afresh at every use (it must
    // outlive the inputs), WindowRect written back to it, the monitors' work
    // areas for the off-screen check and for snapping, and the Outlook
    // Express test.
    static TPopupCycle::TInputs DefaultInputs(TNotifierSettings& settings);

private:
    class TImpl;
    std::unique_ptr<TImpl> impl_;
};

}  // namespace pellumo
