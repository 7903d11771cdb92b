// What the console needs from the running driver: the host's console callbacks, the market and
// its tables, copies of the records that have no lock of their own, and the operator actions.
// The driver implements it over the processing unit and the configuration unit
// (ProcessConsoleServices); tests implement it over tables of their own.
//
// The tables are reached only through their own operations, which take their locks; the records
// without a lock (price table, rates, quota status) are handed out as copies. Everything may be
// called from the host's console thread while the processing thread updates the same tables.
#pragma once
#include <cstdint>

#include "zephyr/DriverInterface.h"
#include "l2bridge/Level2Reach.h"
#include "market/Records.h"
#include "market/StatusRecords.h"

namespace zephyr {

class Market;
class CodeTable;
class SnapshotTable;
class IndexTable;
class ProductStatusTable;

// The settings "show config" prints.
struct ConsoleSettings {
    bool filt_warrant;
    int32_t kp_time;     // opening time, HHMM
    bool hsi_enable;
};

class ConsoleServices {
public:
    virtual ~ConsoleServices() = default;

    // The host's callbacks from its DriverWorkParams; null before the first start.
    virtual ConsoleOutputCallback OutputCallback() = 0;
    virtual ConsoleReplyCallback ReplyCallback() = 0;

    // True between the driver's start and its stop: only then do the tables hold the day and may
    // the operator's actions change anything.
    virtual bool IsRunning() = 0;

    virtual Market& GetMarket() = 0;
    virtual CodeTable& Codes() = 0;
    virtual SnapshotTable& Snapshots() = 0;
    virtual IndexTable& Indexes() = 0;
    virtual ProductStatusTable& Statuses() = 0;

    virtual void CopyPriceTable(PriceTable* out) = 0;
    virtual ExchangeRate CopyRates() = 0;
    virtual MarketQuotaStatus CopyQuotaStatus() = 0;
    // Seconds since 1970 of the last level-2 data (the transmission time stamp).
    virtual int64_t LastLevel2Time() = 0;
    virtual ConsoleSettings Settings() = 0;

    // The forced re-initialisation ("reinstance"): runs even when today's was already done.
    virtual int32_t ForceReinitialise() = 0;
    // The whole-market previous-close correction.
    virtual void CorrectClosePrices() = 0;
    // One push entry (type byte, then length bytes) into the push pool: 1 or negative.
    virtual int32_t Push(uint8_t type, const void* data, uint32_t length) = 0;
    // Sends what the push pool holds.
    virtual void FlushPushes() = 0;
    // Runs the command on the level-2 module's console object; when there is none, runs nothing
    // and says why.
    virtual Level2Reach ForwardToLevel2(uint32_t console, char** argv, int32_t argc) = 0;
};

}  // namespace zephyr
