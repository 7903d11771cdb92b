// A loader host over its own tables, for the loader tests: a real MarketWriter whose pushes are
// recorded, a switchable working state, captured log lines and a manual clock set to a local
// date and time (Hong Kong).
#pragma once
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "foundation/MClock.h"
#include "foundation/MLog.h"
#include "host/HostClock.h"
#include "host/ScratchFolder.h"
#include "loaders/LoaderHost.h"
#include "loaders/LoaderSettings.h"
#include "loaders/MarketWriter.h"
#include "market/CodeTable.h"
#include "market/Market.h"
#include "market/ProductStatusTable.h"
#include "market/Records.h"
#include "market/ShortNameTable.h"
#include "market/SnapshotTable.h"
#include "tests/HongKongTime.h"

namespace zephyr::testing {

struct LogLine {
    int32_t level;
    std::string module;
    std::string message;
};

struct PushedFrame {
    uint8_t type;
    std::string data;
};

class LoaderTestHost : public LoaderHost {
public:
    LoaderTestHost() : m_Clock(0, 0), m_Log(&Collect, &lines), writer(codes, snapshots, statuses) {
        tests::UseHongKongTime();
        SetTime(2014, 12, 8, 10, 0, 0);
        m_Clock.Install();
        writer.SetPushSink(&Record, &pushes);
        writer.SetWorkingTest(&Working, &working);
        market.Configure({folder.Path().c_str(), 0, 0, nullptr});
        market.Init(0);
        memset(&prices, 0, sizeof prices);
        settings.reff = folder.Path().c_str();
        settings.exra = folder.Path().c_str();
        settings.price_tb = folder.Path().c_str();
        settings.mktdt = folder.Join("mktdt04.txt").c_str();
        settings.trdses = folder.Join("trdses04.txt").c_str();
        settings.price_table_path = folder.Join("hkpricetb.dat").c_str();
    }
    ~LoaderTestHost() override { MClock::SetSource(nullptr); }

    void SetTime(int year, int month, int day, int hour, int minute, int second) {
        m_Clock.Set(hostkit::HostClock::LocalSeconds(year, month, day, hour, minute, second));
    }
    void SetMarketTime(uint32_t hhmmss) {
        MarketInfo info;
        market.GetInfo(&info);
        info.time = hhmmss;
        market.SetInfo(&info);
    }
    uint32_t MarketTime() {
        MarketInfo info;
        market.GetInfo(&info);
        return info.time;
    }
    // Log lines whose message contains text.
    size_t CountLog(const std::string& text) const {
        size_t n = 0;
        for (const LogLine& line : lines) n += line.message.find(text) != std::string::npos;
        return n;
    }
    const LogLine* FindLog(const std::string& text) const {
        for (const LogLine& line : lines)
            if (line.message.find(text) != std::string::npos) return &line;
        return nullptr;
    }
    size_t CountPushes(uint8_t type) const {
        size_t n = 0;
        for (const PushedFrame& frame : pushes) n += frame.type == type;
        return n;
    }

    CodeTable& Codes() override { return codes; }
    SnapshotTable& Snapshots() override { return snapshots; }
    ProductStatusTable& Statuses() override { return statuses; }
    ShortNameTable& ShortNames() override { return short_names; }
    Market& GetMarket() override { return market; }
    bool UpdateSnapshot(const Snapshot& record) override { return writer.UpdateSnapshot(record); }
    void UpdateSnapshots(const Snapshot* records, uint32_t n) override { writer.UpdateSnapshots(records, n); }
    bool UpdateStatus(const ProductStatus& record) override { return writer.UpdateStatus(record); }
    int32_t Push(uint8_t type, const void* data, uint32_t length) override {
        return writer.Push(type, data, length);
    }
    bool IsDriverWorking() const override { return writer.IsDriverWorking(); }
    ExchangeRates& Rates() override { return rates; }
    std::atomic<uint8_t>& MarketDataPathFlag() override { return market_data_path_flag; }
    std::atomic<uint8_t>& PriceSpreadPathFlag() override { return price_spread_path_flag; }
    int32_t Level2StartedCount() override { return level2_started; }
    PriceTable& Prices() override { return prices; }
    void MarkPriceTableDirty() override { price_dirty = 1; }
    const LoaderSettings& Settings() override { return settings; }
    MLogger& Logger() override { return m_Log; }
    void SignalReferenceLoaded() override { ++reference_signals; }

    hostkit::ScratchFolder folder;

private:
    static void Collect(void* context, int32_t level, const char* module, const char* message) {
        static_cast<std::vector<LogLine>*>(context)->push_back({level, module, message});
    }
    static int32_t Record(void* context, const void* frame, uint32_t length) {
        const char* bytes = static_cast<const char*>(frame);
        static_cast<std::vector<PushedFrame>*>(context)->push_back(
            {static_cast<uint8_t>(bytes[0]), std::string(bytes + 1, length - 1)});
        return 1;
    }
    static bool Working(void* context) { return *static_cast<bool*>(context); }

    MManualClock m_Clock;

public:
    std::vector<LogLine> lines;
    std::vector<PushedFrame> pushes;
    bool working = false;
    MLogger m_Log;
    CodeTable codes;
    SnapshotTable snapshots;
    ProductStatusTable statuses;
    ShortNameTable short_names;
    Market market;
    MarketWriter writer;
    ExchangeRates rates;
    PriceTable prices;
    LoaderSettings settings;
    std::atomic<uint8_t> market_data_path_flag{1};
    std::atomic<uint8_t> price_spread_path_flag{1};
    int32_t level2_started = 0;
    uint8_t price_dirty = 0;
    int reference_signals = 0;
};

}  // namespace zephyr::testing
