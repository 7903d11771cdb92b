#include "config/ConfigUnit.h"

#include "config/IniReading.h"
#include "config/LibraryPath.h"
#include "config/SettingChecks.h"
#include "foundation/MDateTime.h"
#include "foundation/MIniFile.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"
#include "foundation/MModule.h"

namespace zephyr {

namespace {

constexpr const char* kModule = "Zephyr";

}  // namespace

ConfigUnit::ConfigUnit(MLogger* logger, const void* module_address)
    : m_Logger(logger),
      m_ModuleAddress(module_address),
      m_IniMissing(false),
      m_HolidayCalendar(logger),
      m_IndexList(logger) {
    SetDefaults();
}

void ConfigUnit::SetLibraryFileName(const MString& file_name) {
    MLocalSection lock(m_Lock);
    m_LibraryFileName = file_name;
}

MString ConfigUnit::LibraryFileName() const {
    MLocalSection lock(m_Lock);
    return m_LibraryFileName.IsEmpty() ? MModule::FileOf(m_ModuleAddress) : m_LibraryFileName;
}

void ConfigUnit::SetDefaults() {
    m_TransModule = kDefaultTransModule;
    m_Reff = "./data/";
    m_Mktdt = "./data/";
    m_PriceTb = "./data/";
    m_Exra = "./data/";
    m_Trdses = "./data/";
    m_PushBond = 0;
    m_FiltWarrant = false;
    m_Holiday = "./holiday.ini";
    m_UseHoliday = false;
    m_UseXml = true;
    m_HKPriceTablePath = "./hkpricetb.dat";
    m_HKHQFilePath = "./hkhq.dbf";
    m_HKShorNameFilePath = "./namehk.dbf";
    m_KPTime = 845;
    m_SPTime = 1630;
    m_HSIEnable = false;
    m_IndexConfig = "./hsindexconfig.ini";
    m_Time1 = 20110307;
    m_Time2 = 20120305;
    m_UseNominalPrice = false;
}

bool ConfigUnit::BuildIniPath(MString* path, bool warn) const {
    const MString library = LibraryFileName();
    switch (IniPathForLibrary(library.GetData(), kLibrarySuffix, path, kLibrarySuffixRule)) {
    case IniPathResult::kOk:
        return true;
    case IniPathResult::kEmptyName:
        return false;
    case IniPathResult::kNoSuffix:
        if (warn && m_Logger != nullptr) {
            m_Logger->Write(kLogWarning, kModule,
                            "<ConfigUnit>库文件名%s不以%s结尾，不读写配置文件，使用缺省配置",
                            library.GetData(), kLibrarySuffix);
        }
        return true;
    }
    return true;
}

int32_t ConfigUnit::Start() {
    Stop();
    MLocalSection lock(m_Lock);
    MString path;
    if (!BuildIniPath(&path, true)) return -1;

    MIniFile ini;
    if (!path.IsEmpty()) {
        bool missing = false;
        bool part_read = false;
        const int32_t opened = OpenIniForReading(&ini, path, &missing, &part_read);
        if (missing) {
            m_IniMissing = true;
        } else if (opened < 0 && m_Logger != nullptr) {
            // A file read part-way keeps what was read; only the rest takes its defaults.
            if (part_read) {
                m_Logger->Write(kLogWarning, kModule, "<ConfigUnit>配置文件%s读取中断[Err:%d]，未读部分使用缺省配置",
                                path.GetData(), opened);
            } else {
                m_Logger->Write(kLogWarning, kModule, "<ConfigUnit>配置文件%s无法读取[Err:%d]，使用缺省配置",
                                path.GetData(), opened);
            }
        }
    }

    // Keys the file lacks keep their defaults; unusable values are replaced, with a warning.
    SetDefaults();
    m_TransModule = ini.ReadString("DataSource", "TransModule", m_TransModule);
    m_Reff = ini.ReadString("DataSource", "Reff", m_Reff);
    m_Mktdt = ini.ReadString("DataSource", "Mktdt", m_Mktdt);
    m_PriceTb = ini.ReadString("DataSource", "PriceTb", m_PriceTb);
    m_Exra = ini.ReadString("DataSource", "Exra", m_Exra);
    m_Trdses = ini.ReadString("DataSource", "Trdses", m_Trdses);
    m_PushBond = static_cast<uint16_t>(
        ReadCheckedInteger(ini, "Push", "PushBond", m_PushBond, IntegerForm::kUnsigned16, m_Logger));
    m_FiltWarrant = ReadCheckedBool(ini, "Other", "FiltWarrant", m_FiltWarrant, m_Logger);
    m_Holiday = ini.ReadString("Other", "Holiday", m_Holiday);
    m_UseHoliday = ReadCheckedBool(ini, "Other", "useholiday", m_UseHoliday, m_Logger);
    if (m_UseHoliday && m_Logger != nullptr) {
        m_Logger->Write(kLogWarning, kModule, "短路节假日判断逻辑!");
    }
    m_HKPriceTablePath = ini.ReadString("InitFiles", "HKPriceTablePath", m_HKPriceTablePath);
    m_HKHQFilePath = ini.ReadString("InitFiles", "HKHQFilePath", m_HKHQFilePath);
    m_HKShorNameFilePath = ini.ReadString("InitFiles", "HKShorNameFilePath", m_HKShorNameFilePath);
    m_KPTime = ReadCheckedInteger(ini, "Time", "KPTime", m_KPTime, IntegerForm::kHhmm, m_Logger);
    m_SPTime = ReadCheckedInteger(ini, "Time", "SPTime", m_SPTime, IntegerForm::kHhmm, m_Logger);
    m_HSIEnable = ReadCheckedBool(ini, "HSI", "Enable", m_HSIEnable, m_Logger);
    m_IndexConfig = ini.ReadString("HSI", "IndexConfig", m_IndexConfig);
    m_Time1 = ReadCheckedInteger(ini, "timestep", "Time1", m_Time1, IntegerForm::kCompared, m_Logger);
    m_Time2 = ReadCheckedInteger(ini, "timestep", "Time2", m_Time2, IntegerForm::kCompared, m_Logger);
    m_UseNominalPrice = ReadCheckedBool(ini, "NowPrice", "UseNominalPrice", m_UseNominalPrice, m_Logger);
    m_UseXml = true;
    ini.Clear();

    if (m_Holiday.IsEmpty() || m_HolidayCalendar.Load(m_Holiday) < 0) {
        if (m_Logger != nullptr) {
            m_Logger->Write(kLogWarning, kModule, "加载节假日文件出错，请检查配置和文件是否存在");
        }
    }
    return 1;
}

void ConfigUnit::Stop() {
    MLocalSection lock(m_Lock);
    if (m_IniMissing) {
        m_IniMissing = false;
        MString path;
        // Written only where nothing stands yet: a file that appeared meanwhile is left alone.
        if (BuildIniPath(&path, false) && !path.IsEmpty() && !IniFileStands(path)) {
            MIniFile ini;
            ini.Open(path, MIniFile::kLineMode);
            ini.WriteBool("Other", "FiltWarrant", m_FiltWarrant, "是否过滤权证");
            ini.WriteBool("Other", "UseXml", m_UseXml, "是否使用澜讯提供的Xml文件初始化");
            ini.WriteString("Other", "Holiday", m_Holiday, "节假日文件");
            ini.WriteString("InitFiles", "HKPriceTablePath", m_HKPriceTablePath, "价位表文件路径。");
            ini.WriteString("InitFiles", "HKHQFilePath", m_HKHQFilePath,
                            "香港行情dbf路径，存放最后一笔动态数据。");
            ini.WriteString("InitFiles", "HKShorNameFilePath", m_HKShorNameFilePath,
                            "中文简称文件路径");
            ini.WriteInteger("Time", "KPTime", m_KPTime, "港股开盘时间(源驱动开始工作时间)");
            ini.WriteInteger("Time", "SPTime", m_SPTime, "港股收盘时间(源驱动停止工作时间)");
            ini.WriteBool("HSI", "Enable", m_HSIEnable, "启用恒生指数来源");
            ini.WriteString("HSI", "IndexConfig", m_IndexConfig, "恒生指数配置文件");
            ini.WriteBool("NowPrice", "UseNominalPrice", m_UseNominalPrice,
                          "使用最新价还是按盘价做当前价(默认使用最新价)");
            const int32_t saved = ini.Save();
            if (saved < 0 && m_Logger != nullptr) {
                m_Logger->Write(kLogWarning, kModule, "<ConfigUnit>写配置文件%s出错[Err:%d]",
                                path.GetData(), saved);
            }
        }
    }
    m_HolidayCalendar.Clear();
}

#define ZEPHYR_SETTING(type, name)              \
    type ConfigUnit::name() const {             \
        MLocalSection lock(m_Lock);             \
        return m_##name;                        \
    }
ZEPHYR_SETTING(MString, TransModule)
ZEPHYR_SETTING(MString, Reff)
ZEPHYR_SETTING(MString, Mktdt)
ZEPHYR_SETTING(MString, PriceTb)
ZEPHYR_SETTING(MString, Exra)
ZEPHYR_SETTING(MString, Trdses)
ZEPHYR_SETTING(uint16_t, PushBond)
ZEPHYR_SETTING(bool, FiltWarrant)
ZEPHYR_SETTING(MString, Holiday)
ZEPHYR_SETTING(bool, UseHoliday)
ZEPHYR_SETTING(bool, UseXml)
ZEPHYR_SETTING(MString, HKPriceTablePath)
ZEPHYR_SETTING(MString, HKHQFilePath)
ZEPHYR_SETTING(MString, HKShorNameFilePath)
ZEPHYR_SETTING(int32_t, KPTime)
ZEPHYR_SETTING(int32_t, SPTime)
ZEPHYR_SETTING(bool, HSIEnable)
ZEPHYR_SETTING(MString, IndexConfig)
ZEPHYR_SETTING(int32_t, Time1)
ZEPHYR_SETTING(int32_t, Time2)
ZEPHYR_SETTING(bool, UseNominalPrice)
#undef ZEPHYR_SETTING

bool ConfigUnit::IsIniMissing() const {
    MLocalSection lock(m_Lock);
    return m_IniMissing;
}

bool ConfigUnit::InWorkTime() const {
    const int32_t now = MDateTime::Current().GetTime();
    MLocalSection lock(m_Lock);
    return m_KPTime * 100 <= now && now <= m_SPTime * 100;
}

bool ConfigUnit::AfterOpen() const {
    const int32_t now = MDateTime::Current().GetTime();
    MLocalSection lock(m_Lock);
    return now > m_KPTime * 100;
}

bool ConfigUnit::IsHolidayToday() {
    MLocalSection lock(m_Lock);
    if (m_UseHoliday) return false;
    return m_HolidayCalendar.IsHolidayToday();
}

}  // namespace zephyr
