// Calendar arithmetic of the sample day and its holidays.
#pragma once
#include <cstdint>
#include <vector>

namespace zephyr::sampleday {

// Days since 1970-01-01 of a date YYYYMMDD, and back.
int64_t DaysOf(uint32_t yyyymmdd);
uint32_t DateOf(int64_t days);

// Weekday public holidays of a year: fixed dates, the lunar new year (for the years the table
// knows), Easter and the spring festival of the dead. A holiday on a Sunday moves to the next
// free weekday; one on a Saturday has no substitute.
std::vector<uint32_t> YearHolidays(int year);

}  // namespace zephyr::sampleday
