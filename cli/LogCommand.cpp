// log: the service log, the changes made to the board, read without a board.
#include "cli/CliCommands.h"
#include "app/data/ServiceLog.h"
#include "link/FilePaths.h"

namespace fs = std::filesystem;

namespace quelby::cli {
namespace {

// A text on one line: a line end or other control character inside it would split the event.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text;
}

std::string eventLine(const ServiceEvent& event) {
    std::string line = event.time + "  " + oneLine(event.source) + "  ";
    if (!event.address.empty()) line += event.address + " ";
    line += oneLine(event.item) + "  ";
    if (!event.before.empty()) line += oneLine(event.before) + " -> ";
    line += oneLine(event.asked) + "  ";
    line += event.confirmed ? "confirmed" : "NOT CONFIRMED";
    if (event.count > 1) {
        line += event.confirmed ? ", " + std::to_string(event.count) + " writes"
                                : ", " + std::to_string(event.confirmedCount) + " of " +
                                      std::to_string(event.count);
    }
    if (!event.detail.empty()) line += "  " + oneLine(event.detail);
    return line + "  (" + oneLine(event.user) + ", " + oneLine(event.program) + ")";
}

// log [--since DATE] [--until DATE]: the events oldest first, as text, JSON lines or CSV.
int runLog(CliSession& session, const std::vector<std::string>& args) {
    ServiceLogFilter filter;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const bool since = args[i] == "--since";
        if ((!since && args[i] != "--until") || i + 1 >= args.size()) return kExitUsage;
        const auto time = ParseUserTime(args[i + 1], !since);
        if (!time) {
            session.err << "quelby-cli: " << args[i] << " takes a date: YYYY-MM-DD, "
                        << "\"YYYY-MM-DD HH:MM[:SS]\" (local time) or a time with its offset "
                        << "such as 2026-12-07T14:03:59+01:00; not \"" << args[i + 1] << "\"."
                        << std::endl;
            return kExitUsage;
        }
        (since ? filter.since : filter.until) = time;
    }
    const fs::path file = ServiceLogFile(session.options.home.value_or(ProgramFolder()));
    const ServiceLogContents contents = ReadServiceLog(file);

    if (session.options.csv) session.out << ServiceLogCsvHeader();
    for (const ServiceLogEntry& entry : contents.entries) {
        if (!entry.event || !ServiceLogMatches(entry, filter)) continue;
        if (session.options.csv) session.out << ServiceLogCsvRow(*entry.event);
        else if (session.options.json) session.out << ServiceEventJson(*entry.event) << '\n';
        else session.out << eventLine(*entry.event) << '\n';
    }
    session.out.flush();

    if (contents.unreadable > 0)
        session.err << "quelby-cli: " << contents.unreadable
                    << (contents.unreadable == 1 ? " unreadable line" : " unreadable lines")
                    << " in the service log" << std::endl;
    if (!contents.problem.empty()) {
        session.err << "quelby-cli: " << contents.problem << std::endl;
        return kExitRefused;
    }
    std::error_code ignored;
    if (contents.entries.empty() && !fs::exists(file, ignored) &&
        !fs::exists(RotatedServiceLogFile(file), ignored))
        session.err << "quelby-cli: there is no service log yet (" << file.string() << ")."
                    << std::endl;
    return kExitOk;
}

} // namespace

std::vector<CliCommand> LogCommands() {
    return {
        {"log", "[--since DATE] [--until DATE]",
         "print the service log, the changes made to the board, oldest first: time, source, "
         "item, value before -> value asked for, whether the board confirmed it, user and "
         "program; DATE is YYYY-MM-DD (--until: to its end), \"YYYY-MM-DD HH:MM\" or a time "
         "with offset; no board needed (--json: each event as stored, one per line; --csv: a "
         "header and a row per event; exit 3 when the log cannot be read)",
         false, runLog},
    };
}

} // namespace quelby::cli
