#include "settings/AwayField_win.h"

#include <commctrl.h>

#include "settings/NotifierSettings.h"

namespace pellumo {

TAwayField::TAwayField(HWND dialog, int boxId, int editId, int upDownId)
    : box_(GetDlgItem(dialog, boxId)), edit_(GetDlgItem(dialog, editId)), upDown_(GetDlgItem(dialog, upDownId)) {
    if (!upDown_) return;
    // The buttons keep the field's number themselves, within the range.
    SendMessageW(upDown_, UDM_SETRANGE32, 1, kAwayMinutesMax);
}

bool TAwayField::Ticked() const { return SendMessageW(box_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TAwayField::Set(int32_t awayMinutes) {
    const bool hold = awayMinutes > 0;
    SendMessageW(box_, BM_SETCHECK, hold ? BST_CHECKED : BST_UNCHECKED, 0);
    // Unticked, the field offers the usual minutes for when it is ticked.
    const int32_t shown = hold ? awayMinutes : kAwayMinutesValue.FirstRun;
    if (upDown_) SendMessageW(upDown_, UDM_SETPOS32, 0, shown);
    SetDlgItemInt(GetParent(edit_), GetDlgCtrlID(edit_), static_cast<UINT>(shown), FALSE);
    BoxClicked();
}

int32_t TAwayField::Get() const {
    if (!Ticked()) return 0;
    BOOL read = FALSE;
    const UINT minutes = GetDlgItemInt(GetParent(edit_), GetDlgCtrlID(edit_), &read, FALSE);
    // An empty or overlong field holds the nearest minutes the range has.
    if (!read) return GetWindowTextLengthW(edit_) > 0 ? kAwayMinutesMax : 1;
    return minutes < 1 ? 1 : minutes > UINT(kAwayMinutesMax) ? kAwayMinutesMax : int32_t(minutes);
}

void TAwayField::BoxClicked() const {
    const BOOL hold = Ticked();
    EnableWindow(edit_, hold);
    if (upDown_) EnableWindow(upDown_, hold);
}

}  // namespace pellumo
