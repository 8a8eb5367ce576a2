#pragma once
// The "syscheck" stamp: the date the checker last let the user go on.
#include <string>

#include "platform/app.h"

namespace date_stamp {

// "mm/dd/yyyy" with the user's date separator in place of "/".
std::string Format(const platform::Date& date, const std::string& separator);

// Today's date, written to HKEY_CURRENT_USER as REG_SZ "syscheck".
void Write();

}  // namespace date_stamp
