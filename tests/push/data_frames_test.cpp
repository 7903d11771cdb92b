// The host's pulls: the common results, each sub type routed to its table or record, the frame
// count examples, the price and holiday frames, and the caller's buffer checks.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "config/HolidayCalendar.h"
#include "foundation/MClock.h"
#include "foundation/MDateTime.h"
#include "foundation/MString.h"
#include "market/CodeTable.h"
#include "market/IndexTable.h"
#include "market/Market.h"
#include "foundation/PackedCodec.h"
#include "market/ProductStatusTable.h"
#include "market/ShortNameTable.h"
#include "market/SnapshotTable.h"
#include "push/DataFrames.h"
#include "tests/HongKongTime.h"

namespace zephyr {
namespace {

constexpr uint8_t kUnwritten = 0xEE;

template <class Record>
void FillTable(RecordTable<Record>& table, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
        Record record;
        std::memset(&record, static_cast<int>(i + 1), sizeof record);
        ASSERT_TRUE(table.Append(&record));
    }
}

class DataFramesTest : public ::testing::Test {
protected:
    void SetUp() override {
        zephyr::tests::UseHongKongTime();
        // Friday 14 November 2014, 10:00 local time.
        m_Clock.Set(MDateTime(2014, 11, 14).GetValue() + 10 * 3600);
        m_Clock.Install();

        FillTable(m_Codes, 250);
        FillTable(m_Snapshots, 40);
        FillTable(m_Indexes, 3);
        ASSERT_TRUE(m_ShortNames.Allocate(10));
        FillTable(m_ShortNames, 5);
        FillTable(m_ProductStatus, 30);
        for (uint32_t i = 0; i < sizeof m_Prices; ++i) reinterpret_cast<uint8_t*>(&m_Prices)[i] = static_cast<uint8_t>(i * 7);
        m_Rates.Set({79000, 80000, 79500});
        std::memset(&m_Quota, 0, sizeof m_Quota);
        m_Quota.first_quota = 10500000000;
        m_Quota.remaining_quota = 9000000000;
        m_Quota.quota_state = 'N';
        std::memcpy(m_Quota.trading_state, "OCALLCON", 8);
        m_Sources = {&m_Codes, &m_Snapshots, &m_Indexes, &m_ShortNames, &m_ProductStatus,
                    &m_Prices, &m_Rates, &m_Quota, &m_Holidays};
        m_Buffer.assign(9000, kUnwritten);
    }
    void TearDown() override { MClock::SetSource(nullptr); }

    FrameRequest Request(uint8_t sub_type, uint16_t start = 0, uint16_t frame = 0, uint16_t length = 8192) {
        m_Position.unused = 0;
        m_Position.first_record = start;
        FrameRequest request;
        request.main_type = 2;
        request.sub_type = sub_type;
        request.position = &m_Position;
        request.version = 3;
        request.frame_number = frame;
        request.buffer_length = length;
        return request;
    }
    int32_t Count(const FrameRequest& request, uint8_t* last) {
        return AnswerFrameCount(m_Sources, m_Service, &request, last);
    }
    int32_t Pull(const FrameRequest& request) {
        void* buffer = m_Buffer.data();
        return AnswerOneFrame(m_Sources, m_Service, &request, &buffer);
    }
    bool Untouched(size_t from = 0) const {
        for (size_t i = from; i < m_Buffer.size(); ++i) {
            if (m_Buffer[i] != kUnwritten) return false;
        }
        return true;
    }

    MManualClock m_Clock{0, 0};
    CodeTable m_Codes;
    SnapshotTable m_Snapshots;
    IndexTable m_Indexes;
    ShortNameTable m_ShortNames;
    ProductStatusTable m_ProductStatus;
    PriceTable m_Prices;
    ExchangeRates m_Rates;
    MarketQuotaStatus m_Quota;
    HolidayCalendar m_Holidays{nullptr};
    FrameSources m_Sources;
    FrameService m_Service{1, 1, 7992, 100000};
    FramePosition m_Position;
    std::vector<uint8_t> m_Buffer;
};

struct CommonCase {
    const char* name;
    int8_t service_flag;
    int32_t process_state;
    uint8_t main_type, sub_type;
    uint16_t version;
    int32_t result;
};

TEST_F(DataFramesTest, CommonResultsComeFirstInTheirOrder) {
    const CommonCase cases[] = {
        {"stopped", 0, 1, 2, 0x54, 3, -1},
        {"re-initialising", -1, 1, 2, 0x54, 3, -1},
        {"state 0", 1, 0, 2, 0x54, 3, -1},
        {"not serving beats a bad main type", 0, 1, 3, 0x56, 2, -1},
        {"main type 3", 1, 1, 3, 0x54, 3, -2},
        {"main type beats sub type", 1, 3, 3, 0x56, 3, -2},
        {"version 2", 1, 1, 2, 0x54, 2, -3},
        {"sub type 0x56", 1, 1, 2, 0x56, 3, -3},
        {"sub type 0x00", 1, 3, 2, 0x00, 3, -3},
    };
    for (const CommonCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_Service.service_flag = c.service_flag;
        m_Service.process_state = c.process_state;
        FrameRequest request = Request(c.sub_type);
        request.main_type = c.main_type;
        request.version = c.version;
        uint8_t last = 7;
        EXPECT_EQ(Count(request, &last), c.result);
        EXPECT_EQ(last, 7);
        EXPECT_EQ(Pull(request), c.result);
        EXPECT_TRUE(Untouched());
    }
}

TEST_F(DataFramesTest, NullAddressesAreRefusedWithoutWriting) {
    const uint8_t sub_types[] = {0x54, 0x57, 0x58, 0x5A, 0xFE};
    for (uint8_t sub_type : sub_types) {
        SCOPED_TRACE(sub_type);
        FrameRequest request = Request(sub_type);
        uint8_t last = 7;
        EXPECT_EQ(AnswerFrameCount(m_Sources, m_Service, nullptr, &last), 0);
        EXPECT_EQ(AnswerFrameCount(m_Sources, m_Service, &request, nullptr), 0);
        EXPECT_EQ(AnswerOneFrame(m_Sources, m_Service, nullptr, nullptr), 0);
        EXPECT_EQ(AnswerOneFrame(m_Sources, m_Service, &request, nullptr), 0);
        void* null_buffer = nullptr;
        EXPECT_EQ(AnswerOneFrame(m_Sources, m_Service, &request, &null_buffer), 0);
        request.position = nullptr;
        EXPECT_EQ(Count(request, &last), 0);
        EXPECT_EQ(Pull(request), 0);
        EXPECT_EQ(last, 7);
        EXPECT_TRUE(Untouched());
    }
}

struct CountCase {
    const char* name;
    uint16_t frame_size;
    uint32_t budget;
    uint16_t start;
    int32_t frames;
    uint8_t last;  // 7: left as it was
};

TEST_F(DataFramesTest, CodeTableFrameCounts) {
    const CountCase cases[] = {
        {"whole table", 7992, 100000, 0, 3, 1},
        {"frame smaller than a record", 70, 100000, 0, 0, 7},
        {"budget below one frame", 7992, 7000, 0, 1, 0},
        {"start at the end", 7992, 100000, 250, 1, 1},
    };
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_Service.frame_size = c.frame_size;
        m_Service.budget = c.budget;
        uint8_t last = 7;
        EXPECT_EQ(Count(Request(0x54, c.start), &last), c.frames);
        EXPECT_EQ(last, c.last);
    }
}

TEST_F(DataFramesTest, CodeTableFramesCarryTheNextStart) {
    // Frame 2 of 250 records at F = 7992: records 202-249 behind u16 250, 3794 bytes.
    ASSERT_EQ(Pull(Request(0x54, 0, 2)), 3794);
    EXPECT_EQ(LoadLe<uint16_t>(m_Buffer.data()), 250);
    CodeEntry first, wanted;
    DecodeRecord(m_Buffer.data() + 2, first);
    ASSERT_TRUE(m_Codes.Get(&wanted, 202));
    EXPECT_EQ(std::memcmp(&first, &wanted, sizeof first), 0);
    EXPECT_TRUE(Untouched(3794));

    // A start at the end: the frame holds u16 C and no record.
    ASSERT_EQ(Pull(Request(0x54, 250)), 2);
    EXPECT_EQ(LoadLe<uint16_t>(m_Buffer.data()), 250);

    m_Service.frame_size = 70;
    m_Buffer.assign(m_Buffer.size(), kUnwritten);
    EXPECT_EQ(Pull(Request(0x54)), 0);
    EXPECT_TRUE(Untouched());
}

struct TableCase {
    uint8_t sub_type;
    uint32_t record_size;
    uint32_t count;
};

TEST_F(DataFramesTest, EachTableSubTypeReadsItsOwnTable) {
    const TableCase cases[] = {
        {0x54, 79, 250}, {0x55, 74, 40}, {0x59, 42, 3}, {0x5B, 72, 5}, {0x5C, 22, 30},
    };
    m_Service.frame_size = 400;
    for (const TableCase& c : cases) {
        SCOPED_TRACE(c.sub_type);
        const uint32_t per_frame = 400 / c.record_size;
        const uint32_t frames = (c.count + per_frame - 1) / per_frame;
        uint8_t last = 7;
        EXPECT_EQ(Count(Request(c.sub_type), &last), static_cast<int32_t>(frames));
        EXPECT_EQ(last, 1);
        // The last frame: its records, the second of which was filled with byte first + 2.
        const uint32_t first = (frames - 1) * per_frame;
        const uint32_t n = c.count - first;
        m_Buffer.assign(m_Buffer.size(), kUnwritten);
        ASSERT_EQ(Pull(Request(c.sub_type, 0, static_cast<uint16_t>(frames - 1), 400)),
                  static_cast<int32_t>(2 + n * c.record_size));
        EXPECT_EQ(LoadLe<uint16_t>(m_Buffer.data()), c.count);
        EXPECT_EQ(m_Buffer[2], static_cast<uint8_t>(first + 1));
        EXPECT_EQ(m_Buffer[2 + (n - 1) * c.record_size], static_cast<uint8_t>(c.count));
    }
}

TEST_F(DataFramesTest, RatesAndQuotaStatusComeInOneFrame) {
    uint8_t last = 7;
    EXPECT_EQ(Count(Request(0x57), &last), 1);
    EXPECT_EQ(last, 1);
    ASSERT_EQ(Pull(Request(0x57)), 14);
    const uint8_t rates[] = {1, 0, 0x98, 0x34, 1, 0, 0x80, 0x38, 1, 0, 0x8C, 0x36, 1, 0};
    EXPECT_EQ(std::memcmp(m_Buffer.data(), rates, sizeof rates), 0);
    EXPECT_TRUE(Untouched(14));

    last = 7;
    EXPECT_EQ(Count(Request(0x58), &last), 1);
    EXPECT_EQ(last, 1);
    ASSERT_EQ(Pull(Request(0x58)), 27);
    EXPECT_EQ(LoadLe<uint16_t>(m_Buffer.data()), 1);
    EXPECT_EQ(LoadLe<int64_t>(m_Buffer.data() + 2), 10500000000);
    EXPECT_EQ(LoadLe<int64_t>(m_Buffer.data() + 10), 9000000000);
    EXPECT_EQ(m_Buffer[18], 'N');
    EXPECT_EQ(std::memcmp(m_Buffer.data() + 19, "OCALLCON", 8), 0);
}

struct PriceCase {
    const char* name;
    uint16_t frame_size;
    uint16_t start, frame;
    int32_t count;   // frames, or -2
    int32_t result;  // frame length, or -1 / -2
};

TEST_F(DataFramesTest, PriceFramesFollowThePriceRule) {
    const PriceCase cases[] = {
        {"whole table", 7992, 0, 0, 1, 962},
        {"third section", 7992, 2, 0, 1, 322},
        {"exactly two sections", 640, 1, 0, 1, 642},
        {"frame too small", 600, 0, 0, -2, -2},
        {"start past the sections", 7992, 3, 0, 1, -1},
        {"second frame", 7992, 0, 1, 1, -1},
    };
    for (const PriceCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_Service.frame_size = c.frame_size;
        uint8_t last = 7;
        const int32_t frames = Count(Request(0x5A, c.start, c.frame), &last);
        EXPECT_EQ(frames, c.count);
        EXPECT_EQ(last, frames > 0 ? 1 : 7);
        m_Buffer.assign(m_Buffer.size(), kUnwritten);
        const int32_t length = Pull(Request(0x5A, c.start, c.frame));
        EXPECT_EQ(length, c.result);
        if (length > 0) {
            EXPECT_EQ(LoadLe<uint16_t>(m_Buffer.data()), 3);
            EXPECT_EQ(std::memcmp(m_Buffer.data() + 2, reinterpret_cast<const uint8_t*>(&m_Prices) + 320 * c.start,
                                  length - 2), 0);
            EXPECT_TRUE(Untouched(length));
        } else {
            EXPECT_TRUE(Untouched());
        }
    }
}

TEST_F(DataFramesTest, HolidayFrameCoversTodayAndNineDaysAfter) {
    const std::string path = std::string(ZEPHYR_BINARY_DIR) + "/push_test_holiday.ini";
    FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("[zephyr.2014]\n11=18\n", file);
    std::fclose(file);
    ASSERT_EQ(m_Holidays.Load(MString(path.c_str())), 1);

    uint8_t last = 7;
    EXPECT_EQ(Count(Request(0xFE), &last), 1);
    EXPECT_EQ(last, 0);

    ::testing::internal::CaptureStdout();
    const int32_t length = Pull(Request(0xFE));
    const std::string printed = ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(length, 52);
    EXPECT_EQ(LoadLe<uint16_t>(m_Buffer.data()), 10);
    struct Day { uint8_t holiday; uint32_t date; };
    const Day days[10] = {{0, 20141114}, {1, 20141115}, {1, 20141116}, {0, 20141117}, {1, 20141118},
                          {0, 20141119}, {0, 20141120}, {0, 20141121}, {1, 20141122}, {1, 20141123}};
    for (uint32_t i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m_Buffer[2 + 5 * i], days[i].holiday);
        EXPECT_EQ(LoadLe<uint32_t>(m_Buffer.data() + 3 + 5 * i), days[i].date);
    }
    EXPECT_TRUE(Untouched(52));
    EXPECT_EQ(printed.rfind("[INFO] print detail, item number = 10, return size = 52\n"
                            "[0], 日期 = 20141114, 是否节假日 = 0\n"
                            "[1], 日期 = 20141115, 是否节假日 = 1\n", 0), 0u);
    EXPECT_NE(printed.find("[9], 日期 = 20141123, 是否节假日 = 1\n"), std::string::npos);
    std::remove(path.c_str());
}

struct BufferCase {
    const char* name;
    uint8_t sub_type;
    uint16_t frame_size;
    uint16_t buffer_length;
};

// No frame is ever written past the buffer length of the request, nor into a buffer shorter than
// the frame size.
TEST_F(DataFramesTest, FramesNeverOverrunTheCallersBuffer) {
    const BufferCase cases[] = {
        {"rates, buffer below the frame size", 0x57, 100, 99},
        {"rates, frame longer than the buffer", 0x57, 10, 13},
        {"quota status, frame longer than the buffer", 0x58, 20, 26},
        {"holiday, frame longer than the buffer", 0xFE, 20, 51},
        {"holiday, buffer below the frame size", 0xFE, 100, 60},
        {"holiday, empty buffer", 0xFE, 0, 0},
        {"price, buffer below the frame size", 0x5A, 7992, 1000},
        {"codes, buffer below the frame size", 0x54, 400, 399},
        {"snapshots, empty buffer", 0x55, 400, 0},
    };
    for (const BufferCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_Service.frame_size = c.frame_size;
        m_Buffer.assign(m_Buffer.size(), kUnwritten);
        EXPECT_EQ(Pull(Request(c.sub_type, 0, 0, c.buffer_length)), 0);
        EXPECT_TRUE(Untouched());
    }
    // The same requests succeed once the buffer can hold the frame.
    m_Service.frame_size = 10;
    EXPECT_EQ(Pull(Request(0x57, 0, 0, 14)), 14);
    m_Service.frame_size = 20;
    EXPECT_EQ(Pull(Request(0xFE, 0, 0, 52)), 52);
}

TEST_F(DataFramesTest, MarketInfoAndCategories) {
    Market market;
    market.Configure({"/nonexistent/", 0, 0, nullptr});
    ASSERT_EQ(market.Init(3), 1);
    std::vector<uint8_t> info(49, kUnwritten), categories(5 * 13, kUnwritten);
    const MarketInfoTargets targets{info.data(), categories.data()};

    const uint16_t one = 1, five = 5;
    EXPECT_EQ(AnswerMarketInfo(market, 0, 1, &five, &targets), -1);
    EXPECT_EQ(AnswerMarketInfo(market, 1, 3, &five, &targets), -1);
    EXPECT_EQ(info, std::vector<uint8_t>(49, kUnwritten));
    EXPECT_EQ(AnswerMarketInfo(market, 1, 1, nullptr, &targets), -1);
    EXPECT_EQ(AnswerMarketInfo(market, 1, 1, &five, nullptr), -1);

    // Too few slots: the market record is written all the same.
    EXPECT_EQ(AnswerMarketInfo(market, 1, 1, &one, &targets), -2);
    EXPECT_EQ(info[0], 30);
    EXPECT_EQ(info[12], 2);
    EXPECT_EQ(categories, std::vector<uint8_t>(5 * 13, kUnwritten));

    EXPECT_EQ(AnswerMarketInfo(market, 1, 1, &five, &targets), 2);
    EXPECT_EQ(LoadLe<uint32_t>(info.data() + 2), 20141114u);
    EXPECT_EQ(std::memcmp(categories.data(), "香港指数", 8), 0);
    EXPECT_EQ(LoadLe<uint16_t>(categories.data() + 11), 3);
    EXPECT_EQ(std::memcmp(categories.data() + 13, "香港主板", 8), 0);
    EXPECT_EQ(categories[26], kUnwritten);
}

}  // namespace
}  // namespace zephyr
