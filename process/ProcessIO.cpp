#include "process/ProcessIO.h"

#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "config/ConfigUnit.h"
#include "config/HSIndexConfig.h"
#include "foundation/MClock.h"
#include "foundation/MDateTime.h"
#include "foundation/MLocalSection.h"
#include "foundation/MWaitEvent.h"
#include "process/CodeTableAdjuster.h"
#include "process/Level2Link.h"
#include "process/MarketChecksum.h"
#include "process/MarketCounts.h"
#include "push/DataFrames.h"
#include "push/PushFrames.h"

namespace zephyr {

namespace {

constexpr const char* kModule = "Zephyr";
constexpr const char* kProcessModule = "处理单元";
constexpr uint32_t kCodeCapacity = 6100;
constexpr uint32_t kExtCodeCapacity = 6100;
constexpr uint32_t kStatusCapacity = 9000;
constexpr uint32_t kIndexCapacity = 50;
// From 01:00:00 on, the day's price-spread file is expected.
constexpr int32_t kPriceTableFromTime = 8000;
// Records per push when the console pushes a table.
constexpr uint32_t kPushBlock = 100;

int32_t Today() { return MDateTime::Current().GetDate(); }

// Keeps the level-2 handler closed for a scope and leaves it as it found it.
class Level2Hold {
public:
    explicit Level2Hold(Level2PushHandler& handler) : m_Handler(handler), m_WasOpen(handler.IsOpen()) {
        m_Handler.Close();
    }
    ~Level2Hold() {
        if (m_WasOpen) m_Handler.Open();
    }
    Level2Hold(const Level2Hold&) = delete;
    Level2Hold& operator=(const Level2Hold&) = delete;

private:
    Level2PushHandler& m_Handler;
    const bool m_WasOpen;
};

// The directory of a file name, with its trailing '/' ("./" when it has none).
MString DirectoryOf(const MString& file) {
    const char* text = file.GetData();
    const char* slash = strrchr(text, '/');
    if (slash == nullptr) return MString("./");
    std::vector<char> directory(text, slash + 1);
    directory.push_back('\0');
    return MString(directory.data());
}

}  // namespace

ProcessIO::ProcessIO(ConfigUnit* config, MLogger* logger)
    : m_Config(config),
      m_Logger(logger),
      m_ProcessState(kStopped),
      m_ServiceFlag(0),
      m_LastL2Time(0),
      m_InitialisedDate(0),
      m_CloseCorrection(0),
      m_PriceTableDirty(0),
      m_Started(false),
      m_StrategySlots(nullptr),
      m_StrategyCount(0),
      m_StrategyParam(0),
      m_RecountRequest(0),
      m_MktdtPathFlag(1),
      m_ZxjcPathFlag(1),
      m_ReferenceDataEvent(nullptr),
      m_Level2Link(nullptr),
      m_MarketWriter(m_CodeTable, m_SnapshotTable, m_ProductStatusTable),
      m_MktdtLoader(*this),
      m_RefDbf(*this, m_MktdtLoader),
      m_TrdsesLoader(*this, m_MktdtLoader),
      m_ExraLoader(*this),
      m_ZxjcLoader(*this),
      m_PriceTableFile(m_ZxjcLoader),
      m_Level2Handler(&m_Market, this) {
    memset(&m_WorkParams, 0, sizeof m_WorkParams);
    memset(&m_PriceTable, 0, sizeof m_PriceTable);
    m_MarketWriter.SetWorkingTest(&IsDriverWorkingEntry, this);
    m_MarketWriter.SetSnapshotClock(&m_SnapshotClock);
    m_MarketWriter.SetPushSink(&PushIntoPool, this);
    m_MarketWriter.SetFramesSink(&PutFramesIntoPool, this);
    m_PushPool.SetMarket(&m_Market);
}

ProcessIO::~ProcessIO() {
    m_Level2Handler.Close();
    m_Thread.StopThread(kStopWaitMs);
    MLocalSection lock(m_StrategyLock);
    delete[] m_StrategySlots;
    m_StrategySlots = nullptr;
}

bool ProcessIO::IsDriverWorkingEntry(void* self) { return static_cast<ProcessIO*>(self)->IsDriverWorking(); }

int32_t ProcessIO::PushIntoPool(void* self, const void* frame, uint32_t length) {
    return static_cast<ProcessIO*>(self)->m_PushPool.PutData(frame, length);
}

int32_t ProcessIO::PutFramesIntoPool(void* self, uint8_t type, const void* records, uint32_t record_size,
                                     uint32_t n) {
    return static_cast<ProcessIO*>(self)->m_PushPool.PutFrames(type, records, record_size, n);
}

int32_t ProcessIO::Level2StartedCount() {
    return m_Level2Link != nullptr ? m_Level2Link->StartedCount() : 0;
}

void ProcessIO::SignalReferenceLoaded() {
    if (m_ReferenceDataEvent != nullptr) m_ReferenceDataEvent->Set();
}

void ProcessIO::SetWorkParams(const DriverWorkParams& params) {
    memcpy(&m_WorkParams, &params, sizeof m_WorkParams);
    if (m_WorkParams.frame_size > kHostFrameHeader) m_WorkParams.frame_size -= kHostFrameHeader;
}

DriverWorkParams ProcessIO::GetWorkParams() const { return m_WorkParams; }

MarketTables ProcessIO::Tables() {
    return MarketTables{&m_Market,        &m_CodeTable,          &m_ExtCodeTable, &m_IndexTable,
                        &m_SnapshotTable, &m_ProductStatusTable, &m_NameLookup,   m_Logger};
}

// ---------------------------------------------------------------------------------------------
// Start, re-initialisation, stop

int32_t ProcessIO::Start() {
    MLocalSection life(m_LifeLock);
    return StartSteps();
}

int32_t ProcessIO::StartSteps() {
    MLogger& log = Logger();
    // A thread of an earlier start reads the settings: it ends before they are replaced.
    m_Thread.StopThread(kStopWaitMs);
    if (m_Config != nullptr) m_LoaderSettings = LoaderSettings::FromConfig(*m_Config);

    // Every file path is logged once more, and the level-2 silence is counted from now.
    m_MktdtPathFlag = 1;
    m_ZxjcPathFlag = 1;
    m_PriceTableDirty = 0;
    m_LastL2Time.store(MClock::NowSeconds());

    // The push pool sends to the host's callback from here on.
    m_PushPool.SetHost(m_WorkParams.push_data, m_WorkParams.driver_id);
    m_PushPool.SetLogger(m_Logger);
    const uint16_t bond = m_Config != nullptr ? m_Config->PushBond() : 0;
    int32_t result = m_PushPool.Init(MPushPool::kMainType, MPushPool::kSubType, kMarketNumber,
                                     MPushPool::kRingSize, bond);
    if (result < 0) {
        log.Write(kLogError, kModule, "<ProcessIO>m_PushPool初始化出错[Err:%d]", result);
        return result;
    }

    // The processing thread waits for the working window; it reads nothing before that.
    result = m_Thread.StartThread("处理单元线程", &ProcessThread, this, true);
    if (result < 0) return result;

    // The tables, at their fixed capacities.
    if (!m_CodeTable.Allocate(kCodeCapacity)) {
        log.Write(kLogError, kModule, "码表初始化出错。");
        return -2;
    }
    if (!m_ExtCodeTable.Allocate(kExtCodeCapacity)) {
        log.Write(kLogError, kModule, "扩展码表初始化出错。");
        return -3;
    }
    if (!m_ProductStatusTable.Allocate(kStatusCapacity)) {
        log.Write(kLogWarning, kModule, "产品状态表初始化出错。");
        return -30;
    }
    if (!m_IndexTable.Allocate(kIndexCapacity)) {
        log.Write(kLogError, kModule, "指数表初始化出错。");
        return -4;
    }
    m_Started.store(true);

    // The market record, its categories and the trading sessions beside the library.
    MString directory("./");
    uint32_t time1 = 0;
    uint32_t time2 = 0;
    if (m_Config != nullptr) {
        directory = DirectoryOf(m_Config->LibraryFileName());
        time1 = static_cast<uint32_t>(m_Config->Time1());
        time2 = static_cast<uint32_t>(m_Config->Time2());
    }
    m_Market.Configure(MarketSetup{directory.GetData(), time1, time2, m_Logger});
    result = m_Market.Init(m_CodeTable.IndexCount());
    if (result < 0) {
        log.Write(kLogError, kModule, "<ProcessIO>m_Market初始化出错[Err:%d]", result);
        return result;
    }

    // The saved price table's file stays open as long as the unit runs.
    int32_t opened;
    {
        MLocalSection lock(m_PriceFileLock);
        opened = m_PriceTableFile.Open(m_LoaderSettings.price_table_path.GetData());
    }
    if (opened < 1) {
        log.Write(kLogError, kModule, "价位表文件初始化出错。");
        return -9;
    }

    // What the day starts from: the saved price table, the short names and the index list.
    LoadPriceTable();
    LoadShortNamesAndIndexes();

    // The instruments: without reference data only a holiday may start.
    if (m_RefDbf.Instance() < 0 && (m_Config == nullptr || !m_Config->IsHolidayToday())) return -15;

    // Exchange rates and the trading-session and quota status.
    m_ExraLoader(true);
    m_TrdsesLoader.Instance(true);

    // Index entries from the code table; counts per category; indices first in the code table.
    m_IndexTable.Clear();
    m_IndexTable.BuildFromCodes(m_CodeTable);
    RefreshMarketCounts();
    AdjustCodeTable();

    // One push-strategy slot per instrument.
    ApplyPushStrategy();

    // The close correction may run once for this day.
    m_CloseCorrection.store(1);
    m_InitialisedDate.store(Today());

    // Counts, clocks and the market digest of the finished day.
    FinishInitialisation();

    // Last, the level-2 feed may write into the market.
    m_Level2Handler.Open();
    if (m_Level2Link != nullptr) m_Level2Link->Initialise();
    return 1;
}

void ProcessIO::LoadPriceTable() {
    if (MDateTime::Current().GetTime() <= kPriceTableFromTime) return;
    int32_t loaded;
    {
        MLocalSection lock(m_PriceFileLock);
        loaded = m_PriceTableFile.Load(m_PriceTable);
    }
    if (loaded < 1) {
        Logger().Write(kLogError, kModule, "未使用存盘价位表文件，不能对外服务, errcode=%d", loaded);
    } else {
        Logger().Write(kLogInfo, kModule, "存盘价位表文件装入成功。");
    }
}

void ProcessIO::LoadShortNamesAndIndexes() {
    if (m_Config != nullptr) {
        const MString path = m_Config->HKShorNameFilePath();
        const int32_t loaded = m_ShortNameTable.LoadAll(path.GetData());
        if (loaded < 0) Logger().Write(kLogWarning, kModule, "中文简称文件%s装入失败, errcode=%d", path.GetData(), loaded);
    }
    m_ProductStatusTable.Clear();
    m_CodeTable.Clear();
    m_SnapshotTable.Clear();
    std::vector<IndexDefinition> definitions;
    const bool enabled = m_Config != nullptr && m_Config->HSIEnable();
    if (enabled && m_CodeTable.Count() == 0) {
        const HSIndexConfig& list = m_Config->GetIndexConfig();
        definitions.resize(list.GetCount());
        for (uint32_t i = 0; i < definitions.size(); ++i) {
            HSIndexEntry entry;
            memset(&definitions[i], 0, sizeof definitions[i]);
            if (!list.Get(i, &entry)) continue;
            memcpy(definitions[i].code, entry.code, sizeof definitions[i].code);
            memcpy(definitions[i].english_short_name, entry.english_name, sizeof entry.english_name);
            memcpy(definitions[i].chinese_short_name, entry.short_name, sizeof entry.short_name);
            memcpy(definitions[i].full_name, entry.full_name, sizeof entry.full_name);
        }
    }
    // Records the index count too (0 when the source is disabled).
    m_CodeTable.AddIndexEntries(enabled, definitions.data(), definitions.size());
}

void ProcessIO::ApplyPushStrategy() {
    const uint32_t n = m_CodeTable.Count();
    uint16_t* slots = n > 0 ? new (std::nothrow) uint16_t[n]() : nullptr;
    {
        MLocalSection lock(m_StrategyLock);
        delete[] m_StrategySlots;
        m_StrategySlots = slots;
        m_StrategyCount = slots != nullptr ? n : 0;
        m_StrategyParam = m_Config != nullptr ? m_Config->PushStrategyParam() : 0;
    }
    if (slots == nullptr) Logger().Write(kLogWarning, kModule, "推送策略应用失败");
}

uint32_t ProcessIO::PushStrategySlots() const {
    MLocalSection lock(m_StrategyLock);
    return m_StrategyCount;
}

void ProcessIO::FinishInitialisation() {
    {
        MLocalSection lock(m_RecountLock);
        m_RecountRequest = 0;
    }
    RefreshMarketCounts();
    m_SnapshotClock.Start();
    m_InitClock.Start();
    ComputeMarketChecksum();
}

int32_t ProcessIO::Reinitialise() {
    MLocalSection life(m_LifeLock);
    if (!m_Started.load()) return -1;
    MLogger& log = Logger();

    // Paths logged once more; once a day only.
    m_MktdtPathFlag = 1;
    m_ZxjcPathFlag = 1;
    m_LastL2Time.store(MClock::NowSeconds());
    const int32_t today = Today();
    if (today == m_InitialisedDate.load()) return 2;

    // The level-2 feed keeps out of the market while it is rebuilt, whatever the outcome: a
    // market time raised meanwhile would make the day's market data file look stale to the build.
    Level2Hold hold(m_Level2Handler);

    // The new date, with no time and no rates yet.
    m_ExchangeRates.Clear();
    MarketInfo info;
    m_Market.GetInfo(&info);
    info.status = 0;
    info.date = static_cast<uint32_t>(today);
    info.time = 0;
    m_Market.SetInfo(&info);

    // Yesterday's prices saved; the host is told to drop the market and is kept out.
    SavePriceTable();
    log.Write(kLogInfo, kModule, "重新开始初始化");
    SetProcessState(kStopped);
    SetServiceFlag(-1);
    if (m_WorkParams.market_reset != nullptr) m_WorkParams.market_reset(kMarketNumber, m_WorkParams.driver_id);
    m_Market.SetStatus(1);

    // What the day starts from, as at the start.
    LoadPriceTable();
    LoadShortNamesAndIndexes();
    m_CloseCorrection.store(1);

    // The instruments (required), the rates and the session status.
    if (m_RefDbf.Instance() < 0) return -1;
    m_ExraLoader(true);
    m_TrdsesLoader.Instance(true);

    // Push strategy, index entries, counts and the code table order.
    ApplyPushStrategy();
    m_IndexTable.Clear();
    m_IndexTable.BuildFromCodes(m_CodeTable);
    RefreshMarketCounts();
    AdjustCodeTable();

    // Done for today; the status thread opens the market at its next tick.
    m_InitialisedDate.store(today);
    SetProcessState(kNotReady);
    FinishInitialisation();
    return 1;
}

void ProcessIO::ClearInitialisedDate() { m_InitialisedDate.store(0); }

void ProcessIO::Stop() {
    SetProcessState(kStopped);
    SetServiceFlag(0);
    {
        MLocalSection life(m_LifeLock);
        m_Started.store(false);
    }
    // From here on level-2 pushes change nothing; one in progress is waited for.
    m_Level2Handler.Close();
    m_Thread.StopThread(kStopWaitMs);

    MLocalSection life(m_LifeLock);
    ReleaseTables();
}

void ProcessIO::ReleaseTables() {
    m_ShortNameTable.Close();
    m_IndexTable.Release();
    m_ExtCodeTable.Release();
    m_CodeTable.Release();
    m_SnapshotTable.Release();
    m_ProductStatusTable.Release();
    m_Market.Release();
    {
        MLocalSection lock(m_StrategyLock);
        delete[] m_StrategySlots;
        m_StrategySlots = nullptr;
        m_StrategyCount = 0;
    }
    m_PushPool.Release();
    m_NameLookup.Release();
}

int32_t ProcessIO::SavePriceTable() {
    MLocalSection lock(m_PriceFileLock);
    const int32_t saved = m_PriceTableFile.Save(m_PriceTable);
    m_PriceTableDirty = 0;
    // Not before the file was opened: a unit that was never started has nothing to save.
    if (saved < 0 && saved != -10) {
        Logger().Write(kLogError, kModule, "价位表文件存盘出错, errcode=%d", saved);
    }
    return saved;
}

// ---------------------------------------------------------------------------------------------
// State

int32_t ProcessIO::GetProcessState() const {
    MLocalSection lock(m_StateLock);
    return m_ProcessState;
}

void ProcessIO::SetProcessState(int32_t state) {
    MLocalSection lock(m_StateLock);
    m_ProcessState = state;
}

int8_t ProcessIO::GetServiceFlag() const {
    MLocalSection lock(m_ServiceLock);
    return m_ServiceFlag;
}

void ProcessIO::SetServiceFlag(int8_t flag) {
    MLocalSection lock(m_ServiceLock);
    m_ServiceFlag = flag;
}

bool ProcessIO::IsReady() const {
    if (m_Config != nullptr && m_Config->IsHolidayToday()) return false;
    // The tables lock themselves; counting them does not change them.
    ProcessIO* self = const_cast<ProcessIO*>(this);
    return self->m_CodeTable.Count() > 0 && self->m_SnapshotTable.Count() > 0;
}

bool ProcessIO::IsDriverWorking() const {
    MLocalSection lock(m_ServiceLock);
    return IsReady() && m_ServiceFlag > 0;
}

// ---------------------------------------------------------------------------------------------
// Host pulls

int32_t ProcessIO::GetMarketInfo(const uint16_t* capacity, const MarketInfoTargets* targets) {
    return AnswerMarketInfo(m_Market, GetServiceFlag(), GetProcessState(), capacity, targets);
}

FrameSources ProcessIO::Sources() {
    return FrameSources{&m_CodeTable,      &m_SnapshotTable,
                        &m_IndexTable,     &m_ShortNameTable,
                        &m_ProductStatusTable, &m_PriceTable,
                        &m_ExchangeRates,   &m_TrdsesLoader.KeptQuotaStatus(),
                        m_Config != nullptr ? &m_Config->GetHolidayCalendar() : nullptr};
}

FrameService ProcessIO::Service() const {
    return FrameService{GetServiceFlag(), GetProcessState(), m_WorkParams.frame_size, m_WorkParams.request_budget};
}

int32_t ProcessIO::GetDataFrameCount(const FrameRequest* request, uint8_t* last_frame) {
    if (request == nullptr || last_frame == nullptr || request->position == nullptr) return 0;
    return AnswerFrameCount(Sources(), Service(), request, last_frame);
}

int32_t ProcessIO::GetOneDataFrame(const FrameRequest* request, void* const* output) {
    if (request == nullptr || output == nullptr || request->position == nullptr) return 0;
    return AnswerOneFrame(Sources(), Service(), request, output);
}

// ---------------------------------------------------------------------------------------------
// Push path

bool ProcessIO::UpdateSnapshot(const Snapshot& record) { return m_MarketWriter.UpdateSnapshot(record); }

void ProcessIO::UpdateSnapshots(const Snapshot* records, uint32_t n) { m_MarketWriter.UpdateSnapshots(records, n); }

bool ProcessIO::UpdateStatus(const ProductStatus& record) { return m_MarketWriter.UpdateStatus(record); }

int32_t ProcessIO::Push(uint8_t type, const void* data, uint32_t length) {
    return m_MarketWriter.Push(type, data, length);
}

int32_t ProcessIO::PushMarketHeader() {
    MarketInfo info;
    m_Market.GetInfo(&info);
    uint8_t frame[kMarketHeaderFrameSize];
    const uint32_t length = BuildMarketHeaderFrame(info, frame, sizeof frame);
    return Push(frame[0], frame + 1, length - 1);
}

namespace {

// Puts records start .. start + n - 1 of table (as far as it reaches) into pool, kPushBlock
// records per put: 1, or the pool's negative result.
template <class Table, class Record>
int32_t PushRange(Table& table, MPushPool& pool, uint32_t start, uint32_t n,
                  int32_t (*put)(MPushPool&, const Record*, uint32_t)) {
    Record block[kPushBlock];
    int32_t result = 1;
    while (n > 0 && result > 0) {
        const uint32_t got = table.CopyRange(block, start, n < kPushBlock ? n : kPushBlock);
        if (got == 0) break;
        result = put(pool, block, got);
        start += got;
        n -= got;
    }
    return result;
}

}  // namespace

int32_t ProcessIO::PushSnapshots(uint32_t start, uint32_t n) {
    MLocalSection life(m_LifeLock);
    if (!m_Started.load()) return 0;
    return PushRange(m_SnapshotTable, m_PushPool, start, n, &PutSnapshots);
}

int32_t ProcessIO::PushIndexEntries(uint32_t start, uint32_t n) {
    MLocalSection life(m_LifeLock);
    if (!m_Started.load()) return 0;
    return PushRange(m_IndexTable, m_PushPool, start, n, &PutIndexEntries);
}

int32_t ProcessIO::FlushPushes() { return m_PushPool.PushOutOnce(); }

// ---------------------------------------------------------------------------------------------
// Market-wide routines

void ProcessIO::ComputeMarketChecksum() { zephyr::ComputeMarketChecksum(m_Market, m_CodeTable, m_PriceTable); }

int32_t ProcessIO::CorrectClosePrices() {
    MLocalSection life(m_LifeLock);
    if (!m_Started.load()) return 0;
    uint8_t expected = 1;
    if (!m_CloseCorrection.compare_exchange_strong(expected, 0)) return 0;
    Logger().Write(kLogInfo, kProcessModule, "进行收盘价矫正");
    m_IndexTable.RollClose();
    m_SnapshotTable.RollClose();
    return 1;
}

void ProcessIO::RefreshMarketCounts() { zephyr::RefreshMarketCounts(Tables()); }

void ProcessIO::AdjustCodeTable() { zephyr::AdjustCodeTable(Tables()); }

uint16_t ProcessIO::FindPosition(const char* code) { return zephyr::FindPosition(m_NameLookup, m_CodeTable, code); }

void ProcessIO::RequestRecount() {
    MLocalSection lock(m_RecountLock);
    m_RecountRequest = 1;
}

void ProcessIO::WriteMarketTotals() { zephyr::WriteMarketTotals(Tables()); }

// ---------------------------------------------------------------------------------------------
// Level-2 pushes

void ProcessIO::OnLevel2Push(uint8_t main_type, uint8_t sub_type, const uint8_t* data, uint16_t length,
                             uint8_t market) {
    m_Level2Handler.OnLevel2Push(main_type, sub_type, data, length, market);
}

// ---------------------------------------------------------------------------------------------
// The processing thread

uint32_t ProcessIO::ProcessThread(void* self) {
    ProcessIO* unit = static_cast<ProcessIO*>(self);
    ThreadClocks clocks;
    clocks.last_time = MDateTime::Current().GetTime();
    clocks.recount.Start();
    clocks.save.Start();
    clocks.totals.Start();
    while (!unit->m_Thread.IsStopRequested()) {
        try {
            unit->ProcessPass(clocks);
        } catch (const std::exception&) {
            unit->Logger().Write(kLogError, kModule, "处理单元线程发生未知异常");
        }
        MClock::SleepMs(kPassMs);
    }
    return 0;
}

void ProcessIO::ProcessPass(ThreadClocks& clocks) {
    const bool in_work_time = m_Config != nullptr && m_Config->InWorkTime();

    if (clocks.recount.Elapsed() > kPeriodicMs) {
        clocks.recount.Start();
        int32_t requested;
        {
            MLocalSection lock(m_RecountLock);
            requested = m_RecountRequest;
        }
        if (requested != 0) {
            RefreshMarketCounts();
            MLocalSection lock(m_RecountLock);
            m_RecountRequest = 0;
        }
    }

    const int32_t now = MDateTime::Current().GetTime();
    if (now != clocks.last_time && in_work_time && !m_Config->IsHolidayToday()) {
        m_TrdsesLoader.Instance(false);
        m_ExraLoader(false);
        if (MClock::NowSeconds() - m_LastL2Time.load() > kLevel2SilenceSeconds) {
            m_MktdtLoader(HKMktdtLoader::kRefresh);
        }
        PushMarketHeader();
    }

    if (clocks.save.Elapsed() > kPeriodicMs) {
        clocks.save.Start();
        SavePriceTable();
    }

    if (clocks.totals.Elapsed() > kPeriodicMs) {
        clocks.totals.Start();
        if (in_work_time) WriteMarketTotals();
    }
    clocks.last_time = now;
}

}  // namespace zephyr
