#pragma once
// The setup dialog's "Hold alerts while I'm away" row: a check box and, below
// it, the minutes without input after which the user counts as away, a
// number field with up and down buttons (1 to 240). Unticked, it stands for
// 0: never away.
#include <windows.h>

#include <cstdint>

namespace pellumo {

class TAwayField {
public:
    // Takes the dialog's controls with those ids, made by the dialog.
    TAwayField(HWND dialog, int boxId, int editId, int upDownId);

    void Set(int32_t awayMinutes);
    int32_t Get() const;
    // The check box was clicked: the minutes can be set only while ticked.
    void BoxClicked() const;

private:
    bool Ticked() const;
    HWND box_, edit_, upDown_;
};

}  // namespace pellumo
