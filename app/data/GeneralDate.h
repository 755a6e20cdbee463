#pragma once

#include "link/Clock.h"

#include <string>

namespace quelby {

// A date and time in the general date format: "1/5/2026 8:03:09 AM"; midnight gives the date
// alone ("1/5/2026"). Never fails.
std::string GeneralDateText(const LocalDateTime& when);

} // namespace quelby
