#include "checkwindow/DateStamp.h"

#include <cstdio>

#include "platform/services.h"
#include "requirements/modRegistry.h"

namespace date_stamp {

std::string Format(const platform::Date& date, const std::string& separator) {
  char month[8], day[8], year[8];
  std::snprintf(month, sizeof month, "%02d", date.month % 100);
  std::snprintf(day, sizeof day, "%02d", date.day % 100);
  std::snprintf(year, sizeof year, "%04d", date.year % 10000);
  return std::string(month) + separator + day + separator + year;
}

void Write() {
  const auto& os = platform::Os();
  std::string key = "\\Software\\VB and VBA Program Settings\\zantrix\\Settings";
  std::string name = "syscheck";
  modRegistry::SetRegistryValue(platform::kHkeyCurrentUser, key, name,
                                Format(os.clock->Today(), os.clock->DateSeparator()),
                                static_cast<std::int32_t>(platform::kRegSz));
}

}  // namespace date_stamp
