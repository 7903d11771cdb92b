// The console in-process over tables of the test's own (FakeServices), answering into the host
// kit's recording callbacks; a small market: two indexes, a few shares, statuses, the price
// table, quota and rates.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "console/ConsoleServices.h"
#include "console/DriverCommandHandler.h"
#include "host/HostRecorder.h"
#include "market/CodeTable.h"
#include "market/IndexTable.h"
#include "market/Market.h"
#include "market/ProductStatusTable.h"
#include "market/SnapshotTable.h"

namespace zephyr::testing {

class FakeServices : public ConsoleServices {
public:
    ConsoleOutputCallback OutputCallback() override { return with_callbacks ? &hostkit::RecordConsoleOutput : nullptr; }
    ConsoleReplyCallback ReplyCallback() override { return with_callbacks ? &hostkit::RecordConsoleReply : nullptr; }
    bool IsRunning() override { return running; }
    Market& GetMarket() override { return market; }
    CodeTable& Codes() override { return codes; }
    SnapshotTable& Snapshots() override { return snapshots; }
    IndexTable& Indexes() override { return indexes; }
    ProductStatusTable& Statuses() override { return statuses; }
    void CopyPriceTable(PriceTable* out) override { *out = prices; }
    ExchangeRate CopyRates() override { return rates; }
    MarketQuotaStatus CopyQuotaStatus() override { return quota; }
    int64_t LastLevel2Time() override { return l2_time; }
    ConsoleSettings Settings() override { return settings; }
    int32_t ForceReinitialise() override { return ++reinitialised; }
    void CorrectClosePrices() override { ++corrected; }
    int32_t Push(uint8_t type, const void* data, uint32_t length) override {
        pushes.emplace_back(type, std::string(static_cast<const char*>(data), length));
        return 1;
    }
    void FlushPushes() override { ++flushes; }
    Level2Reach ForwardToLevel2(uint32_t console, char** argv, int32_t argc) override {
        if (level2 != Level2Reach::kForwarded) return level2;
        forwarded_console = console;
        forwarded.emplace_back(argv, argv + argc);
        return level2;
    }

    Market market;
    CodeTable codes;
    SnapshotTable snapshots;
    IndexTable indexes;
    ProductStatusTable statuses;
    PriceTable prices{};
    ExchangeRate rates{};
    MarketQuotaStatus quota{};
    int64_t l2_time = 0;
    ConsoleSettings settings{true, 845, false};
    bool running = true;
    bool with_callbacks = true;
    int reinitialised = 0;
    int corrected = 0;
    int flushes = 0;
    std::vector<std::pair<uint8_t, std::string>> pushes;
    std::vector<std::vector<std::string>> forwarded;
    uint32_t forwarded_console = 0;
    Level2Reach level2 = Level2Reach::kForwarded;  // what forwarding finds
};

inline void SetField(char* field, size_t size, const char* text) {
    std::memset(field, 0, size);
    std::memcpy(field, text, strnlen(text, size));
}

inline CodeEntry MakeCode(const char* code, uint8_t category, const char* short_name, const char* full_name) {
    CodeEntry entry;
    std::memset(&entry, 0, sizeof entry);
    entry.category = category;
    SetField(entry.code, sizeof entry.code, code);
    SetField(entry.short_name, sizeof entry.short_name, short_name);
    SetField(entry.full_name, sizeof entry.full_name, full_name);
    return entry;
}

inline Snapshot MakeSnapshot(const char* code, uint32_t base) {
    Snapshot s;
    std::memset(&s, 0, sizeof s);
    SetField(s.code, sizeof s.code, code);
    s.high = base + 5;
    s.open = base + 1;
    s.low = base - 5;
    s.previous_close = base - 1;
    s.last = base;
    s.amount = 1234.5;
    s.volume = 5000000000ULL;
    s.bid_price = base - 1;
    s.bid_volume = 4294967296ULL;
    s.bid_orders = 7;
    s.ask_price = base + 1;
    s.ask_volume = 300;
    s.ask_orders = 65535;
    s.voip = 77;
    return s;
}

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostkit::HostRecorder::Instance().Clear();
        MarketSetup setup{"/nonexistent-zephyr-dir/", 20110307, 20120305, nullptr};
        m_Services.market.Configure(setup);
        m_Services.market.Init(2);
        MarketInfo info;
        m_Services.market.GetInfo(&info);
        info.status = 1;
        info.date = 20151007;
        info.time = 93015;
        info.item_count = 5;
        info.sessions[0] = TradingSession{570, 720};
        info.sessions[1] = TradingSession{780, 960};
        info.session_count = 2;
        m_Services.market.SetInfo(&info);
        uint8_t digest[16];
        for (int i = 0; i < 16; ++i) digest[i] = static_cast<uint8_t>(i * 17);
        m_Services.market.SetDigest(digest);

        IndexDefinition definitions[2];
        std::memset(definitions, 0, sizeof definitions);
        std::memcpy(definitions[0].code, "999001", 6);
        SetField(definitions[0].chinese_short_name, 16, "恒生指数");
        SetField(definitions[0].full_name, 16, "恒生指数全称");
        std::memcpy(definitions[1].code, "999999", 6);
        SetField(definitions[1].chinese_short_name, 16, "港股总量");
        SetField(definitions[1].full_name, 16, "港股总量");
        m_Services.codes.AddIndexEntries(true, definitions, 2);
        AddShare("00001", "长和", "长江和记实业", 10000);
        AddShare("00700", "腾讯%s控股", "腾讯控股有限公司", 350000);
        AddShare("00005", "汇丰", "汇丰控股", 60000);
        m_Services.indexes.BuildFromCodes(m_Services.codes);
        IndexEntry index;
        ASSERT_TRUE(m_Services.indexes.Get(&index, 1));
        index.high = 21000;
        index.open = 20500;
        index.low = 20400;
        index.previous_close = 20450;
        index.last = 20900;
        index.amount = 0.5;
        index.volume = 123;
        m_Services.indexes.SetAt(&index, 1);
    }

    void AddShare(const char* code, const char* short_name, const char* full_name, uint32_t base) {
        CodeEntry entry = MakeCode(code, 1, short_name, full_name);
        ASSERT_TRUE(m_Services.codes.AppendSerial(&entry));
        Snapshot snapshot = MakeSnapshot(code, base);
        ASSERT_TRUE(m_Services.snapshots.Append(&snapshot));
        ProductStatus status;
        std::memset(&status, 0, sizeof status);
        SetField(status.code, sizeof status.code, code);
        SetField(status.board_lot_status, 8, "OPEN");
        SetField(status.odd_lot_status, 8, "CLOSED%d");
        ASSERT_TRUE(m_Services.statuses.Append(&status));
    }

    // Runs one command line; returns ExecuteCommand's result.
    int32_t Run(std::vector<std::string> words, uint32_t console = 77) {
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(&w[0]);
        argv.push_back(nullptr);
        return m_Handler.ExecuteCommand(console, argv.data(), static_cast<int32_t>(words.size()));
    }

    static std::vector<hostkit::ConsoleRecord> Texts() { return hostkit::HostRecorder::Instance().Consoles(); }
    // The texts of one callback, concatenated.
    static std::string Replies() { return Joined(true); }
    static std::string Outputs() { return Joined(false); }
    static std::string Joined(bool reply) {
        std::string all;
        for (const auto& record : Texts()) {
            if (record.reply == reply) all += record.text;
        }
        return all;
    }

    FakeServices m_Services;
    DriverCommandHandler m_Handler{&m_Services};
};

// A field of a packed record by value (test macros must not bind a misaligned field).
template <class T>
T V(T value) {
    return value;
}

// text padded with blanks to width bytes, as "%-<width>s" does.
inline std::string Pad(const std::string& text, size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace zephyr::testing
