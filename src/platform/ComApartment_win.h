#pragma once
// COM on this thread for as long as it is held. S_OK and S_FALSE (already
// initialised on this thread) both count and are balanced; a thread already
// in another apartment model can use COM as it is.
#include <objbase.h>

namespace pellumo {

class TComApartment {
public:
    TComApartment() : joined_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~TComApartment() {
        if (joined_) CoUninitialize();
    }
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;

private:
    bool joined_;
};

}  // namespace pellumo
