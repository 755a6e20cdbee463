#pragma once

#include <cstdint>
#include <string>

namespace quelby {

// A value as the export file and the report write it: decimal, with a leading blank when it
// is not negative (" 45", " 0", "-5"). Never fails.
std::string PrintedNumber(std::int64_t value);

} // namespace quelby
