// ident and fault: what the board is, what it runs and what ails it.
#include "link/BoardIdentity.h"
#include "cli/CliCommands.h"
#include "link/CodeDescriptionFile.h"
#include "link/DownloadFileCheck.h"
#include "app/data/JsonWriter.h"

#include <iomanip>

namespace quelby::cli {
namespace {

int runIdent(CliSession& session, const std::vector<std::string>& args) {
    if (args.size() > 1) return kExitUsage;
    std::string fileBoard;
    if (args.size() == 1) {
        const UploadFileChoice choice = ChooseUploadFile(args[0]);
        if (choice.message || choice.selection.boardType == 0) {
            session.err << "Cannot read the board type of " << args[0] << "." << std::endl;
            return kExitRefused;
        }
        fileBoard = choice.selection.boardName;
    }
    if (!session.goOnline()) return kExitLinkFailed;
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
    if (session.options.json) {
        JsonWriter json(session.out);
        json.beginObject();
        if (!fileBoard.empty()) json.key("programFileBoard").value(fileBoard);
        json.key("faultCode").value(std::int64_t{*fault})
            .key("firmwareRevision").value(std::int64_t{*firmware})
            .key("programIdent").value(BoardIdentText(identity))
            .key("programChecksum").value(int{identity[8]})
            .key("programRevision").value(int{identity[9]})
            .endObject()
            .finish();
        return kExitOk;
    }
    if (!fileBoard.empty()) session.out << "Program file board: " << fileBoard << '\n';
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
    const std::string description = session.link.FaultDescription(static_cast<int>(*code));
    if (session.options.json) {
        JsonWriter(session.out)
            .beginObject()
            .key("faultCode").value(std::int64_t{*code})
            .key("description").value(description)
            .endObject()
            .finish();
        return kExitOk;
    }
    session.out << description << '\n';
    return kExitOk;
}

} // namespace

std::vector<CliCommand> IdentityCommands() {
    return {
        {"ident", "[FILE.hbx]",
         "the board type of a program file, the board's fault code, firmware revision and "
         "the program identity in the board (--json: programFileBoard, faultCode, "
         "firmwareRevision, programIdent, programChecksum, programRevision)",
         false, runIdent},
        {"fault", "",
         "the description of the board's current fault code (--json: faultCode, description)",
         true, runFault},
    };
}

} // namespace quelby::cli
