#include <gtest/gtest.h>

#include <time.h>

#include <atomic>
#include <thread>

#include "foundation/MClock.h"
#include "foundation/MCriticalSection.h"
#include "foundation/MException.h"
#include "foundation/MLocalSection.h"
#include "foundation/MTickCounter.h"
#include "foundation/MWaitEvent.h"

using namespace zephyr;

namespace {

uint64_t RealMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

// Whether another thread could take the section right now.
bool FreeForOthers(MCriticalSection& section) {
    bool taken = false;
    std::thread other([&] {
        if (section.TryLock()) {
            taken = true;
            section.UnLock();
        }
    });
    other.join();
    return taken;
}

}  // namespace

TEST(MLocalSection, HoldsForTheScopeAndIsReentrant) {
    MCriticalSection section;
    {
        MLocalSection outer(&section);
        MLocalSection inner(&section);  // the holder may enter again
        EXPECT_FALSE(FreeForOthers(section));
    }
    EXPECT_TRUE(FreeForOthers(section));
    try {
        MLocalSection scoped(section);
        throw 1;
    } catch (int) {
    }
    EXPECT_TRUE(FreeForOthers(section));
}

TEST(MLocalSection, AttchTwiceRaisesAndNullHoldsNothing) {
    MCriticalSection a, b;
    MLocalSection local;
    local.Attch(nullptr);  // holds nothing
    local.Attch(&a);       // so a later Attch is allowed
    try {
        local.Attch(&b);
        ADD_FAILURE() << "no exception";
    } catch (const MException& e) {
        EXPECT_STREQ(e.what(), "<MLocalSection>重复Attch一个Section对象");
    }
    EXPECT_TRUE(FreeForOthers(b));
    local.UnLock();
    local.UnLock();
    EXPECT_TRUE(FreeForOthers(a));
    local.Attch(&b);
    MLocalSection none(static_cast<MCriticalSection*>(nullptr));
    none.UnLock();
}

TEST(MWaitEvent, AutoResetReleasesOneWait) {
    MWaitEvent event;
    EXPECT_FALSE(event.Wait(0));  // not signalled at creation
    event.Set();
    event.Set();                  // a second Set while signalled changes nothing
    EXPECT_TRUE(event.Wait(0));
    const uint64_t begin = RealMs();
    EXPECT_FALSE(event.Wait(50));  // reset itself
    EXPECT_GE(RealMs() - begin, 45u);

    std::atomic<bool> woke{false};
    std::thread waiter([&] { woke.store(event.Wait(MWaitEvent::kInfinite)); });
    MClock::SleepMs(20);
    event.Set();
    waiter.join();
    EXPECT_TRUE(woke.load());
    EXPECT_FALSE(event.Wait(0));
}

TEST(MWaitEvent, WaitsInRealTimeWhateverTheClock) {
    MManualClock frozen(1000, 5);  // a clock that stands still does not stretch the wait
    frozen.Install();
    MWaitEvent event;
    const uint64_t begin = RealMs();
    event.Wait(30);
    EXPECT_GE(RealMs() - begin, 25u);
    EXPECT_LT(RealMs() - begin, 2000u);
    MClock::SetSource(nullptr);
}

TEST(MTickCounter, ElapsedAcrossTheWrap) {
    MManualClock clock(0, 0xFFFFFF00u);
    clock.Install();
    MTickCounter counter;
    EXPECT_EQ(counter.Elapsed(), 0xFFFFFF00u);  // before Start the stored tick is 0
    EXPECT_EQ(counter.Start(), 0xFFFFFF00u);
    clock.AdvanceMs(0x180);
    EXPECT_EQ(MClock::TickMs(), 0x80u);
    EXPECT_EQ(counter.Elapsed(), 0x180u);
    EXPECT_EQ(counter.GetStart(), 0xFFFFFF00u);
    MClock::SetSource(nullptr);
}
