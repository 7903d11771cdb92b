#include "loaders/HKTrdsesLoader.h"

#include <cstring>

#include "foundation/MDateTime.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"
#include "loaders/HKMktdtLoader.h"
#include "loaders/LineFile.h"
#include "loaders/LoaderHost.h"
#include "loaders/LoaderSettings.h"
#include "loaders/TextFields.h"
#include "market/Records.h"

namespace zephyr {

namespace {

constexpr char kPathModule[] = "加载交易盘实时状态数据文件";
constexpr char kModule[] = "加载实时数据文件";

}  // namespace

HKTrdsesLoader::HKTrdsesLoader(LoaderHost& host, HKMktdtLoader& market_data)
    : m_Host(host), m_MarketData(market_data) {
    memset(&m_Building, 0, sizeof m_Building);
    memset(&m_Kept, 0, sizeof m_Kept);
    m_Line[0] = 0;
}

int32_t HKTrdsesLoader::Instance(bool log_path) {
    MLocalSection run(m_RunLock);
    if (!m_Host.IsDriverWorking()) return 0;
    MLogger& log = m_Host.Logger();
    const char* path = m_Host.Settings().trdses.GetData();
    memset(&m_Building, 0, sizeof m_Building);
    LineFile file(log, kModule, "HKTrdsesLoader::Instance()", m_Line, sizeof m_Line);
    if (!file.Open(path, log_path, kPathModule)) {
        log.Write(kLogWarning, kModule, "HKTrdsesLoader::Instance() : 加载基础数据文件失败");
        return -1;
    }
    if (!file.HasTrailer()) return -2;
    file.ReadLines([this](const char* line, int32_t length) { return parse(line, length) != -100; });
    return 0;
}

int32_t HKTrdsesLoader::parse(const char* line, int32_t length) {
    if (line == nullptr) return -1;
    if (length < 5) return -2;
    FieldCursor cursor(line, static_cast<uint32_t>(length));
    TextField field;
    cursor.Next(&field);  // field 1: the kind
    if (KindIs(field, "EADE")) {
        for (int number = 2; cursor.Next(&field); ++number) {
            if (number == 7) {
                // yyyymmdd, optionally followed by '-' and more: the number stops at the '-'.
                const uint32_t date = static_cast<uint32_t>(FieldInteger(field));
                if (date != static_cast<uint32_t>(MDateTime::Current().GetDate())) {
                    m_Host.Logger().Write(kLogWarning, kModule, "HKTrdsesLoader::parse() : 额度文件过期[date=%u]", date);
                    return -100;
                }
            } else if (number == 9) {
                CopyField(m_Building.trading_state, sizeof m_Building.trading_state, field);
            }
        }
        return 0;
    }
    if (KindIs(field, "D402")) {
        for (int number = 2; number <= 4 && cursor.Next(&field); ++number) {
            if (number == 2) {
                m_Building.first_quota = FieldInt64(field);
            } else if (number == 3) {
                const int64_t remaining = FieldInt64(field);
                m_Building.remaining_quota = remaining < 0 ? 0 : remaining;
            } else {
                m_Building.quota_state = field.length > 0 ? field.text[0] : 0;
            }
        }
        if (memcmp(&m_Building, &m_Kept, sizeof m_Kept) != 0) {
            m_Kept = m_Building;
            if (m_Host.IsDriverWorking()) m_Host.Push(kQuotaFrame, &m_Kept, sizeof m_Kept);
        }
        return 0;
    }
    if (KindIs(field, "D403")) {
        ProductStatus status;
        memset(&status, 0, sizeof status);
        int32_t code = 0;
        for (int number = 2; number <= 4 && cursor.Next(&field); ++number) {
            if (number == 2) {
                CopyCode(status.code, field);
                code = CodeValue(field);
                if (code < 1) return -3;
            } else if (number == 3) {
                CopyField(status.board_lot_status, sizeof status.board_lot_status, field);
            } else {
                CopyField(status.odd_lot_status, sizeof status.odd_lot_status, field);
            }
        }
        if (code < 1) return -3;
        if (m_MarketData.HasCode(static_cast<uint32_t>(code))) m_Host.UpdateStatus(status);
        return 0;
    }
    return -3;
}

}  // namespace zephyr
