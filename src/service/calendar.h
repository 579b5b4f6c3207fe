#pragma once

#include <cstdint>

namespace service {

// Dates of the proleptic Gregorian calendar as days since 1970-01-01, and back.

struct CivilDate {
  int64_t year;
  int64_t month;  // 1 to 12
  int64_t day;    // 1 to 31
};

int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day);
CivilDate CivilFromDays(int64_t days);

}  // namespace service
