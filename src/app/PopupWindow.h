#pragma once
// TfrmMornelle as a window: the small always-on-top tool window that shows
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
#include "platform/Geometry.h"

namespace pellumo {

// ImageList1: 0 the tray icon (envelope with a lightning flash), 1 a plain
// envelope, 2 a red exclamation mark (high priority), 3 a blue downward
// arrow (low priority); each 16 x 16.
constexpr int kImageListCount = 4;
constexpr int kImageListSize = 16;

// Draws icon `index` of ImageList1 (greyed: in shades of grey) and gives its
// HICON, now the caller's (DestroyIcon); null for an index out of range or
// when the system cannot.
void* CreateImageListIcon(int index, bool greyed = false);

class TfrmMornelle {
public:
    static const char* const kCaption;    // "You've got new mail!"
    static const char* const kClassName;  // the window class
    static const int32_t kMinHeight = 160;

    // Child control identifiers (GetDlgItem), so tests and accessibility
    // tools find the labels by more than their order.
    enum TControlId : int {
        idSender = 101,  // lbSender
        idFolder,        // lbFolder
        idSubject,       // lbSubject
        idImage1,        // Image1, the priority icon
        idMessageBody,   // MessageBody
    };

    // Creates the hidden popup at `bounds` (the settings' WindowRect) over
    // `queue`. Raises Exception when the system cannot make the window.
    TfrmMornelle(TEmailQueue& queue, TPopupCycle::TInputs inputs, const TRect& bounds);
    // Stops the timer and destroys the window.
    ~TfrmMornelle();
    TfrmMornelle(const TfrmMornelle&) = delete;
    TfrmMornelle& operator=(const TfrmMornelle&) = delete;

    // What the scan calls after queueing: starts the oldest notification
    // unless one is up.
    void ShowNextNotification();

    TPopupCycle& Cycle();
    // The window's HWND.
    void* Handle() const;
    // ImageList1's icon `index` as the window holds it (an HICON it owns).
    void* ImageListIcon(int index) const;

    // Messages of the window that belong to the rest of the main form (the
    // tray icon's callback, the shell's broadcasts, the session's end): the
    // handler sees each message first and returns true when it took it.
    using TMessageHandler = std::function<bool(unsigned message, uintptr_t wParam, intptr_t lParam)>;
    void SetMessageHandler(TMessageHandler handler);

    // The program's wiring: settings from NotifierSettings() read afresh at
    // every use, WindowRect written back, the monitors' work areas for the
    // off-screen check and for snapping, and the Outlook Express test.
    static TPopupCycle::TInputs DefaultInputs();

private:
    class TImpl;
    std::unique_ptr<TImpl> impl_;
};

}  // namespace pellumo
