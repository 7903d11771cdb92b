// The day's market and tables, owned by the processing unit: the market record, the code,
// extension code, index, snapshot, product status and short-name tables, the name lookup, the
// price table and the exchange rates.
//
// Allocate and Release belong to the unit's start and stop (under its life lock); the tables lock
// themselves, so the accessors may be used from any thread while the tables are allocated.
#pragma once
#include <cstdint>

#include "market/CodeTable.h"
#include "market/ExchangeRates.h"
#include "market/ExtCodeTable.h"
#include "market/IndexTable.h"
#include "market/Market.h"
#include "market/NameLookup.h"
#include "market/ProductStatusTable.h"
#include "market/Records.h"
#include "market/ShortNameTable.h"
#include "market/SnapshotTable.h"
#include "process/MarketTables.h"

namespace zephyr {

class ConfigUnit;
class MLogger;

class DayTables {
public:
    static constexpr uint32_t kCodeCapacity = 6100;
    static constexpr uint32_t kExtCodeCapacity = 6100;
    static constexpr uint32_t kStatusCapacity = 9000;
    static constexpr uint32_t kIndexCapacity = 50;

    DayTables();
    DayTables(const DayTables&) = delete;
    DayTables& operator=(const DayTables&) = delete;

    // The code, extension code, product status and index tables at their fixed capacities:
    // 1, or -2 / -3 / -30 / -4 for the table that could not be allocated (one line logged).
    int32_t Allocate(MLogger& log);
    // Every table, the market and the name lookup released.
    void Release();

    // A new day's start: the short names read again from the configured file (a failure is
    // logged), the product status, code and snapshot tables emptied, and the configured index
    // list put at the head of the code table (none when the index source is disabled).
    void StartDay(const ConfigUnit* config, MLogger& log);
    // The index table rebuilt from the index entries of the code table.
    void RebuildIndexes();
    // At least one instrument and at least one snapshot.
    bool HasQuotes();

    // The routines across several tables see them through this view.
    MarketTables View(MLogger* logger);

    Market& GetMarket() { return m_Market; }
    CodeTable& Codes() { return m_Codes; }
    ExtCodeTable& ExtCodes() { return m_ExtCodes; }
    IndexTable& Indexes() { return m_Indexes; }
    SnapshotTable& Snapshots() { return m_Snapshots; }
    ProductStatusTable& Statuses() { return m_Statuses; }
    ShortNameTable& ShortNames() { return m_ShortNames; }
    NameLookup& GetNameLookup() { return m_NameLookup; }
    PriceTable& Prices() { return m_Prices; }
    ExchangeRates& Rates() { return m_Rates; }

private:
    PriceTable m_Prices;
    ExchangeRates m_Rates;
    CodeTable m_Codes;
    ExtCodeTable m_ExtCodes;
    IndexTable m_Indexes;
    SnapshotTable m_Snapshots;
    ProductStatusTable m_Statuses;
    ShortNameTable m_ShortNames;
    NameLookup m_NameLookup;
    Market m_Market;
};

}  // namespace zephyr
