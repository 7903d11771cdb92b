#include "foundation/MCriticalSection.h"

#include <cstdlib>

namespace zephyr {

MCriticalSection::MCriticalSection() {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    if (pthread_mutex_init(&mutex_, &attributes) != 0) {
        // Only fails without memory; a lock that does not exist cannot guard anything.
        std::abort();
    }
    pthread_mutexattr_destroy(&attributes);
}

MCriticalSection::~MCriticalSection() { pthread_mutex_destroy(&mutex_); }

void MCriticalSection::Lock() { pthread_mutex_lock(&mutex_); }

void MCriticalSection::UnLock() { pthread_mutex_unlock(&mutex_); }

bool MCriticalSection::TryLock() { return pthread_mutex_trylock(&mutex_) == 0; }

}  // namespace zephyr
