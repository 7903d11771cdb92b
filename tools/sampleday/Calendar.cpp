#include "tools/sampleday/Calendar.h"

#include <set>

#include "tools/sampleday/Day.h"

namespace zephyr::sampleday {

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

// 0 Sunday .. 6 Saturday; 1970-01-01 was a Thursday.
int WeekdayOfDays(int64_t days) { return int(((days % 7) + 11) % 7); }

}  // namespace

uint32_t DateOf(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = int64_t(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return uint32_t((y + (m <= 2)) * 10000 + m * 100 + d);
}

int64_t DaysOf(uint32_t date) { return DaysFromCivil(int(date / 10000), date / 100 % 100, date % 100); }

namespace {

// Lunar new year's day for the years the sample calendar knows; 0 for others.
uint32_t LunarNewYear(int year) {
    static const uint32_t kDays[] = {
        20150219, 20160208, 20170128, 20180216, 20190205, 20200125, 20210212,
        20220201, 20230122, 20240210, 20250129, 20260217, 20270206, 20280126,
        20290213, 20300203, 20310123, 20320211, 20330131, 20340219, 20350208,
    };
    for (uint32_t d : kDays)
        if (int(d / 10000) == year) return d;
    return 0;
}

uint32_t EasterSunday(int y) {
    const int a = y % 19, b = y / 100, c = y % 100, d = b / 4, e = b % 4, f = (b + 8) / 25;
    const int g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30, i = c / 4, k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7, m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31, day = (h + l - 7 * m + 114) % 31 + 1;
    return uint32_t(y * 10000 + month * 100 + day);
}

}  // namespace

std::vector<uint32_t> YearHolidays(int year) {
    std::vector<int64_t> days;
    auto add = [&](uint32_t date) { days.push_back(DaysOf(date)); };
    add(uint32_t(year * 10000 + 101));
    if (uint32_t lny = LunarNewYear(year)) {
        for (int k = 0; k < 3; ++k) days.push_back(DaysOf(lny) + k);
    }
    const int64_t easter = DaysOf(EasterSunday(year));
    days.push_back(easter - 2);  // Good Friday
    days.push_back(easter - 1);
    days.push_back(easter + 1);  // Easter Monday
    add(uint32_t(year * 10000 + (year % 4 <= 1 ? 404 : 405)));
    add(uint32_t(year * 10000 + 501));
    add(uint32_t(year * 10000 + 701));
    add(uint32_t(year * 10000 + 1001));
    add(uint32_t(year * 10000 + 1225));
    add(uint32_t(year * 10000 + 1226));

    std::set<int64_t> taken;
    for (int64_t d : days) {
        if (WeekdayOfDays(d) == 6) continue;  // Saturday: no substitute
        int64_t day = d;
        while (taken.count(day) || WeekdayOfDays(day) == 0 || WeekdayOfDays(day) == 6) ++day;
        taken.insert(day);
    }
    std::vector<uint32_t> out;
    for (int64_t d : taken) {
        const uint32_t date = DateOf(d);
        if (int(date / 10000) == year) out.push_back(date);
    }
    return out;
}

bool ValidDate(uint32_t date) {
    const uint32_t y = date / 10000, m = date / 100 % 100, d = date % 100;
    if (y < 1990 || y > 2099 || m < 1 || m > 12 || d < 1) return false;
    return DateOf(DaysOf(date)) == date;
}

bool ValidTime(uint32_t t) { return t / 10000 < 24 && t / 100 % 100 < 60 && t % 100 < 60; }

int Weekday(uint32_t date) { return WeekdayOfDays(DaysOf(date)); }

}  // namespace zephyr::sampleday
