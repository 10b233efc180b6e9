#pragma once
// A lock for the few places two threads meet (the notification queue). The
// Windows build has no std::mutex (win32 thread model), so each platform
// brings its own.
#include <memory>

namespace pellumo {

class TLock {
public:
    TLock();
    ~TLock();
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;
    void Acquire();
    void Release();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class TLockGuard {
public:
    explicit TLockGuard(TLock& lock) : lock_(lock) { lock_.Acquire(); }
    ~TLockGuard() { lock_.Release(); }
    TLockGuard(const TLockGuard&) = delete;
    TLockGuard& operator=(const TLockGuard&) = delete;

private:
    TLock& lock_;
};

}  // namespace pellumo
