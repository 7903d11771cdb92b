// The processing unit: owner of the market, the tables, the push pool, the level-2 bridge, the
// processing thread and the copy of the host's DriverWorkParams.
//
// ProcessState: 0 stopped or re-initialising, 1 serving, 3 initialised but not ready.
// ServiceFlag: above 0 serving the host, 0 after stop, -1 while re-initialising.
// Both stay 0 until the status thread opens the market; while the unit does not serve, the
// market and frame functions answer -1.
#pragma once
#include <cstdint>

#include "driver/DriverInterface.h"
#include "foundation/MCriticalSection.h"
#include "foundation/MThread.h"
#include "foundation/MLog.h"
#include "foundation/MTickCounter.h"
#include "loaders/HKMExraLoader.h"
#include "loaders/HKMktdtLoader.h"
#include "loaders/HKRefDbf.h"
#include "loaders/HKTrdsesLoader.h"
#include "loaders/HKZxjcLoader.h"
#include "loaders/LoaderHost.h"
#include "loaders/LoaderSettings.h"
#include "loaders/MarketWriter.h"
#include "loaders/PriceTableFile.h"
#include "market/CodeTable.h"
#include "market/Market.h"
#include "market/ProductStatusTable.h"
#include "market/Records.h"
#include "market/ShortNameTable.h"
#include "market/SnapshotTable.h"
#include "market/StatusRecords.h"

namespace zephyr {

class ConfigUnit;
class MWaitEvent;

class ProcessIO : public LoaderHost {
public:
    enum State : int32_t { kStopped = 0, kServing = 1, kNotReady = 3 };
    // Frames are larger than 200 bytes only after the host's own header is taken off.
    static constexpr uint16_t kHostFrameHeader = 200;

    ProcessIO(ConfigUnit* config, MLogger* logger);
    ProcessIO(const ProcessIO&) = delete;
    ProcessIO& operator=(const ProcessIO&) = delete;

    // Keeps a copy of the whole record; a frame size above 200 is stored less 200.
    void SetWorkParams(const DriverWorkParams& params);
    DriverWorkParams GetWorkParams() const;
    uint16_t GetDriverId() const { return m_WorkParams.driver_id; }

    // 1, or a negative code (logged). Starts the processing thread.
    int32_t Start();
    // States to 0, processing thread stopped (5000 ms), tables released.
    void Stop();
    // Saves the price table to its file: 1, or the file's negative result.
    int32_t SavePriceTable();

    int32_t GetProcessState() const;
    void SetProcessState(int32_t state);
    int8_t GetServiceFlag() const;
    void SetServiceFlag(int8_t flag);

    // Not a holiday today (configuration), at least one instrument in the code table and at
    // least one snapshot.
    bool IsReady() const;
    // Under the service lock: IsReady and ServiceFlag above 0.
    bool IsDriverWorking() const override;

    // The host's pulls. Null records are refused without writing (-1, or 0 frames / 0 bytes).
    int32_t GetMarketInfo(const uint16_t* capacity, const MarketInfoTargets* targets);
    int32_t GetDataFrameCount(const FrameRequest* request, uint8_t* last_frame);
    int32_t GetOneDataFrame(const FrameRequest* request, void* const* output);

    // Milliseconds since the last snapshot update / since the last initialisation finished.
    uint32_t SnapshotAgeMs() const { return m_SnapshotClock.Elapsed(); }
    uint32_t InitialisationAgeMs() const { return m_InitClock.Elapsed(); }
    // Seconds since 1970 of the last level-2 data (set at start).
    int64_t GetLastL2Time() const { return m_LastL2Time; }

    // What the exchange file loaders use (LoaderHost). The settings are taken from the
    // configuration unit at Start.
    CodeTable& Codes() override { return m_CodeTable; }
    SnapshotTable& Snapshots() override { return m_SnapshotTable; }
    ProductStatusTable& Statuses() override { return m_ProductStatusTable; }
    ShortNameTable& ShortNames() override { return m_ShortNameTable; }
    Market& GetMarket() override { return m_Market; }
    bool UpdateSnapshot(const Snapshot& record) override { return m_MarketWriter.UpdateSnapshot(record); }
    bool UpdateStatus(const ProductStatus& record) override { return m_MarketWriter.UpdateStatus(record); }
    int32_t Push(uint8_t type, const void* data, uint32_t length) override {
        return m_MarketWriter.Push(type, data, length);
    }
    ExchangeRate& Rates() override { return m_ExchangeRate; }
    uint8_t& MarketDataPathFlag() override { return m_MktdtPathFlag; }
    uint8_t& PriceSpreadPathFlag() override { return m_ZxjcPathFlag; }
    int32_t Level2StartedCount() override;
    PriceTable& Prices() override { return m_PriceTable; }
    void MarkPriceTableDirty() override { m_PriceTableDirty = 1; }
    const LoaderSettings& Settings() override { return m_LoaderSettings; }
    MLogger& Logger() override { return m_Logger != nullptr ? *m_Logger : m_NullLogger; }
    void SignalReferenceLoaded() override;

    // Where pushes go (the push pool); none: nothing is pushed.
    void SetPushSink(PushSink sink, void* context) { m_MarketWriter.SetPushSink(sink, context); }
    // The status thread's reference-data event (may be null).
    void SetReferenceDataEvent(MWaitEvent* event) { m_ReferenceDataEvent = event; }
    // Where the level-2 started count is read (none: 0).
    void SetLevel2StartedSource(int32_t (*count)(void* context), void* context) {
        m_Level2Count = count;
        m_Level2Context = context;
    }

    // The loaders and the saved price-table file.
    HKMktdtLoader& MarketDataLoader() { return m_MktdtLoader; }
    HKRefDbf& ReferenceDataLoader() { return m_RefDbf; }
    HKTrdsesLoader& SessionStatusLoader() { return m_TrdsesLoader; }
    HKMExraLoader& ExchangeRateLoader() { return m_ExraLoader; }
    HKZxjcLoader& PriceSpreadLoader() { return m_ZxjcLoader; }
    PriceTableFile& GetPriceTableFile() { return m_PriceTableFile; }

private:
    static uint32_t ProcessThread(void* self);
    static bool IsDriverWorkingEntry(void* self);
    // Precedence of the frame functions: -1 not serving, -2 main type, -3 sub type or version;
    // 0 when the request may be answered.
    int32_t CheckFrameRequest(const FrameRequest& request) const;

    ConfigUnit* m_Config;
    MLogger* m_Logger;

    mutable MCriticalSection m_StateLock;
    int32_t m_ProcessState;
    mutable MCriticalSection m_ServiceLock;
    int8_t m_ServiceFlag;
    int64_t m_LastL2Time;
    uint8_t m_PriceTableDirty;

    MThread m_Thread;
    MTickCounter m_SnapshotClock;
    MTickCounter m_InitClock;
    DriverWorkParams m_WorkParams;

    // The market, its tables and what the loaders write into.
    MLogger m_NullLogger;
    PriceTable m_PriceTable;
    ExchangeRate m_ExchangeRate;
    CodeTable m_CodeTable;
    SnapshotTable m_SnapshotTable;
    ProductStatusTable m_ProductStatusTable;
    ShortNameTable m_ShortNameTable;
    Market m_Market;
    uint8_t m_MktdtPathFlag;
    uint8_t m_ZxjcPathFlag;
    LoaderSettings m_LoaderSettings;
    MWaitEvent* m_ReferenceDataEvent;
    int32_t (*m_Level2Count)(void* context);
    void* m_Level2Context;
    MarketWriter m_MarketWriter;
    HKMktdtLoader m_MktdtLoader;
    HKRefDbf m_RefDbf;
    HKTrdsesLoader m_TrdsesLoader;
    HKMExraLoader m_ExraLoader;
    HKZxjcLoader m_ZxjcLoader;
    PriceTableFile m_PriceTableFile;
};

}  // namespace zephyr
