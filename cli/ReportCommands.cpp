// export and report: a data set, from a set-up file or the defaults ("-"), as the shift data
// export file and as the printed report in a PDF file.
#include "cli/ArgumentDialogs.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompt.h"
#include "app/data/DataSetFiles.h"
#include "link/FilePaths.h"
#include "report/ReportOutput.h"
#include "app/data/ShiftDataCsv.h"
#include "app/data/ShiftExport.h"
#include "link/SystemClock.h"

#include <QGuiApplication>

#include <memory>
#include <optional>
#include <utility>

namespace quelby::cli {
namespace {

// The data set as the desktop holds it after start-up ("-") or after File Open of a file,
// with its file title, caption and open date.
class CommandDataSet {
public:
    CommandDataSet(CliSession& session, const std::string& file)
        : m_session(session), m_file(file),
          m_prompt(session.err, session.options.retries, session.options.yes),
          m_dialogs(file, false, session.err),
          m_files(m_data, m_prompt, m_dialogs, m_clock,
                  session.options.home.value_or(ProgramFolder())) {}

    // False when the file was not opened; the reason is on standard error.
    bool load() {
        if (m_file == "-") return m_files.New() == FileCommandResult::Done;
        const FileCommandResult opened = m_files.Open();
        if (opened == FileCommandResult::Cancelled)
            m_session.err << "quelby-cli: " << m_file
                          << " was not opened; give --yes to open a file of another version."
                          << std::endl;
        return opened == FileCommandResult::Done;
    }
    const MachineData& current() const { return m_data.CurrentData; }
    const DataSetFiles& files() const { return m_files; }
    SystemClock& clock() { return m_clock; }
    // Shows a failure as the desktop would, on standard error here. Returns the exit status.
    int fail(const MessageRequest& message) {
        m_prompt.ask(message);
        return kExitRefused;
    }

private:
    CliSession& m_session;
    std::string m_file;
    SystemClock m_clock;
    CliPrompt m_prompt;
    ArgumentDialogs m_dialogs;
    DataSet m_data;
    DataSetFiles m_files;
};

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

std::optional<ReportPaper> paperNamed(const std::string& name) {
    if (name == "letter") return ReportPaper::Letter;
    if (name == "a4") return ReportPaper::A4;
    if (name == "legal") return ReportPaper::Legal;
    return std::nullopt;
}

// The report's fonts need a QGuiApplication. The tool has no display, so it makes one on the
// offscreen platform for the command's run, unless one exists already.
std::unique_ptr<QGuiApplication> offscreenApplication() {
    if (QCoreApplication::instance()) return nullptr;
    static int argc = 3;
    static char program[] = "quelby-cli", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {program, option, platform, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// report FILE.sdt OUT.pdf [letter|a4|legal]
int runReport(CliSession& session, const std::vector<std::string>& args) {
    if (args.size() < 2 || args.size() > 3) return kExitUsage;
    const auto paper = args.size() == 3 ? paperNamed(args[2]) : ReportPaper::Letter;
    if (!paper) return kExitUsage;
    CommandDataSet dataSet(session, args[0]);
    if (!dataSet.load()) return kExitRefused;
    const auto application = offscreenApplication();
    if (auto failure = WriteReportPdf(args[1], *paper, dataSet.clock(), dataSet.current(),
                                      dataSet.files().fileNameCaption()))
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
        {"report", "FILE.sdt OUT.pdf [letter|a4|legal]",
         "write the printed report of a set-up file (\"-\" for the defaults) to a PDF file "
         "(default paper: letter)",
         false, runReport},
    };
}

} // namespace quelby::cli
