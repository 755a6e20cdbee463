// export and report: a data set, from a set-up file or the defaults ("-"), as the shift data
// export file and as the printed report in a PDF file.
#include "cli/CliCommands.h"
#include "cli/CommandDataSet.h"
#include "app/data/ShiftExport.h"

namespace quelby::cli {
namespace {

// export FILE.sdt OUT.txt
int runExport(CliSession& session, const std::vector<std::string>& args) {
    if (args.size() != 2) return kExitUsage;
    CommandDataSet dataSet(session, args[0]);
    if (!dataSet.load()) return kExitRefused;
    const ShiftExportHeading heading{dataSet.files().fileNameTitle(), dataSet.files().uploadNow()};
    if (auto failure = ExportShiftData(args[1], dataSet.current(), heading))
        return dataSet.fail(*failure);
    return kExitOk;
}

} // namespace

std::vector<CliCommand> ReportCommands() {
    return {
        {"export", "FILE.sdt OUT.txt",
         "write the shift data of a set-up file (\"-\" for the defaults) to a text file, as "
         "File > Export Shift Data does",
         false, runExport},
        ReportPdfCommand(),
    };
}

} // namespace quelby::cli
