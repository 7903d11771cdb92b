#include "process/DayLoaders.h"

#include "config/ConfigUnit.h"
#include "foundation/MDateTime.h"
#include "foundation/MLocalSection.h"
#include "foundation/MWaitEvent.h"
#include "process/Level2Link.h"

namespace zephyr {

namespace {

constexpr const char* kModule = "Zephyr";
// From 01:00:00 on, the day's price-spread file is expected.
constexpr int32_t kPriceTableFromTime = 8000;

}  // namespace

DayLoaders::DayLoaders(DayTables& tables, MLogger* logger, const WriterLinks& links)
    : m_Tables(tables),
      m_Logger(logger),
      m_Writer(tables.Codes(), tables.Snapshots(), tables.Statuses()),
      m_MarketData(*this),
      m_Reference(*this, m_MarketData),
      m_Sessions(*this, m_MarketData),
      m_RateFile(*this),
      m_PriceSpreads(*this),
      m_PriceTableFile(m_PriceSpreads) {
    m_Writer.SetWorkingTest(links.working, links.context);
    m_Writer.SetPushSink(links.push, links.context);
    m_Writer.SetFramesSink(links.push_frames, links.context);
    m_Writer.SetSnapshotClock(links.snapshot_clock);
}

int32_t DayLoaders::Level2StartedCount() { return m_Level2Link != nullptr ? m_Level2Link->StartedCount() : 0; }

void DayLoaders::SignalReferenceLoaded() {
    if (m_ReferenceDataEvent != nullptr) m_ReferenceDataEvent->Set();
}

void DayLoaders::TakeSettings(const ConfigUnit* config) {
    if (config != nullptr) m_Settings = LoaderSettings::FromConfig(*config);
}

void DayLoaders::LogPathsAgain() {
    m_MarketDataPathFlag.store(1);
    m_PriceSpreadPathFlag.store(1);
}

int32_t DayLoaders::OpenPriceTableFile() {
    m_PriceTableDirty.store(0);
    MLocalSection lock(m_PriceFileLock);
    return m_PriceTableFile.Open(m_Settings.price_table_path.GetData());
}

void DayLoaders::LoadPriceTable() {
    if (MDateTime::Current().GetTime() <= kPriceTableFromTime) return;
    int32_t loaded;
    {
        MLocalSection lock(m_PriceFileLock);
        loaded = m_PriceTableFile.Load(m_Tables.Prices());
    }
    if (loaded < 1) {
        // The price table only describes tick sizes: without it the market is served all the
        // same, with the table as it stands (empty on the first start, possibly part-filled).
        Logger().Write(kLogError, kModule, "未使用存盘价位表文件，价位表可能不全，仍对外服务, errcode=%d", loaded);
    } else {
        Logger().Write(kLogInfo, kModule, "存盘价位表文件装入成功。");
    }
}

int32_t DayLoaders::SavePriceTable() {
    MLocalSection lock(m_PriceFileLock);
    const int32_t saved = m_PriceTableFile.Save(m_Tables.Prices());
    m_PriceTableDirty.store(0);
    // Not before the file was opened: a unit that was never started has nothing to save.
    if (saved < 0 && saved != -10) {
        Logger().Write(kLogError, kModule, "价位表文件存盘出错, errcode=%d", saved);
    }
    return saved;
}

void DayLoaders::LoadRatesAndSessions() {
    m_RateFile(true);
    m_Sessions.Instance(true);
}

void DayLoaders::RefreshFiles(bool read_market_data) {
    m_Sessions.Instance(false);
    m_RateFile(false);
    if (read_market_data) m_MarketData(HKMktdtLoader::kRefresh);
}

}  // namespace zephyr
