// The driver's settings, read once per start from the ini file beside the library, the holiday
// calendar, and the three schedule questions the threads ask.
//
// The ini file is the library's file name with its ".so" replaced by ".ini". A library name
// without that suffix is refused (defaults apply, a warning says why, nothing is written).
// When the file does not exist at Start, Stop writes it with the settings in use and a comment
// beside each of the eleven documented keys; a file that exists is never rewritten. The keys
// it leaves out keep their defaults, which are the values that run used. A value the driver
// cannot use is replaced, with a warning (config/SettingChecks.h).
//
// Every read and write of the settings takes the unit's lock.
#pragma once
#include <cstdint>

#include "config/HSIndexConfig.h"
#include "config/HolidayCalendar.h"
#include "foundation/MCriticalSection.h"
#include "foundation/MString.h"

namespace zephyr {

class MLogger;

class ConfigUnit {
public:
    // module_address: any address inside the library whose ini file is wanted (the driver
    // passes one of its own functions). Reads nothing yet.
    ConfigUnit(MLogger* logger, const void* module_address);
    ConfigUnit(const ConfigUnit&) = delete;
    ConfigUnit& operator=(const ConfigUnit&) = delete;

    // Uses this file name instead of asking the loader (tests; "" goes back to the loader).
    void SetLibraryFileName(const MString& file_name);
    // The library's own file name (the one set above, else the loader's answer; "" when unknown).
    MString LibraryFileName() const;

    // Stops first, then reads the ini file and the holiday calendar.
    // 1, or -1 when the library's own file name cannot be obtained.
    // A comment without an owner in the ini file raises MException (the caller reports it).
    int32_t Start();
    // Writes the ini file when it was missing at Start; releases the holiday calendar.
    void Stop();

    // [DataSource]
    MString TransModule() const;
    MString Reff() const;
    MString Mktdt() const;
    MString PriceTb() const;
    MString Exra() const;
    MString Trdses() const;
    // [Push]
    uint16_t PushBond() const;
    // [Other]
    bool FiltWarrant() const;
    MString Holiday() const;
    bool UseHoliday() const;
    bool UseXml() const;
    // [InitFiles]
    MString HKPriceTablePath() const;
    MString HKHQFilePath() const;
    MString HKShorNameFilePath() const;
    // [Time]
    int32_t KPTime() const;
    int32_t SPTime() const;
    // [HSI]
    bool HSIEnable() const;
    MString IndexConfig() const;
    // [timestep]
    int32_t Time1() const;
    int32_t Time2() const;
    // [NowPrice]
    bool UseNominalPrice() const;
    // Parameter of the push strategy, always 0.
    uint16_t PushStrategyParam() const { return 0; }

    // Local time of day HHMMSS within [KPTime x 100, SPTime x 100].
    bool InWorkTime() const;
    // Local time of day HHMMSS above KPTime x 100.
    bool AfterOpen() const;
    // False whenever "useholiday" is set; otherwise the calendar's answer for today.
    bool IsHolidayToday();

    HolidayCalendar& GetHolidayCalendar() { return m_HolidayCalendar; }
    // The Hang Seng index list (loaded by the start-up sequence after Start).
    HSIndexConfig& GetIndexConfig() { return m_IndexList; }
    const HSIndexConfig& GetIndexConfig() const { return m_IndexList; }
    // Whether Stop will write the ini file.
    bool IsIniMissing() const;

private:
    // The ini path, or "" (with the reason logged when warn is set) when there is none to use.
    // Returns false when the library's own file name is empty.
    bool BuildIniPath(MString* path, bool warn) const;
    void SetDefaults();

    MLogger* m_Logger;
    const void* m_ModuleAddress;
    MString m_LibraryFileName;
    mutable MCriticalSection m_Lock;

    MString m_TransModule;
    MString m_Reff;
    MString m_Mktdt;
    MString m_PriceTb;
    MString m_Exra;
    MString m_Trdses;
    uint16_t m_PushBond;
    bool m_FiltWarrant;
    MString m_Holiday;
    bool m_UseHoliday;
    bool m_UseXml;
    MString m_HKPriceTablePath;
    MString m_HKHQFilePath;
    MString m_HKShorNameFilePath;
    int32_t m_KPTime;
    int32_t m_SPTime;
    bool m_HSIEnable;
    MString m_IndexConfig;
    int32_t m_Time1;
    int32_t m_Time2;
    bool m_UseNominalPrice;

    bool m_IniMissing;
    HolidayCalendar m_HolidayCalendar;
    HSIndexConfig m_IndexList;
};

}  // namespace zephyr
