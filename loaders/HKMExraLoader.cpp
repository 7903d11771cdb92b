#include "loaders/HKMExraLoader.h"

#include "foundation/MDateTime.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"
#include "foundation/MText.h"
#include "loaders/LineFile.h"
#include "loaders/LoaderHost.h"
#include "loaders/LoaderSettings.h"
#include "loaders/TextFields.h"

namespace zephyr {

namespace {

constexpr char kModule[] = "加载参考汇率数据文件";

}  // namespace

HKMExraLoader::HKMExraLoader(LoaderHost& host) : m_Host(host) { m_Line[0] = 0; }

int32_t HKMExraLoader::operator()(bool log_path) {
    MLocalSection run(m_RunLock);
    MLogger& log = m_Host.Logger();
    char path[1024];
    MText::Format(path, sizeof path, "%s/exra04%04d.txt", m_Host.Settings().exra.GetData(),
                  MDateTime::Current().GetDate() % 10000);
    LineFile file(log, kModule, "HKMExraLoader::operator()", m_Line, sizeof m_Line);
    if (!file.Open(path, log_path)) {
        log.Write(kLogWarning, kModule, "HKMExraLoader::Instance( \"%s\" ) : 加载参考汇率数据文件失败", path);
        return -1;
    }
    file.ReadLines([this](const char* line, int32_t length) {
        parse(line, length);
        return true;
    });
    return 0;
}

int32_t HKMExraLoader::parse(const char* line, int32_t length) {
    if (line == nullptr) return -1;
    if (length < 5) return -2;
    FieldCursor cursor(line, static_cast<uint32_t>(length));
    TextField field;
    cursor.Next(&field);
    if (!KindIs(field, "0402")) return -3;
    m_Host.Rates().Modify([&](ExchangeRate& rates) {
        for (int number = 2; number <= 4 && cursor.Next(&field); ++number) {
            const uint32_t rate = RateHundredThousandths(field);
            if (number == 2) {
                rates.buying = rate;
            } else if (number == 3) {
                rates.selling = rate;
            } else {
                rates.middle = rate;
                if (rates.buying == 0) rates.buying = rate;
                if (rates.selling == 0) rates.selling = rate;
            }
        }
    });
    return 0;
}

}  // namespace zephyr
