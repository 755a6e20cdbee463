// quelby-cli against quelby-sim on a pseudo-terminal, through the real serial port.
#include "tests/cli/CliRig.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

TEST(CliEndToEnd, readsLiveValuesInOrderWithTheBoardsBytesOnTheWire) {
    CliRig rig({"--still", "--set", "W182=1234", "--set", "D1100=123456789", "--set", "B1016.3=1"});
    auto run = rig.run({"read", "W182", "D1100", "B1016.3", "B1016.0"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1234\n123456789\n1\n0\n");
    EXPECT_EQ(run.err, "");

    const std::string trace = rig.stopAndReadTrace();
    // Probe, then the read of W182 from no mode; closing leaves the board idle.
    EXPECT_EQ(trace.rfind("FF 55\nFF 55\n01 55\n00 00\nB6 D2\n00 00\nB7 04\n", 0), 0u) << trace;
    EXPECT_TRUE(trace.ends_with("\nFF 55\n")) << trace;
}

// A write passes the entry check, and the limits of the window field that edits its address
// unless --force; nothing at all is sent for a refused command.
TEST(CliEndToEnd, writesGoThroughTheEntryCheckAndKeepTheFieldsLimitsUnlessForced) {
    CliRig rig;
    const std::vector<std::string> read{"read", "W182", "B2000", "B1011", "B1012", "B1017"};
    const std::string before = rig.run(read).out;
    const struct {
        std::vector<std::string> args;
        const char* err; // how the message starts
    } refused[] = {
        // Which texts the entry check and the fields' limits refuse is tested with them.
        {{"write", "B2000", "256"}, "ENTRY ALERT: Error: Entry out of Range (0-255).\n"},
        {{"write", "--force", "B1017", "2.5"}, "ENTRY ALERT: Error: Only Whole Numbers Allowed.\n"},
        {{"read", "W182", "X10"}, "ENTRY ALERT: Error: Invalid Board Address (X10).\n"},
        {{"write", "B1017", "7"}, "Set-up: Only a Number Between 0 and 6 can be Entered (B1017 is"},
        {{"write", "b1012", "99"}, "Set-up: Only a Number Between 5 and 80 can be Entered"},
        {{"write", "B1011", "24"}, "Spindle #1 Trip Offset:: Only a Number Between 0 and 23"},
    };
    for (const auto& c : refused) {
        const auto run = rig.run(c.args);
        EXPECT_EQ(run.status, 3) << c.err;
        EXPECT_EQ(run.out, "") << c.err;
        EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
    }
    EXPECT_EQ(rig.run(read).out, before) << "nothing was sent";

    EXPECT_EQ(rig.run({"write", "W182", "1,500"}).status, 0);
    EXPECT_EQ(rig.run({"write", "B1017", " 6 "}).status, 0);
    EXPECT_EQ(rig.run({"write", "--force", "B1012", "99"}).status, 0);
    EXPECT_EQ(rig.run({"write", "B8180", "33", "--force"}).status, 0);
    EXPECT_EQ(rig.run({"read", "W182", "B1012", "B1017", "B8180"}).out, "1500\n99\n6\n33\n");
}

TEST(CliEndToEnd, theLiveBoardTellsItsIdentityAndFaultAndPlsChannelsAreProgrammedAndRecalled) {
    CliRig rig(std::vector<std::string>{}); // a running line
    auto ident = rig.run({"ident", std::string(QUELBY_SAMPLES_DIR) + "/K650DEMO.hbx"});
    EXPECT_EQ(ident.status, 0) << ident.err;
    EXPECT_EQ(ident.out.rfind("Program file board: K650(PLC)\nFault code: 00H\n", 0), 0u) << ident.out;
    EXPECT_NE(ident.out.find("Board program ident: K650SIM\n"), std::string::npos);
    auto fault = rig.run({"fault"});
    EXPECT_EQ(fault.status, 0);
    EXPECT_EQ(fault.out.rfind("Fault Code (00H): ", 0), 0u) << fault.out;

    EXPECT_EQ(rig.run({"pls", "set", "3", "10", "20", "--clear"}).status, 0);
    EXPECT_EQ(rig.run({"pls", "set", "3", "100", "200"}).status, 0);
    EXPECT_EQ(rig.run({"pls", "recall", "3"}).out, "ON 10\nOFF 20\nON 100\nOFF 200\n");
    EXPECT_TRUE(EndedSaying(rig.run({"pls", "set", "3", "360", "20"}), 3,
                            "PLS Single Setpoint: Setpoint setting 360 is greater than scale "
                            "factor. Channel can not be programmed.\n"));
    EXPECT_EQ(rig.run({"pls", "clear", "3"}).status, 0);
    EXPECT_EQ(rig.run({"pls", "recall", "3"}).out, "");
    EXPECT_EQ(rig.run({"pls", "scale"}).out, "360\n");
    EXPECT_EQ(rig.run({"pls", "config"}).out, "16 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n");
    EXPECT_EQ(rig.run({"pls", "set", "3", "10"}).status, 64);
}

TEST(CliEndToEnd, usageErrorsHelpAndAMissingDeviceWithTheReason) {
    CliRig rig;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"frobnicate"}, {"write", "W182"}, {"read"}})
        EXPECT_EQ(rig.run(args).status, 64) << args[0];
    auto help = SimProcess::runProgram(SimProcess::cliProgram(), {"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"--device", "--port", "--speed", "--home", "--retries", "--yes",
                             "read ADDRESS...", "write [--force] ADDRESS VALUE"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;

    auto missing = SimProcess::runProgram(SimProcess::cliProgram(), {"--home", rig.home.path().string(),
                                                               "--device", "/dev/quelby-no-such-port",
                                                               "read", "W182"});
    EXPECT_EQ(missing.status, 2) << "a link failure";
    EXPECT_EQ(missing.err.rfind("Comm Port Error: Error Number = 2 Error Source = ", 0), 0u)
        << missing.err;
    EXPECT_NE(missing.err.find("/dev/quelby-no-such-port"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(rig.home.path() / "Support" / "RSPort.cfg"));
}

// The dataset commands need no board.
TEST(DatasetCli, newWritesTheDefaultsThatShowPrintsBack) {
    TempFolder folder;
    const std::string file = (folder.path() / "defaults.sdt").string();
    const auto run = [](const std::vector<std::string>& args) {
        return SimProcess::runProgram(SimProcess::cliProgram(), args);
    };
    ASSERT_EQ(run({"dataset", "new", file}).status, 0);
    const auto shown = run({"dataset", "show", file});
    ASSERT_EQ(shown.status, 0) << shown.err;
    // The defaults themselves and the JSON form are checked with the data set.
    for (const char* line :
         {"Version: QUELBY_R2.2.4\n0 B1011 0\n", "\n104 B4011 10\nPLSChannels: 16\n",
          "\nSpeedComp: 0 0 0 0 0 0 0 0\nSetpoint CH00: ON 20 OFF 60\n"})
        EXPECT_NE(shown.out.find(line), std::string::npos) << line;
    EXPECT_TRUE(run({"dataset", "show", file, "--json"}).out.starts_with(R"({"version":)"));
    EXPECT_EQ(run({"dataset", "new", file}).status, 3) << "replacing needs --yes";
}

} // namespace
} // namespace quelby::test
