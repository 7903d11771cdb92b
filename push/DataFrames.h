// The host's pulls: GetMarketInfo, GetDataFrameCount and GetOneDataFrame answered from the live
// tables. The driver's exports forward here with the processing unit's collaborators; nothing
// here allocates, and each answer takes only the lock of the one table it reads, once.
//
// Common results of the two frame functions, in this order: -1 when the service flag is not above
// 0 or the process state is 0 (re-initialising); -2 when the main type is not 2; -3 when the sub
// type is not one of the nine below or the request version is not 3. A null request, flag,
// position or buffer address is refused without writing anything: 0 frames / 0 bytes.
//
// Sub types and their frames (F = frame size, B = request byte budget, s = first record asked
// for, f = frame number, L = the caller's buffer length):
//   0x54 codes, 0x55 snapshots, 0x59 index entries, 0x5B short names, 0x5C product status:
//        the tables' own frame rule and body (RecordTable::FramePlan / FrameFill);
//   0x57 exchange rates: 1 frame, last 1; u16 1 + buying, selling, middle (14 bytes);
//   0x58 market quota status: 1 frame, last 1; u16 1 + the 25-byte record (27 bytes);
//   0x5A price table: 1 frame and last 1 when F >= 960 - 320 s, else -2; the frame: s in 0..2 and
//        f = 0 (else -1), F >= 960 - 320 s (else -2), then u16 3 + price sections s..2;
//   0xFE holiday calendar: 1 frame, last 0; u16 10 + ten entries (holiday byte, u32 YYYYMMDD)
//        for today and the nine days after it, 52 bytes; echoed on the standard output.
// Every frame answers 0 and writes nothing when the buffer is null, L is 0, L < F, or L cannot
// hold the frame.
#pragma once
#include <cstdint>

#include "zephyr/DriverInterface.h"
#include "market/Records.h"
#include "market/ExchangeRates.h"
#include "market/StatusRecords.h"

namespace zephyr {

class CodeTable;
class SnapshotTable;
class IndexTable;
class ShortNameTable;
class ProductStatusTable;
class HolidayCalendarBase;
class Market;

enum FrameSubType : uint8_t {
    kFrameCodes = 0x54,
    kFrameSnapshots = 0x55,
    kFrameExchangeRate = 0x57,
    kFrameQuotaStatus = 0x58,
    kFrameIndexes = 0x59,
    kFramePrices = 0x5A,
    kFrameShortNames = 0x5B,
    kFrameProductStatus = 0x5C,
    kFrameHolidays = 0xFE,
};

constexpr uint8_t kFrameMainType = 2;
constexpr uint16_t kFrameRequestVersion = 3;
constexpr uint32_t kExchangeRateFrameSize = 2 + sizeof(ExchangeRate);
constexpr uint32_t kQuotaStatusPullSize = 2 + sizeof(MarketQuotaStatus);
constexpr uint32_t kHolidayDays = 10;
constexpr uint32_t kHolidayFrameSize = 2 + kHolidayDays * 5;

bool IsFrameSubType(uint8_t sub_type);

// What the frames are built from. A null table answers 0 frames / 0 bytes for its sub type.
// The price table and quota status are read without a lock (their writers run while the unit
// does not serve, or accept that a reader sees a record being replaced); the rates are copied
// under their own lock.
struct FrameSources {
    CodeTable* codes;
    SnapshotTable* snapshots;
    IndexTable* indexes;
    ShortNameTable* short_names;
    ProductStatusTable* product_status;
    const PriceTable* prices;
    const ExchangeRates* rates;
    const MarketQuotaStatus* quota_status;
    HolidayCalendarBase* holidays;
};

// The processing unit's state values and the host's limits from the stored DriverWorkParams
// (frame size after the 200-byte adjustment, request byte budget).
struct FrameService {
    int8_t service_flag;
    int32_t process_state;
    uint16_t frame_size;
    uint32_t budget;
};

// -1 when a pointer is null, the service flag is not above 0 or the process state is not 1;
// otherwise writes the 49-byte MarketInfo, then -2 when the market has more categories than
// *capacity, else copies categories 0, 1, ... (13 bytes each) until one cannot be read and
// answers how many were copied.
int32_t AnswerMarketInfo(Market& market, int8_t service_flag, int32_t process_state,
                         const uint16_t* capacity, const MarketInfoTargets* targets);

// GetDataFrameCount: frames for the request and, through *last_frame, whether they reach the end.
int32_t AnswerFrameCount(const FrameSources& sources, const FrameService& service,
                         const FrameRequest* request, uint8_t* last_frame);

// GetOneDataFrame: writes frame request->frame_number into *output; its length, or 0 / negative.
int32_t AnswerOneFrame(const FrameSources& sources, const FrameService& service,
                       const FrameRequest* request, void* const* output);

}  // namespace zephyr
