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

Market::Market() : time1_(0), time2_(0), log_(nullptr) { std::memset(&info_, 0, sizeof(info_)); }

void Market::Configure(const MarketSetup& setup) {
    MLocalSection guard(lock_);
    directory_.Assign(setup.module_directory != nullptr ? setup.module_directory : "");
    time1_ = setup.time1;
    time2_ = setup.time2;
    log_ = setup.log;
}

int32_t Market::Init(uint16_t index_count) {
    {
        MLocalSection guard(lock_);
        std::memset(&info_, 0, sizeof(info_));
    }
    categories_.Release();
    if (!categories_.Allocate(kCategoryCapacity)) return -1;
    categories_.Clear();
    {
        MLocalSection guard(lock_);
        info_.market_number = kMarketNumber;
        info_.status = 0;
        info_.date = static_cast<uint32_t>(MDateTime::Current().GetDate());
        info_.time = 0;
        info_.item_count = 0;
        info_.category_count = 0;
        info_.time_zone = kTimeZone;
        info_.delay = 0;
    }
    AddCategories(index_count);
    return 1;
}

void Market::AddCategories(uint16_t index_count) {
    categories_.Clear();
    const CategoryInfo indices = MakeCategory("香港指数", index_count);
    const CategoryInfo main_board = MakeCategory("香港主板", 0);
    categories_.Append(&indices);
    categories_.Append(&main_board);
    MLocalSection guard(lock_);
    info_.category_count = 2;
    LoadSessions();
}

const char* Market::SessionFileName(uint32_t today, uint32_t time1, uint32_t time2) {
    if (today < time1) return "lonkind.cfg";
    if (today < time2) return "lonkind1.cfg";
    return "lonkind2.cfg";
}

void Market::LoadSessions() {
    MLocalSection guard(lock_);
    info_.session_count = 2;
    const uint32_t today = static_cast<uint32_t>(MDateTime::Current().GetDate());
    MString path(directory_);
    path.Append(SessionFileName(today, time1_, time2_));

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
        info_.session_count = 0;
        std::memset(info_.sessions, 0, 2 * sizeof(TradingSession));
        if (log_ != nullptr) {
            log_->Write(kLogError, "Zephyr", "打开[%s]文件失败,交易时段无法赋值", path.GetData());
        }
        return;
    }
    const uint8_t* values = buffer + kSessionValuesOffset;
    info_.sessions[0].start = HhmmToMinutes(LoadLe<uint16_t>(values));
    info_.sessions[0].end = HhmmToMinutes(LoadLe<uint16_t>(values + 2));
    info_.sessions[1].start = HhmmToMinutes(LoadLe<uint16_t>(values + 4));
    info_.sessions[1].end = HhmmToMinutes(LoadLe<uint16_t>(values + 6));
}

void Market::GetInfo(MarketInfo* out) {
    if (out == nullptr) return;
    MLocalSection guard(lock_);
    *out = info_;
}

void Market::SetInfo(const MarketInfo* in) {
    if (in == nullptr) return;
    MLocalSection guard(lock_);
    std::memcpy(&info_, in, kMarketInfoDigestOffset);
}

void Market::SetDigest(const uint8_t* digest) {
    if (digest == nullptr) return;
    MLocalSection guard(lock_);
    std::memcpy(info_.digest, digest, sizeof(info_.digest));
}

void Market::SetStatus(uint8_t status) {
    MLocalSection guard(lock_);
    info_.status = status;
}

uint8_t Market::CategoryCount() {
    MLocalSection guard(lock_);
    return info_.category_count;
}

int32_t Market::GetCategory(CategoryInfo* out, int32_t index) {
    if (out == nullptr || index < 0 || index > CategoryCount()) return -1;
    return categories_.Get(out, static_cast<uint32_t>(index)) ? 1 : 0;
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
    return categories_.UpdateByKey(in);
}

void Market::Release() { categories_.Release(); }

}  // namespace zephyr
