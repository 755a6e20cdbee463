#pragma once

#include "link/Clock.h"
#include "app/data/MachineData.h"
#include "link/UserPrompt.h"

#include <filesystem>
#include <optional>
#include <string>

class QPrinter;

// Where the printed report goes: the system printer, or a PDF file for review and for the
// command-line tool. Both need a QGuiApplication (the offscreen platform will do).
namespace quelby {

enum class ReportPaper { Letter, A4, Legal };

// The paper a report takes when none is named: Letter where the system's locale measures in
// US units, A4 elsewhere. Never fails.
ReportPaper LocalReportPaper();

// Prints the report of `data` on `printer`, which the printer dialog has set up (copies
// included). Returns nothing when the job went to the printer, otherwise the message to show.
std::optional<MessageRequest> PrintReportOnPrinter(QPrinter& printer, Clock& clock,
                                                   const MachineData& data,
                                                   const std::string& caption);

// Writes the report of `data` to a PDF file on `paper` with a quarter inch printable margin
// all round, whole and atomically. Returns nothing on success, otherwise the message to show;
// a file that was there before is then left as it was.
std::optional<MessageRequest> WriteReportPdf(const std::filesystem::path& file, ReportPaper paper,
                                             Clock& clock, const MachineData& data,
                                             const std::string& caption);

// The messages of a report that could not be printed or written. Never fail.
MessageRequest ReportNotPrinted(const std::string& printerName);
MessageRequest ReportFileFailed(const std::filesystem::path& file, const std::string& reason);

} // namespace quelby
