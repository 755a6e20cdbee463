// program download and upload, with progress on standard error.
#include "cli/CliCommands.h"

namespace quelby::cli {
namespace {

// Prints the record in hand every so many records, so a long transfer shows it is alive.
// The hook also runs through the transfer's pauses: a record counts when the address moves.
void showProgress(CliSession& session) {
    long records = 0;
    std::string lastAddress;
    session.link.SetEventHook([&session, records, lastAddress]() mutable {
        const std::string& address = session.link.CurrentProgramAdd();
        if (address == lastAddress) return;
        lastAddress = address;
        if (++records % 128 == 0)
            session.err << "  " << address << " (" << records << " records)" << std::endl;
    });
}

int runProgram(CliSession& session, const std::vector<std::string>& args) {
    if (args.size() != 2) return kExitUsage;
    RSComm& link = session.link;
    showProgress(session);
    if (args[0] == "download") {
        link.DownloadFile(args[1]);
        if (!link.ValidProgram()) return kExitRefused;
        link.DumpProgram();
    } else if (args[0] == "upload") {
        return UploadBoardProgram(session, args[1]);
    } else {
        return kExitUsage;
    }
    link.SetEventHook({});
    if (link.TransferSucceeded()) return kExitOk;
    return link.CommError ? kExitLinkFailed : kExitRefused;
}

} // namespace

int UploadBoardProgram(CliSession& session, const std::filesystem::path& hbx) {
    RSComm& link = session.link;
    showProgress(session);
    link.UploadFile(hbx);
    link.InUploadMode = true;
    link.UploadProgram();
    link.SetEventHook({});
    if (link.TransferSucceeded()) return kExitOk;
    return link.CommError ? kExitLinkFailed : kExitRefused;
}

std::vector<CliCommand> ProgramCommands() {
    return {
        {"program", "download FILE.hbx",
         "download a board program from its file set (hbx, rev, lcf, hex); asks first, so "
         "give --yes",
         true, runProgram},
        {"program", "upload FILE.hbx",
         "read the board's program into FILE's hex, rev (and lcf) files; FILE.hbx must exist",
         true, runProgram},
    };
}

} // namespace quelby::cli
