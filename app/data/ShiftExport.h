#pragma once

#include "app/data/MachineData.h"
#include "link/UserPrompt.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

// File > Export Shift Data: the current and last shift totals and trips per spindle (data
// points 25..84) as a 72-line text file, one value per line.
namespace quelby {

inline constexpr int kShiftExportLineCount = 72;

// What the export names besides the data: the set-up file's title ("" before any file was
// opened or saved) and the date of the last file open or confirmed upload ("" before either).
struct ShiftExportHeading {
    std::string fileTitle;
    std::string uploadDate;
};

// The 72 lines of the file, without line ends. Data points missing from `data` count as 0.
// Never fails.
std::vector<std::string> ShiftExportLines(const MachineData& data,
                                          const ShiftExportHeading& heading);

// The file's bytes: every line ended by CR LF. Never fails.
std::string ShiftExportText(const MachineData& data, const ShiftExportHeading& heading);

// Writes the export to `file` whole and atomically (an existing file is replaced only once the
// new one is complete). Returns nothing on success, otherwise the message to show; a file
// that was there before is then left as it was.
std::optional<MessageRequest> ExportShiftData(const std::filesystem::path& file,
                                              const MachineData& data,
                                              const ShiftExportHeading& heading);

// The message for an export that could not be written. Never fails.
MessageRequest ShiftExportFailed(const std::filesystem::path& file, const std::error_code& error);

} // namespace quelby
