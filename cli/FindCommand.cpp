// find: which serial device the board is on, and at which speed.
#include "cli/CliCommands.h"

#include "app/data/JsonWriter.h"
#include "link/BoardSearch.h"

#include <iterator>

namespace quelby::cli {
namespace {

int runFind(CliSession& session, const std::vector<std::string>& args) {
    if (!args.empty()) return kExitUsage;
    const PortMap map = PortMap::load(PortMap::FileIn(session.options.home.value_or(".")));
    const std::vector<SearchDevice> devices = SerialDevicesToSearch(map);
    BoardSearch search(session.clock, session.portFor, session.options.home.value_or("."));
    ProgressLine line(session.err, session.clock, session.progress);
    const long tries = static_cast<long>(devices.size() * std::size(kSearchSpeeds));
    long tried = 0;
    const std::vector<SearchResult> results =
        search.run(devices, [&](const SearchDevice&, int) {
            line.update("Searching the serial devices", tried++, tries);
            return true;
        });
    if (tries > 0) line.update("Searching the serial devices", tries, tries);
    line.finish();

    int boards = 0;
    int opened = 0;
    for (const SearchResult& result : results) {
        boards += result.outcome == SearchResult::Outcome::Board;
        opened += result.outcome != SearchResult::Outcome::CannotOpen;
    }
    if (session.options.json) {
        JsonWriter json(session.out);
        json.beginArray();
        for (const SearchResult& result : results) {
            json.beginObject().key("device").value(result.where.device);
            if (result.where.portNumber > 0) json.key("port").value(result.where.portNumber);
            switch (result.outcome) {
            case SearchResult::Outcome::Board:
                json.key("board").value(true).key("baud").value(result.baud);
                if (result.programRevision >= 0)
                    json.key("programIdent").value(result.programIdent)
                        .key("programRevision").value(result.programRevision);
                if (result.firmwareRevision >= 0)
                    json.key("firmwareRevision").value(result.firmwareRevision);
                break;
            case SearchResult::Outcome::NoAnswer:
                json.key("board").value(false);
                break;
            case SearchResult::Outcome::CannotOpen:
                json.key("board").value(false).key("error").value(result.reason);
                break;
            }
            json.endObject();
        }
        json.endArray().finish();
    } else {
        for (const SearchResult& result : results) session.out << SearchResultLine(result) << '\n';
    }
    if (boards > 0) return kExitOk;
    if (opened > 0) return kExitNoBoardFound;
    session.out.flush();
    session.err << (results.empty() ? "quelby-cli: this machine has no serial device to try."
                                    : "quelby-cli: no serial device could be opened.")
                << std::endl;
    return kExitNoDeviceTried;
}

} // namespace

std::vector<CliCommand> FindCommands() {
    return {
        {"find", "",
         "try every serial device of this machine at 9600 and 19200 baud with the board's "
         "handshake and list what answered, with the program and firmware it runs (exit 0 a "
         "board found, 1 none, 2 no device could be tried; --json: a list of {device, port, "
         "board, baud, programIdent, programRevision, firmwareRevision, error})",
         false, runFind},
    };
}

} // namespace quelby::cli
