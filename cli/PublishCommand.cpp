// publish: the line's live values, read once per interval, to a plant's MQTT broker.
#include "app/data/LiveMessage.h"
#include "app/data/LivePublisher.h"
#include "app/data/PublishSettings.h"
#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/InterruptScope.h"
#include "link/BoardIdentity.h"

#include <algorithm>
#include <fstream>

namespace quelby::cli {
namespace {

// With --count, how long the last messages may take to reach the broker.
constexpr auto kDrainTime = std::chrono::seconds(3);

struct PublishArguments {
    PublishSettings settings;
    int count = 0; // 0: until interrupted
};

int refuse(CliSession& session, const std::string& problem) {
    session.err << "quelby-cli: " << problem << "." << std::endl;
    return kExitRefused;
}

int usage(CliSession& session, const std::string& problem) {
    session.err << "quelby-cli: " << problem << std::endl;
    return kExitUsage;
}

// The command line, checked whole before anything is sent to the board. kExitOk or the exit
// status of a refusal.
int publishArguments(CliSession& session, const std::vector<std::string>& args,
                     PublishArguments& publish) {
    std::optional<std::string> broker, topic, passwordFile;
    PublishSettings& settings = publish.settings;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) return usage(session, "publish: " + name + " needs a value");
        const std::string& value = args[i + 1];
        if (name == "--mqtt")
            broker = value;
        else if (name == "--topic")
            topic = value;
        else if (name == "--client-id")
            settings.clientId = value;
        else if (name == "--username")
            settings.username = value;
        else if (name == "--password-file")
            passwordFile = value;
        else if (name == "--cafile")
            settings.caFile = value;
        else if (name == "--interval" || name == "--count") {
            const auto number = name == "--interval" ? WholeNumber(value, 0, 86400000)
                                                     : WholeNumber(value, 1, 1000000000);
            if (!number) return kExitUsage;
            if (name == "--interval")
                settings.interval = std::chrono::milliseconds(*number);
            else
                publish.count = *number;
        } else {
            return usage(session, "publish does not take " + name);
        }
    }
    if (!broker || !topic) return usage(session, "publish needs --mqtt HOST and --topic PREFIX");
    const auto address = ParseBrokerAddress(*broker);
    if (!address) return usage(session, "--mqtt takes HOST or HOST:PORT (a port from 1 to 65535)");
    settings.host = address->host;
    settings.port = address->port;
    if (passwordFile && settings.username.empty())
        return usage(session, "--password-file needs --username");

    const CheckedText prefix = CheckTopicPrefix(*topic);
    if (!prefix.text) return refuse(session, prefix.problem);
    settings.topicPrefix = *prefix.text;
    if (passwordFile) {
        const CheckedText password = ReadPasswordFile(*passwordFile);
        if (!password.text) return refuse(session, password.problem);
        settings.password = *password.text;
    }
    if (!settings.caFile.empty() &&
        (!std::filesystem::is_regular_file(settings.caFile) || !std::ifstream(settings.caFile)))
        return refuse(session, "the CA file " + settings.caFile.string() + " cannot be read");
    return kExitOk;
}

// One pass of the board's live values; a value it did not confirm is none.
LiveMessage readLiveValues(CliSession& session) {
    LiveMessage message{std::chrono::system_clock::now(), {}, {}, {}};
    std::optional<std::int64_t>* values[] = {&message.values.machineCpm, &message.values.goodCans,
                                             &message.values.blowoffs};
    for (std::size_t i = 0; i < LiveRecording::kAddresses.size() && !session.link.CommError; ++i)
        if (const auto value = TrustedRead(session, LiveRecording::kAddresses[i]))
            *values[i] = *value;
    if (!session.link.CommError)
        if (const auto code = TrustedRead(session, kFaultCodeAddress)) message.faultCode = *code;
    return message;
}

// What the tool says on standard error while it publishes: the broker's problems always, as
// they change; unless --quiet, on a terminal one line with the state redrawn in place, else a
// line for each message sent.
class PublishReport {
public:
    PublishReport(CliSession& session, const PublishSettings& settings)
        : m_session(session), m_line(session.err, session.clock, session.progress),
          m_topic(settings.liveTopic()),
          m_broker(settings.host + ":" + std::to_string(settings.brokerPort())) {}

    // `last`: the state after the stop, shown at once.
    void update(const PublisherStatus& status, bool last = false) {
        if (!status.lastError.empty() && status.lastError != m_lastError)
            m_session.err << "quelby-cli: " << status.lastError << "." << std::endl;
        m_lastError = status.lastError;
        std::string pipeLines;
        for (; m_sent < status.sent; ++m_sent)
            pipeLines += (pipeLines.empty() ? "" : "\n") +
                         ("message " + std::to_string(m_sent + 1) + " sent to " + m_topic);
        const char* state = last ? "stopped" : status.connected ? "connected" : "not connected";
        m_line.show(m_topic + " at " + m_broker + ": " + state + ", " +
                        std::to_string(status.sent) + " sent, " + std::to_string(status.dropped) +
                        " dropped",
                    pipeLines, last);
    }
    void finish() { m_line.finish(); }

private:
    CliSession& m_session;
    ProgressLine m_line;
    const std::string m_topic;
    const std::string m_broker;
    std::string m_lastError;
    std::uint64_t m_sent = 0;
};

// publish --mqtt HOST[:PORT] --topic PREFIX [...]: a pass reads the live values and hands the
// message to the publisher, which sends it on a thread of its own, so a slow or absent broker
// never holds up the reading. Passes are paced as watch paces them.
int runPublish(CliSession& session, const std::vector<std::string>& args) {
    PublishArguments publish;
    if (const int status = publishArguments(session, args, publish); status != kExitOk)
        return status;
    if (!session.goOnline()) return kExitLinkFailed;
    LivePublisher publisher(publish.settings);
    PublishReport report(session, publish.settings);
    InterruptScope interrupts;
    std::optional<std::int64_t> describedCode;
    std::string description;
    std::uint64_t published = 0;
    bool linkFailed = false;
    const double interval = std::chrono::duration<double>(publish.settings.interval).count();
    for (int pass = 0;
         !InterruptScope::interrupted() && (publish.count == 0 || pass < publish.count); ++pass) {
        const double start = session.clock.monotonicSeconds();
        LiveMessage message = readLiveValues(session);
        if ((linkFailed = session.link.CommError)) break;
        if (message.faultCode) {
            if (message.faultCode != describedCode)
                description = session.link.FaultDescription(static_cast<int>(*message.faultCode));
            describedCode = message.faultCode;
            message.faultText = description;
        }
        publisher.publish(LiveMessageJson(message));
        ++published;
        report.update(publisher.status());
        if (publish.count != 0 && pass + 1 >= publish.count) break;
        // Sleeps in short slices until the pass's interval is over, so Ctrl+C is heard soon.
        while (!InterruptScope::interrupted()) {
            const double left = start + interval - session.clock.monotonicSeconds();
            if (left <= 0) break;
            session.clock.sleepFor(std::min(left, 0.05));
            report.update(publisher.status());
        }
    }
    if (!linkFailed && !InterruptScope::interrupted()) publisher.waitUntilSent(kDrainTime);
    publisher.stop();
    const PublisherStatus status = publisher.status();
    report.update(status, true);
    report.finish();
    if (linkFailed) {
        session.err << "quelby-cli: the link failed." << std::endl;
        return kExitLinkFailed;
    }
    if (status.sent < published) {
        session.err << "quelby-cli: " << published - status.sent << " of " << published
                    << " message(s) did not reach the broker"
                    << (status.lastError.empty() ? "" : ": " + status.lastError) << "."
                    << std::endl;
        return kExitUnavailable;
    }
    return kExitOk;
}

} // namespace

std::vector<CliCommand> PublishCommands() {
    return {
        {"publish",
         "--mqtt HOST[:PORT] --topic PREFIX [--interval MS] [--count N] [--client-id ID] "
         "[--username U --password-file F] [--cafile F]",
         "read Machine CPM (W182), good cans (D1100), blow-offs (D1104) and the fault code once "
         "per interval (default 1000 ms) and publish them as one JSON message on PREFIX/live of "
         "an MQTT broker (port 1883; with --cafile TLS and port 8883) until interrupted or N "
         "messages; PREFIX/status holds a retained online, offline after a stop or a lost "
         "connection; a value the board did not confirm is null; the password is read from a "
         "file only its owner may read; exit 69 when messages did not reach the broker",
         false, runPublish},
    };
}

const char* PublishExitStatusHelp() {
    return "69 (publish) messages did not\nreach the MQTT broker, ";
}

} // namespace quelby::cli
