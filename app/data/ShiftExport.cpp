#include "app/data/ShiftExport.h"

#include "link/FilePaths.h"
#include "app/data/PrintedNumber.h"

namespace quelby {
namespace {

constexpr const char* kTotalsLegend =
    "(Good Can, Total Blow-off, Misloads, Manual Blow-offs, QC Blow-offs, Restart Blow-off)";

void addValues(std::vector<std::string>& lines, const MachineData& data, int first, int last) {
    for (int index = first; index <= last; ++index)
        lines.push_back(PrintedNumber(PointValue(data, index)));
}

} // namespace

std::vector<std::string> ShiftExportLines(const MachineData& data,
                                          const ShiftExportHeading& heading) {
    std::vector<std::string> lines;
    lines.reserve(kShiftExportLineCount);
    lines.push_back(heading.fileTitle.empty() ? "untitled" : heading.fileTitle);
    lines.push_back("Date: " + heading.uploadDate);
    lines.push_back(" ");
    lines.push_back("Current Shift Data:");
    lines.push_back(kTotalsLegend);
    addValues(lines, data, 25, 30);
    lines.push_back(" ");
    lines.push_back("Current Shift Trips per Spindle:");
    addValues(lines, data, 31, 54);
    lines.push_back(" ");
    lines.push_back("Last Shift Data:");
    lines.push_back(kTotalsLegend);
    addValues(lines, data, 55, 60);
    lines.push_back(" ");
    lines.push_back("Last Shift Trips per Spindle");
    addValues(lines, data, 61, 84);
    return lines;
}

std::string ShiftExportText(const MachineData& data, const ShiftExportHeading& heading) {
    std::string text;
    for (const auto& line : ShiftExportLines(data, heading))
        text += line + "\r\n";
    return text;
}

std::optional<MessageRequest> ExportShiftData(const std::filesystem::path& file,
                                              const MachineData& data,
                                              const ShiftExportHeading& heading) {
    std::error_code error;
    if (WriteFileAtomically(file, ShiftExportText(data, heading), error)) return std::nullopt;
    return ShiftExportFailed(file, error);
}

MessageRequest ShiftExportFailed(const std::filesystem::path& file, const std::error_code& error) {
    return {"Export Shift Data",
            {"The shift data could not be exported to:", file.string(), error.message() + ".", "",
             "Nothing was exported; a file of that name from before is unchanged."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

} // namespace quelby
