#pragma once

#include <QString>

namespace quelby {

// A whole number with digit grouping in the user's locale ("1,234,567"), no decimals.
QString GroupedWhole(long long value);

} // namespace quelby
