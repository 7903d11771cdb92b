// What the exchange file loaders need from the unit that owns the market (the processing unit
// implements it; tests implement it over their own tables). The loaders keep no table of their
// own: they read and write through this interface only.
//
// Every accessor returns an object that lives as long as the host. The update operations are
// safe to call from any thread (the tables lock themselves).
#pragma once
#include <atomic>
#include <cstdint>

#include "market/ExchangeRates.h"
#include "market/Records.h"
#include "market/StatusRecords.h"

namespace zephyr {

class CodeTable;
class SnapshotTable;
class ProductStatusTable;
class ShortNameTable;
class Market;
class MLogger;
struct Snapshot;
struct ProductStatus;
struct PriceTable;
struct LoaderSettings;

class LoaderHost {
public:
    virtual ~LoaderHost() = default;

    virtual CodeTable& Codes() = 0;
    virtual SnapshotTable& Snapshots() = 0;
    virtual ProductStatusTable& Statuses() = 0;
    virtual ShortNameTable& ShortNames() = 0;
    virtual Market& GetMarket() = 0;

    // Stores a snapshot at its instrument's place; true when the table changed. A changed record
    // is pushed (type 1) while the driver is working.
    virtual bool UpdateSnapshot(const Snapshot& record) = 0;
    // UpdateSnapshot of each of n records in turn; a host that can store a run more cheaply (one
    // hold of each table's lock) does so.
    virtual void UpdateSnapshots(const Snapshot* records, uint32_t n) {
        for (uint32_t i = 0; i < n; ++i) UpdateSnapshot(records[i]);
    }
    // Stores a product status record at its instrument's place; true when the table changed.
    // A changed record is pushed (type 5) while the driver is working.
    virtual bool UpdateStatus(const ProductStatus& record) = 0;
    // Puts one push frame (type byte, then length bytes of data) into the push path.
    // 1, or a negative result when the frame was refused.
    virtual int32_t Push(uint8_t type, const void* data, uint32_t length) = 0;
    // The host's data may be served and pushed.
    virtual bool IsDriverWorking() const = 0;

    // The processing unit's exchange rates (they lock themselves).
    virtual ExchangeRates& Rates() = 0;
    // Path-logging flags, set to 1 at every initialisation (any thread); each loader clears its
    // own when it logs its path (exchange, so that one set is logged once).
    virtual std::atomic<uint8_t>& MarketDataPathFlag() = 0;
    virtual std::atomic<uint8_t>& PriceSpreadPathFlag() = 0;
    // Number of running level-2 modules (0 when none was started).
    virtual int32_t Level2StartedCount() = 0;
    // The 960-byte price table and the mark that it changed since it was last saved.
    virtual PriceTable& Prices() = 0;
    virtual void MarkPriceTableDirty() = 0;

    virtual const LoaderSettings& Settings() = 0;
    virtual MLogger& Logger() = 0;
    // Tells the status thread that the reference data of the day are loaded.
    virtual void SignalReferenceLoaded() = 0;
};

}  // namespace zephyr
