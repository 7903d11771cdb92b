#include "loaders/HKTrdsesLoader.h"

#include <cstring>

#include "foundation/MDateTime.h"
#include "foundation/MFile.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"
#include "loaders/HKMktdtLoader.h"
#include "loaders/LineReader.h"
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
    : host_(host), market_data_(market_data) {
    memset(&building_, 0, sizeof building_);
    memset(&kept_, 0, sizeof kept_);
    line_[0] = 0;
}

int32_t HKTrdsesLoader::Instance(bool log_path) {
    MLocalSection run(run_lock_);
    if (!host_.IsDriverWorking()) return 0;
    MLogger& log = host_.Logger();
    const char* path = host_.Settings().trdses.GetData();
    if (log_path) log.Write(kLogInfo, kPathModule, "HKTrdsesLoader::Instance() : path [%s]", path);
    memset(&building_, 0, sizeof building_);
    MFile file;
    if (file.Open(path, MFile::kRead | MFile::kShareRead | MFile::kShareWrite) < 1) {
        log.Write(kLogWarning, kModule, "HKTrdsesLoader::Instance() : 加载基础数据文件失败");
        return -1;
    }
    LineReader reader(file, kMaxLine);
    if (reader.FindTrailerAndRewind(line_, sizeof line_) < 1) return -2;
    int32_t length = 0;
    while ((length = reader.Next(line_, sizeof line_)) > 0) {
        if (parse(line_, length) == -100) break;
    }
    reader.WarnReadProblems(log, kModule, "HKTrdsesLoader::Instance()");
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
                    host_.Logger().Write(kLogWarning, kModule, "HKTrdsesLoader::parse() : 额度文件过期[date=%u]", date);
                    return -100;
                }
            } else if (number == 9) {
                CopyField(building_.trading_state, sizeof building_.trading_state, field);
            }
        }
        return 0;
    }
    if (KindIs(field, "D402")) {
        for (int number = 2; number <= 4 && cursor.Next(&field); ++number) {
            if (number == 2) {
                building_.first_quota = FieldInt64(field);
            } else if (number == 3) {
                const int64_t remaining = FieldInt64(field);
                building_.remaining_quota = remaining < 0 ? 0 : remaining;
            } else {
                building_.quota_state = field.length > 0 ? field.text[0] : 0;
            }
        }
        if (memcmp(&building_, &kept_, sizeof kept_) != 0) {
            kept_ = building_;
            if (host_.IsDriverWorking()) host_.Push(kQuotaFrame, &kept_, sizeof kept_);
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
        if (market_data_.HasCode(static_cast<uint32_t>(code))) host_.UpdateStatus(status);
        return 0;
    }
    return -3;
}

}  // namespace zephyr
