#include "loaders/HKRefDbf.h"

#include <algorithm>
#include <cstring>

#include "foundation/MDateTime.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"
#include "foundation/MText.h"
#include "loaders/HKMktdtLoader.h"
#include "loaders/LineFile.h"
#include "loaders/LoaderHost.h"
#include "loaders/LoaderSettings.h"
#include "loaders/TextFields.h"
#include "market/CodeRules.h"
#include "market/CodeTable.h"
#include "market/ProductStatusTable.h"
#include "market/ShortNameTable.h"
#include "market/SnapshotTable.h"

namespace zephyr {

namespace {

constexpr char kModule[] = "加载基础数据文件";
constexpr char kDebugModule[] = "调试专用";
constexpr uint16_t kAbsent = 0xFFFF;

}  // namespace

HKRefDbf::HKRefDbf(LoaderHost& host, HKMktdtLoader& market_data) : m_Host(host), m_MarketData(market_data) {
    m_Line[0] = 0;
}

int32_t HKRefDbf::Instance() {
    MLocalSection run(m_RunLock);
    MLogger& log = m_Host.Logger();
    log.Write(kLogInfo, kModule, "HKRefDbf::Instance() : 准备构建码表!");
    if (m_MarketData(HKMktdtLoader::kBuild) < 0) {
        log.Write(kLogError, kModule, "HKRefDbf::Instance() : 构建码表失败!");
        return -200;
    }
    m_Shares.clear();
    // Only shares the market data file listed are kept: room for all of them at once.
    m_Shares.reserve(m_MarketData.DayCount());

    char path[1024];
    MText::Format(path, sizeof path, "%s/reff04%04d.txt", m_Host.Settings().reff.GetData(),
                  MDateTime::Current().GetDate() % 10000);
    LineFile file(log, kModule, "HKRefDbf::Instance()", m_Line, sizeof m_Line);
    if (file.Open(path, true)) {
        file.ReadLines([this](const char* line, int32_t length) {
            parse(line, length);
            return true;
        });
    } else {
        log.Write(kLogWarning, kModule, "HKRefDbf::Instance() : 加载基础数据文件失败，转从实时文件构建码表!");
        FillFromMarketData();
    }
    Merge();
    // A full market's shares take megabytes; they are not needed until the next run.
    std::vector<Share>().swap(m_Shares);
    std::vector<uint32_t>().swap(m_MergeOrder);

    const uint32_t code_count = m_Host.Codes().Count();
    log.Write(kLogInfo, kModule, "HKRefDbf::Instance() : 构建码表成功! 码表数=%u, 快照数量=%u, 状态数量=%u ...",
              code_count, m_Host.Snapshots().Count(), m_Host.Statuses().Count());
    if (code_count == 0) {
        log.Write(kLogWarning, kModule, "HKRefDbf::Instance() : 码表为空!");
        return -201;
    }
    m_Host.SignalReferenceLoaded();
    return 0;
}

void HKRefDbf::FillFromMarketData() {
    m_MarketData.ForEachDayRecord([this](uint32_t code, const CodeEntry& day_entry) {
        CodeEntry entry = day_entry;
        entry.category = CategoryOfCode(entry.code);
        entry.reserved1 = entry.reserved2 = 0;
        entry.reserved3 = 0;
        ApplyShortName(entry, &m_Host.ShortNames());
        TrimFullName(entry);

        Snapshot snapshot;
        memset(&snapshot, 0, sizeof snapshot);
        memcpy(snapshot.code, entry.code, sizeof snapshot.code);
        snapshot.open = snapshot.previous_close = m_MarketData.PreviousClose(code);

        ProductStatus status;
        memset(&status, 0, sizeof status);
        memcpy(status.code, entry.code, sizeof status.code);

        m_Shares.push_back(Share{static_cast<int32_t>(code), entry, snapshot, status});
    });
}

void HKRefDbf::Merge() {
    CodeTable& codes = m_Host.Codes();
    SnapshotTable& snapshots = m_Host.Snapshots();
    ProductStatusTable& statuses = m_Host.Statuses();
    m_MergeOrder.resize(m_Shares.size());
    for (uint32_t i = 0; i < m_MergeOrder.size(); ++i) m_MergeOrder[i] = i;
    std::stable_sort(m_MergeOrder.begin(), m_MergeOrder.end(),
                     [this](uint32_t a, uint32_t b) { return m_Shares[a].code < m_Shares[b].code; });
    for (size_t i = 0; i < m_MergeOrder.size(); ++i) {
        Share& share = m_Shares[m_MergeOrder[i]];
        if (i + 1 < m_MergeOrder.size() && m_Shares[m_MergeOrder[i + 1]].code == share.code) continue;
        CodeEntry& entry = share.entry;
        const Snapshot& snapshot = share.snapshot;
        const ProductStatus& status = share.status;

        const uint16_t code_at = codes.FindCode(entry.code);
        if (code_at != kAbsent) {
            codes.UpdateAt(&entry, code_at);
        } else {
            entry.serial = static_cast<uint16_t>(codes.Count());
            codes.PutSerial(&entry);
        }
        const uint16_t snapshot_at = snapshots.FindCode(snapshot.code);
        if (snapshot_at != kAbsent) {
            snapshots.UpdateAt(&snapshot, snapshot_at);
        } else {
            snapshots.Append(&snapshot);
        }
        const uint16_t status_at = statuses.FindCode(status.code);
        if (status_at != kAbsent) {
            statuses.UpdateAt(&status, status_at);
        } else {
            statuses.Append(&status);
        }
    }
}

int32_t HKRefDbf::parse(const char* line, int32_t length) {
    if (line == nullptr) return -1;
    if (length < 5) return -2;
    FieldCursor cursor(line, static_cast<uint32_t>(length));
    TextField field;
    cursor.Next(&field);
    const bool share = KindIs(field, "0401");
    if (!share && !KindIs(field, "0402")) {
        m_Host.Logger().Write(kLogInfo, kDebugModule, "case1:%s", line);
        return -3;
    }
    if (!share) {
        if (cursor.Next(&field)) {
            const uint32_t middle = RateHundredThousandths(field);
            m_Host.Rates().Modify([middle](ExchangeRate& rates) {
                rates.middle = middle;
                if (rates.buying == 0) rates.buying = middle;
                if (rates.selling == 0) rates.selling = middle;
            });
            m_Host.Logger().Write(kLogInfo, kDebugModule, "case2:%s", line);
        }
        return 0;
    }

    CodeEntry entry;
    Snapshot snapshot;
    ProductStatus status;
    memset(&entry, 0, sizeof entry);
    memset(&snapshot, 0, sizeof snapshot);
    memset(&status, 0, sizeof status);
    int32_t code = 0;
    bool complete = false;
    for (int index = 1; !complete && cursor.Next(&field); ++index) {
        switch (index) {
            case 1:
                code = CodeValue(field);
                if (code < 1 || !m_MarketData.HasCode(static_cast<uint32_t>(code))) return 0;
                CopyCode(entry.code, field);
                CopyCode(snapshot.code, field);
                CopyCode(status.code, field);
                break;
            case 3: CopyField(entry.full_name, sizeof entry.full_name, field); break;
            case 4: CopyField(entry.second_name, sizeof entry.second_name, field); break;
            case 9: entry.currency = CurrencyNumber(field.text, field.length); break;
            case 14: entry.reference1 = FieldInteger(field); break;
            case 15: entry.reference2 = FieldInteger(field); break;
            case 16: snapshot.previous_close = snapshot.open = PriceThousandths(field); break;
            case 18:
                CopyField(entry.reference_text, sizeof entry.reference_text, field);
                complete = true;
                break;
            default: break;
        }
    }
    if (!complete) return 0;
    entry.serial = static_cast<uint16_t>(m_Host.Codes().Count());
    entry.category = CategoryOfCode(entry.code);
    ApplyShortName(entry, &m_Host.ShortNames());
    CleanFullName(entry);
    m_Shares.push_back(Share{code, entry, snapshot, status});
    return 0;
}

}  // namespace zephyr
