// What goes to a plant's MQTT broker: the live message, the checks of the settings a user
// gives, and the bounded queue in front of the broker.
#include "app/data/LiveMessage.h"
#include "app/data/PublishQueue.h"
#include "app/data/PublishSettings.h"
#include "app/data/ServiceLog.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

using namespace std::chrono;

TEST(LiveMessage, isOneJsonLineWithLocalTimeAndNullForWhatTheBoardDidNotConfirm) {
    const auto time = sys_days{2026y / 6 / 10} + 12h + 3min + 4s + 250ms;
    // The service log's form of a local time with its offset ("2026-06-10T14:03:04+02:00").
    const std::string at = R"({"time":")" + IsoLocalTime(time) + R"(",)";
    const auto message = [&](LiveValues values, std::optional<std::int64_t> fault,
                             std::optional<std::string> text) {
        return LiveMessageJson(LiveMessage{time, values, fault, std::move(text)});
    };
    EXPECT_EQ(message({1234, 4000000000, 7}, 16, "Fault Code (10H): Board fault 10H"),
              at + R"("cpm":1234,"good_cans":4000000000,"blowoffs":7,)"
                   R"("fault":16,"fault_text":"Fault Code (10H): Board fault 10H"})");
    EXPECT_EQ(message({std::nullopt, 0, std::nullopt}, std::nullopt, std::nullopt),
              at + R"("cpm":null,"good_cans":0,"blowoffs":null,"fault":null,"fault_text":null})");
    // The fault file's one-byte characters stay valid JSON.
    EXPECT_EQ(message({0, 0, 0}, 0, "Temp \260C \"high\""),
              at + R"("cpm":0,"good_cans":0,"blowoffs":0,"fault":0,)"
                   R"("fault_text":"Temp \u00b0C \"high\""})");
}

TEST(PublishSettings, topicPrefixesThatNameOneTopicAreTakenAndWildcardsRefused) {
    const struct {
        const char* prefix;
        const char* taken; // nullptr: refused
        const char* problem;
    } cases[] = {
        {"plant/line1", "plant/line1", ""},
        {"plant/line1//", "plant/line1", ""},
        {"Halle 3/Linie 1 \xC3\xA4 \xF0\x9F\x98\x80", "Halle 3/Linie 1 \xC3\xA4 \xF0\x9F\x98\x80",
         ""},
        {"", nullptr, "empty"},
        {"///", nullptr, "empty"},
        {"plant/+/line", nullptr, "wildcard"},
        {"plant/#", nullptr, "wildcard"},
        {"$SYS/plant", nullptr, "'$'"},
        {"plant\xC3", nullptr, "UTF-8"},
        {"plant\xC0\xAF", nullptr, "UTF-8"},
        {"plant\xFC\x80\x80\x80", nullptr, "UTF-8"}, // no lead byte beyond F4
    };
    for (const auto& c : cases) {
        const CheckedText checked = CheckTopicPrefix(c.prefix);
        EXPECT_EQ(checked.text.has_value(), c.taken != nullptr) << c.prefix;
        if (c.taken) {
            EXPECT_EQ(*checked.text, c.taken);
        }
        EXPECT_NE(checked.problem.find(c.problem), std::string::npos)
            << c.prefix << checked.problem;
    }
    EXPECT_FALSE(CheckTopicPrefix(std::string("plant\0line", 10)).text);

    // The topics themselves are checked by quelby-cli publish's tests.
    PublishSettings settings;
    EXPECT_EQ(settings.brokerPort(), 1883);
    settings.caFile = "ca.crt";
    EXPECT_EQ(settings.brokerPort(), 8883) << "TLS has a port of its own";
    settings.port = 1884;
    EXPECT_EQ(settings.brokerPort(), 1884);
}

TEST(PublishSettings, brokerAddressesTakeAPortAndBracketedIpv6) {
    const struct {
        const char* text = "";
        const char* host = nullptr; // nullptr: refused
        std::optional<int> port;
    } cases[] = {
        {"broker.plant", "broker.plant", std::nullopt},
        {"10.0.0.5:1884", "10.0.0.5", 1884},
        {"[fd00::5]:8883", "fd00::5", 8883},
        {"[fd00::5]", "fd00::5", std::nullopt},
        {"fd00::5", "fd00::5", std::nullopt},
        {"", nullptr, {}},
        {":1883", nullptr, {}},
        {"broker:", nullptr, {}},
        {"broker:0", nullptr, {}},
        {"broker:65535", "broker", 65535},
        {"broker:65536", nullptr, {}},
        {"broker:18x", nullptr, {}},
        {"[fd00::5]x", nullptr, {}},
    };
    for (const auto& c : cases) {
        const auto address = ParseBrokerAddress(c.text);
        ASSERT_EQ(address.has_value(), c.host != nullptr) << c.text;
        if (!address) continue;
        EXPECT_EQ(address->host, c.host);
        EXPECT_EQ(address->port, c.port) << c.text;
    }
}

#ifndef _WIN32
TEST(PublishSettings, aPasswordFileOthersMayReadIsRefusedNamingFileAndMode) {
    TempFolder folder;
    const auto file = folder.write("broker.pass", "s3cret pass\r\nsecond line\n");
    using std::filesystem::perms;
    const struct {
        perms mode;
        const char* problem; // empty: read
    } cases[] = {
        {perms::owner_read | perms::owner_write, ""},
        {perms::owner_read | perms::group_read, "(mode 0440)"},
        {perms::owner_read | perms::owner_write | perms::others_read, "(mode 0604)"},
    };
    for (const auto& c : cases) {
        std::filesystem::permissions(file, c.mode);
        const CheckedText password = ReadPasswordFile(file);
        if (!*c.problem) {
            EXPECT_EQ(password.text, "s3cret pass") << "the first line, without its line end";
            continue;
        }
        EXPECT_FALSE(password.text);
        EXPECT_NE(password.problem.find(file.string()), std::string::npos) << password.problem;
        EXPECT_NE(password.problem.find(c.problem), std::string::npos) << password.problem;
    }
    std::filesystem::permissions(folder.write("empty.pass", ""), perms::owner_read);
    EXPECT_FALSE(ReadPasswordFile(folder.path() / "empty.pass").text);
    EXPECT_FALSE(ReadPasswordFile(folder.path() / "missing.pass").text);
}
#endif

TEST(PublishQueue, aFullQueueDropsItsOldestMessageAndCountsIt) {
    PublishQueue queue(3);
    for (const char* message : {"1", "2", "3", "4", "5"})
        queue.push(message);
    EXPECT_EQ(queue.size(), 3u);
    EXPECT_EQ(queue.dropped(), 2u);
    for (const char* message : {"3", "4", "5"})
        EXPECT_EQ(queue.pop(), message);
    EXPECT_EQ(queue.pop(), std::nullopt);
    queue.push("6");
    EXPECT_EQ(queue.pop(), "6") << "room again once emptied";
    EXPECT_EQ(queue.dropped(), 2u);
}

} // namespace
} // namespace quelby::test
