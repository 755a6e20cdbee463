// What Edit > Publish Live Values keeps: Support/Publish.cfg, the checks before a publisher
// starts, and the password in a file of the user's alone.
#include "app/data/PublishPasswordFile.h"
#include "app/data/PublishSettingsFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace quelby::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(PublishConfigFile, aHandEditedOrBrokenFileGivesWhatItCanAndTheDefaultsForTheRest) {
    TempFolder home;
    const fs::path file = PublishConfigFile(home.path());
    EXPECT_EQ(ReadPublishConfig(file), PublishConfig{}) << "no file: publishing off";

    home.write("Support/Publish.cfg", "# by hand\r\n publish = yes \r\nbroker= broker.plant:1884\r\n"
                                      "topic_prefix=plant/line3\r\nno equals sign\r\nunknown=1\r\n"
                                      "interval_ms=50\r\n");
    PublishConfig config = ReadPublishConfig(file);
    EXPECT_TRUE(config.enabled);
    EXPECT_EQ(config.broker, "broker.plant:1884");
    EXPECT_EQ(config.topicPrefix, "plant/line3");
    EXPECT_EQ(config.interval, PublishConfig::kDefaultInterval) << "50 ms is too short";

    home.write("Support/Publish.cfg", "publish=maybe\ninterval_ms=2500x\n\xFF\xFE=\x01\n");
    EXPECT_EQ(ReadPublishConfig(file), PublishConfig{});
    home.write("Support/Publish.cfg", "publish=on\n" + std::string(70000, '#'));
    EXPECT_FALSE(ReadPublishConfig(file).enabled) << "a file that large is not ours";

    // The publish dialog's tests write and read back a configuration that publishes.
    config = {false, "[::1]:1884", "plant/line 3", "line3", "C:\\certs\\plant ca.crt", 2500ms};
    std::error_code error;
    ASSERT_TRUE(WritePublishConfig(file, config, error)) << error.message();
    EXPECT_EQ(ReadPublishConfig(file), config);
}

TEST(PublishConfig, eachFieldAPublisherCannotUseIsRefusedAndNamed) {
    TempFolder home;
    const std::string ca = home.write("ca.crt", "certificate").string();
    const PublishConfig good{true, "[::1]:1884", "plant/line3/", "line3", ca, 2500ms};
    const PublishSetup setup = MakePublishSettings(good, "s3cret");
    ASSERT_TRUE(setup.settings) << setup.problem;
    EXPECT_EQ(setup.settings->host, "::1");
    EXPECT_EQ(setup.settings->brokerPort(), 1884);
    EXPECT_EQ(setup.settings->liveTopic(), "plant/line3/live");
    EXPECT_EQ(setup.settings->password, "s3cret");
    EXPECT_EQ(setup.settings->caFile, fs::path(ca));
    EXPECT_EQ(setup.settings->interval, 2500ms);

    const struct {
        PublishConfig config;
        std::string password;
        PublishField field;
    } refused[] = {
        // Which texts each check refuses is tested with the check; here each field's name.
        {{true, "", "plant", "", "", 1s}, "", PublishField::Broker},
        {{true, "broker", "plant/#", "", "", 1s}, "", PublishField::TopicPrefix},
        {{true, "broker", "plant", "line3\nbroker=elsewhere", "", 1s}, "", PublishField::Username},
        {{true, "broker", "plant", "", "", 1s}, "s3cret", PublishField::Username},
        {{true, "broker", "plant", "line3", "", 1s}, "s3cret\n", PublishField::Password},
        {{true, "broker", "plant", "", (home.path() / "none.crt").string(), 1s}, "",
         PublishField::CaFile},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.config.broker + " " + c.config.topicPrefix + " " + c.config.username);
        const PublishSetup result = MakePublishSettings(c.config, c.password);
        EXPECT_FALSE(result.settings);
        EXPECT_EQ(result.field, c.field) << result.problem;
        EXPECT_FALSE(result.problem.empty());
    }
}

TEST(FilePasswordStore, keepsThePasswordForItsKeyAloneInAFileOnlyItsOwnerMayRead) {
    TempFolder home;
    const fs::path file = PublishPasswordFile(home.path());
    FilePasswordStore store(file);
    const auto read = [&](const std::string& key) {
        CheckedText answer{std::string("not called"), {}};
        store.read(key, [&](const CheckedText& password) { answer = password; });
        return answer;
    };
    const auto write = [&](const std::string& password) {
        std::string answer = "not called";
        store.write("mqtt/broker/line3", password, [&](const std::string& problem) { answer = problem; });
        return answer;
    };
    EXPECT_FALSE(read("mqtt/broker/line3").text) << "none kept";
    EXPECT_EQ(read("mqtt/broker/line3").problem, "");

#ifndef _WIN32
    const mode_t umaskBefore = ::umask(0); // whatever the umask, the file is the owner's alone
    EXPECT_EQ(write("s3cret"), "");
    ::umask(umaskBefore);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
#else
    EXPECT_EQ(write("s3cret"), "");
#endif
    EXPECT_EQ(read("mqtt/broker/line3").text, "s3cret");
    EXPECT_EQ(read("mqtt/elsewhere/line3").text, std::nullopt) << "never sent to another broker";
    EXPECT_EQ(read("mqtt/broker/line4").text, std::nullopt) << "nor for another user";
    EXPECT_NE(write("two\nlines"), "");
    EXPECT_EQ(read("mqtt/broker/line3").text, "s3cret");

#ifndef _WIN32
    fs::permissions(file, fs::perms::others_read, fs::perm_options::add);
    const CheckedText open = read("mqtt/broker/line3");
    EXPECT_FALSE(open.text);
    EXPECT_NE(open.problem.find("may be read by others"), std::string::npos) << open.problem;
    EXPECT_EQ(write("n3w"), "");
    EXPECT_EQ(read("mqtt/broker/line3").text, "n3w") << "written again, the file is private again";
#endif

    EXPECT_EQ(write(""), "");
    EXPECT_FALSE(fs::exists(file)) << "an empty password removes the one kept";
}

} // namespace
} // namespace quelby::test
