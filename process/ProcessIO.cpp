#include "process/ProcessIO.h"

#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "config/ConfigUnit.h"
#include "foundation/MClock.h"
#include "foundation/MDateTime.h"
#include "foundation/MHeap.h"
#include "foundation/MLocalSection.h"
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
      m_RecountRequest(0),
      m_Started(false),
      m_StrategySlots(nullptr),
      m_StrategyCount(0),
      m_StrategyParam(0),
      m_Loaders(m_Day, logger, WriterLinks{&IsDriverWorkingEntry, &PushIntoPool, &PutFramesIntoPool, this, &m_SnapshotClock}),
      m_Level2Handler(&m_Day.GetMarket(), this) {
    memset(&m_WorkParams, 0, sizeof m_WorkParams);
    m_PushPool.SetMarket(&m_Day.GetMarket());
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

void ProcessIO::SetLevel2Link(Level2Link* link) {
    m_Level2Link = link;
    m_Loaders.SetLevel2Link(link);
}

void ProcessIO::SetWorkParams(const DriverWorkParams& params) {
    memcpy(&m_WorkParams, &params, sizeof m_WorkParams);
    if (m_WorkParams.frame_size > kHostFrameHeader) m_WorkParams.frame_size -= kHostFrameHeader;
}

DriverWorkParams ProcessIO::GetWorkParams() const { return m_WorkParams; }

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
    m_Loaders.TakeSettings(m_Config);
    BeginInitialisation();

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

    result = m_Day.Allocate(log);
    if (result < 0) return result;
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
    Market& market = m_Day.GetMarket();
    market.Configure(MarketSetup{directory.GetData(), time1, time2, m_Logger});
    result = market.Init(m_Day.Codes().IndexCount());
    if (result < 0) {
        log.Write(kLogError, kModule, "<ProcessIO>m_Market初始化出错[Err:%d]", result);
        return result;
    }

    if (m_Loaders.OpenPriceTableFile() < 1) {
        log.Write(kLogError, kModule, "价位表文件初始化出错。");
        return -9;
    }

    // Without reference data only a holiday may start.
    const bool holiday = m_Config != nullptr && m_Config->IsHolidayToday();
    if (LoadDay(Today(), !holiday) < 0) return -15;
    FinishInitialisation();

    // Last, the level-2 feed may write into the market.
    m_Level2Handler.Open();
    if (m_Level2Link != nullptr) m_Level2Link->Initialise();
    return 1;
}

void ProcessIO::BeginInitialisation() {
    m_Loaders.LogPathsAgain();
    m_LastL2Time.store(MClock::NowSeconds());
}

int32_t ProcessIO::LoadDay(int32_t date, bool reference_required) {
    // What the day starts from: the saved price table, the short names and the index list.
    m_Loaders.LoadPriceTable();
    m_Day.StartDay(m_Config, Logger());
    // The close correction may run once for this day.
    m_CloseCorrection.store(1);

    // The instruments, then the exchange rates and the trading-session and quota status.
    if (m_Loaders.LoadReferenceData() < 0 && reference_required) return -1;
    m_Loaders.LoadRatesAndSessions();

    // Index entries from the code table; counts per category; indices first in the code table;
    // one push-strategy slot per instrument.
    m_Day.RebuildIndexes();
    RefreshMarketCounts();
    AdjustCodeTable();
    ApplyPushStrategy();
    m_InitialisedDate.store(date);
    return 1;
}

void ProcessIO::ApplyPushStrategy() {
    const uint32_t n = m_Day.Codes().Count();
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
    m_RecountRequest.store(0);
    RefreshMarketCounts();
    m_SnapshotClock.Start();
    m_InitClock.Start();
    ComputeMarketChecksum();
}

int32_t ProcessIO::Reinitialise() {
    MLocalSection life(m_LifeLock);
    const int32_t result = RebuildDay();
    // What rebuilding the tables freed goes back to the system, once level-2 data flow again.
    if (result == 1) ReturnFreeHeap();
    return result;
}

int32_t ProcessIO::RebuildDay() {
    if (!m_Started.load()) return -1;
    BeginInitialisation();
    // Once a day only.
    const int32_t today = Today();
    if (today == m_InitialisedDate.load()) return 2;

    // The level-2 feed keeps out of the market while it is rebuilt, whatever the outcome: a
    // market time raised meanwhile would make the day's market data file look stale to the build.
    Level2Hold hold(m_Level2Handler);

    // Yesterday's prices saved; the host is kept out.
    SavePriceTable();
    Logger().Write(kLogInfo, kModule, "重新开始初始化");
    SetProcessState(kStopped);
    SetServiceFlag(-1);
    // A refresh of the market data file that the processing thread began while the unit served
    // would raise the market time again: it ends first, and none begins while the unit does not
    // serve.
    m_Loaders.WaitForMarketDataRun();

    // The new date, with no time and no rates yet; the host is told to drop the market.
    m_Day.Rates().Clear();
    Market& market = m_Day.GetMarket();
    MarketInfo info;
    market.GetInfo(&info);
    info.status = 0;
    info.date = static_cast<uint32_t>(today);
    info.time = 0;
    market.SetInfo(&info);
    if (m_WorkParams.market_reset != nullptr) m_WorkParams.market_reset(kMarketNumber, m_WorkParams.driver_id);
    market.SetStatus(1);

    // The day as at the start, the reference data required; the status thread opens the market
    // at its next tick.
    if (LoadDay(today, true) < 0) return -1;
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
    m_Day.Release();
    {
        MLocalSection lock(m_StrategyLock);
        delete[] m_StrategySlots;
        m_StrategySlots = nullptr;
        m_StrategyCount = 0;
    }
    m_PushPool.Release();
}

// ---------------------------------------------------------------------------------------------
// State

bool ProcessIO::IsReady() {
    if (m_Config != nullptr && m_Config->IsHolidayToday()) return false;
    return m_Day.HasQuotes();
}

bool ProcessIO::IsDriverWorking() { return IsReady() && GetServiceFlag() > 0; }

// ---------------------------------------------------------------------------------------------
// Host pulls

int32_t ProcessIO::GetMarketInfo(const uint16_t* capacity, const MarketInfoTargets* targets) {
    return AnswerMarketInfo(m_Day.GetMarket(), GetServiceFlag(), GetProcessState(), capacity, targets);
}

FrameSources ProcessIO::Sources() {
    return FrameSources{&m_Day.Codes(),   &m_Day.Snapshots(), &m_Day.Indexes(),
                        &m_Day.ShortNames(), &m_Day.Statuses(), &m_Day.Prices(),
                        &m_Day.Rates(),   &m_Loaders.QuotaStatus(),
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

int32_t ProcessIO::PushMarketHeader() {
    MarketInfo info;
    m_Day.GetMarket().GetInfo(&info);
    uint8_t frame[kMarketHeaderFrameSize];
    const uint32_t length = BuildMarketHeaderFrame(info, frame, sizeof frame);
    return Push(frame[0], frame + 1, length - 1);
}

int32_t ProcessIO::FlushPushes() { return m_PushPool.PushOutOnce(); }

// ---------------------------------------------------------------------------------------------
// Market-wide routines

void ProcessIO::ComputeMarketChecksum() { zephyr::ComputeMarketChecksum(m_Day.GetMarket(), m_Day.Codes(), m_Day.Prices()); }

int32_t ProcessIO::CorrectClosePrices() {
    MLocalSection life(m_LifeLock);
    if (!m_Started.load()) return 0;
    uint8_t expected = 1;
    if (!m_CloseCorrection.compare_exchange_strong(expected, 0)) return 0;
    Logger().Write(kLogInfo, kProcessModule, "进行收盘价矫正");
    m_Day.Indexes().RollClose();
    m_Day.Snapshots().RollClose();
    return 1;
}

void ProcessIO::RefreshMarketCounts() { zephyr::RefreshMarketCounts(m_Day.View(m_Logger)); }

void ProcessIO::AdjustCodeTable() { zephyr::AdjustCodeTable(m_Day.View(m_Logger)); }

uint16_t ProcessIO::FindPosition(const char* code) { return zephyr::FindPosition(m_Day.GetNameLookup(), m_Day.Codes(), code); }

void ProcessIO::WriteMarketTotals() { zephyr::WriteMarketTotals(m_Day.View(m_Logger)); }

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
        if (m_RecountRequest.load() != 0) {
            RefreshMarketCounts();
            m_RecountRequest.store(0);
        }
    }

    const int32_t now = MDateTime::Current().GetTime();
    if (now != clocks.last_time) {
        const bool open = in_work_time && !m_Config->IsHolidayToday();
        if (open) {
            m_Loaders.RefreshFiles(MClock::NowSeconds() - m_LastL2Time.load() > kLevel2SilenceSeconds);
            PushMarketHeader();
        } else if (clocks.window_open) {
            // The level-2 feed may have moved the market time after the header of the window's
            // last second: one more header, at the first second after it, takes that to the host.
            PushMarketHeader();
        }
        clocks.window_open = open;
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
