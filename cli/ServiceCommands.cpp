// backup, compare, diff and watch: what a service engineer does before and after a visit.
#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompt.h"
#include "app/data/BackupFolder.h"
#include "app/data/DataSet.h"
#include "app/data/DataSetCompare.h"
#include "app/data/DataSetJson.h"
#include "app/data/DataSetMessages.h"
#include "app/data/DataTransfer.h"
#include "app/data/SetupFile.h"
#include "app/data/Sha256.h"
#include "app/data/ShiftDataCsv.h"
#include "app/data/TargetBoardFaults.h"
#include "link/BoardAddress.h"
#include "link/BoardIdentity.h"
#include "link/CodeDescriptionFile.h"
#include "link/DownloadFileCheck.h"
#include "link/FilePaths.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <ctime>
#include <iomanip>
#include <sstream>

namespace fs = std::filesystem;

namespace quelby::cli {
namespace {

constexpr int kExitDiffer = 1;

// ---- Set-up files and the board's data set ----

// A set-up file fitted to 0..LastDataIndex, as File Open takes it. nullopt, with the reason on
// standard error, when it cannot be read whole or is no set-up data (exit 3), or was made by
// another program version and the question was not answered Yes (--yes).
std::optional<MachineData> openSetupFile(CliSession& session, const std::string& file) {
    CliPrompt prompt(session.err, session.options.retries, session.options.yes);
    SetupFileRead read = ReadSetupFile(file);
    if (read.outcome != SetupFileRead::Outcome::Read) {
        prompt.ask(DataSetMessages::CannotRead(fs::path(file).filename().string(), read.outcome,
                                               read.error));
        return std::nullopt;
    }
    if (read.data.Version != ProgramVersion &&
        prompt.ask(DataSetMessages::OtherVersion(read.data.Version)) != MessageAnswer::Yes) {
        session.err << "quelby-cli: " << file
                    << " was not opened; give --yes to take a file of another version." << std::endl;
        return std::nullopt;
    }
    DataSet data;
    data.FileData = std::move(read.data);
    data.ApplyFileData();
    return data.CurrentData;
}

// The All upload into `data` (which gives the addresses). False, with the reason on standard
// error, when the link failed or the board did not confirm every value: `data` is then no
// picture of the board.
bool uploadAll(CliSession& session, MachineData& data) {
    CliPrompt prompt(session.err, session.options.retries, session.options.yes);
    DataTransfer transfer(session.link, prompt, data,
                          TransferRequest{TransferDirection::Upload, TransferData::All});
    const TransferOutcome outcome = transfer.Run();
    if (outcome.commError) {
        session.err << "quelby-cli: the link failed while the data set was read." << std::endl;
        return false;
    }
    if (outcome.plsStopped) {
        session.err << "quelby-cli: a PLS command failed; the timing channels were not all read."
                    << std::endl;
        return false;
    }
    if (outcome.unconfirmed > 0) {
        session.err << "quelby-cli: the board did not confirm " << outcome.unconfirmed
                    << " value(s) of the data set." << std::endl;
        return false;
    }
    return true;
}

// ---- compare and diff ----

void printDifferences(CliSession& session, const std::vector<DataSetDifference>& differences,
                      const char* firstName, const char* secondName) {
    if (session.options.json) {
        JsonWriter json(session.out);
        WriteDifferencesJson(json, differences, firstName, secondName);
        json.finish();
        return;
    }
    std::ostream& out = session.out;
    for (const DataSetDifference& difference : differences) {
        if (difference.kind == DataSetDifference::Kind::DataPoint ||
            difference.kind == DataSetDifference::Kind::Address)
            out << difference.index << ' ' << (difference.address.empty() ? "-" : difference.address)
                << ' ';
        out << difference.name;
        if (difference.kind == DataSetDifference::Kind::Address)
            out << ": address " << firstName << ' ' << difference.firstText << ", " << secondName
                << ' ' << difference.secondText << '\n';
        else
            out << ": " << firstName << ' ' << difference.first << ", " << secondName << ' '
                << difference.second << '\n';
    }
    if (differences.empty()) out << "No differences.\n";
    out.flush();
}

int runCompare(CliSession& session, const std::vector<std::string>& args) {
    if (args.size() != 1) return kExitUsage;
    const auto file = openSetupFile(session, args[0]);
    if (!file) return kExitRefused;
    if (!session.goOnline()) return kExitLinkFailed;
    MachineData board = *file;
    if (!uploadAll(session, board)) return kExitLinkFailed;
    const auto differences = CompareDataSets(board, *file);
    printDifferences(session, differences, "board", "file");
    return differences.empty() ? kExitOk : kExitDiffer;
}

int runDiff(CliSession& session, const std::vector<std::string>& args) {
    if (args.size() != 2) return kExitUsage;
    const auto first = openSetupFile(session, args[0]);
    if (!first) return kExitRefused;
    const auto second = openSetupFile(session, args[1]);
    if (!second) return kExitRefused;
    const auto differences = CompareDataSets(*first, *second);
    printDifferences(session, differences, "first", "second");
    return differences.empty() ? kExitOk : kExitDiffer;
}

// ---- watch ----

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int) { g_interrupted = 1; }

// Ctrl+C and SIGTERM end the watch after the pass in hand, so the board is left idle.
class InterruptScope {
public:
    InterruptScope() {
        g_interrupted = 0;
        m_int = std::signal(SIGINT, onInterrupt);
        m_term = std::signal(SIGTERM, onInterrupt);
    }
    ~InterruptScope() {
        std::signal(SIGINT, m_int);
        std::signal(SIGTERM, m_term);
    }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    void (*m_int)(int);
    void (*m_term)(int);
};

// Local date and time with milliseconds, a form spreadsheets take as a date and time.
std::string timestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                            now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    std::ostringstream text;
    text << std::put_time(&local, "%Y-%m-%d %H:%M:%S") << '.' << std::setw(3) << std::setfill('0')
         << millis;
    return text.str();
}

struct WatchArguments {
    std::vector<std::string> addresses;
    int intervalMs = 1000;
    int count = 0; // 0: until interrupted
};

std::optional<WatchArguments> watchArguments(const std::vector<std::string>& args) {
    WatchArguments watch;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--interval" || args[i] == "--count") {
            if (i + 1 >= args.size()) return std::nullopt;
            const auto number = args[i] == "--interval" ? WholeNumber(args[i + 1], 0, 86400000)
                                                        : WholeNumber(args[i + 1], 1, 1000000000);
            if (!number) return std::nullopt;
            (args[i] == "--interval" ? watch.intervalMs : watch.count) = *number;
            ++i;
        } else {
            watch.addresses.push_back(args[i]);
        }
    }
    if (watch.addresses.empty()) return std::nullopt;
    return watch;
}

// watch ADDRESS... [--interval MS] [--count N]: a pass reads every address in turn; the next
// starts one interval after the last one started, or at once when the reads took longer (the
// line sets the pace then).
int runWatch(CliSession& session, const std::vector<std::string>& args) {
    const auto watch = watchArguments(args);
    if (!watch) return kExitUsage;
    for (const auto& address : watch->addresses)
        if (!ParseAddress(address)) {
            session.err << "ENTRY ALERT: Error: Invalid Board Address (" << address << ")."
                        << std::endl;
            return kExitRefused;
        }
    if (!session.goOnline()) return kExitLinkFailed;
    const bool csv = session.options.csv;
    if (csv) {
        session.out << "time";
        for (const auto& address : watch->addresses) session.out << ',' << CsvField(address);
        session.out << "\r\n" << std::flush;
    }
    InterruptScope interrupts;
    const double interval = watch->intervalMs / 1000.0;
    for (int pass = 0; !g_interrupted && (watch->count == 0 || pass < watch->count); ++pass) {
        const double start = session.clock.monotonicSeconds();
        std::string line = timestamp();
        for (const auto& address : watch->addresses) {
            const auto value = TrustedRead(session, address);
            if (session.link.CommError) {
                session.out.flush();
                session.err << "quelby-cli: the link failed." << std::endl;
                return kExitLinkFailed;
            }
            // A value the board did not confirm is left empty: it is not a value of the board's.
            const std::string text = value ? std::to_string(*value) : std::string();
            line += csv ? "," + text : "  " + address + "=" + text;
        }
        session.out << line << (csv ? "\r\n" : "\n") << std::flush;
        if (watch->count != 0 && pass + 1 >= watch->count) break;
        for (double left = start + interval - session.clock.monotonicSeconds();
             left > 0 && !g_interrupted; left = start + interval - session.clock.monotonicSeconds())
            session.clock.sleepFor(std::min(left, 0.05));
    }
    return kExitOk;
}

// ---- backup ----

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
        if (!step("manifest", [&] { return writeManifest(); })) return kExitLinkFailed;
        if (!step("rename", [&] { return commit(); })) return kExitLinkFailed;
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
        if (!uploadAll(m_session, data)) return false;
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

std::vector<CliCommand> ServiceCommands() {
    return {
        {"backup", "DIR [FILE.hbx]",
         "save the board as it is into the new folder DIR: the whole data set (setup.sdt), the "
         "program (program.hbx, .rev, .hex, and .lcf where the board has one; the board type from "
         "FILE.hbx, else the K650's) and manifest.txt (date, board, firmware, fault codes, "
         "program ident, PLS configuration, SHA-256 of every file); DIR is made only when every "
         "step succeeded (exit 3 when it exists)",
         false, runBackup},
        {"compare", "FILE.sdt",
         "read the board's data points, PLS fields and setpoints and list each that differs from "
         "the file; exit 0 when they agree, 1 when they differ (--json: agree, differences "
         "[{kind, index, address, name, board, file}...])",
         false, runCompare},
        {"diff", "A.sdt B.sdt",
         "the same between two set-up files, without a board (--json: agree, differences "
         "[{kind, index, address, name, first, second}...])",
         false, runDiff},
        {"watch", "ADDRESS... [--interval MS] [--count N]",
         "read the addresses once per interval (default 1000 ms; at once again when the reads "
         "took longer) and print a timestamped line per pass until interrupted or N passes; "
         "--csv: a header and one row per pass; a value the board did not confirm is left empty",
         false, runWatch},
    };
}

} // namespace quelby::cli
