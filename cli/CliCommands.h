#pragma once

#include "cli/CliOptions.h"
#include "cli/ProgressLine.h"
#include "app/data/DataTransfer.h"
#include "app/data/MachineData.h"
#include "link/Clock.h"
#include "link/RSComm.h"
#include "link/SerialPort.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <ostream>
#include <string>
#include <vector>

namespace quelby::cli {

class CliPrompt;

// What a command works with. `link` is open and online for commands that need the board;
// the others call goOnline once their arguments passed their checks, so nothing is sent for
// a command line that is refused. `prompt`, when given, is the one the link shows its messages
// through.
struct CliSession {
    RSComm& link;
    const CliOptions& options;
    std::ostream& out;
    std::ostream& err;
    Clock& clock;
    // Opens the port and probes the board (once); false when the board cannot be reached.
    std::function<bool()> goOnline;
    const CliPrompt* prompt = nullptr;
    // An unopened port on a device, for commands that try devices of their own (find).
    std::function<std::unique_ptr<SerialPort>(const std::string& device)> portFor;
    // How long commands show their progress.
    ProgressLine::Mode progress = ProgressLine::Mode::Pipe;
};

struct CliCommand {
    const char* name;
    const char* usage; // arguments, as the help shows them
    const char* help;
    bool needsBoard;
    std::function<int(CliSession&, const std::vector<std::string>& args)> run;
};

// The value at a board address as the board confirmed it; an unconfirmed read is tried again
// up to --retries times. nullopt (with a line on standard error) when none was confirmed.
std::optional<std::uint32_t> ConfirmedRead(CliSession& session, std::string_view address);
// The same without the line on standard error.
std::optional<std::uint32_t> TrustedRead(CliSession& session, std::string_view address);

// The All upload into `data` (whose addresses are read). False, with the reason on standard
// error, when the link failed or the board did not confirm every value: `data` is then no
// picture of the board.
bool UploadWholeDataSet(CliSession& session, MachineData& data);

// A data transfer's progress on `line`. Not on a terminal the stage's name and each
// "done/total" step are lines of their own when `pipeLines` (as upload and download have
// always printed them), nothing otherwise.
TransferHooks TransferProgressHooks(ProgressLine& line, bool pipeLines = true);

// The board's program into the hex, rev (and lcf) files beside `hbx`, which must exist and
// gives the board type, with progress on standard error. The exit status.
int UploadBoardProgram(CliSession& session, const std::filesystem::path& hbx);

// The commands of each area; the same name may come in several rows (one per form).
std::vector<CliCommand> LinkCommands();
std::vector<CliCommand> IdentityCommands();
std::vector<CliCommand> PlsCommands();
std::vector<CliCommand> ProgramCommands();
std::vector<CliCommand> ReportCommands();
std::vector<CliCommand> DatasetCommands();
std::vector<CliCommand> TransferCommands();
std::vector<CliCommand> BackupCommands();
std::vector<CliCommand> LogCommands();
std::vector<CliCommand> ServiceCommands();
std::vector<CliCommand> FindCommands();
// The PDF report needs Qt's paged devices; a build without Qt has the row, refusing to run.
CliCommand ReportPdfCommand();
// publish needs libmosquitto: a build without it has no such command, and no words on its
// exit status for the help ("" then).
std::vector<CliCommand> PublishCommands();
const char* PublishExitStatusHelp();

// Every command the tool knows, in the order the help lists them.
const std::vector<CliCommand>& Commands();
const CliCommand* FindCommand(const std::string& name);

} // namespace quelby::cli
