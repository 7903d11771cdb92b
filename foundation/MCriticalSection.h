// A re-entrant lock: the thread that holds it may enter it again (and must leave it as often).
// Enter it through MLocalSection so that every exit from a scope releases it.
#pragma once
#include "foundation/platform/NativeStorage.h"

namespace zephyr {

class MCriticalSection {
public:
    MCriticalSection();
    ~MCriticalSection();
    MCriticalSection(const MCriticalSection&) = delete;
    MCriticalSection& operator=(const MCriticalSection&) = delete;

    void Lock();
    void UnLock();
    // Enters only when no other thread holds the lock; true when entered.
    bool TryLock();

private:
    // The system's re-entrant lock (a recursive mutex, a critical section).
    NativeStorage<48> m_Native;
};

}  // namespace zephyr
