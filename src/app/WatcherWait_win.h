#pragma once
// What one wait of the store watcher came to. The handles it waits on vary
// (no change notification while nothing can be watched), so each has a slot
// that may be unused; a failed wait must never pass for a signalled handle,
// whatever slot happens to be unused.
#include <windows.h>

namespace pellumo {

enum class TWaitOutcome { Change, Stop, DirectoryMoved, IdentityKeys, Message, Timeout, Failed };

struct TWaitSlots {
    static const DWORD kUnused = MAXDWORD;
    DWORD Count = 0;  // handles waited on
    DWORD Change = kUnused;
    DWORD Stop = kUnused;
    DWORD Moved = kUnused;
    DWORD Keys = kUnused;
    // Messages end the wait too (MsgWaitForMultipleObjects): WAIT_OBJECT_0 + Count.
    bool Messages = false;
};

inline TWaitOutcome ClassifyWait(DWORD result, const TWaitSlots& slots) {
    if (result == WAIT_FAILED) return TWaitOutcome::Failed;
    if (result == WAIT_TIMEOUT) return TWaitOutcome::Timeout;
    if (result - WAIT_OBJECT_0 > slots.Count) return TWaitOutcome::Failed;  // abandoned, or nothing we know
    const DWORD index = result - WAIT_OBJECT_0;
    if (index == slots.Count) return slots.Messages ? TWaitOutcome::Message : TWaitOutcome::Failed;
    if (index == slots.Change) return TWaitOutcome::Change;
    if (index == slots.Stop) return TWaitOutcome::Stop;
    if (index == slots.Moved) return TWaitOutcome::DirectoryMoved;
    if (index == slots.Keys) return TWaitOutcome::IdentityKeys;
    return TWaitOutcome::Failed;
}

}  // namespace pellumo
