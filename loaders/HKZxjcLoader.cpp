#include "loaders/HKZxjcLoader.h"

#include "foundation/MDateTime.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"
#include "foundation/MText.h"
#include "loaders/LineFile.h"
#include "loaders/LoaderHost.h"
#include "loaders/LoaderSettings.h"
#include "loaders/TextFields.h"
#include "market/Records.h"

namespace zephyr {

namespace {

constexpr char kModule[] = "加载差价数据文件";

uint16_t Spread(const TextField& field) {
    const int32_t value = SignedThousandths(field);
    return static_cast<uint16_t>(value < 0 ? 0 : (value > 0xFFFF ? 0xFFFF : value));
}

}  // namespace

HKZxjcLoader::HKZxjcLoader(LoaderHost& host) : m_Host(host) { m_Line[0] = 0; }

int32_t HKZxjcLoader::Instance(PriceTable& table) {
    MLocalSection run(m_RunLock);
    MLogger& log = m_Host.Logger();
    char path[1024];
    MText::Format(path, sizeof path, "%s/zxjc%04d.txt", m_Host.Settings().price_tb.GetData(),
                  MDateTime::Current().GetDate() % 10000);
    LineFile file(log, kModule, "HKZxjcLoader::Instance()", m_Line, sizeof m_Line);
    if (!file.Open(path, m_Host.PriceSpreadPathFlag().exchange(0) != 0)) {
        log.Write(kLogWarning, kModule, "HKZxjcLoader::Instance() : 加载基础数据文件失败");
        return -1;
    }
    int32_t result = 0;
    file.ReadLines([&](const char* line, int32_t length) {
        result = parse(line, length, table);
        return result == 0;
    });
    return result;
}

int32_t HKZxjcLoader::parse(const char* line, int32_t length, PriceTable& table) {
    if (line == nullptr || length <= 9) return 0;
    FieldCursor cursor(line, static_cast<uint32_t>(length));
    TextField field;
    cursor.Next(&field);
    if (!KindAt(field, 1, "0403") && !KindAt(field, 2, "0403")) return -3;
    PriceSection* section = nullptr;
    for (int number = 2; cursor.Next(&field); ++number) {
        if (number == 2) {
            if (field.length < 2 || field.text[1] < '1' || field.text[1] > '3') return 0;
            section = &table.sections[field.text[1] - '1'];
            section->price_code[0] = field.text[0];
            section->price_code[1] = field.text[1];
            m_Host.MarkPriceTableDirty();
        } else if (number == 3) {
            section->lowest_limit = SignedThousandths(field);
        } else if (number == 6) {
            section->level_count = static_cast<uint16_t>(FieldInteger(field));
        } else if (number >= 7) {
            const uint32_t k = static_cast<uint32_t>(number - 7);
            if (k / 3 >= kPriceLevels) break;
            PriceLevel& level = section->levels[k / 3];
            if (k % 3 == 0) {
                level.lower_bound = SignedThousandths(field);
            } else if (k % 3 == 1) {
                level.spread = Spread(field);
            }
        }
    }
    return 0;
}

}  // namespace zephyr
