// ident and fault: what the board is, what it runs and what ails it.
#include "link/BoardIdentity.h"
#include "cli/CliCommands.h"
#include "link/CodeDescriptionFile.h"
#include "link/DownloadFileCheck.h"

#include <iomanip>

namespace quelby::cli {
namespace {

int runIdent(CliSession& session, const std::vector<std::string>& args) {
    if (args.size() > 1) return kExitUsage;
    if (args.size() == 1) {
        const UploadFileChoice choice = ChooseUploadFile(args[0]);
        if (choice.message || choice.selection.boardType == 0) {
            session.err << "Cannot read the board type of " << args[0] << "." << std::endl;
            return kExitRefused;
        }
        session.out << "Program file board: " << choice.selection.boardName << '\n';
    }
    const auto fault = ConfirmedRead(session, kFaultCodeAddress);
    if (!fault) return kExitLinkFailed;
    const auto firmware = ConfirmedRead(session, kFirmwareRevAddress);
    if (!firmware) return kExitLinkFailed;
    BoardIdentityBytes identity{};
    for (int i = 0; i < kIdentityLength; ++i) {
        const auto byte = ConfirmedRead(session, "B" + std::to_string(kIdentityAddress + i));
        if (!byte) return kExitLinkFailed;
        identity[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(*byte);
    }
    session.out << "Fault code: " << CodeHexText(static_cast<int>(*fault)) << "H\n"
                << "Firmware revision: " << *firmware << '\n'
                << "Board program ident: " << BoardIdentText(identity) << '\n'
                << "Board program checksum: " << int{identity[8]} << '\n'
                << "Board program revision: " << int{identity[9]} << '\n';
    return kExitOk;
}

int runFault(CliSession& session, const std::vector<std::string>& args) {
    if (!args.empty()) return kExitUsage;
    const auto code = ConfirmedRead(session, kFaultCodeAddress);
    if (!code) return kExitLinkFailed;
    session.out << session.link.FaultDescription(static_cast<int>(*code)) << '\n';
    return kExitOk;
}

} // namespace

std::vector<CliCommand> IdentityCommands() {
    return {
        {"ident", "[FILE.hbx]",
         "the board type of a program file, the board's fault code, firmware revision and "
         "the program identity in the board",
         true, runIdent},
        {"fault", "", "the description of the board's current fault code", true, runFault},
    };
}

} // namespace quelby::cli
