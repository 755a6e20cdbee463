// dataset: set-up files from the command line, through the same File Open and Save As as the
// desktop. No board is needed.
#include "cli/ArgumentDialogs.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompt.h"
#include "app/data/DataSetFiles.h"
#include "app/data/DataSetJson.h"
#include "link/FilePaths.h"
#include "link/SystemClock.h"

#include <iomanip>
#include <sstream>

namespace quelby::cli {
namespace {

// Channels are numbered in octal, as the timing window shows them: channel 8 is CH10.
std::string channelName(std::size_t channel) {
    std::ostringstream name;
    name << "CH" << std::setw(2) << std::setfill('0') << std::oct << channel;
    return name.str();
}

void printDataSet(std::ostream& out, const MachineData& data) {
    out << "Version: " << data.Version << '\n';
    for (std::size_t i = 0; i < data.Value.size(); ++i) {
        const std::string& address = i < data.Address.size() ? data.Address[i] : std::string();
        out << i << ' ' << (address.empty() ? "-" : address) << ' ' << data.Value[i] << '\n';
    }
    out << "PLSChannels: " << data.PLSChannels << '\n'
        << "PLSScale: " << data.PLSScale << '\n'
        << "ResolverOffset: " << data.ResolverOffset << '\n'
        << "PLSProgram: " << data.PLSProgram << '\n'
        << "SpeedComp:";
    for (std::int16_t speed : data.SpeedComp)
        out << ' ' << speed;
    out << '\n';
    for (std::size_t channel = 0; channel < data.Setpoint.size(); ++channel)
        out << "Setpoint " << channelName(channel) << ": ON " << data.Setpoint[channel][kOnSetpoint]
            << " OFF " << data.Setpoint[channel][kOffSetpoint] << '\n';
    out.flush();
}

int runDataset(CliSession& session, const std::vector<std::string>& args) {
    if (args.size() != 2 || (args[0] != "show" && args[0] != "new")) return kExitUsage;
    DataSet data;
    CliPrompt prompt(session.err, session.options.retries, session.options.yes);
    ArgumentDialogs dialogs(args[1], session.options.yes, session.err);
    SystemClock clock;
    DataSetFiles files(data, prompt, dialogs, clock,
                       session.options.home.value_or(ProgramFolder()));
    files.New();
    if (args[0] == "new") return files.SaveAs() == FileCommandResult::Done ? kExitOk : kExitRefused;
    const FileCommandResult opened = files.Open();
    if (opened == FileCommandResult::Cancelled)
        session.err << "quelby-cli: " << args[1]
                    << " was not opened; give --yes to open a file of another version."
                    << std::endl;
    if (opened != FileCommandResult::Done) return kExitRefused;
    if (session.options.json) {
        JsonWriter json(session.out);
        WriteDataSetJson(json, data.CurrentData);
        json.finish();
    } else {
        printDataSet(session.out, data.CurrentData);
    }
    return kExitOk;
}

} // namespace

std::vector<CliCommand> DatasetCommands() {
    return {
        {"dataset", "show FILE.sdt",
         "print a set-up file as File Open takes it: version, 'INDEX ADDRESS VALUE' per data "
         "point ('-': no address), PLS fields, speed compensation, setpoints; a file of "
         "another version needs --yes (--json: version, dataPoints [{index, address, name, "
         "value}...], plsChannels, plsScale, resolverOffset, plsProgram, speedComp, "
         "setpoints [{channel, on, off}...])",
         false, runDataset},
        {"dataset", "new FILE.sdt",
         "write the built-in default data set to a set-up file; replacing a file needs --yes",
         false, runDataset},
    };
}

} // namespace quelby::cli
