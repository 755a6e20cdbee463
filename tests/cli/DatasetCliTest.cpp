// quelby-cli's dataset commands: a set-up file written and shown again, no board needed.
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

TEST(DatasetCli, newWritesTheDefaultsThatShowPrintsBack) {
    TempFolder folder;
    const std::string file = (folder.path() / "defaults.sdt").string();
    auto run = [](const std::vector<std::string>& args) {
        return SimProcess::runProgram(SimProcess::cliProgram(), args);
    };
    ASSERT_EQ(run({"dataset", "new", file}).status, 0);
    const auto shown = run({"dataset", "show", file});
    ASSERT_EQ(shown.status, 0) << shown.err;
    for (const char* line : {"Version: QUELBY_R2.2.4\n0 B1011 0\n1 W1020 0\n", "\n97 B1018 8\n",
                             "\n104 B4011 10\nPLSChannels: 16\n",
                             "\nSpeedComp: 0 0 0 0 0 0 0 0\nSetpoint CH00: ON 20 OFF 60\n",
                             "\nSetpoint CH10: ON 0 OFF 180\n"})
        EXPECT_NE(shown.out.find(line), std::string::npos) << line;
    EXPECT_EQ(run({"dataset", "new", file}).status, 3) << "replacing needs --yes";
}

} // namespace
} // namespace quelby::test
