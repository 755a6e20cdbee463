// upload / download: the File menu's data transfers from the command line, between the board
// and a set-up file.
#include "cli/CliCommands.h"
#include "cli/CliPrompt.h"
#include "app/data/DataSet.h"
#include "app/data/DataSetMessages.h"
#include "app/data/DataTransfer.h"
#include "app/data/SetupFile.h"
#include "app/data/TransferMessages.h"

#include <filesystem>
#include <optional>

namespace quelby::cli {
namespace {

std::optional<TransferData> dataNamed(const std::string& name) {
    if (name == "setup") return TransferData::SetupParameters;
    if (name == "timing") return TransferData::TimingChannels;
    if (name == "shift") return TransferData::ShiftData;
    if (name == "all") return TransferData::All;
    return std::nullopt;
}

// File Open without the dialog: the file fitted to 0..LastDataIndex into `data`. False, with
// the desktop's message, when it cannot be read, or when it was made by another program
// version and the version question was not answered Yes (--yes).
bool openFile(DataSet& data, const std::filesystem::path& file, UserPrompt& prompt) {
    SetupFileRead read = ReadSetupFile(file);
    if (read.outcome != SetupFileRead::Outcome::Read) {
        prompt.ask(DataSetMessages::CannotRead(file.filename().string(), read.outcome, read.error));
        return false;
    }
    if (read.data.Version != ProgramVersion &&
        prompt.ask(DataSetMessages::OtherVersion(read.data.Version)) != MessageAnswer::Yes)
        return false;
    data.FileData = std::move(read.data);
    data.ApplyFileData();
    return true;
}

// File Save to a named file. False, with the desktop's message, when writing failed.
bool saveFile(DataSet& data, const std::filesystem::path& file, UserPrompt& prompt) {
    data.CurrentData.Version = ProgramVersion;
    std::error_code error;
    if (WriteSetupFile(file, data.CurrentData, error)) return true;
    prompt.ask(DataSetMessages::CannotSave(file.filename().string(), error));
    return false;
}

int runTransfer(CliSession& session, const std::vector<std::string>& args,
                TransferDirection direction) {
    const auto what = args.size() == 2 ? dataNamed(args[0]) : std::nullopt;
    if (!what) return kExitUsage;
    const TransferRequest request{direction, *what};
    const std::filesystem::path file = args[1];
    CliPrompt prompt(session.err, session.options.retries, session.options.yes);

    // An upload fills the file when it exists and starts from the defaults otherwise; a
    // download needs the file.
    DataSet data;
    std::error_code ec;
    if ((!request.upload() || std::filesystem::exists(file, ec)) && !openFile(data, file, prompt))
        return kExitRefused;
    if (prompt.ask(TransferMessages::Confirm(request)) != MessageAnswer::Yes) return kExitRefused;

    ProgressLine line(session.err, session.clock, session.progress);
    DataTransfer transfer(session.link, prompt, data.CurrentData, request,
                          TransferProgressHooks(line));
    const TransferOutcome outcome = transfer.Run();
    line.finish();
    // A transfer that stopped early is never saved: the file would mix recalled values with
    // old ones, and the old file would be gone.
    if (outcome.commError) {
        session.err << "quelby-cli: the link failed; " << file.string()
                    << (request.upload() ? " was not changed." : " was not transferred completely.")
                    << std::endl;
        return kExitLinkFailed;
    }
    if (outcome.plsStopped) {
        session.err << "quelby-cli: a PLS command failed; the timing channels were not all "
                       "transferred"
                    << (request.upload() ? ", and " + file.string() + " was not changed." : ".")
                    << std::endl;
        return kExitLinkFailed;
    }
    if (outcome.unconfirmed > 0) {
        session.err << "quelby-cli: the board did not confirm " << outcome.unconfirmed
                    << " data point(s)"
                    << (request.upload() ? "; " + file.string() + " was not changed." : ".")
                    << std::endl;
        return kExitLinkFailed;
    }
    if (request.upload() && !saveFile(data, file, prompt)) return kExitRefused;
    return kExitOk;
}

} // namespace

std::vector<CliCommand> TransferCommands() {
    return {
        {"upload", "setup|timing|shift|all FILE.sdt",
         "read set-up parameters, timing channels, shift data or all of them from the board into "
         "a set-up file (the file's other data is kept; a new file starts from the defaults); "
         "needs --yes (also for a file of another program version); the file is saved only "
         "when everything was read; progress on standard error",
         true,
         [](CliSession& session, const std::vector<std::string>& args) {
             return runTransfer(session, args, TransferDirection::Upload);
         }},
        {"download", "setup|timing|shift|all FILE.sdt",
         "write set-up parameters, timing channels, shift data or all of them from a set-up file "
         "to the board; needs --yes (also for a file of another program version); progress on "
         "standard error",
         true,
         [](CliSession& session, const std::vector<std::string>& args) {
             return runTransfer(session, args, TransferDirection::Download);
         }},
    };
}

} // namespace quelby::cli
