#pragma once

#include "app/data/MachineData.h"

#include <string>
#include <string_view>

// The shift data as CSV for a spreadsheet: a header row "section,name,spindle,value", then one
// row per value: the trips per spindle, the current shift's totals and trips, the last
// shift's totals and trips. Totals leave the spindle empty. Rows end with CR LF.
namespace quelby {

// One CSV field, quoted when it holds a comma, a double quote, CR or LF. Never fails.
std::string CsvField(std::string_view text);

// The file's text. Data points missing from `data` count as 0. Never fails.
std::string ShiftDataCsv(const MachineData& data);

} // namespace quelby
