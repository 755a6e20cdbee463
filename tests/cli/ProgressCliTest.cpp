#include "cli/CountingStream.h"
#include "cli/ProgressLine.h"
#include "sim/ManualClock.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace quelby::test {
namespace {

using cli::ProgressLine;
using cli::ProgressText;

TEST(CliProgress, theLineShowsTheBarDoneOfTotalAndTheTimeLeftAtThePaceSoFar) {
    EXPECT_EQ(ProgressText("Uploading", 0, 137, 3.0),
              "Uploading [--------------------] 0/137  0:03 elapsed, --:-- left");
    EXPECT_EQ(ProgressText("Uploading", 48, 137, 12.0),
              "Uploading [#######-------------] 48/137  0:12 elapsed, 0:22 left");
    EXPECT_EQ(ProgressText("Uploading", 137, 137, 75.4),
              "Uploading [####################] 137/137  1:15 elapsed, 0:00 left");
    EXPECT_EQ(ProgressText("x", 5, 4, 1.0, 4), "x [####] 4/4  0:01 elapsed, 0:00 left");
}

// On a terminal one line a stage, redrawn in place, not more often than ten times a second
// but always at the end; a message written meanwhile starts on a line of its own.
TEST(CliProgress, aTerminalGetsOneLineAStageRedrawnAtMostTenTimesASecond) {
    sim::ManualClock clock;
    std::ostringstream terminal;
    {
        ProgressLine line(terminal, clock, ProgressLine::Mode::Terminal);
        line.update("Set-up", 1, 4, "1/4");
        clock.advance(0.06);
        line.update("Set-up", 2, 4, "2/4"); // too soon: not drawn
        clock.advance(0.06);
        line.update("Set-up", 3, 4, "3/4");
        line.update("Set-up", 4, 4, "4/4"); // the end is always drawn
        line.update("Timing", 4, 8);
    }
    EXPECT_EQ(terminal.str(), "\rSet-up [#####---------------] 1/4  0:00 elapsed, 0:00 left"
                              "\rSet-up [###############-----] 3/4  0:00 elapsed, 0:00 left"
                              "\rSet-up [####################] 4/4  0:00 elapsed, 0:00 left\n"
                              "\rTiming [##########----------] 4/8  0:00 elapsed, 0:00 left\n");
    // A pipe's lines and --quiet's silence are checked through quelby-cli below.

    // A message written while the line stands starts on a line of its own.
    std::ostringstream shown;
    cli::CountingStream err(shown);
    {
        ProgressLine line(err, clock, ProgressLine::Mode::Terminal);
        line.update("Upload", 1, 2);
        err << "Program Upload: Complete" << std::endl;
        clock.advance(1);
        line.update("Upload", 2, 2);
    }
    EXPECT_EQ(shown.str(), "\rUpload [##########----------] 1/2  0:00 elapsed, 0:00 left\n"
                           "Program Upload: Complete\n"
                           "\rUpload [####################] 2/2  0:01 elapsed, 0:00 left\n");
}

// The same upload with standard error on a pseudo-terminal (script(1) gives the program one)
// and on a pipe.
TEST(CliProgress, quelbyCliDrawsTheLineOnlyWhenStandardErrorIsATerminal) {
    TempFolder folder;
    SimProcess sim({"--still"});
    const auto onTerminal = [&](const std::string& options) {
        const std::string upload = std::string(QUELBY_CLI_PROGRAM) + options + " --device " +
                                   sim.devicePath() + " --yes upload setup " +
                                   (folder.path() / "up.sdt").string();
        const std::string typescript = (folder.path() / "typescript").string();
        const std::string command = "script -qec '" + upload + "' " + typescript +
                                    " > /dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return folder.read("typescript");
    };
    const std::string drawn = onTerminal("");
    EXPECT_NE(drawn.find("\rUploading Set-up Parameters, Please Standby... [####################] "
                         "21/21  0:0"),
              std::string::npos)
        << drawn;
    EXPECT_EQ(drawn.find("\n1/21"), std::string::npos) << drawn;
    EXPECT_EQ(onTerminal(" --quiet").find("21/21"), std::string::npos);

    const SimProcess::Outcome piped = SimProcess::runProgram(
        QUELBY_CLI_PROGRAM, {"--device", sim.devicePath(), "--yes", "upload", "setup",
                             (folder.path() / "up.sdt").string()});
    EXPECT_EQ(piped.status, 0);
    EXPECT_NE(piped.err.find("Uploading Set-up Parameters, Please Standby...\n1/21\n2/21\n"),
              std::string::npos)
        << piped.err;
    EXPECT_EQ(piped.err.find('['), std::string::npos);
}

} // namespace
} // namespace quelby::test
