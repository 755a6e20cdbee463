// quelby-cli publish against quelby-sim and a mosquitto broker of the test's own, watched by
// mosquitto_sub: the messages and their order, the retained status and the last will, the
// broker's refusal, and the command lines refused before anything is sent.
#include "tests/cli/CliRig.h"
#include "tests/support/MosquittoBroker.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>

namespace quelby::test {
namespace {

using Messages = std::vector<std::string>;

bool MosquittoMissing() {
    return MosquittoPrograms::broker().empty() || MosquittoPrograms::subscriber().empty();
}

struct PublishRig : CliRig {
    explicit PublishRig(std::vector<std::string> simArgs = {"--still"})
        : CliRig(std::move(simArgs), QUELBY_CLI_PROGRAM) {}
    // quelby-cli publish running beside the test.
    std::unique_ptr<ChildProcess> start(const std::vector<std::string>& args) {
        std::vector<std::string> all{"--home", home.path().string(), "--device", sim().devicePath(),
                                     "publish"};
        all.insert(all.end(), args.begin(), args.end());
        return std::make_unique<ChildProcess>(QUELBY_CLI_PROGRAM, all);
    }
};

bool Sent(ChildProcess& publisher, int message) {
    const std::string line = "message " + std::to_string(message) + " sent";
    return publisher.waitFor(
        [&](const std::string&, const std::string& err) {
            return err.find(line) != std::string::npos;
        },
        10.0);
}

TEST(PublishCli, sendsAMessagePerPassInOrderWithNullForAValueTheBoardDidNotConfirm) {
    if (MosquittoMissing()) GTEST_SKIP() << "mosquitto and mosquitto_sub are not installed";
    const MosquittoBroker broker;
    // The low address byte of the first read (W182) is lost on the line.
    PublishRig board({"--still", "--set", "W182=1234", "--set", "D1100=123456789", "--set",
                      "D1104=42", "--set", "B8176=16", "--lose", "5"});
    MqttSubscriber subscriber(broker, "plant/line1/#");
    const auto run = board.run({"publish", "--mqtt", broker.address(), "--topic", "plant/line1/",
                                "--count", "3", "--interval", "50"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "message 1 sent to plant/line1/live\nmessage 2 sent to plant/line1/live\n"
                       "message 3 sent to plant/line1/live\n");

    const Messages messages = subscriber.messages(5);
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages.front(), "0 plant/line1/status online");
    EXPECT_EQ(messages.back(), "0 plant/line1/status offline") << "a clean stop says so";
    const std::regex live(
        R"(0 plant/line1/live \{"time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d",)"
        R"(("cpm":[^,]+),"good_cans":123456789,"blowoffs":42,"fault":16,)"
        R"("fault_text":"Fault Code \(10H\): Board fault 10H [^"]*"\})");
    for (std::size_t i = 1; i <= 3; ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(messages[i], match, live)) << messages[i];
        EXPECT_EQ(match[1], i == 1 ? R"("cpm":null)" : R"("cpm":1234)")
            << "never 0 for a lost value";
    }
}

TEST(PublishCli, theStatusIsRetainedAndAKilledPublisherLeavesItsLastWill) {
    if (MosquittoMissing()) GTEST_SKIP() << "mosquitto and mosquitto_sub are not installed";
    const MosquittoBroker broker;
    PublishRig board;
    const std::vector<std::string> args{"--mqtt",      broker.address(), "--topic",
                                        "plant/line1", "--interval",     "100"};
    const auto status = [&](std::vector<std::string> options) {
        options.insert(options.end(), {"-C", "1"});
        return MqttSubscriber(broker, "plant/line1/status", options).messages(1);
    };

    auto publisher = board.start(args);
    ASSERT_TRUE(Sent(*publisher, 1)) << publisher->err();
    EXPECT_EQ(status({}), Messages{"1 plant/line1/status online"})
        << "a newcomer learns it at once";
    EXPECT_EQ(publisher->stop(SIGTERM), 0) << publisher->err();
    EXPECT_EQ(status({}), Messages{"1 plant/line1/status offline"});

    publisher = board.start(args);
    ASSERT_TRUE(Sent(*publisher, 1)) << publisher->err();
    // -R: only what comes from now on, not the retained "online".
    MqttSubscriber watching(broker, "plant/line1/status", {"-R", "-C", "1"});
    EXPECT_EQ(publisher->stop(SIGKILL), 128 + SIGKILL);
    EXPECT_EQ(watching.messages(1), Messages{"0 plant/line1/status offline"});
    EXPECT_EQ(status({}), Messages{"1 plant/line1/status offline"}) << "the will is retained";
}

TEST(PublishCli, aPasswordTheBrokerRefusesIsNamedAsSuch) {
    if (MosquittoMissing()) GTEST_SKIP() << "mosquitto and mosquitto_sub are not installed";
    if (MosquittoPrograms::passwordTool().empty())
        GTEST_SKIP() << "mosquitto_passwd is not installed";
    const MosquittoBroker broker(MosquittoBroker::User{"line1", "s3cret"});
    PublishRig board;
    const struct {
        const char* password;
        int status;
        const char* err;
    } cases[] = {
        {"wrong\n", 69, "quelby-cli: the broker refused the user name or password.\n"},
        {"s3cret\n", 0, "message 1 sent to plant/live\n"},
    };
    for (const auto& c : cases) {
        const auto file = board.home.write("broker.pass", c.password);
        std::filesystem::permissions(file, std::filesystem::perms::owner_read);
        const auto run =
            board.run({"publish", "--mqtt", broker.address(), "--topic", "plant", "--username",
                       "line1", "--password-file", file.string(), "--count", "1"});
        EXPECT_EQ(run.status, c.status) << c.password;
        EXPECT_TRUE(run.err.starts_with(c.err)) << run.err;
        std::filesystem::remove(file);
    }
}

TEST(PublishCli, aCommandLineThatIsRefusedSendsNothingToTheBoard) {
    PublishRig board;
    const auto openFile = board.home.write("open.pass", "s3cret\n");
    std::filesystem::permissions(
        openFile, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                      std::filesystem::perms::group_read | std::filesystem::perms::others_read);
    const struct {
        std::vector<std::string> args;
        int status;
        const char* err;
    } cases[] = {
        // The settings' checks, each tested on its own, refuse with status 3.
        {{"--topic", "plant/+/line1"}, 3, "holds an MQTT wildcard"},
        {{"--topic", "plant", "--username", "u", "--password-file", openFile.string()},
         3,
         "may be read by others (mode 0644)"},
        {{"--topic", "plant", "--password-file", openFile.string()}, 64, "needs --username"},
        {{"--topic", "plant", "--interval", "soon"}, 64, "usage: publish"},
        {{"--topic", "plant", "--qos", "1"}, 64, "publish does not take --qos"},
        {{}, 64, "publish needs --mqtt HOST and --topic PREFIX"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"publish", "--mqtt", "127.0.0.1:1"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_TRUE(EndedSaying(board.run(args), c.status, c.err));
    }
    EXPECT_EQ(board.run({"publish", "--mqtt", "broker:0", "--topic", "plant"}).status, 64);
    EXPECT_EQ(board.stopAndReadTrace(), "") << "nothing was sent to the board";
}

} // namespace
} // namespace quelby::test
