#pragma once
// One copy of the program per user session: the first start holds a named
// mutex in the session's namespace; a later start finds it held, asks the
// running copy to open its setup dialog (what a user starting it again
// wants) and ends.
#include <windows.h>

#include "platform/UniqueHandle_win.h"

namespace pellumo {

class TRunningCopy {
public:
    // Takes the session's mutex, or learns that another copy holds it.
    TRunningCopy();

    bool IsFirst() const { return first_; }
    // The running copy's hidden window gets OpenSettingsMessage(); false
    // when no window of it could be found within a few seconds (it may be
    // starting, or ending).
    bool AskToOpenSettings() const;

    // The registered message that asks the running copy for its settings.
    static UINT OpenSettingsMessage();

private:
    TKernelHandle mutex_;
    bool first_ = true;
};

}  // namespace pellumo
