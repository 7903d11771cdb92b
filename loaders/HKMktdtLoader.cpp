#include "loaders/HKMktdtLoader.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

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

// What a share line gives, taken field by field. Text fields point into the line.
struct ShareLine {
    // quote_slot: where the quote is built (a refresh builds it straight into its run), or null for
    // the line's own.
    ShareLine(LoaderHost& line_host, bool build_mode, Snapshot* quote_slot)
        : host(line_host),
          build(build_mode),
          nominal(line_host.Settings().use_nominal_price),
          snapshot(quote_slot != nullptr ? *quote_slot : own_snapshot) {
        memset(&snapshot, 0, sizeof snapshot);
        if (!build) return;  // a refresh takes only the quote
        memset(&entry, 0, sizeof entry);
        memset(&status, 0, sizeof status);
    }

    LoaderHost& host;
    const bool build;
    const bool nominal;  // the last price is the nominal price (field 7), not field 10
    uint32_t code = 0;
    TextField name;         // UTF-16LE bytes
    TextField second_name;
    CodeEntry entry;
    Snapshot own_snapshot;
    Snapshot& snapshot;
    ProductStatus status;
};

// Takes one field into the share; false rejects the line.
using TakeField = bool (*)(ShareLine& share, const TextField& field);

bool TakeCode(ShareLine& share, const TextField& field) {
    CopyCode(share.snapshot.code, field);
    const int32_t value = CodeValue(field);
    if (value < 1) return false;
    share.code = static_cast<uint32_t>(value);
    if (share.build) {
        CopyCode(share.entry.code, field);
        CopyCode(share.status.code, field);
    }
    // The level-2 feed carries what the file does not: start from its snapshot.
    if (share.host.Level2StartedCount() > 0) {
        Snapshot current;
        if (share.host.Snapshots().GetByCode(&current, share.snapshot.code)) share.snapshot = current;
    }
    return true;
}

bool TakeName(ShareLine& share, const TextField& field) {
    share.name = field;
    return true;
}

bool TakeSecondName(ShareLine& share, const TextField& field) {
    share.second_name = field;
    return true;
}

bool TakeAmount(ShareLine& share, const TextField& field) {
    share.snapshot.amount = FieldDouble(field);
    return true;
}

// The snapshot is packed: a member pointer would lose that, so its fields are written at their
// offsets, byte-wise.
template <class Value>
void StoreAt(Snapshot& snapshot, size_t offset, Value value) {
    memcpy(reinterpret_cast<char*>(&snapshot) + offset, &value, sizeof value);
}

template <size_t kOffset>
bool TakePrice(ShareLine& share, const TextField& field) {
    StoreAt<uint32_t>(share.snapshot, kOffset, PriceThousandths(field));
    return true;
}

template <size_t kOffset>
bool TakeVolume(ShareLine& share, const TextField& field) {
    StoreAt<uint64_t>(share.snapshot, kOffset, static_cast<uint64_t>(FieldInt64(field)));
    return true;
}

static_assert(sizeof(Snapshot::previous_close) == 4 && sizeof(Snapshot::high) == 4 && sizeof(Snapshot::low) == 4 &&
                  sizeof(Snapshot::bid_price) == 4 && sizeof(Snapshot::ask_price) == 4,
              "prices are u32");
static_assert(sizeof(Snapshot::volume) == 8 && sizeof(Snapshot::bid_volume) == 8 && sizeof(Snapshot::ask_volume) == 8,
              "volumes are u64");

// The nominal price (field 7) or the last traded price (field 10), as the settings choose.
template <bool kNominal>
bool TakeLast(ShareLine& share, const TextField& field) {
    if (share.nominal == kNominal) share.snapshot.last = PriceThousandths(field);
    return true;
}

struct ShareField {
    uint32_t number;  // position after the record kind
    uint32_t width;   // 0: up to the next '|'; else exactly this many bytes, whatever they hold
    TakeField take;
};

// The share line's fields in the order they stand; a line may end after any of them.
constexpr ShareField kShareFields[] = {
    {1, 0, TakeCode},
    {2, HKMktdtLoader::kNameBytes, TakeName},  // UTF-16LE: its bytes may hold '|'
    {3, 0, TakeSecondName},
    {4, 0, TakeVolume<offsetof(Snapshot, volume)>},
    {5, 0, TakeAmount},
    {6, 0, TakePrice<offsetof(Snapshot, previous_close)>},
    {7, 0, TakeLast<true>},
    {8, 0, TakePrice<offsetof(Snapshot, high)>},
    {9, 0, TakePrice<offsetof(Snapshot, low)>},
    {10, 0, TakeLast<false>},
    {11, 0, TakePrice<offsetof(Snapshot, bid_price)>},
    {12, 0, TakeVolume<offsetof(Snapshot, bid_volume)>},
    {13, 0, TakePrice<offsetof(Snapshot, ask_price)>},
    {14, 0, TakeVolume<offsetof(Snapshot, ask_volume)>},
};
constexpr uint32_t kShareFieldCount = sizeof kShareFields / sizeof kShareFields[0];
constexpr uint32_t kNameField = 2;
constexpr uint32_t kSecondNameField = 3;
constexpr uint32_t kPreviousCloseField = 6;

constexpr bool NumberedInOrder() {
    for (uint32_t i = 0; i < kShareFieldCount; ++i) {
        if (kShareFields[i].number != i + 1) return false;
    }
    return true;
}
static_assert(NumberedInOrder(), "the fields are read in the order they stand");

// Takes the next field of the line by row kRow of the table; false when the line ended before
// it or the row rejected it (then read becomes -1). The row is a constant here, so the compiler
// calls its rule directly and inlines it: a refresh reads every line of the file every second.
template <size_t kRow>
bool TakeRow(FieldCursor& cursor, ShareLine& share, int32_t* read) {
    constexpr ShareField kField = kShareFields[kRow];
    TextField field;
    const bool present = kField.width != 0 ? cursor.NextFixed(kField.width, &field) : cursor.Next(&field);
    if (!present) return false;
    if (!kField.take(share, field)) {
        *read = -1;
        return false;
    }
    ++*read;
    return true;
}

// The fields read, in table order, or -1 when a field rejected the line.
template <size_t... kRow>
int32_t TakeShareFields(FieldCursor& cursor, ShareLine& share, std::index_sequence<kRow...>) {
    int32_t read = 0;
    bool more = true;
    ((more = more && TakeRow<kRow>(cursor, share, &read)), ...);
    return read;
}

// The full name from the name field: UTF-16LE up to the first 0x0000, 0x3020 or 0x2030, at most
// 16 characters, in GBK.
void ConvertName(const TextField& field, CodeEntry& entry) {
    uint32_t characters = 0;
    while (characters < 16 && characters * 2 + 1 < field.length) {
        const uint16_t unit = static_cast<uint16_t>(static_cast<uint8_t>(field.text[characters * 2]) |
                                                    static_cast<uint8_t>(field.text[characters * 2 + 1]) << 8);
        if (unit == 0x0000 || unit == 0x3020 || unit == 0x2030) break;
        ++characters;
    }
    char gbk[65];
    const int32_t converted = MGbk::FromUtf16Le(field.text, characters * 2, gbk, sizeof gbk);
    TextField name{gbk, converted > 0 ? static_cast<uint32_t>(converted) : 0};
    CopyField(entry.full_name, sizeof entry.full_name, name);
}

}  // namespace

HKMktdtLoader::HKMktdtLoader(LoaderHost& host)
    : m_Host(host), m_DayRowOfCode(kCodeSpace, kNoRecord), m_PreviousClose(kCodeSpace, 0), m_Block(kReadBlock) {
    m_Line[0] = 0;
}

bool HKMktdtLoader::HasCode(uint32_t code) const {
    MLocalSection lock(m_Lock);
    return code < kCodeSpace && m_DayRowOfCode[code] != kNoRecord;
}

bool HKMktdtLoader::DayRecordAt(int32_t row, CodeEntry* out) const {
    if (row < 0 || !m_Host.Codes().Get(out, static_cast<uint32_t>(row))) return false;
    // The build set both when it stored the entry; the line gave neither.
    out->serial = 0;
    out->category = 0;
    return true;
}

std::map<uint32_t, CodeEntry> HKMktdtLoader::DayRecords() const {
    std::map<uint32_t, CodeEntry> records;
    ForEachDayRecord([&records](uint32_t code, const CodeEntry& entry) { records.emplace_hint(records.end(), code, entry); });
    return records;
}

uint32_t HKMktdtLoader::DayCount() const {
    MLocalSection lock(m_Lock);
    return m_DayCount;
}

uint32_t HKMktdtLoader::PreviousClose(uint32_t code) const {
    MLocalSection lock(m_Lock);
    return code < kCodeSpace ? m_PreviousClose[code] : 0;
}

void HKMktdtLoader::KeepDayRecord(uint32_t code, int32_t row) {
    if (code >= kCodeSpace) return;
    int32_t& at = m_DayRowOfCode[code];
    if (at == kNoRecord) ++m_DayCount;
    at = row >= 0 ? row : kNoRow;
}

int32_t HKMktdtLoader::operator()(uint8_t mode) {
    MLocalSection run(m_RunLock);
    m_Mode = mode;
    if (m_Mode == kRefresh && !m_Host.IsDriverWorking()) return 0;
    if (m_Mode == kBuild) {
        MLocalSection lock(m_Lock);
        std::fill(m_DayRowOfCode.begin(), m_DayRowOfCode.end(), kNoRecord);
        m_DayCount = 0;
    }
    MLogger& log = m_Host.Logger();
    const char* path = m_Host.Settings().mktdt.GetData();
    LineFile file(log, kModule, "HKMktdtLoader::operator()", m_Line, sizeof m_Line, m_Block.data(), kReadBlock);
    if (!file.Open(path, m_Host.MarketDataPathFlag().exchange(0) != 0)) {
        log.Write(kLogWarning, kModule, "HKMktdtLoader::operator() : 打开实时数据文件失败!");
        return -1;
    }
    if (!file.HasTrailer()) return -2;

    int32_t result = 0;
    m_Gathering = m_Mode == kRefresh;
    m_GatheredCount = 0;
    file.ReadLinesInPlace([&](const char* line, int32_t length) {
        if (parse(line, length) != -100) return true;
        result = -100;
        if (m_Mode == kBuild) log.Write(kLogWarning, kModule, "HKMktdtLoader::operator() : 实时数据文件失效!");
        return false;
    });
    StoreGatheredQuotes();
    m_Gathering = false;
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

int32_t HKMktdtLoader::parse(const char* line, int32_t length) {
    if (line == nullptr) return -1;
    if (length < 5) return -2;
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

    // A refresh builds the quote in the next place of its run; a line that gives no quote leaves
    // that place to the next line.
    Snapshot* const slot = m_Gathering ? &m_Gathered[m_GatheredCount] : nullptr;
    ShareLine share(m_Host, m_Mode == kBuild, slot);
    const int32_t taken = TakeShareFields(cursor, share, std::make_index_sequence<kShareFieldCount>());
    if (taken < 1) return -3;  // a rejected field, or no code field at all
    const uint32_t read = static_cast<uint32_t>(taken);
    const uint32_t code = share.code;
    CodeEntry& entry = share.entry;
    Snapshot& snapshot = share.snapshot;

    if (share.build) {
        // The names are settled once the whole line is read. A blank name gives way to the code,
        // not to the second name, as the tables this loader builds have always had it: the second
        // name comes in after the clean-up.
        if (read >= kNameField) ConvertName(share.name, entry);
        CleanFullName(entry);
        ApplyShortName(entry, &m_Host.ShortNames());
        if (read >= kSecondNameField) CopyField(entry.second_name, sizeof entry.second_name, share.second_name);
        entry.serial = static_cast<uint16_t>(m_Host.Codes().Count());
        entry.category = CategoryOfCode(entry.code);
        entry.reserved1 = entry.reserved2 = 0;
        entry.reserved3 = 0;
        snapshot.open = snapshot.previous_close;
        const int32_t row = m_Host.Codes().PutSerialAt(&entry);
        {
            MLocalSection lock(m_Lock);
            if (read >= kPreviousCloseField && code < kCodeSpace) m_PreviousClose[code] = snapshot.previous_close;
            KeepDayRecord(code, row);
        }
        m_Host.Snapshots().Append(&snapshot);
        m_Host.Statuses().Append(&share.status);
    }
    if (read == kShareFieldCount) {
        snapshot.open = snapshot.previous_close != 0 ? snapshot.previous_close : snapshot.last;
        if (slot == nullptr) {
            m_Host.UpdateSnapshot(snapshot);
        } else if (++m_GatheredCount == kQuoteRun) {
            StoreGatheredQuotes();
        }
    }
    return 0;
}

void HKMktdtLoader::StoreGatheredQuotes() {
    if (m_GatheredCount > 0) m_Host.UpdateSnapshots(m_Gathered, m_GatheredCount);
    m_GatheredCount = 0;
}

}  // namespace zephyr
