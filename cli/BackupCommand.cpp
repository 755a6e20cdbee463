// backup: the board saved before a service visit, so that it can be put back as it was.
#include "cli/CliCommands.h"
#include "app/data/BackupFolder.h"
#include "app/data/ServiceLog.h"
#include "app/data/SetupFile.h"
#include "app/data/Sha256.h"
#include "app/data/TargetBoardFaults.h"
#include "link/BoardIdentity.h"
#include "link/CodeDescriptionFile.h"
#include "link/DownloadFileCheck.h"
#include "link/FilePaths.h"

#include <algorithm>
#include <chrono>
#include <iomanip>
#include <sstream>

namespace fs = std::filesystem;

namespace quelby::cli {
namespace {

constexpr const char* kSetupFileName = "setup.sdt";
constexpr const char* kProgramFileName = "program.hbx";
// The board type a program set gets when no hbx file names it: the K650's, as the Target
// Board Interface takes it for a program without one.
constexpr const char* kDefaultHbxLine = "D\r\n";
constexpr int kDefaultBoardType = 'D';

std::string dateTimeText(const LocalDateTime& time) {
    std::ostringstream text;
    text << std::setfill('0') << std::setw(4) << time.year << '-' << std::setw(2) << time.month
         << '-' << std::setw(2) << time.day << ' ' << std::setw(2) << time.hour << ':'
         << std::setw(2) << time.minute << ':' << std::setw(2) << time.second;
    return text.str();
}

class Backup {
public:
    Backup(CliSession& session, StagedFolder& folder) : m_session(session), m_folder(folder) {}

    // Runs every step; the exit status. A failed step is named on standard error.
    // `hbxSource`: the program set's hbx file to copy, or none for the K650's.
    int run(int boardType, const std::optional<fs::path>& hbxSource) {
        m_manifest.createdAt = dateTimeText(m_session.clock.now());
        if (!step("link", [&] { return m_session.goOnline(); })) return kExitLinkFailed;
        if (!step("identity", [&] { return readIdentity(boardType); })) return kExitLinkFailed;
        if (!step("PLS configuration", [&] { return readPlsConfiguration(); }))
            return kExitLinkFailed;
        if (!step("data set", [&] { return saveDataSet(); })) return kExitLinkFailed;
        if (!step("program upload", [&] { return uploadProgram(hbxSource); })) return kExitLinkFailed;
        if (!step("service log", [&] { return saveServiceLog(); })) return kExitLinkFailed;
        if (!step("manifest", [&] { return writeManifest(); })) return kExitLinkFailed;
        if (!step("rename", [&] { return commit(); })) return kExitLinkFailed;
        recordBackup();
        m_session.out << "Backup written to " << m_folder.target().string() << '\n' << std::flush;
        return kExitOk;
    }

private:
    template <typename Work> bool step(const char* name, Work work) {
        m_session.err << "backup: " << name << std::endl;
        if (work()) return true;
        m_session.err << "quelby-cli: the backup failed at the step \"" << name << "\"; "
                      << m_folder.target().string() << " was not made." << std::endl;
        return false;
    }

    bool fileFailed(const fs::path& file, const std::error_code& error) {
        m_session.err << "quelby-cli: " << file.string() << ": " << error.message() << std::endl;
        return false;
    }

    bool readIdentity(int type) {
        for (int entry : {kCurrentFaultEntry, kLastFaultEntry, kCurrentCommErrorEntry,
                          kLastCommErrorEntry}) {
            const auto code = ConfirmedRead(m_session, kFaultReadTable[static_cast<std::size_t>(entry)]);
            if (!code) return false;
            std::string caption = FaultEntryCaption(entry, "");
            caption = caption.substr(0, caption.find(':'));
            m_manifest.faultCodes.emplace_back(caption, CodeHexText(static_cast<int>(*code)) + "H");
            if (entry == kCurrentFaultEntry)
                m_manifest.faultDescription = m_session.link.FaultDescription(static_cast<int>(*code));
        }
        const auto firmware = ConfirmedRead(m_session, kFirmwareRevAddress);
        if (!firmware) return false;
        m_manifest.firmwareRevision = static_cast<int>(*firmware);
        BoardIdentityBytes identity{};
        for (int i = 0; i < kIdentityLength; ++i) {
            const auto byte = ConfirmedRead(m_session, "B" + std::to_string(kIdentityAddress + i));
            if (!byte) return false;
            identity[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(*byte);
        }
        m_manifest.programIdent = BoardIdentText(identity);
        m_manifest.programChecksum = identity[8];
        m_manifest.programRevision = identity[9];
        m_manifest.boardType = m_session.link.TargetboardName(type) + " (" + std::to_string(type) + ")";
        return true;
    }

    bool readPlsConfiguration() {
        const RSComm::PlsConfiguration config = m_session.link.PLSConfigUpload();
        if (!m_session.link.PLSConfigUploaded()) return false;
        m_manifest.plsConfiguration = config;
        return true;
    }

    bool saveDataSet() {
        MachineData data = BuildDefaultData();
        if (!UploadWholeDataSet(m_session, data)) return false;
        std::error_code error;
        const fs::path file = m_folder.path() / kSetupFileName;
        if (!WriteSetupFile(file, data, error)) return fileFailed(file, error);
        return true;
    }

    bool uploadProgram(const std::optional<fs::path>& hbxSource) {
        const fs::path hbx = m_folder.path() / kProgramFileName;
        std::error_code error;
        if (hbxSource) fs::copy_file(*hbxSource, hbx, error);
        else WriteFileAtomically(hbx, kDefaultHbxLine, error);
        if (error) return fileFailed(hbx, error);
        return UploadBoardProgram(m_session, hbx) == kExitOk;
    }

    // The service log's events since this board's previous backup. A log that cannot be read
    // does not stop the backup: the board is what it saves.
    bool saveServiceLog() {
        const ServiceLogContents log = ReadServiceLog(serviceLogFile());
        if (!log.problem.empty()) m_session.err << "quelby-cli: " << log.problem << std::endl;
        if (log.unreadable > 0)
            m_session.err << "quelby-cli: " << log.unreadable
                          << " unreadable lines of the service log left out" << std::endl;
        std::string lines;
        const std::vector<ServiceEvent> events =
            ServiceEventsSinceBackup(log, BackupBoardIdentity(m_manifest));
        for (const ServiceEvent& event : events) lines += ServiceEventJson(event) + "\n";
        m_manifest.serviceLogEvents = static_cast<int>(events.size());
        std::error_code error;
        const fs::path file = m_folder.path() / kServiceLogFileName;
        if (!WriteFileAtomically(file, lines, error)) return fileFailed(file, error);
        return true;
    }

    // The backup goes into the service log, so the next one starts after it.
    void recordBackup() {
        std::error_code error;
        fs::path folder = fs::absolute(m_folder.target(), error);
        if (error) folder = m_folder.target();
        ServiceLogWriter writer(serviceLogFile());
        writer.setProblemReporter(
            [this](const std::string& problem) { m_session.err << "quelby-cli: " << problem << std::endl; });
        writer.append(BackupServiceEvent(m_manifest, folder.lexically_normal(),
                                         IsoLocalTime(std::chrono::system_clock::now()),
                                         OperatingSystemUser()));
    }

    fs::path serviceLogFile() const {
        return ServiceLogFile(m_session.options.home.value_or(ProgramFolder()));
    }

    bool writeManifest() {
        std::vector<fs::path> files;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(m_folder.path(), error))
            if (entry.is_regular_file()) files.push_back(entry.path());
        if (error) return fileFailed(m_folder.path(), error);
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            const auto digest = Sha256OfFile(file);
            if (!digest) return fileFailed(file, std::make_error_code(std::errc::io_error));
            m_manifest.files.emplace_back(file.filename().string(), *digest);
        }
        const fs::path manifest = m_folder.path() / kManifestFileName;
        if (!WriteFileAtomically(manifest, BackupManifestText(m_manifest), error))
            return fileFailed(manifest, error);
        return true;
    }

    bool commit() {
        std::error_code error;
        if (m_folder.commit(error)) return true;
        return fileFailed(m_folder.target(), error);
    }

    CliSession& m_session;
    StagedFolder& m_folder;
    BackupManifest m_manifest;
};

// backup DIR [FILE.hbx]: the board type comes from FILE.hbx's first character, which is
// copied into the backup; without it the program set is the K650's.
int runBackup(CliSession& session, const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) return kExitUsage;
    int boardType = kDefaultBoardType;
    std::optional<fs::path> hbxSource;
    if (args.size() == 2) {
        const UploadFileChoice choice = ChooseUploadFile(args[1]);
        if (choice.message || choice.selection.boardType == 0) {
            session.err << "quelby-cli: cannot read the board type of " << args[1] << "." << std::endl;
            return kExitRefused;
        }
        boardType = choice.selection.boardType;
        hbxSource = choice.selection.files.hbx;
    }
    const fs::path target = BackupTarget(args[0]);
    std::error_code error;
    auto folder = StagedFolder::Create(target, error);
    if (!folder) {
        if (error == std::errc::file_exists) {
            session.err << "quelby-cli: " << target.string()
                        << " exists already; a backup never replaces anything." << std::endl;
            return kExitRefused;
        }
        session.err << "quelby-cli: the backup failed at the step \"folder\": cannot make a folder "
                       "beside "
                    << target.string() << ": " << error.message() << std::endl;
        return kExitLinkFailed;
    }
    Backup backup(session, *folder);
    return backup.run(boardType, hbxSource);
}

} // namespace

std::vector<CliCommand> BackupCommands() {
    return {
        {"backup", "DIR [FILE.hbx]",
         "save the board as it is into the new folder DIR: the whole data set (setup.sdt), the "
         "program (program.hbx, .rev, .hex, and .lcf where the board has one; the board type from "
         "FILE.hbx, else the K650's), service-log.jsonl (the service log's events since this "
         "board's previous backup) and manifest.txt (date, board, firmware, fault codes, "
         "program ident, PLS configuration, service log events, SHA-256 of every file); DIR is "
         "made only when every step succeeded (exit 3 when it exists); the backup then goes "
         "into the service log",
         false, runBackup},
    };
}

} // namespace quelby::cli
