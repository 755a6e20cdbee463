// program download and upload, with progress on standard error.
#include "cli/CliCommands.h"
#include "link/BoardIdentity.h"

#include <algorithm>
#include <cstdlib>

namespace quelby::cli {
namespace {

// The link's event hook for one program transfer, cleared however the transfer ends. It shows
// the record in hand: on a terminal as the share of the board's program memory passed,
// elsewhere a line every so many records, so a long transfer shows it is alive. The hook also
// runs through the transfer's pauses: a record counts when the address moves.
class ProgressHook {
public:
    ProgressHook(CliSession& session, std::string what)
        : m_session(session), m_line(session.err, session.clock, session.progress),
          m_what(std::move(what)) {
        session.link.SetEventHook([this] { recordInHand(); });
    }
    ~ProgressHook() {
        m_session.link.SetEventHook({});
        // The last record starts short of the end of memory: a finished transfer is whole.
        if (m_total > 0 && m_session.link.TransferSucceeded())
            m_line.update(m_label, m_total, m_total);
    }
    ProgressHook(const ProgressHook&) = delete;
    ProgressHook& operator=(const ProgressHook&) = delete;

private:
    void recordInHand() {
        const std::string& address = m_session.link.CurrentProgramAdd();
        if (address == m_lastAddress) return;
        m_lastAddress = address;
        ++m_records;
        const ProgramMemoryRange memory = ProgramMemoryOf(m_session.link.Program().boardType);
        const long at = std::strtol(address.c_str(), nullptr, 16);
        m_total = static_cast<long>(memory.byteCount);
        const long done = std::clamp(at - static_cast<long>(memory.start), 0L, m_total);
        const std::string pipeLine =
            m_records % 128 == 0
                ? "  " + address + " (" + std::to_string(m_records) + " records)"
                : std::string();
        m_label = m_what + " " + m_session.link.Program().boardName;
        m_line.update(m_label, done, m_total, pipeLine);
    }

    CliSession& m_session;
    ProgressLine m_line;
    std::string m_what;
    std::string m_label;
    std::string m_lastAddress;
    long m_records = 0;
    long m_total = 0;
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
