#include "loaders/HKMktdtLoader.h"

#include <cstring>

#include "foundation/MDateTime.h"
#include "foundation/MGbk.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"
#include "foundation/MText.h"
#include "loaders/LineFile.h"
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
    : m_Host(host), m_DayRecordOfCode(kCodeSpace, kNoRecord), m_PreviousClose(kCodeSpace, 0) {
    m_Line[0] = 0;
}

bool HKMktdtLoader::HasCode(uint32_t code) const {
    MLocalSection lock(m_Lock);
    return code < kCodeSpace && m_DayRecordOfCode[code] != kNoRecord;
}

std::map<uint32_t, CodeEntry> HKMktdtLoader::DayRecords() const {
    MLocalSection lock(m_Lock);
    return std::map<uint32_t, CodeEntry>(m_DayRecords.begin(), m_DayRecords.end());
}

uint32_t HKMktdtLoader::DayCount() const {
    MLocalSection lock(m_Lock);
    return static_cast<uint32_t>(m_DayRecords.size());
}

uint32_t HKMktdtLoader::PreviousClose(uint32_t code) const {
    MLocalSection lock(m_Lock);
    return code < kCodeSpace ? m_PreviousClose[code] : 0;
}

void HKMktdtLoader::KeepDayRecord(uint32_t code, const CodeEntry& entry) {
    if (code >= kCodeSpace) return;
    int32_t& at = m_DayRecordOfCode[code];
    if (at != kNoRecord) {
        m_DayRecords[static_cast<size_t>(at)].second = entry;
        return;
    }
    at = static_cast<int32_t>(m_DayRecords.size());
    m_DayRecords.emplace_back(code, entry);
}

int32_t HKMktdtLoader::operator()(uint8_t mode) {
    MLocalSection run(m_RunLock);
    m_Mode = mode;
    if (m_Mode == kRefresh && !m_Host.IsDriverWorking()) return 0;
    if (m_Mode == kBuild) {
        MLocalSection lock(m_Lock);
        for (const auto& record : m_DayRecords) m_DayRecordOfCode[record.first] = kNoRecord;
        m_DayRecords.clear();  // keeps its room for the next build
    }
    MLogger& log = m_Host.Logger();
    const char* path = m_Host.Settings().mktdt.GetData();
    LineFile file(log, kModule, "HKMktdtLoader::operator()", m_Line, sizeof m_Line);
    if (!file.Open(path, m_Host.MarketDataPathFlag().exchange(0) != 0)) {
        log.Write(kLogWarning, kModule, "HKMktdtLoader::operator() : 打开实时数据文件失败!");
        return -1;
    }
    if (!file.HasTrailer()) return -2;

    int32_t result = 0;
    file.ReadLines([&](const char* line, int32_t length) {
        if (parse(line, length) != -100) return true;
        result = -100;
        if (m_Mode == kBuild) log.Write(kLogWarning, kModule, "HKMktdtLoader::operator() : 实时数据文件失效!");
        return false;
    });
    if (m_Mode == kBuild) log.Write(kLogInfo, kModule, "今天交易股票数为 = %d", static_cast<int32_t>(DayCount()));
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
    m_Host.GetMarket().GetInfo(&info);
    const uint32_t today = static_cast<uint32_t>(MDateTime::Current().GetDate());
    const bool stale = !(time > info.time);
    if (date != today) {
        m_Host.Logger().Write(kLogWarning, kModule, "HKMktdtLoader::parse() : 无效的数据文件日期标识[date=%u]!", date);
        *result = -100;
        return;
    }
    if (stale) {
        *result = -100;
        return;
    }
    if (m_Mode == kRefresh) {
        info.time = time;
        m_Host.GetMarket().SetInfo(&info);
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
    ApplyShortName(entry, &m_Host.ShortNames());
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

    const bool build = m_Mode == kBuild;
    const bool nominal = m_Host.Settings().use_nominal_price;
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
                if (m_Host.Level2StartedCount() > 0) {
                    Snapshot current;
                    if (m_Host.Snapshots().GetByCode(&current, snapshot.code)) snapshot = current;
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
                    MLocalSection lock(m_Lock);
                    m_PreviousClose[code] = snapshot.previous_close;
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
            MLocalSection lock(m_Lock);
            KeepDayRecord(code, entry);
        }
        entry.serial = static_cast<uint16_t>(m_Host.Codes().Count());
        entry.category = CategoryOfCode(entry.code);
        entry.reserved1 = entry.reserved2 = 0;
        entry.reserved3 = 0;
        ApplyShortName(entry, &m_Host.ShortNames());
        CleanFullName(entry);
        snapshot.open = snapshot.previous_close;
        m_Host.Codes().PutSerial(&entry);
        m_Host.Snapshots().Append(&snapshot);
        m_Host.Statuses().Append(&status);
    }
    if (complete) {
        snapshot.open = snapshot.previous_close != 0 ? snapshot.previous_close : snapshot.last;
        m_Host.UpdateSnapshot(snapshot);
    }
    return 0;
}

}  // namespace zephyr
