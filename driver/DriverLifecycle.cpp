#include "driver/DriverLifecycle.h"

#include <cmath>
#include <cstring>
#include <exception>

#include "config/ConfigUnit.h"
#include "driver/HostLogSink.h"
#include "foundation/MHeap.h"
#include "foundation/MLog.h"
#include "foundation/MText.h"
#include "foundation/MThread.h"
#include "foundation/MTickCounter.h"
#include "l2bridge/HKTransLoader.h"
#include "market/Records.h"
#include "process/CodeTableAdjuster.h"
#include "process/MarketCounts.h"
#include "process/ProcessIO.h"
#include "process/StatusUnit.h"

namespace zephyr {

namespace {

constexpr const char* kModule = "Zephyr";
constexpr const char* kDriverName = "Zephyr";
constexpr const char* kDescriptionFormat = "港股通源驱动[VER:V%.2f B%03d]";

int32_t RunStartupSteps(DriverUnits& units) {
    int32_t result = units.config->Start();
    if (result < 0) {
        units.logger->Write(kLogError, kModule, "启动配置单元错误[Err:%d]\n", result);
        return result;
    }
    units.config->GetIndexConfig().LoadIndexConfig(*units.config);
    result = units.process->Start();
    if (result < 0) {
        units.logger->Write(kLogError, kModule, "启动处理主单元错误[Err:%d]\n", result);
        return result;
    }
    // The day is loaded and the level-2 module started: what their loading freed goes back.
    ReturnFreeHeap();
    units.status->Start();
    units.uptime->Start();
    return 1;
}

}  // namespace

int32_t RunStartup(DriverUnits& units, const DriverWorkParams* params) {
    if (params == nullptr) return -1;
    units.log_sink->Attach(*params);
    units.process->SetWorkParams(*params);
    try {
        return RunStartupSteps(units);
    } catch (const std::exception& error) {
        // Formatted like every other line, so a long text is cut at the message size.
        units.logger->Write(kLogError, kModule, "%s", error.what());
        return -1;
    } catch (...) {
        units.logger->Write(kLogError, kModule, "启动过程发生异常\n");
        RunShutdown(units);
        return -2;
    }
}

void RunShutdown(DriverUnits& units) {
    try {
        MThread::StopAllThreads();
        units.status->Stop();
        units.process->SavePriceTable();
        units.process->Stop();
        units.config->Stop();
#if defined(_WIN32)
        // Windows unloads a library under the system's loader lock, where no thread can end: a
        // level-2 module that waits for its threads in its EndDriverWork would hang the host's
        // FreeLibrary. So on Windows the module stops here, with the driver (the next start loads
        // it again, as it does anyway), instead of at unload.
        HKTransLoader::release();
#endif
    } catch (...) {
        // Nothing may reach the host; the next start runs the whole sequence again.
    }
}

void FillDriverBaseInfo(DriverBaseInfo* info, PublishedConsole* console) {
    if (info == nullptr) return;
    memset(info, 0, sizeof *info);
    info->market = kMarketNumber;
    info->market_code[0] = 'H';
    info->market_code[1] = ' ';
    strncpy(info->name, kDriverName, sizeof info->name);
    MText::Format(info->description, sizeof info->description, kDescriptionFormat,
                  (kDriverVersionWord >> 16) / 100.0, static_cast<int>(kDriverVersionWord & 0xFFFF));
    memcpy(reinterpret_cast<uint8_t*>(info) + offsetof(DriverBaseInfo, console), &console,
           sizeof console);
}

void FillDriverStatusInfo(DriverStatusInfo* info, const DriverUnits& units) {
    if (info == nullptr) return;
    memset(info, 0, sizeof *info);
    const uint8_t working = units.process->IsDriverWorking() ? 1 : 0;
    info->version = kDriverVersionWord;
    info->market = kMarketNumber;
    info->working = working;
    info->snapshot_age_s = units.process->SnapshotAgeMs() / 1000;
    MarketInfo market;
    units.process->Day().GetMarket().GetInfo(&market);
    info->market_date = market.date;
    info->market_time = market.time;
    info->instrument_count = market.item_count;
    // The market-wide figures live in the index entry "999999", at its code table position.
    IndexEntry total;
    const uint16_t at = units.process->FindPosition(kMainTotalCode);
    if (at != kNoPosition && units.process->Day().Indexes().Get(&total, at) &&
        memcmp(total.code, kMainTotalCode, sizeof total.code) == 0) {
        info->hsi_last_price = total.last;
        // Truncated toward zero; an amount no 64-bit integer can hold is reported as 0.
        const double amount = total.amount;
        if (std::isfinite(amount) && std::fabs(amount) < 9.2e18) info->hsi_amount = static_cast<int64_t>(amount);
        info->hsi_volume = total.volume;
    }
    info->init_age_s = units.process->InitialisationAgeMs() / 1000;
    info->uptime_s = units.uptime->Elapsed() / 1000;
    info->working_again = working;
}

}  // namespace zephyr
