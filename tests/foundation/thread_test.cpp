#include "foundation/MThread.h"

#include <gtest/gtest.h>

#include <time.h>

#include <atomic>
#include <stdexcept>

#include "foundation/MClock.h"
#include "foundation/MWaitEvent.h"

using namespace zephyr;

namespace {

uint64_t RealMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

// A well-behaved worker: asks for the stop every pass and sleeps between passes.
struct Worker {
    MThread thread;
    std::atomic<int> passes{0};
    std::atomic<bool> returned{false};
    uint32_t sleep_ms = 10;

    static uint32_t Run(void* self) {
        Worker* worker = static_cast<Worker*>(self);
        while (!worker->thread.IsStopRequested()) {
            worker->passes.fetch_add(1);
            MClock::SleepMs(worker->sleep_ms);
        }
        worker->returned.store(true);
        return 0;
    }
    int32_t Start(const char* label = "worker") { return thread.StartThread(label, &Run, this, true); }
    void WaitForPasses(int n) {
        const uint64_t until = RealMs() + 5000;
        while (passes.load() < n && RealMs() < until) {
            MClock::SleepMs(1);
        }
    }
};

// A worker that never looks at its stop flag.
std::atomic<uint64_t> g_spins{0};
uint32_t Spin(void*) {
    for (;;) {
        g_spins.fetch_add(1, std::memory_order_relaxed);
    }
    return 0;
}

}  // namespace

TEST(MThread, CooperativeWorkerStopsPromptly) {
    Worker worker;
    worker.sleep_ms = 100;
    EXPECT_FALSE(worker.thread.IsRunning());
    EXPECT_TRUE(worker.thread.IsStopRequested());
    ASSERT_EQ(worker.Start("处理单元线程"), 1);
    EXPECT_STREQ(worker.thread.GetLabel(), "处理单元线程");
    EXPECT_TRUE(worker.thread.IsRunning());
    EXPECT_FALSE(worker.thread.IsStopRequested());
    worker.WaitForPasses(1);
    EXPECT_NE(worker.thread.GetThreadId(), 0u);

    const uint64_t begin = RealMs();
    worker.thread.StopThread(5000);
    // Ends at its next pass, far from the 5000 ms limit.
    EXPECT_LT(RealMs() - begin, 2500u);
    EXPECT_TRUE(worker.returned.load());
    EXPECT_FALSE(worker.thread.IsRunning());
    EXPECT_TRUE(worker.thread.IsStopRequested());
}

TEST(MThread, WorkerThatNeverChecksIsEndedAfterTheTimeout) {
    MThread thread;
    ASSERT_EQ(thread.StartThread("spin", &Spin, nullptr, true), 1);
    while (g_spins.load() == 0) {
        MClock::SleepMs(1);
    }
    const uint64_t begin = RealMs();
    thread.StopThread(300);
    const uint64_t took = RealMs() - begin;
    EXPECT_GE(took, 290u);
    EXPECT_LT(took, 2500u);
    EXPECT_FALSE(thread.IsRunning());
    // It really ended: the counter stands still.
    const uint64_t spins = g_spins.load();
    MClock::SleepMs(50);
    EXPECT_EQ(g_spins.load(), spins);
    // A second stop does nothing; the object can be started again.
    thread.StopThread(300);
    Worker worker;
    ASSERT_EQ(thread.StartThread("again", &Worker::Run, &worker, true), 1);
    EXPECT_TRUE(thread.IsRunning());
    thread.StopThread(5000);
}

TEST(MThread, ForcedEndInsideAnEventWaitLeavesTheEventUsable) {
    static MWaitEvent event;
    MThread thread;
    std::atomic<bool> waiting{false};
    ASSERT_EQ(thread.StartThread("waiter",
                                 [](void* flag) -> uint32_t {
                                     static_cast<std::atomic<bool>*>(flag)->store(true);
                                     event.Wait(MWaitEvent::kInfinite);
                                     return 0;
                                 },
                                 &waiting, true),
              1);
    while (!waiting.load()) {
        MClock::SleepMs(1);
    }
    MClock::SleepMs(20);
    thread.StopThread(100);
    EXPECT_FALSE(thread.IsRunning());
    // The worker's wait held the event's own lock when it was ended: it was given back.
    event.Set();
    EXPECT_TRUE(event.Wait(0));
}

TEST(MThread, StartOnARunningObjectStopsTheOldThreadFirst) {
    Worker first;
    ASSERT_EQ(first.Start(), 1);
    first.WaitForPasses(1);
    Worker second;
    // The same MThread object runs the second worker's loop: take over first.thread.
    ASSERT_EQ(first.thread.StartThread("second", &Worker::Run, &first, true), 1);
    // The old run returned before the new one began.
    EXPECT_TRUE(first.returned.load());
    first.returned.store(false);
    first.thread.StopThread(5000);
    EXPECT_TRUE(first.returned.load());
}

TEST(MThread, StopAllReachesEveryWorkerUntilTheNextStart) {
    Worker a, b;
    ASSERT_EQ(a.Start("a"), 1);
    ASSERT_EQ(b.Start("b"), 1);
    MThread::StopAllThreads();
    EXPECT_TRUE(a.thread.IsStopRequested());
    EXPECT_TRUE(b.thread.IsStopRequested());
    const uint64_t until = RealMs() + 5000;
    while (!(a.returned.load() && b.returned.load()) && RealMs() < until) {
        MClock::SleepMs(1);
    }
    EXPECT_TRUE(a.returned.load());
    EXPECT_TRUE(b.returned.load());
    a.thread.StopThread(5000);
    // Starting any thread clears the request.
    ASSERT_EQ(a.Start("a"), 1);
    EXPECT_FALSE(a.thread.IsStopRequested());
    b.thread.StopThread(5000);
    EXPECT_FALSE(a.thread.IsStopRequested());
    a.thread.StopThread(5000);
}

TEST(MThread, LabelIsBoundedAndAnEscapingExceptionEndsOnlyTheWorker) {
    MThread thread;
    const char* long_label = "0123456789012345678901234567890123456789";
    ASSERT_EQ(thread.StartThread(long_label, [](void*) -> uint32_t { throw std::runtime_error("x"); },
                                 nullptr, true),
              1);
    EXPECT_EQ(std::string(thread.GetLabel()), std::string(long_label, 31));
    thread.StopThread(5000);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_LT(thread.StartThread("none", nullptr, nullptr, true), 0);
    EXPECT_FALSE(thread.IsRunning());
}
