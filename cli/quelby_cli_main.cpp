// quelby-cli: the board link from the command line, for scripts and service work.
#include "app/data/ServiceLogSession.h"
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliPrompt.h"
#include "cli/CountingStream.h"
#include "link/FilePaths.h"
#include "link/HomeFolder.h"
#include "link/LinkTrace.h"
#include "link/PortMap.h"
#include "link/ProgramVersion.h"
#include "link/BoardChangeLog.h"
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
           "                    " << kInstalledHomeText << " when installed)\n"
           "  --retries N       answer Retry to a communication warning N times, then Cancel\n"
           "                    (default 0)\n"
           "  --yes             answer Yes to confirmation questions (otherwise No)\n"
           "  --quiet           no progress on standard error (on a terminal a long command\n"
           "                    shows one line a stage: a bar, done of total, time left)\n"
           "  --json            print the result as one JSON document on one line (read,\n"
           "                    ident, fault, pls config, pls recall, dataset show, compare,\n"
           "                    diff; log: one line per event); may also follow the command\n"
           "  --csv             CSV output: watch prints a header and a row per pass, export\n"
           "                    writes the shift data as CSV, log a row per event; may also\n"
           "                    follow the command\n"
           "  --trace FILE      write one line per byte exchange with the board to FILE:\n"
           "                    milliseconds, byte sent, reply ('--' for none), marker\n"
           "  --help            show this help\n"
           "  --version         show the program's version\n"
           "\n"
           "Commands:\n";
    for (const auto& command : Commands()) {
        std::string head = std::string(command.name) + (*command.usage ? " " : "") + command.usage;
        out << "  " << head << "\n      " << command.help << "\n";
    }
    out << "\n"
           "Link messages are printed on standard error as \"TITLE: text\".\n"
           "Exit status: 0 success (a read printed only values the board confirmed, a write\n"
           "the board confirmed), 1 compare or diff found differences, 2 the link failed or\n"
           "the board did not confirm a value or a write (an unconfirmed read is tried again\n"
           "up to --retries times) or a backup step failed, 3 an address, value or file was\n"
           "refused, a backup folder exists already, a question was answered No or (log) the\n"
           "service log could not be read, 64 usage error, "
        << PublishExitStatusHelp() << "73 the trace file could not be created.\n";
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
    CountingStream err(std::cerr);
    CliPrompt prompt(err, options->retries, options->yes);
    RSComm link(clock, prompt, home);
    link.OverrideSettings(options->port, options->speed);
    SystemSerialPort port(PortMap::load(PortMap::FileIn(home)), options->device.value_or(""));
    bool linkOpened = false;
    auto goOnline = [&]() {
        if (!linkOpened) {
            linkOpened = true;
            link.OpenRSComm(port);
            if (link.OnlineMode && !port.lowLatencyNote().empty())
                std::cerr << "quelby-cli: " << port.lowLatencyNote() << std::endl;
        }
        return link.OnlineMode;
    };
    const auto portFor = [](const std::string& device) -> std::unique_ptr<SerialPort> {
        return std::make_unique<SystemSerialPort>(PortMap{}, device);
    };
    CliSession session{link,    *options, std::cout, err, clock, goOnline, &prompt, portFor,
                       ProgressLine::ModeFor(options->quiet)};
    std::unique_ptr<FileLinkTrace> trace;
    if (options->trace) {
        trace = FileLinkTrace::Create(*options->trace, error);
        if (!trace) {
            std::cerr << "quelby-cli: " << error << std::endl;
            return kExitCantCreate;
        }
        link.SetTrace(trace.get());
    }

    // Every change the command makes on the board goes into the service log, named by the
    // command and, for commands of several kinds, the kind ("quelby-cli pls set").
    ServiceLogSession serviceLog(link, home, "quelby-cli", "quelby-cli",
                                 [&err](const std::string& problem) {
                                     err << "quelby-cli: " << problem << std::endl;
                                 });
    std::string source = "quelby-cli " + options->command.front();
    const std::string& name = options->command.front();
    if ((name == "pls" || name == "program" || name == "download") && !commandArgs.empty())
        source += " " + commandArgs.front();
    // A data download is one event, named by its file as the desktop names it.
    const std::string downloaded =
        name == "download" && commandArgs.size() > 1
            ? "Data Set [" + std::filesystem::path(commandArgs[1]).filename().string() + "]"
            : std::string();
    BoardChangeScope changes(link, source, downloaded);

    if (command->needsBoard && !goOnline()) return kExitLinkFailed;
    int status = command->run(session, commandArgs);
    if (status == kExitUsage)
        for (const auto& form : Commands())
            if (form.name == options->command.front())
                std::cerr << "quelby-cli: usage: " << form.name << " " << form.usage << std::endl;
    // A failure always says something: a port that went away mid-command shows no message
    // of the link's own.
    if (status != kExitOk && status != kExitDiffer && status != kExitUsage && err.written() == 0) {
        if (linkOpened && !port.isOpen())
            err << "quelby-cli: the serial port closed during the command; what it had not yet "
                   "sent never reached the board."
                << std::endl;
        else
            err << "quelby-cli: " << options->command.front() << " failed." << std::endl;
    }
    if (linkOpened) link.CloseRSComm();
    link.SetTrace(nullptr);
    return status;
}
