// Lines of the exchange's text files as a hostile file may hold them. The first input byte picks
// the reader: market data (build or refresh), reference data, session status, exchange rate or
// price spread; the rest is one line handed to that reader's line parser.
// Checks: no read outside the line (sanitizers), no crash, tables that stay bounded.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "foundation/MLog.h"
#include "loaders/HKMExraLoader.h"
#include "loaders/HKMktdtLoader.h"
#include "loaders/HKRefDbf.h"
#include "loaders/HKTrdsesLoader.h"
#include "loaders/HKZxjcLoader.h"
#include "loaders/LoaderHost.h"
#include "loaders/LoaderSettings.h"
#include "loaders/MarketWriter.h"
#include "market/CodeTable.h"
#include "market/Market.h"
#include "market/ProductStatusTable.h"
#include "market/Records.h"
#include "market/ShortNameTable.h"
#include "market/SnapshotTable.h"

namespace {

using namespace zephyr;

bool AlwaysWorking(void*) { return true; }

class FuzzHost : public LoaderHost {
public:
    FuzzHost() : writer(codes, snapshots, statuses) {
        writer.SetWorkingTest(&AlwaysWorking, nullptr);
        memset(&rates, 0, sizeof rates);
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
    ExchangeRate& Rates() override { return rates; }
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
    ExchangeRate rates;
    PriceTable prices;
    LoaderSettings settings;
    MLogger log;
    std::atomic<uint8_t> flag{0};
};

struct Readers {
    FuzzHost host;
    HKMktdtLoader build{host};
    HKMktdtLoader refresh{host};
    HKRefDbf reference{host, build};
    HKTrdsesLoader status{host, build};
    HKMExraLoader rates{host};
    HKZxjcLoader spreads{host};

    Readers() {
        build(HKMktdtLoader::kBuild);      // no file: leaves the loader in build mode
        refresh(HKMktdtLoader::kRefresh);  // not working: leaves it in refresh mode
    }
};

Readers& Get() {
    static Readers* readers = new Readers;
    return *readers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 8192) return 0;
    Readers& r = Get();
    // An exact copy, so any read past the line is outside the allocation.
    std::vector<char> line(data + 1, data + size);
    const char* text = line.empty() ? nullptr : line.data();
    const int32_t length = static_cast<int32_t>(line.size());
    switch (data[0] % 6) {
        case 0: r.build.parse(text, length); break;
        case 1: r.refresh.parse(text, length); break;
        case 2: r.reference.parse(text, length); break;
        case 3: r.status.parse(text, length); break;
        case 4: r.rates.parse(text, length); break;
        default: r.spreads.parse(text, length, r.host.prices); break;
    }
    if (r.host.codes.Count() > 2000) {
        r.host.codes.Clear();
        r.host.snapshots.Clear();
        r.host.statuses.Clear();
    }
    return 0;
}
