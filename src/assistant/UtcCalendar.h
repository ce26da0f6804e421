// Gregorian calendar arithmetic in UTC, for timestamps and day folders.
#pragma once

#include <cstdint>

namespace pellamor {

struct CivilDate {
    int year;
    int month;
    int day;
};

// Days from 1970-01-01 to the given date, proleptic Gregorian.
std::int64_t daysFromCivil(CivilDate date);
CivilDate civilFromDays(std::int64_t days);

} // namespace pellamor
