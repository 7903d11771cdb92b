#include "process/DayTables.h"

#include <cstring>
#include <vector>

#include "config/ConfigUnit.h"
#include "config/HSIndexConfig.h"
#include "foundation/MLog.h"

namespace zephyr {

namespace {

constexpr const char* kModule = "Zephyr";

}  // namespace

DayTables::DayTables() { memset(&m_Prices, 0, sizeof m_Prices); }

int32_t DayTables::Allocate(MLogger& log) {
    if (!m_Codes.Allocate(kCodeCapacity)) {
        log.Write(kLogError, kModule, "码表初始化出错。");
        return -2;
    }
    if (!m_ExtCodes.Allocate(kExtCodeCapacity)) {
        log.Write(kLogError, kModule, "扩展码表初始化出错。");
        return -3;
    }
    if (!m_Statuses.Allocate(kStatusCapacity)) {
        log.Write(kLogWarning, kModule, "产品状态表初始化出错。");
        return -30;
    }
    if (!m_Indexes.Allocate(kIndexCapacity)) {
        log.Write(kLogError, kModule, "指数表初始化出错。");
        return -4;
    }
    return 1;
}

void DayTables::Release() {
    m_ShortNames.Close();
    m_Indexes.Release();
    m_ExtCodes.Release();
    m_Codes.Release();
    m_Snapshots.Release();
    m_Statuses.Release();
    m_Market.Release();
    m_NameLookup.Release();
}

void DayTables::StartDay(const ConfigUnit* config, MLogger& log) {
    if (config != nullptr) {
        const MString path = config->HKShorNameFilePath();
        const int32_t loaded = m_ShortNames.LoadAll(path.GetData());
        if (loaded < 0) log.Write(kLogWarning, kModule, "中文简称文件%s装入失败, errcode=%d", path.GetData(), loaded);
    }
    m_Statuses.Clear();
    m_Codes.Clear();
    m_Snapshots.Clear();
    std::vector<IndexDefinition> definitions;
    const bool enabled = config != nullptr && config->HSIEnable();
    if (enabled && m_Codes.Count() == 0) {
        const HSIndexConfig& list = config->GetIndexConfig();
        definitions.resize(list.GetCount());
        for (uint32_t i = 0; i < definitions.size(); ++i) {
            HSIndexEntry entry;
            memset(&definitions[i], 0, sizeof definitions[i]);
            if (!list.Get(i, &entry)) continue;
            memcpy(definitions[i].code, entry.code, sizeof definitions[i].code);
            memcpy(definitions[i].english_short_name, entry.english_name, sizeof entry.english_name);
            memcpy(definitions[i].chinese_short_name, entry.short_name, sizeof entry.short_name);
            memcpy(definitions[i].full_name, entry.full_name, sizeof entry.full_name);
        }
    }
    // Records the index count too (0 when the source is disabled).
    m_Codes.AddIndexEntries(enabled, definitions.data(), definitions.size());
}

void DayTables::RebuildIndexes() {
    m_Indexes.Clear();
    m_Indexes.BuildFromCodes(m_Codes);
}

bool DayTables::HasQuotes() { return m_Codes.Count() > 0 && m_Snapshots.Count() > 0; }

MarketTables DayTables::View(MLogger* logger) {
    return MarketTables{&m_Market, &m_Codes, &m_ExtCodes, &m_Indexes, &m_Snapshots, &m_Statuses, &m_NameLookup, logger};
}

}  // namespace zephyr
