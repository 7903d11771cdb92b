#include "market/Market.h"

#include <cstring>

#include "foundation/MDateTime.h"
#include "foundation/MFile.h"
#include "foundation/MLocalSection.h"
#include "foundation/PackedCodec.h"

namespace zephyr {

namespace {

constexpr uint32_t kCategoryCapacity = 15;
constexpr uint8_t kPriceScale = 3;
constexpr uint8_t kTimeZone = 8;

CategoryInfo MakeCategory(const char* name, uint16_t count) {
    CategoryInfo c;
    std::memset(&c, 0, sizeof(c));
    // A name of 8 bytes fills the field without a terminator.
    std::memcpy(c.name, name, strnlen(name, sizeof(c.name)));
    c.price_scale = kPriceScale;
    c.lot_ratio = 0;
    c.count = count;
    return c;
}

uint16_t HhmmToMinutes(uint16_t v) { return static_cast<uint16_t>((v / 100) * 60 + v % 100); }

}  // namespace

Market::Market() : m_Time1(0), m_Time2(0), m_Log(nullptr) { std::memset(&m_Info, 0, sizeof(m_Info)); }

void Market::Configure(const MarketSetup& setup) {
    MLocalSection guard(m_Lock);
    m_Directory.Assign(setup.module_directory != nullptr ? setup.module_directory : "");
    m_Time1 = setup.time1;
    m_Time2 = setup.time2;
    m_Log = setup.log;
}

int32_t Market::Init(uint16_t index_count) {
    {
        MLocalSection guard(m_Lock);
        std::memset(&m_Info, 0, sizeof(m_Info));
    }
    m_Categories.Release();
    if (!m_Categories.Allocate(kCategoryCapacity)) return -1;
    m_Categories.Clear();
    {
        MLocalSection guard(m_Lock);
        m_Info.market_number = kMarketNumber;
        m_Info.status = 0;
        m_Info.date = static_cast<uint32_t>(MDateTime::Current().GetDate());
        m_Info.time = 0;
        m_Info.item_count = 0;
        m_Info.category_count = 0;
        m_Info.time_zone = kTimeZone;
        m_Info.delay = 0;
    }
    AddCategories(index_count);
    return 1;
}

void Market::AddCategories(uint16_t index_count) {
    m_Categories.Clear();
    const CategoryInfo indices = MakeCategory("香港指数", index_count);
    const CategoryInfo main_board = MakeCategory("香港主板", 0);
    m_Categories.Append(&indices);
    m_Categories.Append(&main_board);
    MLocalSection guard(m_Lock);
    m_Info.category_count = 2;
    LoadSessions();
}

const char* Market::SessionFileName(uint32_t today, uint32_t time1, uint32_t time2) {
    if (today < time1) return "lonkind.cfg";
    if (today < time2) return "lonkind1.cfg";
    return "lonkind2.cfg";
}

void Market::LoadSessions() {
    MLocalSection guard(m_Lock);
    m_Info.session_count = 2;
    const uint32_t today = static_cast<uint32_t>(MDateTime::Current().GetDate());
    MString path(m_Directory);
    path.Append(SessionFileName(today, m_Time1, m_Time2));

    uint8_t buffer[kSessionFileSize];
    uint32_t filled = 0;
    MFile file;
    if (file.Open(path.GetData(), MFile::kRead | MFile::kShareRead | MFile::kShareWrite) == 1) {
        // Header, then three blocks, read in sequence; only the third block is used.
        const uint32_t parts[4] = {16, 2048, 2048, 2048};
        for (uint32_t part : parts) {
            uint32_t got = 0;
            while (got < part) {
                const int32_t n = file.Read(buffer + filled + got, part - got);
                if (n <= 0) break;
                got += static_cast<uint32_t>(n);
            }
            filled += got;
            if (got < part) break;
        }
        file.Close();
    }
    if (filled < kSessionValuesEnd) {
        m_Info.session_count = 0;
        std::memset(m_Info.sessions, 0, 2 * sizeof(TradingSession));
        if (m_Log != nullptr) {
            m_Log->Write(kLogError, "Zephyr", "打开[%s]文件失败,交易时段无法赋值", path.GetData());
        }
        return;
    }
    const uint8_t* values = buffer + kSessionValuesOffset;
    m_Info.sessions[0].start = HhmmToMinutes(LoadLe<uint16_t>(values));
    m_Info.sessions[0].end = HhmmToMinutes(LoadLe<uint16_t>(values + 2));
    m_Info.sessions[1].start = HhmmToMinutes(LoadLe<uint16_t>(values + 4));
    m_Info.sessions[1].end = HhmmToMinutes(LoadLe<uint16_t>(values + 6));
}

void Market::GetInfo(MarketInfo* out) {
    if (out == nullptr) return;
    MLocalSection guard(m_Lock);
    *out = m_Info;
}

void Market::SetInfo(const MarketInfo* in) {
    if (in == nullptr) return;
    MLocalSection guard(m_Lock);
    std::memcpy(&m_Info, in, kMarketInfoDigestOffset);
}

void Market::SetDigest(const uint8_t* digest) {
    if (digest == nullptr) return;
    MLocalSection guard(m_Lock);
    std::memcpy(m_Info.digest, digest, sizeof(m_Info.digest));
}

void Market::SetStatus(uint8_t status) {
    MLocalSection guard(m_Lock);
    m_Info.status = status;
}

uint8_t Market::CategoryCount() {
    MLocalSection guard(m_Lock);
    return m_Info.category_count;
}

int32_t Market::GetCategory(CategoryInfo* out, int32_t index) {
    if (out == nullptr || index < 0 || index > CategoryCount()) return -1;
    return m_Categories.Get(out, static_cast<uint32_t>(index)) ? 1 : 0;
}

int32_t Market::GetCategoryName(int32_t index, char* out) {
    if (out == nullptr) return -1;
    CategoryInfo category;
    if (GetCategory(&category, index) != 1) return -1;
    std::memcpy(out, category.name, sizeof(category.name));
    return 1;
}

int32_t Market::UpdateCategory(const CategoryInfo* in) {
    if (in == nullptr) return -1;
    return m_Categories.UpdateByKey(in);
}

void Market::Release() { m_Categories.Release(); }

}  // namespace zephyr
