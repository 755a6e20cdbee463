// pls: the board's programmable limit switch from the command line.
#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompt.h"
#include "link/PlsMessages.h"
#include "app/data/JsonWriter.h"

namespace quelby::cli {
namespace {

constexpr int kWord = 65535;
constexpr int kLargestChannel = 255;

// A request that failed without a message of its own was not confirmed by the board: an
// answer came late or wrong, and the request may have been taken only in part.
template <typename Request> int outcome(CliSession& session, Request request) {
    const int asked = session.prompt ? session.prompt->asked() : 0;
    if (request()) return kExitOk;
    if (session.link.CommError) return kExitLinkFailed;
    if (session.prompt && session.prompt->asked() > asked) return kExitRefused;
    session.err << "quelby-cli: the board did not confirm the PLS request; the channel or "
                   "setting may be changed in part."
                << std::endl;
    return kExitLinkFailed;
}

int printReading(CliSession& session, const std::string& value) {
    if (value == std::to_string(RSComm::kPlsReadFailed)) return kExitLinkFailed;
    session.out << value << '\n';
    return kExitOk;
}

// Parses every argument as a number in 0..65535, or refuses the command line.
std::optional<std::vector<int>> numbers(const std::vector<std::string>& args, std::size_t from) {
    std::vector<int> values;
    for (std::size_t i = from; i < args.size(); ++i) {
        auto value = WholeNumber(args[i], 0, kWord);
        if (!value) return std::nullopt;
        values.push_back(*value);
    }
    return values;
}

int runRecall(CliSession& session, int chan) {
    const RSComm::RecallList list = session.link.RecallAllSetpoints(chan);
    // A list that did not end as the board ends it is not printed as JSON: it is not the
    // channel's list.
    if (session.options.json && list.end == RSComm::RecallEnd::EndOfList) {
        JsonWriter json(session.out);
        json.beginObject().key("channel").value(chan).key("setpoints").beginArray();
        for (const auto& setpoint : list.setpoints)
            json.beginObject()
                .key("state").value(setpoint.on ? "ON" : "OFF")
                .key("position").value(setpoint.position)
                .endObject();
        json.endArray().endObject().finish();
    }
    if (!session.options.json)
        for (const auto& setpoint : list.setpoints)
            session.out << (setpoint.on ? "ON " : "OFF ") << setpoint.position << '\n';
    switch (list.end) {
    case RSComm::RecallEnd::EndOfList:
        return kExitOk;
    case RSComm::RecallEnd::CutOff:
        session.err << PlsMessages::RecallCutOff(chan, static_cast<int>(list.setpoints.size())).text(" ")
                    << std::endl;
        return kExitLinkFailed;
    case RSComm::RecallEnd::Failed:
        break;
    }
    if (!session.link.CommError)
        session.err << "quelby-cli: the board did not confirm a setpoint of channel " << chan
                    << "; the list above ends there." << std::endl;
    return kExitLinkFailed;
}

int runPls(CliSession& session, const std::vector<std::string>& args) {
    if (args.empty()) return kExitUsage;
    RSComm& link = session.link;
    const std::string& what = args[0];
    if (args.size() == 1) {
        if (what == "scale") return printReading(session, link.PLSScaleFactor());
        if (what == "offset") return printReading(session, link.PLSOffset());
        if (what == "position") return printReading(session, link.PLSPos());
        if (what == "rpm") return printReading(session, link.PLSRpm());
        if (what == "config") {
            const RSComm::PlsConfiguration config = link.PLSConfigUpload();
            if (!link.PLSConfigUploaded()) return kExitLinkFailed;
            if (session.options.json) {
                JsonWriter json(session.out);
                json.beginObject().key("configuration").beginArray();
                for (std::int16_t value : config) json.value(int{value});
                json.endArray().endObject().finish();
                return kExitOk;
            }
            for (std::size_t i = 0; i < config.size(); ++i) session.out << (i ? " " : "") << config[i];
            session.out << '\n';
            return kExitOk;
        }
        return kExitUsage;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    const bool clear = !rest.empty() && rest.back() == "--clear";
    if (clear) rest.pop_back();
    const auto values = numbers(rest, 0);
    if (!values) return kExitUsage;
    const std::vector<int>& v = *values;
    // A channel travels as one byte.
    if (what != "offset-to" && !v.empty() && v[0] > kLargestChannel) return kExitUsage;
    if (what == "set" && v.size() == 3)
        return outcome(session, [&] { return link.SingleSetpoint(v[0], v[1], v[2], clear); });
    if (clear) return kExitUsage;
    if (what == "pulse" && v.size() == 4)
        return outcome(session, [&] { return link.PulseTrain(v[0], v[1], v[2], v[3]); });
    if (what == "clear" && v.size() == 1)
        return outcome(session, [&] { return link.ClearPLSChan(v[0]); });
    if (what == "recall" && v.size() == 1) return runRecall(session, v[0]);
    if (what == "offset-to" && v.size() == 1)
        return outcome(session, [&] { return link.SetPLSOffset(v[0]); });
    return kExitUsage;
}

} // namespace

std::vector<CliCommand> PlsCommands() {
    return {
        {"pls", "scale|offset|position|rpm|config",
         "a PLS reading; config prints the 19 configuration values on one line (--json: "
         "{\"configuration\":[19 numbers]})",
         true, runPls},
        {"pls", "set CH ON OFF [--clear]",
         "program an ON/OFF setpoint pair on channel CH, clearing the channel first if asked",
         true, runPls},
        {"pls", "pulse CH ON OFF START", "program a pulse train on channel CH", true, runPls},
        {"pls", "clear CH", "clear every setpoint of channel CH", true, runPls},
        {"pls", "recall CH",
         "list channel CH's setpoints, one 'ON n' or 'OFF n' line each (--json: channel, "
         "setpoints [{state, position}...])",
         true, runPls},
        {"pls", "offset-to POSITION",
         "set the resolver offset so that the present position reads POSITION", true, runPls},
    };
}

} // namespace quelby::cli
