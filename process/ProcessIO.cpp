#include "process/ProcessIO.h"

#include <cstring>

#include "config/ConfigUnit.h"
#include "foundation/MClock.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"
#include "foundation/MWaitEvent.h"

namespace zephyr {

namespace {

constexpr uint32_t kStopWaitMs = 5000;
constexpr uint32_t kPassSleepMs = 100;

bool IsTableSubType(uint8_t sub_type) {
    switch (sub_type) {
    case 0x54: case 0x55: case 0x57: case 0x58: case 0x59:
    case 0x5A: case 0x5B: case 0x5C: case 0xFE:
        return true;
    default:
        return false;
    }
}

}  // namespace

ProcessIO::ProcessIO(ConfigUnit* config, MLogger* logger)
    : m_Config(config),
      m_Logger(logger),
      m_ProcessState(kStopped),
      m_ServiceFlag(0),
      m_LastL2Time(0),
      m_PriceTableDirty(0),
      m_MktdtPathFlag(1),
      m_ZxjcPathFlag(1),
      m_ReferenceDataEvent(nullptr),
      m_Level2Count(nullptr),
      m_Level2Context(nullptr),
      m_MarketWriter(m_CodeTable, m_SnapshotTable, m_ProductStatusTable),
      m_MktdtLoader(*this),
      m_RefDbf(*this, m_MktdtLoader),
      m_TrdsesLoader(*this, m_MktdtLoader),
      m_ExraLoader(*this),
      m_ZxjcLoader(*this),
      m_PriceTableFile(m_ZxjcLoader) {
    memset(&m_WorkParams, 0, sizeof m_WorkParams);
    memset(&m_PriceTable, 0, sizeof m_PriceTable);
    memset(&m_ExchangeRate, 0, sizeof m_ExchangeRate);
    m_MarketWriter.SetWorkingTest(&IsDriverWorkingEntry, this);
    m_MarketWriter.SetSnapshotClock(&m_SnapshotClock);
}

bool ProcessIO::IsDriverWorkingEntry(void* self) { return static_cast<ProcessIO*>(self)->IsDriverWorking(); }

int32_t ProcessIO::Level2StartedCount() {
    return m_Level2Count != nullptr ? m_Level2Count(m_Level2Context) : 0;
}

void ProcessIO::SignalReferenceLoaded() {
    if (m_ReferenceDataEvent != nullptr) m_ReferenceDataEvent->Set();
}

void ProcessIO::SetWorkParams(const DriverWorkParams& params) {
    memcpy(&m_WorkParams, &params, sizeof m_WorkParams);
    if (m_WorkParams.frame_size > kHostFrameHeader) m_WorkParams.frame_size -= kHostFrameHeader;
}

DriverWorkParams ProcessIO::GetWorkParams() const { return m_WorkParams; }

int32_t ProcessIO::Start() {
    if (m_Config != nullptr) m_LoaderSettings = LoaderSettings::FromConfig(*m_Config);
    m_MktdtPathFlag = 1;
    m_ZxjcPathFlag = 1;
    m_PriceTableDirty = 0;
    m_LastL2Time = MClock::NowSeconds();
    const int32_t started = m_Thread.StartThread("处理单元线程", &ProcessThread, this, true);
    if (started < 0) return started;
    m_SnapshotClock.Start();
    m_InitClock.Start();
    return 1;
}

void ProcessIO::Stop() {
    SetProcessState(kStopped);
    SetServiceFlag(0);
    m_Thread.StopThread(kStopWaitMs);
}

int32_t ProcessIO::SavePriceTable() {
    m_PriceTableDirty = 0;
    return 1;
}

uint32_t ProcessIO::ProcessThread(void* self) {
    ProcessIO* unit = static_cast<ProcessIO*>(self);
    while (!unit->m_Thread.IsStopRequested()) {
        MClock::SleepMs(kPassSleepMs);
    }
    return 0;
}

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

int32_t ProcessIO::GetMarketInfo(const uint16_t* capacity, const MarketInfoTargets* targets) {
    if (capacity == nullptr || targets == nullptr || targets->market_info == nullptr ||
        (targets->categories == nullptr && *capacity > 0)) {
        return -1;
    }
    if (GetServiceFlag() <= 0 || GetProcessState() != kServing) return -1;
    // No market is held yet.
    return -1;
}

int32_t ProcessIO::CheckFrameRequest(const FrameRequest& request) const {
    if (GetServiceFlag() <= 0 || GetProcessState() == kStopped) return -1;
    if (request.main_type != 2) return -2;
    if (!IsTableSubType(request.sub_type) || request.version != 3) return -3;
    return 0;
}

int32_t ProcessIO::GetDataFrameCount(const FrameRequest* request, uint8_t* last_frame) {
    if (request == nullptr || last_frame == nullptr || request->position == nullptr) return 0;
    const int32_t checked = CheckFrameRequest(*request);
    if (checked < 0) return checked;
    *last_frame = 1;
    return 0;
}

int32_t ProcessIO::GetOneDataFrame(const FrameRequest* request, void* const* output) {
    if (request == nullptr || output == nullptr || request->position == nullptr) return 0;
    const int32_t checked = CheckFrameRequest(*request);
    if (checked < 0) return checked;
    return 0;
}

}  // namespace zephyr
