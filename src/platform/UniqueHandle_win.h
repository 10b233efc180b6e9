#pragma once
// One owner for every Win32 handle the program takes: move-only, released
// once, and knowing which value means "none" for its kind (some handles are
// null when absent, others INVALID_HANDLE_VALUE). One alias per kind below.
#include <windows.h>

#include <utility>

namespace pellumo {

template <typename Traits>
class TUniqueHandle {
public:
    using THandle = typename Traits::THandle;

    TUniqueHandle() = default;
    explicit TUniqueHandle(THandle handle) : handle_(handle) {}
    TUniqueHandle(TUniqueHandle&& other) noexcept : handle_(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    ~TUniqueHandle() { Reset(); }

    THandle Get() const { return handle_; }
    bool Valid() const { return handle_ != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }
    // Gives the handle up without closing it.
    THandle Release() { return std::exchange(handle_, Traits::Invalid()); }
    // Closes the handle held, if any, and holds Handle instead.
    void Reset(THandle handle = Traits::Invalid()) {
        const THandle old = std::exchange(handle_, handle);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    THandle handle_ = Traits::Invalid();
};

template <typename H, H InvalidValue, typename CloseResult, CloseResult(WINAPI* CloseFunction)(H)>
struct THandleTraits {
    using THandle = H;
    static H Invalid() { return InvalidValue; }
    static void Close(H handle) { CloseFunction(handle); }
};

// Events, threads, mutexes: null when absent.
using TKernelHandle = TUniqueHandle<THandleTraits<HANDLE, nullptr, BOOL, CloseHandle>>;
// Files from CreateFile.
struct TFileHandleTraits {
    using THandle = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
using TFileHandle = TUniqueHandle<TFileHandleTraits>;
// Change notifications from FindFirstChangeNotification.
struct TChangeHandleTraits {
    using THandle = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { FindCloseChangeNotification(handle); }
};
using TChangeHandle = TUniqueHandle<TChangeHandleTraits>;
// Registrations for device events (RegisterDeviceNotification).
using TDeviceNotification = TUniqueHandle<THandleTraits<HDEVNOTIFY, nullptr, BOOL, UnregisterDeviceNotification>>;
// Named apart from TRegistryKey, the registry seam's key interface.
using TRegistryKeyHandle = TUniqueHandle<THandleTraits<HKEY, nullptr, LONG, RegCloseKey>>;
using TMenu = TUniqueHandle<THandleTraits<HMENU, nullptr, BOOL, DestroyMenu>>;
using TIcon = TUniqueHandle<THandleTraits<HICON, nullptr, BOOL, DestroyIcon>>;
using TModule = TUniqueHandle<THandleTraits<HMODULE, nullptr, BOOL, FreeLibrary>>;
// A font, pen, brush, bitmap or region.
template <typename H>
struct TGdiTraits {
    using THandle = H;
    static H Invalid() { return nullptr; }
    static void Close(H handle) { DeleteObject(handle); }
};
template <typename H>
using TGdi = TUniqueHandle<TGdiTraits<H>>;
// A memory DC from CreateCompatibleDC.
using TMemoryDCHandle = TUniqueHandle<THandleTraits<HDC, nullptr, BOOL, DeleteDC>>;
// A window of a system class that no object of ours handles (a hidden owner).
using TWindowHandle = TUniqueHandle<THandleTraits<HWND, nullptr, BOOL, DestroyWindow>>;

// A COM interface pointer, released once.
template <typename T>
class TComPtr {
public:
    TComPtr() = default;
    explicit TComPtr(T* pointer) : pointer_(pointer) {}
    TComPtr(TComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    TComPtr& operator=(TComPtr&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.pointer_, nullptr));
        return *this;
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    ~TComPtr() { Reset(); }

    T* Get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    void Reset(T* pointer = nullptr) {
        T* old = std::exchange(pointer_, pointer);
        if (old) old->Release();
    }

private:
    T* pointer_ = nullptr;
};

// The DC of a window (GetDC), given back with ReleaseDC.
class TWindowDC {
public:
    explicit TWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    ~TWindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a DC for a scope; the one it replaced goes back.
class TSelection {
public:
    TSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    TSelection(const TSelection&) = delete;
    TSelection& operator=(const TSelection&) = delete;
    ~TSelection() {
        if (previous_) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A memory DC like `like`, with `object` selected into it for its lifetime.
class TMemoryDC {
public:
    TMemoryDC(HDC like, HGDIOBJ object) : dc_(CreateCompatibleDC(like)), selection_(dc_.Get(), dc_ ? object : nullptr) {}
    HDC Get() const { return dc_.Get(); }

private:
    TMemoryDCHandle dc_;
    TSelection selection_;  // put back before the DC goes
};

}  // namespace pellumo
