#include "push/DataFrames.h"

#include <cstdio>
#include <cstring>

#include "config/HolidayCalendar.h"
#include "foundation/MDateTime.h"
#include "market/CodeTable.h"
#include "market/IndexTable.h"
#include "market/Market.h"
#include "foundation/PackedCodec.h"
#include "market/ProductStatusTable.h"
#include "market/ShortNameTable.h"
#include "market/SnapshotTable.h"

namespace zephyr {

namespace {

constexpr uint32_t kPriceRecord = sizeof(PriceSection);
constexpr uint32_t kPriceTableSize = sizeof(PriceTable);
constexpr uint32_t kSecondsPerDay = 86400;

// -1 / -2 / -3 of the frame functions, or 0 when the request may be answered.
int32_t CheckRequest(const FrameService& service, const FrameRequest& request) {
    if (service.service_flag <= 0 || service.process_state == 0) return -1;
    if (request.main_type != kFrameMainType) return -2;
    if (!IsFrameSubType(request.sub_type) || request.version != kFrameRequestVersion) return -3;
    return 0;
}

// The bytes the price frame needs from section s on: 960 - 320 s (negative past the table).
int64_t PriceBytesFrom(uint32_t start) {
    return static_cast<int64_t>(kPriceTableSize) - static_cast<int64_t>(kPriceRecord) * start;
}

// The caller's buffer can take a frame of this length: not null, not empty, at least the frame
// size, and at least the frame itself.
bool BufferTakes(const void* buffer, uint32_t buffer_length, uint32_t frame_size, uint32_t length) {
    return buffer != nullptr && buffer_length != 0 && buffer_length >= frame_size &&
           buffer_length >= length;
}

template <class Table>
int32_t TablePlan(Table* table, const FrameService& service, uint32_t start, uint8_t* last_frame) {
    if (table == nullptr) return 0;
    return table->FramePlan(start, service.frame_size, service.budget, last_frame);
}

template <class Table>
int32_t TableFill(Table* table, const FrameService& service, const FrameRequest& request,
                  uint32_t start, void* buffer) {
    if (table == nullptr) return 0;
    return table->FrameFill(start, request.frame_number, service.frame_size, buffer, request.buffer_length);
}

// One record behind u16 1.
template <class Record>
int32_t SingleRecordFrame(const Record* record, const FrameService& service,
                          const FrameRequest& request, void* buffer) {
    constexpr uint32_t kLength = 2 + sizeof(Record);
    if (record == nullptr || !BufferTakes(buffer, request.buffer_length, service.frame_size, kLength)) {
        return 0;
    }
    uint8_t* out = static_cast<uint8_t*>(buffer);
    StoreLe<uint16_t>(out, 1);
    EncodeRecord(*record, out + 2);
    return static_cast<int32_t>(kLength);
}

int32_t PriceFrame(const PriceTable* prices, const FrameService& service, const FrameRequest& request,
                   uint32_t start, void* buffer) {
    if (start > 2 || request.frame_number != 0) return -1;
    const int64_t bytes = PriceBytesFrom(start);
    if (service.frame_size < bytes) return -2;
    const uint32_t length = 2 + static_cast<uint32_t>(bytes);
    if (prices == nullptr || !BufferTakes(buffer, request.buffer_length, service.frame_size, length)) {
        return 0;
    }
    uint8_t* out = static_cast<uint8_t*>(buffer);
    StoreLe<uint16_t>(out, static_cast<uint16_t>(kPriceSections));
    std::memcpy(out + 2, reinterpret_cast<const uint8_t*>(prices) + kPriceRecord * start,
                static_cast<size_t>(bytes));
    return static_cast<int32_t>(length);
}

int32_t HolidayFrame(HolidayCalendarBase* holidays, const FrameService& service,
                     const FrameRequest& request, void* buffer) {
    if (holidays == nullptr ||
        !BufferTakes(buffer, request.buffer_length, service.frame_size, kHolidayFrameSize)) {
        return 0;
    }
    uint8_t* out = static_cast<uint8_t*>(buffer);
    StoreLe<uint16_t>(out, static_cast<uint16_t>(kHolidayDays));
    std::printf("[INFO] print detail, item number = %u, return size = %u\n", kHolidayDays,
                kHolidayFrameSize);
    MDateTime day = MDateTime::Current();
    for (uint32_t i = 0; i < kHolidayDays; ++i) {
        const int32_t date = day.GetDate();
        const uint8_t holiday = holidays->IsHoliday(date) ? 1 : 0;
        uint8_t* entry = out + 2 + i * 5;
        entry[0] = holiday;
        StoreLe<uint32_t>(entry + 1, static_cast<uint32_t>(date));
        std::printf("[%u], 日期 = %u, 是否节假日 = %u\n", i, static_cast<uint32_t>(date),
                    static_cast<uint32_t>(holiday));
        day.AddSeconds(static_cast<int32_t>(kSecondsPerDay));
    }
    std::fflush(stdout);
    return static_cast<int32_t>(kHolidayFrameSize);
}

}  // namespace

bool IsFrameSubType(uint8_t sub_type) {
    switch (sub_type) {
        case kFrameCodes:
        case kFrameSnapshots:
        case kFrameExchangeRate:
        case kFrameQuotaStatus:
        case kFrameIndexes:
        case kFramePrices:
        case kFrameShortNames:
        case kFrameProductStatus:
        case kFrameHolidays:
            return true;
        default:
            return false;
    }
}

int32_t AnswerMarketInfo(Market& market, int8_t service_flag, int32_t process_state,
                         const uint16_t* capacity, const MarketInfoTargets* targets) {
    if (capacity == nullptr || targets == nullptr || targets->market_info == nullptr ||
        targets->categories == nullptr) {
        return -1;
    }
    if (service_flag <= 0 || process_state != 1) return -1;
    MarketInfo info;
    market.GetInfo(&info);
    EncodeRecord(info, targets->market_info);
    const uint16_t slots = *capacity;
    if (info.category_count > slots) return -2;
    uint8_t* out = static_cast<uint8_t*>(targets->categories);
    int32_t copied = 0;
    for (uint16_t i = 0; i < slots; ++i) {
        CategoryInfo category;
        if (market.GetCategory(&category, i) <= 0) break;
        EncodeRecord(category, out + static_cast<size_t>(i) * sizeof(CategoryInfo));
        ++copied;
    }
    return copied;
}

int32_t AnswerFrameCount(const FrameSources& sources, const FrameService& service,
                         const FrameRequest* request, uint8_t* last_frame) {
    if (request == nullptr) return 0;
    const int32_t checked = CheckRequest(service, *request);
    if (checked < 0) return checked;
    if (last_frame == nullptr || request->position == nullptr) return 0;
    const uint32_t start = request->position->first_record;
    switch (request->sub_type) {
        case kFrameCodes:
            return TablePlan(sources.codes, service, start, last_frame);
        case kFrameSnapshots:
            return TablePlan(sources.snapshots, service, start, last_frame);
        case kFrameIndexes:
            return TablePlan(sources.indexes, service, start, last_frame);
        case kFrameShortNames:
            return TablePlan(sources.short_names, service, start, last_frame);
        case kFrameProductStatus:
            return TablePlan(sources.product_status, service, start, last_frame);
        case kFrameExchangeRate:
        case kFrameQuotaStatus:
            *last_frame = 1;
            return 1;
        case kFramePrices:
            if (service.frame_size < PriceBytesFrom(start)) return -2;
            *last_frame = 1;
            return 1;
        case kFrameHolidays:
            *last_frame = 0;
            return 1;
        default:
            return -3;
    }
}

int32_t AnswerOneFrame(const FrameSources& sources, const FrameService& service,
                       const FrameRequest* request, void* const* output) {
    if (request == nullptr) return 0;
    const int32_t checked = CheckRequest(service, *request);
    if (checked < 0) return checked;
    if (output == nullptr || request->position == nullptr) return 0;
    void* const buffer = *output;
    const uint32_t start = request->position->first_record;
    switch (request->sub_type) {
        case kFrameCodes:
            return TableFill(sources.codes, service, *request, start, buffer);
        case kFrameSnapshots:
            return TableFill(sources.snapshots, service, *request, start, buffer);
        case kFrameIndexes:
            return TableFill(sources.indexes, service, *request, start, buffer);
        case kFrameShortNames:
            return TableFill(sources.short_names, service, *request, start, buffer);
        case kFrameProductStatus:
            return TableFill(sources.product_status, service, *request, start, buffer);
        case kFrameExchangeRate:
            if (sources.rates == nullptr) return 0;
            {
                const ExchangeRate rates = sources.rates->Copy();
                return SingleRecordFrame(&rates, service, *request, buffer);
            }
        case kFrameQuotaStatus:
            return SingleRecordFrame(sources.quota_status, service, *request, buffer);
        case kFramePrices:
            return PriceFrame(sources.prices, service, *request, start, buffer);
        case kFrameHolidays:
            return HolidayFrame(sources.holidays, service, *request, buffer);
        default:
            return -3;
    }
}

}  // namespace zephyr
