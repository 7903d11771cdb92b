// The market the driver serves: the 49-byte MarketInfo and the category table, with the trading
// sessions of the day loaded from a lonkind file beside the driver library.
//
// GetInfo, SetInfo, SetDigest, SetStatus and LoadSessions hold the market's own re-entrant lock
// for their whole duration; AddCategories holds it while it sets the category count and loads
// the sessions. The category operations rely on the category table's own lock, so a reader may
// see the market record and the categories of two different moments. Init runs before anyone
// else reads the market.
#pragma once
#include <cstdint>

#include "foundation/MCriticalSection.h"
#include "foundation/MLog.h"
#include "foundation/MString.h"
#include "market/RecordTable.h"
#include "market/Records.h"

namespace zephyr {

using CategoryTable = RecordTable<CategoryInfo>;

// Where and how the market finds its session file.
struct MarketSetup {
    const char* module_directory;  // directory of the driver library, with its trailing '/'
    uint32_t time1;                // "Time1": from this date on, lonkind1.cfg
    uint32_t time2;                // "Time2": from this date on, lonkind2.cfg
    MLogger* log;                  // may be null
};

class Market {
public:
    static constexpr uint32_t kSessionFileSize = 16 + 3 * 2048;
    // The four HHMM values sit at 4122..4129; a file that ends before them is unusable.
    static constexpr uint32_t kSessionValuesOffset = 4122;
    static constexpr uint32_t kSessionValuesEnd = 4130;

    Market();
    Market(const Market&) = delete;
    Market& operator=(const Market&) = delete;

    void Configure(const MarketSetup& setup);

    // Resets the market for today: zeroed MarketInfo, market number 30, date today, time zone 8,
    // two categories (index count: entries of the category "香港指数"), sessions loaded.
    // 1, or -1 when the category storage cannot be allocated (market zeroed, no categories).
    int32_t Init(uint16_t index_count);
    // Empties the category table, appends "香港指数" (count index_count) and "香港主板", sets the
    // category count to 2 and loads the sessions.
    void AddCategories(uint16_t index_count);
    // Loads sessions 1 and 2 from today's lonkind file: session count 2; or, when the file cannot
    // be opened or ends before the four values, session count 0, sessions 1 and 2 zero, and an
    // error line "打开[<path>]文件失败,交易时段无法赋值".
    void LoadSessions();
    // The session file for a date: lonkind.cfg below time1, lonkind1.cfg below time2, else
    // lonkind2.cfg (unsigned comparisons).
    static const char* SessionFileName(uint32_t today, uint32_t time1, uint32_t time2);

    void GetInfo(MarketInfo* out);
    // Copies bytes 0..32 (everything but the digest).
    void SetInfo(const MarketInfo* in);
    void SetDigest(const uint8_t* digest);
    void SetStatus(uint8_t status);

    // -1 when out is null, index is negative or above the category count; else 1 with a copy,
    // or 0 when index equals the count.
    int32_t GetCategory(CategoryInfo* out, int32_t index);
    // 1 and the 8 name bytes, or -1.
    int32_t GetCategoryName(int32_t index, char* out);
    // UpdateByKey on the category table (key: the 8-byte name): 1 changed, 0 identical,
    // -1 absent or null.
    int32_t UpdateCategory(const CategoryInfo* in);

    // Frees the category storage (stop).
    void Release();

private:
    uint8_t CategoryCount();

    MCriticalSection m_Lock;
    MarketInfo m_Info;
    CategoryTable m_Categories;
    MString m_Directory;
    uint32_t m_Time1;
    uint32_t m_Time2;
    MLogger* m_Log;
};

}  // namespace zephyr
