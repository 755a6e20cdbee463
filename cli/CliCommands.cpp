#include "cli/CliCommands.h"

#include "app/data/EditedFields.h"
#include "app/data/JsonWriter.h"
#include "link/BoardAddress.h"

#include <algorithm>

namespace quelby::cli {
namespace {

int refuseAddress(CliSession& session, const std::string& address) {
    session.err << "ENTRY ALERT: Error: Invalid Board Address (" << address << ")." << std::endl;
    return kExitRefused;
}

// read ADDRESS...: each value in decimal on its own line, in order. Only values the board
// confirmed are printed; with --json, the whole list or nothing.
int runRead(CliSession& session, const std::vector<std::string>& args) {
    if (args.empty()) return kExitUsage;
    for (const auto& address : args)
        if (!ParseAddress(address)) return refuseAddress(session, address);
    if (!session.goOnline()) return kExitLinkFailed;
    std::vector<std::uint32_t> values;
    for (const auto& address : args) {
        const auto value = ConfirmedRead(session, address);
        if (!value) return kExitLinkFailed;
        if (!session.options.json) session.out << *value << '\n';
        values.push_back(*value);
    }
    if (session.options.json) {
        JsonWriter json(session.out);
        json.beginObject().key("values").beginArray();
        for (std::size_t i = 0; i < args.size(); ++i)
            json.beginObject()
                .key("address").value(args[i])
                .key("value").value(std::int64_t{values[i]})
                .endObject();
        json.endArray().endObject().finish();
    }
    session.out.flush();
    return kExitOk;
}

// write [--force] ADDRESS VALUE: through the entry check, then to the board. An address that
// a window's field edits takes only a whole number within that field's limits, as the field
// does, unless --force is given; a refused value sends nothing.
int runWrite(CliSession& session, const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const auto force = std::find(args.begin(), args.end(), "--force");
    const bool forced = force != args.end();
    if (forced) args.erase(force);
    if (args.size() != 2) return kExitUsage;
    if (const auto field = EditedFieldAt(args[0]); field && !forced) {
        const auto value = WholeNumberValue(args[1]);
        if (!value || *value < field->low || *value > field->high) {
            session.err << field->title << ": " << RangeMessageText(field->low, field->high)
                        << " (" << args[0] << " is edited by that field; --force writes it "
                        << "anyway)." << std::endl;
            return kExitRefused;
        }
    }
    session.link.RSWrite(args[0], args[1]);
    if (session.link.EntryRefused()) return kExitRefused;
    if (session.link.CommError) return kExitLinkFailed;
    if (!session.link.WriteConfirmed()) {
        session.err << "The board did not confirm the write to " << args[0] << "." << std::endl;
        return kExitLinkFailed;
    }
    return kExitOk;
}

} // namespace

std::optional<std::uint32_t> TrustedRead(CliSession& session, std::string_view address) {
    RSComm::ReadResult read = session.link.RSReadChecked(address);
    for (int retry = 0; !read.trusted && !session.link.CommError && retry < session.options.retries;
         ++retry)
        read = session.link.RSReadChecked(address);
    if (read.trusted) return static_cast<std::uint32_t>(std::stoul(read.text));
    return std::nullopt;
}

std::optional<std::uint32_t> ConfirmedRead(CliSession& session, std::string_view address) {
    if (auto value = TrustedRead(session, address)) return value;
    session.out.flush();
    session.err << "quelby-cli: the board did not confirm the value at " << address << "."
                << std::endl;
    return std::nullopt;
}

TransferHooks TransferProgressHooks(ProgressLine& line, bool pipeLines) {
    TransferHooks hooks;
    hooks.progress = [&line, pipeLines, lastLabel = std::string()](
                         const TransferProgress& progress) mutable {
        std::string pipeLine;
        if (pipeLines) {
            if (progress.label != lastLabel) pipeLine = progress.label + "\n";
            pipeLine += std::to_string(progress.value) + "/" + std::to_string(progress.maximum);
        }
        lastLabel = progress.label;
        line.update(progress.label, progress.value, progress.maximum, pipeLine);
    };
    return hooks;
}

std::vector<CliCommand> LinkCommands() {
    return {
        {"read", "ADDRESS...",
         "print the value at each board address in decimal, one per line (--json: "
         "{\"values\":[{\"address\",\"value\"}...]})",
         false, runRead},
        {"write", "[--force] ADDRESS VALUE",
         "write a whole number to a board address (checked as typed values are; an address a "
         "window edits keeps that field's limits unless --force)",
         true, runWrite},
    };
}

const std::vector<CliCommand>& Commands() {
    static const std::vector<CliCommand> commands = [] {
        std::vector<CliCommand> all;
        for (auto area : {LinkCommands, FindCommands, IdentityCommands, PlsCommands,
                          ProgramCommands, DatasetCommands, ReportCommands, TransferCommands,
                          BackupCommands, LogCommands, ServiceCommands, PublishCommands})
            for (auto& command : area()) all.push_back(std::move(command));
        return all;
    }();
    return commands;
}

const CliCommand* FindCommand(const std::string& name) {
    for (const auto& command : Commands())
        if (name == command.name) return &command;
    return nullptr;
}

} // namespace quelby::cli
