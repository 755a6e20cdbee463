#pragma once

#include "cli/CliOptions.h"
#include "link/RSComm.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <ostream>
#include <string>
#include <vector>

namespace quelby::cli {

// What a command works with. `link` is open and online for commands that need the board.
struct CliSession {
    RSComm& link;
    const CliOptions& options;
    std::ostream& out;
    std::ostream& err;
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

// The commands of each area; the same name may come in several rows (one per form).
std::vector<CliCommand> LinkCommands();
std::vector<CliCommand> IdentityCommands();
std::vector<CliCommand> PlsCommands();
std::vector<CliCommand> ProgramCommands();
std::vector<CliCommand> ReportCommands();
std::vector<CliCommand> DatasetCommands();
std::vector<CliCommand> TransferCommands();
// The PDF report needs Qt's paged devices; a build without Qt has the row, refusing to run.
CliCommand ReportPdfCommand();

// Every command the tool knows, in the order the help lists them.
const std::vector<CliCommand>& Commands();
const CliCommand* FindCommand(const std::string& name);

} // namespace quelby::cli
