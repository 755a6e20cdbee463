// program download and upload, with progress on standard error.
#include "cli/CliCommands.h"
#include "link/BoardIdentity.h"

#include <algorithm>
#include <cstdlib>

namespace quelby::cli {
namespace {

// Shows the record in hand: on a terminal as the share of the board's program memory
// passed, elsewhere a line every so many records, so a long transfer shows it is alive. The
// hook also runs through the transfer's pauses: a record counts when the address moves.
void showProgress(CliSession& session, ProgressLine& line, const std::string& what) {
    long records = 0;
    std::string lastAddress;
    session.link.SetEventHook([&session, &line, what, records, lastAddress]() mutable {
        const std::string& address = session.link.CurrentProgramAdd();
        if (address == lastAddress) return;
        lastAddress = address;
        ++records;
        const ProgramMemoryRange memory = ProgramMemoryOf(session.link.Program().boardType);
        const long at = std::strtol(address.c_str(), nullptr, 16);
        const long done = std::clamp(at - static_cast<long>(memory.start), 0L,
                                     static_cast<long>(memory.byteCount));
        const std::string pipeLine =
            records % 128 == 0 ? "  " + address + " (" + std::to_string(records) + " records)" : "";
        line.update(what + " " + session.link.Program().boardName, done,
                    static_cast<long>(memory.byteCount), pipeLine);
    });
}

// The link's event hook for one transfer, cleared however the transfer ends.
class ProgressHook {
public:
    ProgressHook(CliSession& session, const std::string& what)
        : m_session(session), m_line(session.err, session.clock, session.progress) {
        showProgress(session, m_line, what);
    }
    ~ProgressHook() { m_session.link.SetEventHook({}); }
    ProgressHook(const ProgressHook&) = delete;
    ProgressHook& operator=(const ProgressHook&) = delete;

private:
    CliSession& m_session;
    ProgressLine m_line;
};

int runProgram(CliSession& session, const std::vector<std::string>& args) {
    if (args.size() != 2) return kExitUsage;
    if (args[0] == "upload") return UploadBoardProgram(session, args[1]);
    if (args[0] != "download") return kExitUsage;
    RSComm& link = session.link;
    {
        ProgressHook progress(session, "Program download");
        link.DownloadFile(args[1]);
        if (!link.ValidProgram()) return kExitRefused;
        link.DumpProgram();
    }
    if (link.TransferSucceeded()) return kExitOk;
    return link.CommError ? kExitLinkFailed : kExitRefused;
}

} // namespace

int UploadBoardProgram(CliSession& session, const std::filesystem::path& hbx) {
    RSComm& link = session.link;
    {
        ProgressHook progress(session, "Program upload");
        link.UploadFile(hbx);
        link.InUploadMode = true;
        link.UploadProgram();
    }
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
