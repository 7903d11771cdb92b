// The processing unit: its lifecycle (start, daily re-initialisation, stop), its state, the
// processing thread "处理单元线程", the push pool, the level-2 push handler, the push-strategy
// slots and the copy of the host's DriverWorkParams. The day's tables and the day's loaders are
// its two parts (process/DayTables.h, process/DayLoaders.h).
//
// ProcessState: 0 stopped or re-initialising, 1 serving, 3 initialised but not ready.
// ServiceFlag: above 0 serving the host, 0 after stop, -1 while re-initialising.
// Start leaves both at 0; the status thread opens the market. While the unit does not serve, the
// market and frame functions answer -1.
//
// Start allocates the tables and loads the day; Stop releases them. Operations that other
// threads may call at any time (level-2 pushes, console actions, host pulls) change nothing
// once Stop has begun and never touch released tables.
//
// Locks, outermost first; a thread that holds one takes only those after it:
//   m_LifeLock          start, re-initialisation, stop, the console's actions
//   the level-2 handler's  one whole level-2 push (a re-initialisation waits for it to hold
//                       the feed out)
//   the price file's    the saved price table's file (its load reads the price-spread file
//                       through that loader, under the loader's run lock)
//   a loader's run lock one run of one loader; the loaders write tables and push under it
//   the push pool's     held across the host's push callback, from which a host may pull
//   a table's lock      one at a time; the market's, and then its category table's
// m_StrategyLock guards the strategy slots and the exchange rates' own lock the three rates; no
// other lock of the unit is taken while one of them is held.
// The state values, the recount request and the dates are atomics.
#pragma once
#include <atomic>
#include <cstdint>

#include "zephyr/DriverInterface.h"
#include "foundation/MCriticalSection.h"
#include "foundation/MLog.h"
#include "foundation/MThread.h"
#include "foundation/MTickCounter.h"
#include "process/DayLoaders.h"
#include "process/DayTables.h"
#include "process/Level2PushHandler.h"
#include "push/MPushPool.h"

namespace zephyr {

class ConfigUnit;
class Level2Link;
class MWaitEvent;
struct FrameSources;
struct FrameService;

class ProcessIO : public Level2PushTarget {
public:
    enum State : int32_t { kStopped = 0, kServing = 1, kNotReady = 3 };
    // Frames are larger than 200 bytes only after the host's own header is taken off.
    static constexpr uint16_t kHostFrameHeader = 200;
    // Level-2 silence after which the processing thread reads the market data file itself.
    static constexpr int64_t kLevel2SilenceSeconds = 30;
    static constexpr uint32_t kPassMs = 100;
    static constexpr uint32_t kPeriodicMs = 5000;
    static constexpr uint32_t kStopWaitMs = 5000;

    ProcessIO(ConfigUnit* config, MLogger* logger);
    ~ProcessIO() override;
    ProcessIO(const ProcessIO&) = delete;
    ProcessIO& operator=(const ProcessIO&) = delete;

    // Keeps a copy of the whole record; a frame size above 200 is stored less 200.
    void SetWorkParams(const DriverWorkParams& params);
    DriverWorkParams GetWorkParams() const;
    uint16_t GetDriverId() const { return m_WorkParams.driver_id; }

    // The start: 1, or a negative code (logged where the step says so): the push pool's code,
    // the thread start's code, -2 / -3 / -30 / -4 table allocation, the market's code, -9 price
    // table file, -15 no reference data on a working day.
    int32_t Start();
    // The daily re-initialisation: 1 done, 2 skipped (already initialised today), -1 the
    // reference data could not be loaded (or the unit is stopped). Level-2 pushes that arrive
    // while it rebuilds are dropped.
    int32_t Reinitialise();
    // States to 0, level-2 pushes refused, processing thread stopped (5000 ms), tables released.
    void Stop();
    // Saves the price table to its file: the file's result (960, or negative; -10 before the
    // file was opened). A failed save of an opened file is logged (one error line).
    int32_t SavePriceTable() { return m_Loaders.SavePriceTable(); }
    // Forgets the initialised date, so that the next Reinitialise runs (the console's
    // "reinstance").
    void ClearInitialisedDate();
    int32_t GetInitialisedDate() const { return m_InitialisedDate.load(); }
    bool IsStarted() const { return m_Started.load(); }

    int32_t GetProcessState() const { return m_ProcessState.load(); }
    void SetProcessState(int32_t state) { m_ProcessState.store(state); }
    int8_t GetServiceFlag() const { return m_ServiceFlag.load(); }
    void SetServiceFlag(int8_t flag) { m_ServiceFlag.store(flag); }

    // Not a holiday today (configuration), at least one instrument in the code table and at
    // least one snapshot.
    bool IsReady();
    // IsReady and ServiceFlag above 0.
    bool IsDriverWorking();

    // The host's pulls (push/DataFrames.h answers them from the live tables).
    int32_t GetMarketInfo(const uint16_t* capacity, const MarketInfoTargets* targets);
    int32_t GetDataFrameCount(const FrameRequest* request, uint8_t* last_frame);
    int32_t GetOneDataFrame(const FrameRequest* request, void* const* output);

    // Milliseconds since the last snapshot update / since the last initialisation finished.
    uint32_t SnapshotAgeMs() const { return m_SnapshotClock.Elapsed(); }
    uint32_t InitialisationAgeMs() const { return m_InitClock.Elapsed(); }
    // Seconds since 1970 of the last level-2 data (set at start and re-initialisation).
    int64_t GetLastL2Time() const { return m_LastL2Time.load(); }
    void SetLastL2Time(int64_t seconds) override { m_LastL2Time.store(seconds); }

    // Push path. Frames go into the push pool (type byte, then length <= 8191 data bytes).
    bool UpdateSnapshot(const Snapshot& record) override { return m_Loaders.UpdateSnapshot(record); }
    void UpdateSnapshots(const Snapshot* records, uint32_t n) override { m_Loaders.UpdateSnapshots(records, n); }
    int32_t Push(uint8_t type, const void* data, uint32_t length) { return m_Loaders.Push(type, data, length); }
    // A type-0 frame of the market number, date, time and status of MarketInfo.
    int32_t PushMarketHeader();
    // Flushes the push pool once (the status thread, every 100 ms).
    int32_t FlushPushes();
    MPushPool& PushPool() { return m_PushPool; }

    // The market digest into MarketInfo bytes 33-48.
    void ComputeMarketChecksum();
    // Once per initialisation: previous close := current price in the index and snapshot tables.
    // 1 when done, 0 when already done since the last initialisation (or stopped).
    int32_t CorrectClosePrices();
    // Per-category counts and the code table adjustment (also run by every initialisation).
    void RefreshMarketCounts();
    void AdjustCodeTable();
    // Position of code in the code table, 0xFFFF when absent.
    uint16_t FindPosition(const char* code);
    // Asks the processing thread to recount instruments per category (checked every 5 s).
    void RequestRecount() { m_RecountRequest.store(1); }
    // The market-wide traded volumes into the index entries "999999" and "999987".
    void WriteMarketTotals();

    // Level-2 pushes from the bridge: applied while the unit runs, refused (nothing changed)
    // before Start, while Reinitialise rebuilds the market, and from Stop on.
    void OnLevel2Push(uint8_t main_type, uint8_t sub_type, const uint8_t* data, uint16_t length,
                      uint8_t market);
    bool IsLevel2Stopped() const { return !m_Level2Handler.IsOpen(); }
    // The level-2 bridge (none: no module is started).
    void SetLevel2Link(Level2Link* link);
    // The status thread's reference-data event (may be null).
    void SetReferenceDataEvent(MWaitEvent* event) { m_Loaders.SetReferenceDataEvent(event); }
    ConfigUnit* GetConfig() const { return m_Config; }
    MLogger& Logger() { return m_Loaders.Logger(); }

    // The unit's two parts: what the loaders, the console and the host's pulls read and write,
    // and the loaders with the saved price table's file.
    DayTables& Day() { return m_Day; }
    DayLoaders& Loaders() { return m_Loaders; }

    // The push strategy: one slot per instrument (0 before it is applied).
    uint32_t PushStrategySlots() const;

private:
    static uint32_t ProcessThread(void* self);
    static bool IsDriverWorkingEntry(void* self);
    static int32_t PushIntoPool(void* self, const void* frame, uint32_t length);
    static int32_t PutFramesIntoPool(void* self, uint8_t type, const void* records, uint32_t record_size,
                                     uint32_t n);
    // One pass of the processing thread; the thread's clocks and last seen time of day.
    struct ThreadClocks {
        MTickCounter recount;
        MTickCounter save;
        MTickCounter totals;
        int32_t last_time;
        bool window_open = false;  // at the last change of second: a working day inside the window
    };
    void ProcessPass(ThreadClocks& clocks);
    int32_t StartSteps();
    // Reinitialise's work under the life lock, the level-2 feed held out of the market.
    int32_t RebuildDay();
    // Start and re-initialisation: every file path logged once more, the level-2 silence
    // counted from now.
    void BeginInitialisation();
    // The part of the day that Start and Reinitialise share, from the saved price table to the
    // push strategy, for the day date: 1, or -1 when there are no reference data and
    // reference_required.
    int32_t LoadDay(int32_t date, bool reference_required);
    void ApplyPushStrategy();
    // Counts, clocks and the market digest of the finished day.
    void FinishInitialisation();
    // What the host's pulls read, and the service state they answer by.
    FrameSources Sources();
    FrameService Service() const;
    void ReleaseTables();

    ConfigUnit* m_Config;
    MLogger* m_Logger;

    std::atomic<int32_t> m_ProcessState;
    std::atomic<int8_t> m_ServiceFlag;
    std::atomic<int64_t> m_LastL2Time;
    std::atomic<int32_t> m_InitialisedDate;
    std::atomic<uint8_t> m_CloseCorrection;
    std::atomic<int32_t> m_RecountRequest;

    // Held by Stop while it releases, and by the console's actions and re-initialisation while
    // they run; m_Started tells them whether the tables are there.
    MCriticalSection m_LifeLock;
    std::atomic<bool> m_Started;

    MThread m_Thread;
    MTickCounter m_SnapshotClock;
    MTickCounter m_InitClock;
    DriverWorkParams m_WorkParams;

    DayTables m_Day;
    MPushPool m_PushPool;

    mutable MCriticalSection m_StrategyLock;
    uint16_t* m_StrategySlots;
    uint32_t m_StrategyCount;
    uint32_t m_StrategyParam;

    Level2Link* m_Level2Link = nullptr;
    DayLoaders m_Loaders;
    Level2PushHandler m_Level2Handler;
};

}  // namespace zephyr
