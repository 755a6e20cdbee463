#pragma once

#include "link/Clock.h"
#include "app/data/MachineData.h"
#include "app/data/ReportSurface.h"

#include <string>

namespace quelby {

// Value columns: item values end here, inches from the printable area's left edge.
inline constexpr double kSetupValueColumn = 5.5;
inline constexpr double kShiftValueColumn = 4.0;

// Set-up field `field` (0..16) named as the report prints it, "Number of Shifts to Varnish
// Unit"; empty for any other number.
std::string SetupParameterName(int field);

// File > Print Report: the set-up document (response times, blow-off parameters, DF1 set-up,
// PLS configuration and channel setpoints) ending with a footer, then the shift data
// document, whose last page has none; then the end of the document. `caption` names the
// data set in every page header ("[unnamed]", "[LINE3.sdt]"); footers take their date from
// `clock`. Data points missing from `data` print as 0. Never fails: a printer that fails
// while printing is the surface's to report.
void PrintReport(ReportSurface& surface, Clock& clock, const MachineData& data,
                 const std::string& caption);

} // namespace quelby
