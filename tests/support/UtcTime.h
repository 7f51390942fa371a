#pragma once
// A moment given as a UTC calendar date and time, to the minute.
#include <ctime>

namespace arkvale::test {

inline std::time_t UtcTime(int year, int month, int day, int hour, int minute) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  return timegm(&t);
}

}  // namespace arkvale::test
