// compare, diff and watch: what a service engineer checks before and after a visit.
#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompt.h"
#include "cli/InterruptScope.h"
#include "app/data/DataSet.h"
#include "app/data/DataSetCompare.h"
#include "app/data/DataSetJson.h"
#include "app/data/DataSetMessages.h"
#include "app/data/DataTransfer.h"
#include "app/data/LiveRecording.h"
#include "app/data/SetupFile.h"
#include "app/data/ShiftDataCsv.h"
#include "link/BoardAddress.h"
#include "link/SystemServices.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <iomanip>
#include <sstream>

namespace fs = std::filesystem;

namespace quelby::cli {
namespace {


// ---- Set-up files ----

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

// The arguments of compare: the file and the sections of `--only LIST`.
struct CompareArguments {
    std::string file;
    CompareSections sections;
};

std::optional<CompareArguments> compareArguments(CliSession& session,
                                                 const std::vector<std::string>& args) {
    CompareArguments compare;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--only") {
            files.push_back(args[i]);
            continue;
        }
        const auto sections = i + 1 < args.size() ? ParseCompareSections(args[i + 1]) : std::nullopt;
        if (!sections) {
            session.err << "quelby-cli: --only takes a comma-separated list of these sections: "
                        << kCompareSectionNames << std::endl;
            return std::nullopt;
        }
        compare.sections = *sections;
        ++i;
    }
    if (files.size() != 1) return std::nullopt;
    compare.file = files[0];
    return compare;
}

int runCompare(CliSession& session, const std::vector<std::string>& args) {
    const auto compare = compareArguments(session, args);
    if (!compare) return kExitUsage;
    const auto file = openSetupFile(session, compare->file);
    if (!file) return kExitRefused;
    if (!session.goOnline()) return kExitLinkFailed;
    MachineData board = *file;
    if (!UploadWholeDataSet(session, board)) return kExitLinkFailed;
    const auto differences = OnlySections(CompareDataSets(board, *file), compare->sections);
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

// Local date and time with milliseconds, a form spreadsheets take as a date and time.
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
    if (csv) session.out << LiveCsvHeader(watch->addresses) << std::flush;
    InterruptScope interrupts;
    const double interval = watch->intervalMs / 1000.0;
    for (int pass = 0;
         !InterruptScope::interrupted() && (watch->count == 0 || pass < watch->count); ++pass) {
        const double start = session.clock.monotonicSeconds();
        const std::string time = TimestampText(std::chrono::system_clock::now());
        std::string line = time;
        std::vector<std::optional<std::int64_t>> values;
        for (const auto& address : watch->addresses) {
            const auto value = TrustedRead(session, address);
            if (session.link.CommError) {
                session.out.flush();
                session.err << "quelby-cli: the link failed." << std::endl;
                return kExitLinkFailed;
            }
            // A value the board did not confirm is left empty: it is not a value of the board's.
            values.emplace_back(value);
            line += "  " + address + "=" + (value ? std::to_string(*value) : std::string());
        }
        session.out << (csv ? LiveCsvRow(time, values) : line + "\n") << std::flush;
        if (watch->count != 0 && pass + 1 >= watch->count) break;
        // Sleeps in short slices until the pass's interval is over, so Ctrl+C is heard soon.
        while (!InterruptScope::interrupted()) {
            const double left = start + interval - session.clock.monotonicSeconds();
            if (left <= 0) break;
            session.clock.sleepFor(std::min(left, 0.05));
        }
    }
    return kExitOk;
}

} // namespace

bool UploadWholeDataSet(CliSession& session, MachineData& data) {
    CliPrompt prompt(session.err, session.options.retries, session.options.yes);
    ProgressLine line(session.err, session.clock, session.progress);
    DataTransfer transfer(session.link, prompt, data,
                          TransferRequest{TransferDirection::Upload, TransferData::All},
                          TransferProgressHooks(line, false));
    const TransferOutcome outcome = transfer.Run();
    line.finish();
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

std::vector<CliCommand> ServiceCommands() {
    return {
        {"compare", "FILE.sdt [--only LIST]",
         "read the board's data points, PLS fields and setpoints and list each that differs from "
         "the file; exit 0 when they agree, 1 when they differ; --only compares just the listed "
         "sections of setup, timing and shift (comma-separated; the live shift counters always "
         "differ on a running line) (--json: agree, differences "
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
