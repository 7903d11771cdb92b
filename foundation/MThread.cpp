#include "foundation/MThread.h"

#include "foundation/MErrorCode.h"
#include "foundation/MText.h"

namespace zephyr {

namespace {

std::atomic<bool> g_stop_all{false};
// Set once by the library's unload notice (see EndWithoutWaiting).
std::atomic<bool> g_no_waiting{false};

}  // namespace

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
    g_stop_all.store(false, std::memory_order_release);
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
    NativeStop(timeout_ms, g_no_waiting.load(std::memory_order_acquire));
}

bool MThread::IsStopRequested() const {
    return g_stop_all.load(std::memory_order_acquire) ||
           m_StopRequested.load(std::memory_order_acquire);
}

void MThread::StopAllThreads() { g_stop_all.store(true, std::memory_order_release); }

void MThread::EndWithoutWaiting() {
    g_stop_all.store(true, std::memory_order_release);
    g_no_waiting.store(true, std::memory_order_release);
}

}  // namespace zephyr
