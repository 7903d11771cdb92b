// The day's loaders: the five exchange-file loaders, the market writer they write through, the
// loader settings and path-logging flags, and the saved price-table file. It is the loaders'
// host over the processing unit's tables.
//
// Threads: the processing unit's start, re-initialisation and stop (under its life lock) call
// the initialisation steps; its processing thread calls RefreshFiles and SavePriceTable; any
// thread may update the tables through the host operations. The price-table file is used under
// m_PriceFileLock only (one file position); a loader's own run lock is taken inside it.
#pragma once
#include <atomic>
#include <cstdint>

#include "foundation/MCriticalSection.h"
#include "foundation/MLog.h"
#include "loaders/HKMExraLoader.h"
#include "loaders/HKMktdtLoader.h"
#include "loaders/HKRefDbf.h"
#include "loaders/HKTrdsesLoader.h"
#include "loaders/HKZxjcLoader.h"
#include "loaders/LoaderHost.h"
#include "loaders/LoaderSettings.h"
#include "loaders/MarketWriter.h"
#include "loaders/PriceTableFile.h"
#include "process/DayTables.h"

namespace zephyr {

class ConfigUnit;
class Level2Link;
class MTickCounter;
class MWaitEvent;

// How the market writer reaches the processing unit: its working test, its push path and the
// clock every snapshot update restarts.
struct WriterLinks {
    WorkingTest working;
    PushSink push;
    PushFramesSink push_frames;
    void* context;
    MTickCounter* snapshot_clock;
};

class DayLoaders : public LoaderHost {
public:
    // logger may be null (nothing is logged).
    DayLoaders(DayTables& tables, MLogger* logger, const WriterLinks& links);
    DayLoaders(const DayLoaders&) = delete;
    DayLoaders& operator=(const DayLoaders&) = delete;

    // The level-2 bridge (none: no module is started) and the status thread's reference-data
    // event (may be null). Set before the unit starts.
    void SetLevel2Link(Level2Link* link) { m_Level2Link = link; }
    void SetReferenceDataEvent(MWaitEvent* event) { m_ReferenceDataEvent = event; }

    // Every initialisation: the settings taken again from config (kept when it is null), and
    // every file path logged once more.
    void TakeSettings(const ConfigUnit* config);
    void LogPathsAgain();

    // Opens the saved price table's file, which stays open as long as the unit runs: 1, or the
    // file's negative error. The price table is not marked changed afterwards.
    int32_t OpenPriceTableFile();
    // From 01:00:00 on, the price table read from the day's price-spread file (the outcome is
    // logged either way).
    void LoadPriceTable();
    // The file's result (960, or negative; -10 before the file was opened). A failed save of an
    // opened file is logged (one error line).
    int32_t SavePriceTable();
    bool IsPriceTableDirty() const { return m_PriceTableDirty.load() != 0; }

    // Returns once no run of the market data loader is in progress.
    void WaitForMarketDataRun() { m_MarketData.WaitForRun(); }
    // The reference data merged over the market data file: the loader's result (< 0 none).
    int32_t LoadReferenceData() { return m_Reference.Instance(); }
    // The exchange rates and the trading-session and quota status, their paths logged.
    void LoadRatesAndSessions();
    // One pass of the processing thread in the working window: session status and rates, and
    // the market data file itself when the level-2 feed is silent.
    void RefreshFiles(bool read_market_data);

    const MarketQuotaStatus& QuotaStatus() const { return m_Sessions.KeptQuotaStatus(); }
    HKMktdtLoader& MarketDataLoader() { return m_MarketData; }
    HKRefDbf& ReferenceDataLoader() { return m_Reference; }
    HKTrdsesLoader& SessionStatusLoader() { return m_Sessions; }
    HKMExraLoader& ExchangeRateLoader() { return m_RateFile; }
    HKZxjcLoader& PriceSpreadLoader() { return m_PriceSpreads; }
    PriceTableFile& GetPriceTableFile() { return m_PriceTableFile; }

    // LoaderHost
    CodeTable& Codes() override { return m_Tables.Codes(); }
    SnapshotTable& Snapshots() override { return m_Tables.Snapshots(); }
    ProductStatusTable& Statuses() override { return m_Tables.Statuses(); }
    ShortNameTable& ShortNames() override { return m_Tables.ShortNames(); }
    Market& GetMarket() override { return m_Tables.GetMarket(); }
    bool UpdateSnapshot(const Snapshot& record) override { return m_Writer.UpdateSnapshot(record); }
    void UpdateSnapshots(const Snapshot* records, uint32_t n) override { m_Writer.UpdateSnapshots(records, n); }
    bool UpdateStatus(const ProductStatus& record) override { return m_Writer.UpdateStatus(record); }
    int32_t Push(uint8_t type, const void* data, uint32_t length) override { return m_Writer.Push(type, data, length); }
    bool IsDriverWorking() const override { return m_Writer.IsDriverWorking(); }
    ExchangeRates& Rates() override { return m_Tables.Rates(); }
    std::atomic<uint8_t>& MarketDataPathFlag() override { return m_MarketDataPathFlag; }
    std::atomic<uint8_t>& PriceSpreadPathFlag() override { return m_PriceSpreadPathFlag; }
    int32_t Level2StartedCount() override;
    PriceTable& Prices() override { return m_Tables.Prices(); }
    void MarkPriceTableDirty() override { m_PriceTableDirty.store(1); }
    const LoaderSettings& Settings() override { return m_Settings; }
    MLogger& Logger() override { return m_Logger != nullptr ? *m_Logger : m_NullLogger; }
    void SignalReferenceLoaded() override;

private:
    DayTables& m_Tables;
    MLogger* m_Logger;
    MLogger m_NullLogger;
    Level2Link* m_Level2Link = nullptr;
    MWaitEvent* m_ReferenceDataEvent = nullptr;
    LoaderSettings m_Settings;
    // Set by every initialisation (status or console thread), cleared by the loaders.
    std::atomic<uint8_t> m_MarketDataPathFlag{1};
    std::atomic<uint8_t> m_PriceSpreadPathFlag{1};
    std::atomic<uint8_t> m_PriceTableDirty{0};
    MarketWriter m_Writer;
    HKMktdtLoader m_MarketData;
    HKRefDbf m_Reference;
    HKTrdsesLoader m_Sessions;
    HKMExraLoader m_RateFile;
    HKZxjcLoader m_PriceSpreads;
    // The processing thread saves every 5 s while a re-initialisation saves and reloads: one
    // file position, so one at a time.
    MCriticalSection m_PriceFileLock;
    PriceTableFile m_PriceTableFile;
};

}  // namespace zephyr
