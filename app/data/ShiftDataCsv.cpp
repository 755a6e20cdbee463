#include "app/data/ShiftDataCsv.h"

#include <array>

namespace quelby {
namespace {

// The totals of a shift, in data point order (as the shift data export's legend names them).
constexpr std::array<const char*, 6> kTotals{"Good Can",        "Total Blow-off", "Misloads",
                                             "Manual Blow-offs", "QC Blow-offs",   "Restart Blow-off"};
constexpr int kSpindles = 24;

void addRow(std::string& csv, std::string_view section, std::string_view name,
            const std::string& spindle, std::int32_t value) {
    csv += CsvField(section) + ',' + CsvField(name) + ',' + spindle + ',' + std::to_string(value) +
           "\r\n";
}

void addTrips(std::string& csv, const MachineData& data, std::string_view section, int first) {
    for (int spindle = 1; spindle <= kSpindles; ++spindle)
        addRow(csv, section, "Trips", std::to_string(spindle), PointValue(data, first + spindle - 1));
}

void addTotals(std::string& csv, const MachineData& data, std::string_view section, int first) {
    for (std::size_t k = 0; k < kTotals.size(); ++k)
        addRow(csv, section, kTotals[k], "", PointValue(data, first + static_cast<int>(k)));
}

} // namespace

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

std::string ShiftDataCsv(const MachineData& data) {
    std::string csv = "section,name,spindle,value\r\n";
    addTrips(csv, data, "Trips Per Spindle", 1);
    addTotals(csv, data, "Current Shift Data", 25);
    addTrips(csv, data, "Current Shift Trips per Spindle", 31);
    addTotals(csv, data, "Last Shift Data", 55);
    addTrips(csv, data, "Last Shift Trips per Spindle", 61);
    return csv;
}

} // namespace quelby
