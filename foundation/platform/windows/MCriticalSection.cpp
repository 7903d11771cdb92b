#include "foundation/MCriticalSection.h"

#include <windows.h>

namespace zephyr {

MCriticalSection::MCriticalSection() { InitializeCriticalSection(new (m_Native.bytes) CRITICAL_SECTION); }

MCriticalSection::~MCriticalSection() { DeleteCriticalSection(m_Native.As<CRITICAL_SECTION>()); }

void MCriticalSection::Lock() { EnterCriticalSection(m_Native.As<CRITICAL_SECTION>()); }

void MCriticalSection::UnLock() { LeaveCriticalSection(m_Native.As<CRITICAL_SECTION>()); }

bool MCriticalSection::TryLock() { return TryEnterCriticalSection(m_Native.As<CRITICAL_SECTION>()) != 0; }

}  // namespace zephyr
