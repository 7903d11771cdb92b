// A re-entrant lock: the thread that holds it may enter it again (and must leave it as often).
// Enter it through MLocalSection so that every exit from a scope releases it.
#pragma once
#include <pthread.h>

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
    pthread_mutex_t m_Mutex;
};

}  // namespace zephyr
