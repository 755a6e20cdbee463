// publish in a build without libmosquitto: the tool has no such command.
#include "cli/CliCommands.h"

namespace quelby::cli {

std::vector<CliCommand> PublishCommands() {
    return {};
}

const char* PublishExitStatusHelp() {
    return "";
}

} // namespace quelby::cli
