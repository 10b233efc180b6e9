#pragma once
// Move-only owners of GDI objects and icons, released with their owner.
#include <windows.h>

#include <utility>

namespace pellumo {

template <typename H, BOOL(WINAPI* Destroy)(H)>
class TUniqueGdi {
public:
    TUniqueGdi() = default;
    explicit TUniqueGdi(H handle) : handle_(handle) {}
    TUniqueGdi(TUniqueGdi&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    TUniqueGdi& operator=(TUniqueGdi&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    ~TUniqueGdi() { Reset(); }
    H Get() const { return handle_; }
    void Reset(H handle = nullptr) {
        if (handle_) Destroy(handle_);
        handle_ = handle;
    }

private:
    H handle_ = nullptr;
};

template <typename H>
BOOL WINAPI DeleteGdiObject(H handle) {
    return DeleteObject(handle);
}

// A font, pen, brush or bitmap.
template <typename H>
using TGdi = TUniqueGdi<H, DeleteGdiObject<H>>;
using TIcon = TUniqueGdi<HICON, DestroyIcon>;

}  // namespace pellumo
