#pragma once
// One copy of the program per user session: the first start owns a named
// mutex in the session's namespace; a later start finds it held, asks the
// running copy to open its setup dialog (what a user starting it again
// wants) and ends. A copy that is ending still holds the mutex, and for a
// moment its window too, which no longer answers: a start then waits for it
// to end and runs in its place.
#include <windows.h>

#include "platform/UniqueHandle_win.h"

namespace pellumo {

class TRunningCopy {
public:
    // Takes the session's mutex, or learns that another copy holds it.
    TRunningCopy();
    ~TRunningCopy();
    TRunningCopy(const TRunningCopy&) = delete;
    TRunningCopy& operator=(const TRunningCopy&) = delete;

    bool IsFirst() const { return first_; }

    enum class TOtherCopy {
        Running,  // its window was found (and asked for its settings, if so told)
        Ended,    // it ended: this copy is the first now
        Unknown,  // neither within the wait: it may hang
    };
    // For a start that is not the first: waits until the running copy's
    // window answers, or until the copy ends. With AskForSettings the
    // running copy is asked to open its setup dialog.
    TOtherCopy ReachOtherCopy(bool askForSettings);

    // The registered message that asks the running copy for its settings.
    static UINT OpenSettingsMessage();
    // The registered message that asks the copy's window whether its copy
    // runs on: it answers kRunningAnswer while its message loop runs, and
    // nothing once the copy has begun to end.
    static UINT RunningQueryMessage();
    static const LRESULT kRunningAnswer = 0x504C4D;

private:
    TKernelHandle mutex_;
    bool first_ = true;
};

}  // namespace pellumo
