// quelby-cli against quelby-sim on a pseudo-terminal, through the real serial port.
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quelby::test {
namespace {

// quelby-sim (with the given arguments and a trace file) and a home folder for quelby-cli.
class CliAgainstSim {
public:
    explicit CliAgainstSim(std::vector<std::string> simArgs = {"--still"}) {
        simArgs.insert(simArgs.end(), {"--trace", (home.path() / "trace.txt").string()});
        m_sim = std::make_unique<SimProcess>(simArgs);
    }
    SimProcess::Outcome run(std::vector<std::string> args, double seconds = 30.0) {
        args.insert(args.begin(), {"--home", home.path().string(), "--device", m_sim->devicePath()});
        return SimProcess::runProgram(SimProcess::cliProgram(), args, seconds);
    }
    std::string stopAndReadTrace() {
        m_sim->stop();
        return home.read("trace.txt");
    }

    TempFolder home;

private:
    std::unique_ptr<SimProcess> m_sim;
};

TEST(CliEndToEnd, readsLiveValuesInOrderWithTheBoardsBytesOnTheWire) {
    CliAgainstSim rig({"--still", "--set", "W182=1234", "--set", "D1100=123456789", "--set",
                       "B1016.3=1"});
    auto run = rig.run({"read", "W182", "D1100", "B1016.3", "B1016.0"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1234\n123456789\n1\n0\n");
    EXPECT_EQ(run.err, "");

    const std::string trace = rig.stopAndReadTrace();
    // Probe, then the read of W182 from no mode; closing leaves the board idle.
    EXPECT_EQ(trace.rfind("FF 55\nFF 55\n01 55\n00 00\nB6 D2\n00 00\nB7 04\n", 0), 0u) << trace;
    EXPECT_TRUE(trace.ends_with("\nFF 55\n")) << trace;
}

TEST(CliEndToEnd, writesGoThroughTheEntryCheckAndReachTheBoard) {
    CliAgainstSim rig;
    auto write = rig.run({"write", "W182", "1,500"});
    EXPECT_EQ(write.status, 0) << write.err;
    auto refused = rig.run({"write", "B2000", "256"});
    EXPECT_EQ(refused.status, 3);
    EXPECT_EQ(refused.err, "ENTRY ALERT: Error: Entry out of Range (0-255).\n");
    auto decimal = rig.run({"write", "W182", "2.5"});
    EXPECT_EQ(decimal.status, 3);
    EXPECT_EQ(decimal.err, "ENTRY ALERT: Error: Only Whole Numbers Allowed.\n");
    auto badAddress = rig.run({"read", "W182", "X10"});
    EXPECT_EQ(badAddress.status, 3);
    EXPECT_EQ(badAddress.out, "") << "nothing is read when any address is refused";
    EXPECT_EQ(rig.run({"read", "W182"}).out, "1500\n");
}

TEST(CliEndToEnd, anAddressAWindowEditsKeepsThatFieldsLimitsUnlessForced) {
    CliAgainstSim rig;
    const std::string before = rig.run({"read", "B1012", "B1017"}).out;
    const std::string setupMessage = "Set-up: Only a Number Between 0 and 6 can be Entered";
    for (const char* text : {"2.5", "5e0", "+4x", "7", "", "99999999999999999999"}) {
        auto refused = rig.run({"write", "B1017", text});
        EXPECT_EQ(refused.status, 3) << text;
        EXPECT_EQ(refused.err.rfind(setupMessage, 0), 0u) << refused.err;
    }
    auto tooMany = rig.run({"write", "b1012", "99"});
    EXPECT_EQ(tooMany.status, 3);
    EXPECT_EQ(tooMany.err.rfind("Set-up: Only a Number Between 5 and 80 can be Entered", 0), 0u);
    auto offset = rig.run({"write", "B1011", "24"});
    EXPECT_EQ(offset.err.rfind("Spindle #1 Trip Offset:: Only a Number Between 0 and 23", 0), 0u);
    EXPECT_EQ(rig.run({"read", "B1012", "B1017"}).out, before) << "nothing was sent";

    EXPECT_EQ(rig.run({"write", "B1017", " 6 "}).status, 0);
    EXPECT_EQ(rig.run({"write", "--force", "B1012", "99"}).status, 0);
    EXPECT_EQ(rig.run({"write", "B8180", "33", "--force"}).status, 0);
    EXPECT_EQ(rig.run({"write", "--force", "B1017", "2.5"}).status, 3) << "no force past the entry check";
    EXPECT_EQ(rig.run({"read", "B1012", "B1017", "B8180"}).out, "99\n6\n33\n");
}

TEST(CliEndToEnd, theLiveBoardTellsItsIdentityAndFault) {
    CliAgainstSim rig(std::vector<std::string>{}); // a running line
    auto ident = rig.run({"ident", std::string(QUELBY_SAMPLES_DIR) + "/K650DEMO.hbx"});
    EXPECT_EQ(ident.status, 0) << ident.err;
    EXPECT_EQ(ident.out.rfind("Program file board: K650(PLC)\nFault code: 00H\n", 0), 0u) << ident.out;
    EXPECT_NE(ident.out.find("Board program ident: K650SIM\n"), std::string::npos);
    auto fault = rig.run({"fault"});
    EXPECT_EQ(fault.status, 0);
    EXPECT_EQ(fault.out.rfind("Fault Code (00H): ", 0), 0u) << fault.out;
}

TEST(CliEndToEnd, plsChannelsAreProgrammedRecalledAndChecked) {
    CliAgainstSim rig(std::vector<std::string>{}); // a running line
    EXPECT_EQ(rig.run({"pls", "set", "3", "10", "20", "--clear"}).status, 0);
    EXPECT_EQ(rig.run({"pls", "set", "3", "100", "200"}).status, 0);
    EXPECT_EQ(rig.run({"pls", "recall", "3"}).out, "ON 10\nOFF 20\nON 100\nOFF 200\n");
    auto tooFar = rig.run({"pls", "set", "3", "360", "20"});
    EXPECT_EQ(tooFar.status, 3);
    EXPECT_EQ(tooFar.err, "PLS Single Setpoint: Setpoint setting 360 is greater than scale "
                          "factor. Channel can not be programmed.\n");
    EXPECT_EQ(rig.run({"pls", "clear", "3"}).status, 0);
    EXPECT_EQ(rig.run({"pls", "recall", "3"}).out, "");
    EXPECT_EQ(rig.run({"pls", "scale"}).out, "360\n");
    auto config = rig.run({"pls", "config"});
    EXPECT_EQ(config.status, 0);
    EXPECT_EQ(std::count(config.out.begin(), config.out.end(), ' '), 18);
    EXPECT_EQ(rig.run({"pls", "set", "3", "10"}).status, 64);
}

TEST(CliEndToEnd, aProgramDownloadedAndUploadedAgainComesBackTheSame) {
    CliAgainstSim rig(std::vector<std::string>{}); // a running line
    for (const char* name : {"K650DEMO.hbx", "K650DEMO.rev", "K650DEMO.hex"})
        rig.home.write(std::string("programs/") + name,
                       ReadWholeFile(std::filesystem::path(QUELBY_SAMPLES_DIR) / name));
    const std::string hbx = (rig.home.path() / "programs" / "K650DEMO.hbx").string();

    auto declined = rig.run({"program", "download", hbx});
    EXPECT_EQ(declined.status, 3) << "without --yes the question is answered No";
    // A whole program each way: tens of thousands of exchanges, slow on a loaded machine and
    // under the sanitizers; the limit only ends a hang.
    constexpr double wholeProgramSeconds = 240.0;
    auto download = rig.run({"--yes", "program", "download", hbx}, wholeProgramSeconds);
    ASSERT_EQ(download.status, 0) << download.err;
    EXPECT_NE(download.err.find("Program Download: Program Download Complete!"), std::string::npos);

    rig.home.write("programs/BACK.hbx", rig.home.read("programs/K650DEMO.hbx"));
    auto upload = rig.run({"program", "upload", (rig.home.path() / "programs" / "BACK.hbx").string()},
                          wholeProgramSeconds);
    ASSERT_EQ(upload.status, 0) << upload.err;
    EXPECT_EQ(rig.home.read("programs/BACK.rev"), rig.home.read("programs/K650DEMO.rev"));
    EXPECT_NE(rig.home.read("programs/BACK.hex").find(":10400000"), std::string::npos);
}

TEST(CliEndToEnd, usageErrorsHelpAndAMissingDeviceWithTheReason) {
    CliAgainstSim rig;
    EXPECT_EQ(rig.run({"frobnicate"}).status, 64);
    EXPECT_EQ(rig.run({"write", "W182"}).status, 64);
    EXPECT_EQ(rig.run({"read"}).status, 64);
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

} // namespace
} // namespace quelby::test
