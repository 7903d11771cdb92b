#include "foundation/MThread.h"

#include "foundation/MErrorCode.h"
#include "foundation/MText.h"

namespace zephyr {

std::atomic<bool> MThread::s_StopAll{false};
std::atomic<bool> MThread::s_NoWaiting{false};

MThread::MThread()
    : m_Running(false),
      m_StopRequested(true),
      m_ThreadId(0),
      m_MarkBusy(false),
      m_Function(nullptr),
      m_Argument(nullptr) {
    m_Label[0] = 0;
    NativeInit();
}

MThread::~MThread() {
    StopThread(5000);
    NativeDestroy();
}

int32_t MThread::StartThread(const char* label, MThreadFunction function, void* argument,
                             bool mark_busy) {
    s_StopAll.store(false, std::memory_order_release);
    StopThread(5000);
    if (function == nullptr) {
        return ERR_BAD_ARGUMENT;
    }
    m_StopRequested.store(false, std::memory_order_release);
    m_Function = function;
    m_Argument = argument;
    m_MarkBusy = mark_busy;
    m_ThreadId.store(0, std::memory_order_release);
    const int32_t started = NativeStart();
    if (started < 0) {
        m_StopRequested.store(true, std::memory_order_release);
        return started;
    }
    m_Running = true;
    m_Label[0] = 0;
    MText::Copy(m_Label, sizeof(m_Label), label != nullptr ? label : "");
    return 1;
}

void MThread::StopThread(uint32_t timeout_ms) {
    m_StopRequested.store(true, std::memory_order_release);
    if (!m_Running) {
        return;
    }
    m_Running = false;
    NativeStop(timeout_ms, s_NoWaiting.load(std::memory_order_acquire));
}

bool MThread::IsStopRequested() const {
    return s_StopAll.load(std::memory_order_acquire) ||
           m_StopRequested.load(std::memory_order_acquire);
}

void MThread::StopAllThreads() { s_StopAll.store(true, std::memory_order_release); }

void MThread::EndWithoutWaiting() {
    s_StopAll.store(true, std::memory_order_release);
    s_NoWaiting.store(true, std::memory_order_release);
}

}  // namespace zephyr
