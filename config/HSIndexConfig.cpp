#include "config/HSIndexConfig.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "config/ConfigUnit.h"
#include "foundation/MFile.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"

namespace zephyr {

namespace {

constexpr const char* kModule = "装入恒生指数配置";
constexpr uint32_t kLineSize = 2048;
constexpr size_t kValueMax = 255;
constexpr uint32_t kGrowth = 100;

enum Column { kCode, kEnglishName, kShortName, kFullName, kIndexType, kFamilyType, kColumns };
const char* const kColumnNames[kColumns] = {"代码", "英文简称", "中文简称",
                                            "中文全称", "指数类型", "族内类型"};

bool IsSeparator(char c) { return c == '=' || c == '>' || c == '[' || c == ']' || c == '\n'; }

// Drops the line end (the file is read as text: CR LF counts as LF).
void CutLineEnd(char* line) {
    size_t length = strlen(line);
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) line[--length] = 0;
}

// Calls field(number, text, length) for each field of the line.
template <typename Field>
void SplitFields(const char* line, bool bracket_advances, Field field) {
    int32_t number = 1;
    const char* start = line;
    for (const char* p = line;; ++p) {
        if (*p == '\0' || IsSeparator(*p)) {
            field(number, start, static_cast<size_t>(p - start));
            if (*p == '\0') break;
            if (*p != '[' || bracket_advances) ++number;
            start = p + 1;
        }
    }
}

// Bounded copy with zero padding and no terminator when the text fills the field.
void CopyField(char* field, size_t size, const std::string& text) {
    memset(field, 0, size);
    memcpy(field, text.data(), text.size() < size ? text.size() : size);
}

}  // namespace

int32_t HSIndexConfig::LoadIndexConfig(const ConfigUnit& config) {
    if (!config.HSIEnable()) return 0;
    return Load(config.IndexConfig());
}

int32_t HSIndexConfig::Load(const MString& path) {
    MFile file;
    if (file.Open(path.GetData(), MFile::kRead | MFile::kShareRead | MFile::kShareWrite) < 0) {
        if (m_Logger != nullptr) {
            m_Logger->Write(kLogWarning, kModule, "恒生指数代码来源文件%s打开失败", path.GetData());
        }
        return -1;
    }
    char line[kLineSize];
    if (file.ReadLine(line, sizeof line) <= 0) {
        if (m_Logger != nullptr) {
            m_Logger->Write(kLogWarning, kModule, "恒生指数代码来源文件%s内容不对", path.GetData());
        }
        return -2;
    }
    CutLineEnd(line);

    MLocalSection lock(m_Lock);
    m_Entries.clear();
    int32_t column_number[kColumns] = {0, 0, 0, 0, 0, 0};
    SplitFields(line, false, [&](int32_t number, const char* text, size_t length) {
        for (int c = 0; c < kColumns; ++c) {
            if (strlen(kColumnNames[c]) == length && strncasecmp(text, kColumnNames[c], length) == 0) {
                column_number[c] = number;
            }
        }
    });
    for (int c = 0; c < kColumns; ++c) {
        if (column_number[c] == 0) {
            if (m_Logger != nullptr) {
                m_Logger->Write(kLogWarning, kModule,
                                "恒生代码来源文件的%s字段没有找到，请检查格式", kColumnNames[c]);
            }
            return -2;
        }
    }

    while (file.ReadLine(line, sizeof line) > 0) {
        CutLineEnd(line);
        std::string values[kColumns];
        int found = 0;
        SplitFields(line, true, [&](int32_t number, const char* text, size_t length) {
            for (int c = 0; c < kColumns; ++c) {
                if (column_number[c] == number) {
                    values[c].assign(text, length < kValueMax ? length : kValueMax);
                    ++found;
                }
            }
        });
        if (found <= 5 || values[kCode].empty() || values[kIndexType].size() < 2 ||
            values[kFamilyType].size() < 2) {
            continue;
        }
        HSIndexEntry entry;
        memset(&entry, 0, sizeof entry);
        CopyField(entry.code, sizeof entry.code, values[kCode]);
        CopyField(entry.index_type, sizeof entry.index_type, values[kIndexType]);
        CopyField(entry.family_type, sizeof entry.family_type, values[kFamilyType]);
        CopyField(entry.english_name, sizeof entry.english_name, values[kEnglishName]);
        CopyField(entry.short_name, sizeof entry.short_name,
                  values[kShortName].empty() ? values[kCode] : values[kShortName]);
        if (values[kFullName].empty()) {
            memcpy(entry.full_name, entry.short_name, sizeof entry.full_name);
        } else {
            CopyField(entry.full_name, sizeof entry.full_name, values[kFullName]);
        }
        if (m_Entries.size() == m_Entries.capacity()) m_Entries.reserve(m_Entries.size() + kGrowth);
        m_Entries.push_back(entry);
    }
    printf("load index from file! no.=%u\n", static_cast<unsigned>(m_Entries.size()));
    return 1;
}

uint32_t HSIndexConfig::GetCount() const {
    MLocalSection lock(m_Lock);
    return static_cast<uint32_t>(m_Entries.size());
}

bool HSIndexConfig::Get(uint32_t index, HSIndexEntry* entry) const {
    MLocalSection lock(m_Lock);
    if (entry == nullptr || index >= m_Entries.size()) return false;
    *entry = m_Entries[index];
    return true;
}

void HSIndexConfig::Clear() {
    MLocalSection lock(m_Lock);
    m_Entries.clear();
}

}  // namespace zephyr
