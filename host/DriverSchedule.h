// When a driver serves, read by the host from the ini file the driver reads (the library's path
// with its suffix replaced by ".ini"): the working window [Time] KPTime..SPTime (HHMM, defaults
// 845 and 1630), and the holiday test ([Other] Holiday, default "./holiday.ini", short-circuited
// by useholiday = true). Missing keys and values the driver would refuse take the driver's
// defaults. The holiday file's listed dates come from sections "zephyr.YYYY" of the current
// decade, keys "01".."12" holding comma-separated days; Saturdays and Sundays are holidays too.
//
// What the driver does with them: before KPTime it does not serve; from KPTime on it pushes the
// market header once a second and re-reads its status files (and pushes one header more at the
// first second after SPTime); after SPTime it still serves the day's market, but pushes no
// header, while the level-2 feed may still move the market time. On a holiday it never serves.
//
// Plain data, read once; any thread.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zephyr::hostkit {

struct DriverSchedule {
    int32_t kp_time = 845;           // HHMM
    int32_t sp_time = 1630;          // HHMM
    bool use_holiday = false;        // true: no day is a holiday
    std::string holiday_file = "./holiday.ini";
    std::vector<uint32_t> holidays;  // listed dates YYYYMMDD
    bool ini_found = false;
    std::vector<std::string> notes;  // values not taken as written, for the screen

    // The driver's ini for `driver_path`; the holiday file is read relative to the working
    // directory, as the driver reads it. `now` (seconds since 1970) picks the decade.
    static DriverSchedule ForDriver(const std::string& driver_path, int64_t now);
    // The driver's ini: the library's name cut at the suffix, ".ini" in its place; "" when the
    // name holds the suffix not where the rule asks (or is the suffix alone). On Windows the
    // driver cuts at the first ".dll" past the name's first character, elsewhere only at a
    // trailing ".so".
    static std::string IniPathFor(const std::string& driver_path);
    enum class SuffixCut { kTrailing, kFirst };
    // The same for a given suffix and rule, so that either system's names can be checked anywhere.
    static std::string IniPathFor(const std::string& driver_path, const std::string& suffix, SuffixCut cut);

    bool IsHoliday(int64_t seconds) const;
    // KPTime*100 <= HHMMSS <= SPTime*100, local time.
    bool InWindow(int64_t seconds) const;
    // HHMMSS > KPTime*100: from here on a working day is served.
    bool AfterOpen(int64_t seconds) const;
    // "08:45-16:30".
    std::string WindowText() const;
    // Why the driver serves no live market at `seconds`: "" when it does (a working day inside
    // the window), else "holiday (Saturday)", "outside the working window 08:45-16:30", ...
    std::string NotLiveReason(int64_t seconds) const;
};

}  // namespace zephyr::hostkit
