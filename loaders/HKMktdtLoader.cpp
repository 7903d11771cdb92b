#include "loaders/HKMktdtLoader.h"

#include <cstring>

#include "foundation/MDateTime.h"
#include "foundation/MFile.h"
#include "foundation/MGbk.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"
#include "foundation/MText.h"
#include "loaders/LineReader.h"
#include "loaders/LoaderHost.h"
#include "loaders/LoaderSettings.h"
#include "loaders/TextFields.h"
#include "market/CodeRules.h"
#include "market/CodeTable.h"
#include "market/Market.h"
#include "market/ProductStatusTable.h"
#include "market/ShortNameTable.h"
#include "market/SnapshotTable.h"

namespace zephyr {

namespace {

constexpr char kModule[] = "加载实时数据文件";

// The number in length bytes at offset of the field (fewer when the field ends first).
int32_t NumberAt(const char* text, uint32_t field_length, uint32_t offset, uint32_t length) {
    if (offset >= field_length) return 0;
    const uint32_t rest = field_length - offset;
    return MText::ToInteger(text + offset, rest < length ? rest : length);
}

}  // namespace

HKMktdtLoader::HKMktdtLoader(LoaderHost& host)
    : host_(host), day_record_of_code_(kCodeSpace, kNoRecord), previous_close_(kCodeSpace, 0) {
    line_[0] = 0;
}

bool HKMktdtLoader::HasCode(uint32_t code) const {
    MLocalSection lock(lock_);
    return code < kCodeSpace && day_record_of_code_[code] != kNoRecord;
}

std::map<uint32_t, CodeEntry> HKMktdtLoader::DayRecords() const {
    MLocalSection lock(lock_);
    return std::map<uint32_t, CodeEntry>(day_records_.begin(), day_records_.end());
}

uint32_t HKMktdtLoader::DayCount() const {
    MLocalSection lock(lock_);
    return static_cast<uint32_t>(day_records_.size());
}

uint32_t HKMktdtLoader::PreviousClose(uint32_t code) const {
    MLocalSection lock(lock_);
    return code < kCodeSpace ? previous_close_[code] : 0;
}

void HKMktdtLoader::KeepDayRecord(uint32_t code, const CodeEntry& entry) {
    if (code >= kCodeSpace) return;
    int32_t& at = day_record_of_code_[code];
    if (at != kNoRecord) {
        day_records_[static_cast<size_t>(at)].second = entry;
        return;
    }
    at = static_cast<int32_t>(day_records_.size());
    day_records_.emplace_back(code, entry);
}

int32_t HKMktdtLoader::operator()(uint8_t mode) {
    MLocalSection run(run_lock_);
    mode_ = mode;
    if (mode_ == kRefresh && !host_.IsDriverWorking()) return 0;
    if (mode_ == kBuild) {
        MLocalSection lock(lock_);
        for (const auto& record : day_records_) day_record_of_code_[record.first] = kNoRecord;
        day_records_.clear();  // keeps its room for the next build
    }
    MLogger& log = host_.Logger();
    const char* path = host_.Settings().mktdt.GetData();
    if (host_.MarketDataPathFlag().exchange(0) != 0) {
        log.Write(kLogInfo, kModule, "HKMktdtLoader::operator() : path [%s]", path);
    }
    MFile file;
    if (file.Open(path, MFile::kRead | MFile::kShareRead | MFile::kShareWrite) < 1) {
        log.Write(kLogWarning, kModule, "HKMktdtLoader::operator() : 打开实时数据文件失败!");
        return -1;
    }
    LineReader reader(file, kMaxLine);
    if (reader.FindTrailerAndRewind(line_, sizeof line_) < 1) return -2;

    int32_t length = 0;
    int32_t result = 0;
    while ((length = reader.Next(line_, sizeof line_)) > 0) {
        if (parse(line_, length) == -100) {
            result = -100;
            if (mode_ == kBuild) log.Write(kLogWarning, kModule, "HKMktdtLoader::operator() : 实时数据文件失效!");
            break;
        }
    }
    reader.WarnReadProblems(log, kModule, "HKMktdtLoader::operator()");
    file.Close();
    if (mode_ == kBuild) log.Write(kLogInfo, kModule, "今天交易股票数为 = %d", static_cast<int32_t>(DayCount()));
    return result;
}

void HKMktdtLoader::ParseHeader(const char* stamp, uint32_t length, int32_t* result) {
    // date-HH:MM:SS...
    const char* dash = static_cast<const char*>(memchr(stamp, '-', length));
    const uint32_t date_length = dash != nullptr ? static_cast<uint32_t>(dash - stamp) : length;
    const uint32_t date = static_cast<uint32_t>(MText::ToInteger(stamp, date_length));
    uint32_t time = 0;
    if (dash != nullptr) {
        const uint32_t at = date_length + 1;
        time = static_cast<uint32_t>(NumberAt(stamp, length, at, 2) * 10000 + NumberAt(stamp, length, at + 3, 2) * 100 +
                                     NumberAt(stamp, length, at + 6, 2));
    }
    MarketInfo info;
    host_.GetMarket().GetInfo(&info);
    const uint32_t today = static_cast<uint32_t>(MDateTime::Current().GetDate());
    const bool stale = !(time > info.time);
    if (date != today) {
        host_.Logger().Write(kLogWarning, kModule, "HKMktdtLoader::parse() : 无效的数据文件日期标识[date=%u]!", date);
        *result = -100;
        return;
    }
    if (stale) {
        *result = -100;
        return;
    }
    if (mode_ == kRefresh) {
        info.time = time;
        host_.GetMarket().SetInfo(&info);
    }
}

void HKMktdtLoader::ConvertName(const char* bytes, uint32_t length, CodeEntry& entry) {
    // UTF-16LE up to the first 0x0000, 0x3020 or 0x2030, at most 16 characters.
    uint32_t characters = 0;
    while (characters < 16 && characters * 2 + 1 < length) {
        const uint16_t unit = static_cast<uint16_t>(static_cast<uint8_t>(bytes[characters * 2]) |
                                                    static_cast<uint8_t>(bytes[characters * 2 + 1]) << 8);
        if (unit == 0x0000 || unit == 0x3020 || unit == 0x2030) break;
        ++characters;
    }
    char gbk[65];
    const int32_t converted = MGbk::FromUtf16Le(bytes, characters * 2, gbk, sizeof gbk);
    TextField name{gbk, converted > 0 ? static_cast<uint32_t>(converted) : 0};
    CopyField(entry.full_name, sizeof entry.full_name, name);
    CleanFullName(entry);
    ApplyShortName(entry, &host_.ShortNames());
}

int32_t HKMktdtLoader::parse(const char* line, int32_t length) {
    if (line == nullptr) return -1;
    if (length < 5) return -2;
    CodeEntry entry;
    Snapshot snapshot;
    ProductStatus status;
    memset(&entry, 0, sizeof entry);
    memset(&snapshot, 0, sizeof snapshot);
    memset(&status, 0, sizeof status);

    FieldCursor cursor(line, static_cast<uint32_t>(length));
    TextField field;
    if (!cursor.Next(&field)) return -3;
    if (KindIs(field, "EADE")) {
        int32_t result = 0;
        for (int index = 1; index <= 6 && cursor.Next(&field); ++index) {
            if (index == 6) ParseHeader(field.text, field.length, &result);
        }
        return result;
    }
    if (!KindIs(field, "D401")) return -3;

    const bool build = mode_ == kBuild;
    const bool nominal = host_.Settings().use_nominal_price;
    uint32_t code = 0;
    bool complete = false;
    for (int index = 1; !complete; ++index) {
        const bool more = index == 2 ? cursor.NextFixed(kNameBytes, &field) : cursor.Next(&field);
        if (!more) break;
        switch (index) {
            case 1: {
                CopyCode(snapshot.code, field);
                const int32_t value = CodeValue(field);
                if (value < 1) return -3;
                code = static_cast<uint32_t>(value);
                if (build) {
                    CopyCode(entry.code, field);
                    CopyCode(status.code, field);
                }
                if (host_.Level2StartedCount() > 0) {
                    Snapshot current;
                    if (host_.Snapshots().GetByCode(&current, snapshot.code)) snapshot = current;
                }
                break;
            }
            case 2:
                if (build) ConvertName(field.text, field.length, entry);
                break;
            case 3:
                if (build) CopyField(entry.second_name, sizeof entry.second_name, field);
                break;
            case 4: snapshot.volume = static_cast<uint64_t>(FieldInt64(field)); break;
            case 5: snapshot.amount = FieldDouble(field); break;
            case 6:
                snapshot.previous_close = PriceThousandths(field);
                if (build && code < kCodeSpace) {
                    MLocalSection lock(lock_);
                    previous_close_[code] = snapshot.previous_close;
                }
                break;
            case 7:
                if (nominal) snapshot.last = PriceThousandths(field);
                break;
            case 8: snapshot.high = PriceThousandths(field); break;
            case 9: snapshot.low = PriceThousandths(field); break;
            case 10:
                if (!nominal) snapshot.last = PriceThousandths(field);
                break;
            case 11: snapshot.bid_price = PriceThousandths(field); break;
            case 12: snapshot.bid_volume = static_cast<uint64_t>(FieldInt64(field)); break;
            case 13: snapshot.ask_price = PriceThousandths(field); break;
            case 14:
                snapshot.ask_volume = static_cast<uint64_t>(FieldInt64(field));
                complete = true;
                break;
            default: break;
        }
    }
    if (code == 0) return -3;  // no code field at all

    if (build) {
        {
            MLocalSection lock(lock_);
            KeepDayRecord(code, entry);
        }
        entry.serial = static_cast<uint16_t>(host_.Codes().Count());
        entry.category = CategoryOfCode(entry.code);
        entry.reserved1 = entry.reserved2 = 0;
        entry.reserved3 = 0;
        ApplyShortName(entry, &host_.ShortNames());
        CleanFullName(entry);
        snapshot.open = snapshot.previous_close;
        host_.Codes().PutSerial(&entry);
        host_.Snapshots().Append(&snapshot);
        host_.Statuses().Append(&status);
    }
    if (complete) {
        snapshot.open = snapshot.previous_close != 0 ? snapshot.previous_close : snapshot.last;
        host_.UpdateSnapshot(snapshot);
    }
    return 0;
}

}  // namespace zephyr
