#include "cli/CliOptions.h"
#include "cli/CliPrompt.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quelby::cli {
namespace {

std::optional<CliOptions> Parse(const std::vector<std::string>& args,
                                std::string* errorOut = nullptr) {
    std::string error;
    auto options = ParseCliOptions(args, error);
    if (errorOut) *errorOut = error;
    return options;
}

TEST(CliOptions, globalOptionsComeBeforeTheCommandOutputFormsAnywhereAndTheArgumentsAreKept) {
    auto options = Parse({"--port", "3", "--speed", "19200", "--retries", "2", "--yes", "--home",
                          "/tmp/q", "write", "W182", "--not-an-option"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->port, 3);
    EXPECT_EQ(options->speed, "19200");
    EXPECT_EQ(options->retries, 2);
    EXPECT_TRUE(options->yes);
    EXPECT_EQ(options->home, std::filesystem::path("/tmp/q"));
    EXPECT_EQ(options->command, (std::vector<std::string>{"write", "W182", "--not-an-option"}));

    // Output forms may follow the command and are taken out of its arguments.
    options = Parse({"compare", "--json", "visit/setup.sdt"});
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->json);
    EXPECT_EQ(options->command, (std::vector<std::string>{"compare", "visit/setup.sdt"}));
    options = Parse({"--csv", "watch", "W182", "--count", "3"});
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->csv);
    EXPECT_EQ(options->command, (std::vector<std::string>{"watch", "W182", "--count", "3"}));
    // The option alone names no command.
    EXPECT_FALSE(Parse({"--json"}));
}

TEST(CliOptions, refusesWhatCannotBeMeant) {
    std::string error;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             {"--port", "0", "read", "W182"},
             {"--port", "100", "read", "W182"},
             {"--port", "abc", "read", "W182"},
             {"--speed", "4800", "read", "W182"},
             {"--retries", "-1", "read", "W182"},
             {"--device", "/dev/x", "--port", "2", "read", "W182"},
             {"--bogus", "read"},
             {"--json", "read", "W182", "--csv"}}) {
        EXPECT_FALSE(Parse(args, &error)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(error.empty());
    }
    EXPECT_TRUE(Parse({"--help"}));
}

TEST(CliPrompt, retriesAsOftenAsAskedThenCancelsAndSaysYesOnlyWhenTold) {
    std::ostringstream err;
    CliPrompt prompt(err, 2, false);
    // How the message is written is pinned by the quelby-cli end-to-end tests.
    const MessageRequest warning{"W", {"Down."}, MessageButtons::RetryCancel, MessageIcon::Critical};
    EXPECT_EQ(prompt.ask(warning), MessageAnswer::Retry);
    EXPECT_EQ(prompt.ask(warning), MessageAnswer::Retry);
    EXPECT_EQ(prompt.ask(warning), MessageAnswer::Cancel);

    const MessageRequest question{"Q", {"Go?"}, MessageButtons::YesNoCancel, MessageIcon::Question};
    EXPECT_EQ(prompt.ask(question), MessageAnswer::No);
    CliPrompt willing(err, 0, true);
    EXPECT_EQ(willing.ask(question), MessageAnswer::Yes);
    EXPECT_FALSE(willing.input({"Keypad Set-up Passcode", "Please Enter", "5"}));
}

} // namespace
} // namespace quelby::cli
