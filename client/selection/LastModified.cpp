#include "client/selection/LastModified.h"

#include <cstdio>

namespace arkvale {

std::string FormatLastModified(std::time_t when) {
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) return {};
  int hour = local.tm_hour % 12;
  if (hour == 0) hour = 12;
  char text[64];
  std::snprintf(text, sizeof text, "%d/%.2d/%.2d (%d:%.2d%c)", local.tm_mon + 1, local.tm_mday,
                local.tm_year % 100, hour, local.tm_min, local.tm_hour < 12 ? 'a' : 'p');
  return text;
}

}  // namespace arkvale
