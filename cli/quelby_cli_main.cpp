// quelby-cli: the board link from the command line, for scripts and service work.
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliPrompt.h"
#include "link/FilePaths.h"
#include "link/HomeFolder.h"
#include "link/LinkTrace.h"
#include "link/PortMap.h"
#include "link/ProgramVersion.h"
#include "link/RSComm.h"
#include "link/SystemClock.h"
#include "link/SystemServices.h"
#include "link/SystemSerialPort.h"

#include <iostream>
#include <memory>

using namespace quelby;
using namespace quelby::cli;

namespace {

void printHelp(std::ostream& out) {
    out << "Usage: quelby-cli [OPTIONS] COMMAND [ARGUMENTS...]\n"
           "\n"
           "Talks to the K650 target board over the serial link.\n"
           "\n"
           "Options:\n"
           "  --device PATH     use this serial device for this run (e.g. a quelby-sim pty)\n"
           "  --port N          use port number N (1..99) instead of Support/RSPort.cfg's;\n"
           "                    Support/SerialPorts.cfg maps numbers to devices\n"
           "  --speed BAUD      9600 or 19200 instead of Support/RSPort.cfg's speed\n"
           "  --home DIR        home folder holding Support/ (default: the program's folder;\n"
           "                    ~/.config/quelby when installed)\n"
           "  --retries N       answer Retry to a communication warning N times, then Cancel\n"
           "                    (default 0)\n"
           "  --yes             answer Yes to confirmation questions (otherwise No)\n"
           "  --trace FILE      write one line per byte exchange with the board to FILE:\n"
           "                    milliseconds, byte sent, reply ('--' for none), marker\n"
           "  --help            show this help\n"
           "  --version         show the program's version\n"
           "\n"
           "Commands:\n";
    for (const auto& command : Commands()) {
        std::string head = std::string(command.name) + " " + command.usage;
        out << "  " << head << "\n      " << command.help << "\n";
    }
    out << "\n"
           "Link messages are printed on standard error as \"TITLE: text\".\n"
           "Exit status: 0 success (a read printed only values the board confirmed, a write\n"
           "the board confirmed), 2 the link failed or the board did not confirm a value or a\n"
           "write (an unconfirmed read is tried again up to --retries times), 3 an address or\n"
           "value was refused or a question answered No, 64 usage error, 73 the trace file\n"
           "could not be created.\n";
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto options = ParseCliOptions(args, error);
    if (!options) {
        std::cerr << "quelby-cli: " << error << "\nTry 'quelby-cli --help'." << std::endl;
        return kExitUsage;
    }
    if (options->help) {
        printHelp(std::cout);
        return kExitOk;
    }
    if (options->version) {
        std::cout << "quelby-cli " << kVersionString << std::endl;
        return kExitOk;
    }
    const CliCommand* command = FindCommand(options->command.front());
    if (!command) {
        std::cerr << "quelby-cli: unknown command " << options->command.front()
                  << "\nTry 'quelby-cli --help'." << std::endl;
        return kExitUsage;
    }
    const std::vector<std::string> commandArgs(options->command.begin() + 1, options->command.end());

    const HomeFolders folders = ResolveHomeFolders(options->home, ProgramFolder(), SystemEnvironment);
    SetSharedFolder(folders.shared);
    if (!folders.problem.empty()) std::cerr << "quelby-cli: " << folders.problem << std::endl;
    options->home = folders.home;
    const std::filesystem::path& home = folders.home;
    SystemClock clock;
    CliPrompt prompt(std::cerr, options->retries, options->yes);
    RSComm link(clock, prompt, home);
    link.OverrideSettings(options->port, options->speed);
    SystemSerialPort port(PortMap::load(PortMap::FileIn(home)), options->device.value_or(""));
    CliSession session{link, *options, std::cout, std::cerr};
    std::unique_ptr<FileLinkTrace> trace;
    if (options->trace) {
        trace = FileLinkTrace::Create(*options->trace, error);
        if (!trace) {
            std::cerr << "quelby-cli: " << error << std::endl;
            return kExitCantCreate;
        }
        link.SetTrace(trace.get());
    }

    if (command->needsBoard) {
        link.OpenRSComm(port);
        if (!link.OnlineMode) return kExitLinkFailed;
        if (!port.lowLatencyNote().empty()) std::cerr << "quelby-cli: " << port.lowLatencyNote() << std::endl;
    }
    int status = command->run(session, commandArgs);
    if (status == kExitUsage)
        for (const auto& form : Commands())
            if (form.name == options->command.front())
                std::cerr << "quelby-cli: usage: " << form.name << " " << form.usage << std::endl;
    if (command->needsBoard) link.CloseRSComm();
    link.SetTrace(nullptr);
    return status;
}
