#pragma once
// Runs a function on one particular thread on behalf of another and waits
// for it to return. The request is a message sent to a hidden window of the
// target thread, so whatever message loop that thread is in (its main loop,
// a menu, a modal dialog) serves it between its other work.
#include <functional>

namespace pellumo {

class TMainThreadCall {
public:
    // The dispatcher of the calling thread, made on its first use there and
    // kept until that thread ends. Throws Exception when the system cannot
    // make its window.
    static TMainThreadCall OfThisThread();

    // Runs Fn on the dispatcher's thread and waits until it has returned (on
    // that thread itself it simply runs Fn). False when Fn threw, the error
    // going no further, or when that thread no longer takes calls.
    bool Call(const std::function<void()>& fn) const;

private:
    explicit TMainThreadCall(void* window) : window_(window) {}
    void* window_;  // not owned: the system destroys it with its thread
};

}  // namespace pellumo
