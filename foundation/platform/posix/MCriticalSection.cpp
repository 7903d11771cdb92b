#include "foundation/MCriticalSection.h"

#include <pthread.h>

#include <cstdlib>

namespace zephyr {

MCriticalSection::MCriticalSection() {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    if (pthread_mutex_init(m_Native.As<pthread_mutex_t>(), &attributes) != 0) {
        // Only fails without memory; a lock that does not exist cannot guard anything.
        std::abort();
    }
    pthread_mutexattr_destroy(&attributes);
}

MCriticalSection::~MCriticalSection() { pthread_mutex_destroy(m_Native.As<pthread_mutex_t>()); }

void MCriticalSection::Lock() { pthread_mutex_lock(m_Native.As<pthread_mutex_t>()); }

void MCriticalSection::UnLock() { pthread_mutex_unlock(m_Native.As<pthread_mutex_t>()); }

bool MCriticalSection::TryLock() { return pthread_mutex_trylock(m_Native.As<pthread_mutex_t>()) == 0; }

}  // namespace zephyr
