// export and report: a data set, from a set-up file or the defaults ("-"), as the shift data
// export file and as the printed report in a PDF file.
#include "cli/CliCommands.h"
#include "cli/CommandDataSet.h"
#include "app/data/ShiftDataCsv.h"
#include "app/data/ShiftExport.h"

namespace quelby::cli {
namespace {

// export FILE.sdt OUT.txt
int runExport(CliSession& session, const std::vector<std::string>& args) {
    if (args.size() != 2) return kExitUsage;
    CommandDataSet dataSet(session, args[0]);
    if (!dataSet.load()) return kExitRefused;
    if (session.options.csv) {
        std::error_code error;
        if (!WriteFileAtomically(args[1], ShiftDataCsv(dataSet.current()), error))
            return dataSet.fail(ShiftExportFailed(args[1], error));
        return kExitOk;
    }
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
         "File > Export Shift Data does; with --csv a CSV file instead: a header row "
         "'section,name,spindle,value' and one row per value",
         false, runExport},
        ReportPdfCommand(),
    };
}

} // namespace quelby::cli
