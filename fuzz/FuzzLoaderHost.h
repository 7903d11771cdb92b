// A loader host of the fuzz targets: its own small tables, no push path, a quiet logger.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstring>

#include "foundation/MLog.h"
#include "loaders/LoaderHost.h"
#include "loaders/LoaderSettings.h"
#include "loaders/MarketWriter.h"
#include "market/CodeTable.h"
#include "market/Market.h"
#include "market/ProductStatusTable.h"
#include "market/Records.h"
#include "market/ShortNameTable.h"
#include "market/SnapshotTable.h"

namespace zephyr::fuzz {

inline bool AlwaysWorking(void*) { return true; }

class FuzzHost : public LoaderHost {
public:
    FuzzHost() : writer(codes, snapshots, statuses) {
        writer.SetWorkingTest(&AlwaysWorking, nullptr);
        memset(&prices, 0, sizeof prices);
        settings.mktdt = "/nonexistent/mktdt04.txt";
    }
    CodeTable& Codes() override { return codes; }
    SnapshotTable& Snapshots() override { return snapshots; }
    ProductStatusTable& Statuses() override { return statuses; }
    ShortNameTable& ShortNames() override { return short_names; }
    Market& GetMarket() override { return market; }
    bool UpdateSnapshot(const Snapshot& record) override { return writer.UpdateSnapshot(record); }
    bool UpdateStatus(const ProductStatus& record) override { return writer.UpdateStatus(record); }
    int32_t Push(uint8_t type, const void* data, uint32_t length) override { return writer.Push(type, data, length); }
    bool IsDriverWorking() const override { return false; }
    ExchangeRates& Rates() override { return rates; }
    std::atomic<uint8_t>& MarketDataPathFlag() override { return flag; }
    std::atomic<uint8_t>& PriceSpreadPathFlag() override { return flag; }
    int32_t Level2StartedCount() override { return 1; }
    PriceTable& Prices() override { return prices; }
    void MarkPriceTableDirty() override {}
    const LoaderSettings& Settings() override { return settings; }
    MLogger& Logger() override { return log; }
    void SignalReferenceLoaded() override {}

    CodeTable codes;
    SnapshotTable snapshots;
    ProductStatusTable statuses;
    ShortNameTable short_names;
    Market market;
    MarketWriter writer;
    ExchangeRates rates;
    PriceTable prices;
    LoaderSettings settings;
    MLogger log;
    std::atomic<uint8_t> flag{0};
};

}  // namespace zephyr::fuzz
