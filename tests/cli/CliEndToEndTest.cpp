// quelby-cli against quelby-sim on a pseudo-terminal, through the real serial port.
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

namespace quelby::test {
namespace {

struct CliRun {
    SimProcess::Outcome outcome;
    const std::string& out() const { return outcome.out; }
    const std::string& err() const { return outcome.err; }
    int status() const { return outcome.status; }
};

class CliAgainstSim {
public:
    explicit CliAgainstSim(std::vector<std::string> simArgs = {{"--still"}}) {
        std::random_device random;
        m_home = std::filesystem::temp_directory_path() / ("quelby-cli-" + std::to_string(random()));
        std::filesystem::create_directories(m_home);
        m_trace = m_home / "trace.txt";
        simArgs.insert(simArgs.end(), {"--trace", m_trace.string()});
        m_sim = std::make_unique<SimProcess>(simArgs);
    }
    ~CliAgainstSim() {
        m_sim.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_home, ignored);
    }
    CliRun run(std::vector<std::string> args) {
        std::vector<std::string> full{"--home", m_home.string(), "--device", m_sim->devicePath()};
        full.insert(full.end(), args.begin(), args.end());
        return {SimProcess::runProgram(QUELBY_CLI_PROGRAM, full)};
    }
    std::vector<std::string> stopAndReadTrace() {
        m_sim->stop();
        std::ifstream in(m_trace);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    const std::filesystem::path& home() const { return m_home; }

private:
    std::filesystem::path m_home;
    std::filesystem::path m_trace;
    std::unique_ptr<SimProcess> m_sim;
};

TEST(CliEndToEnd, readsLiveValuesInOrderWithTheBoardsBytesOnTheWire) {
    CliAgainstSim rig({"--still", "--set", "W182=1234", "--set", "D1100=123456789", "--set",
                       "B1016.3=1"});
    auto run = rig.run({"read", "W182", "D1100", "B1016.3", "B1016.0"});
    EXPECT_EQ(run.status(), 0) << run.err();
    EXPECT_EQ(run.out(), "1234\n123456789\n1\n0\n");
    EXPECT_EQ(run.err(), "");

    auto trace = rig.stopAndReadTrace();
    ASSERT_GE(trace.size(), 7u);
    // Probe, then the read of W182 from no mode.
    EXPECT_EQ(std::vector<std::string>(trace.begin(), trace.begin() + 7),
              (std::vector<std::string>{"FF 55", "FF 55", "01 55", "00 00", "B6 D2", "00 00",
                                        "B7 04"}));
    EXPECT_EQ(trace.back(), "FF 55") << "closing leaves the board idle";
}

TEST(CliEndToEnd, writesGoThroughTheEntryCheckAndReachTheBoard) {
    CliAgainstSim rig;
    auto write = rig.run({"write", "W182", "1,500"});
    EXPECT_EQ(write.status(), 0) << write.err();
    EXPECT_EQ(rig.run({"read", "W182"}).out(), "1500\n");

    auto refused = rig.run({"write", "B1003", "256"});
    EXPECT_EQ(refused.status(), 3);
    EXPECT_EQ(refused.err(), "ENTRY ALERT: Error: Entry out of Range (0-255).\n");
    auto negative = rig.run({"write", "W182", "-5"});
    EXPECT_EQ(negative.status(), 3);
    EXPECT_EQ(negative.err(), "ENTRY ALERT: Error: Only Numerical Data Allowed.\n");
    auto badAddress = rig.run({"read", "W182", "X10"});
    EXPECT_EQ(badAddress.status(), 3);
    EXPECT_EQ(badAddress.out(), "") << "nothing is read when any address is refused";
    EXPECT_EQ(rig.run({"read", "W182"}).out(), "1500\n");
}

TEST(CliEndToEnd, aMissingDeviceIsALinkFailureWithTheReason) {
    CliAgainstSim rig;
    auto run = SimProcess::runProgram(
        QUELBY_CLI_PROGRAM,
        {"--home", rig.home().string(), "--device", "/dev/quelby-no-such-port", "read", "W182"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("Comm Port Error: Error Number = 2 Error Source = ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("/dev/quelby-no-such-port"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(rig.home() / "Support" / "RSPort.cfg"));
}

TEST(CliEndToEnd, theLiveBoardTellsItsIdentityAndFault) {
    CliAgainstSim rig(std::vector<std::string>{});
    auto ident = rig.run({"ident", std::string(QUELBY_SAMPLES_DIR) + "/K650DEMO.hbx"});
    EXPECT_EQ(ident.status(), 0) << ident.err();
    EXPECT_EQ(ident.out().rfind("Program file board: K650(PLC)\nFault code: 00H\n", 0), 0u) << ident.out();
    EXPECT_NE(ident.out().find("Board program ident: K650SIM\n"), std::string::npos);
    auto fault = rig.run({"fault"});
    EXPECT_EQ(fault.status(), 0);
    EXPECT_EQ(fault.out().rfind("Fault Code (00H): ", 0), 0u) << fault.out();
}

TEST(CliEndToEnd, plsChannelsAreProgrammedRecalledAndChecked) {
    CliAgainstSim rig(std::vector<std::string>{});
    EXPECT_EQ(rig.run({"pls", "set", "3", "10", "20", "--clear"}).status(), 0);
    EXPECT_EQ(rig.run({"pls", "set", "3", "100", "200"}).status(), 0);
    EXPECT_EQ(rig.run({"pls", "recall", "3"}).out(), "ON 10\nOFF 20\nON 100\nOFF 200\n");
    auto tooFar = rig.run({"pls", "set", "3", "360", "20"});
    EXPECT_EQ(tooFar.status(), 3);
    EXPECT_EQ(tooFar.err(), "PLS Single Setpoint: Setpoint setting 360 is greater than scale "
                            "factor. Channel can not be programmed.\n");
    EXPECT_EQ(rig.run({"pls", "clear", "3"}).status(), 0);
    EXPECT_EQ(rig.run({"pls", "recall", "3"}).out(), "");
    EXPECT_EQ(rig.run({"pls", "scale"}).out(), "360\n");
    auto config = rig.run({"pls", "config"});
    EXPECT_EQ(config.status(), 0);
    EXPECT_EQ(std::count(config.out().begin(), config.out().end(), ' '), 18);
    EXPECT_EQ(rig.run({"pls", "set", "3", "10"}).status(), 64);
}

TEST(CliEndToEnd, aProgramDownloadedAndUploadedAgainComesBackTheSame) {
    CliAgainstSim rig(std::vector<std::string>{});
    const std::filesystem::path folder = rig.home() / "programs";
    std::filesystem::create_directories(folder);
    for (const char* name : {"K650DEMO.hbx", "K650DEMO.rev", "K650DEMO.hex"})
        std::filesystem::copy_file(std::filesystem::path(QUELBY_SAMPLES_DIR) / name, folder / name);
    const std::string hbx = (folder / "K650DEMO.hbx").string();

    auto declined = rig.run({"program", "download", hbx});
    EXPECT_EQ(declined.status(), 3) << "without --yes the question is answered No";
    auto download = rig.run({"--yes", "program", "download", hbx});
    ASSERT_EQ(download.status(), 0) << download.err();
    EXPECT_NE(download.err().find("Program Download: Program Download Complete!"), std::string::npos);

    std::filesystem::copy_file(folder / "K650DEMO.hbx", folder / "BACK.hbx");
    auto upload = rig.run({"program", "upload", (folder / "BACK.hbx").string()});
    ASSERT_EQ(upload.status(), 0) << upload.err();
    auto slurp = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(slurp(folder / "BACK.rev"), slurp(folder / "K650DEMO.rev"));
    const std::string back = slurp(folder / "BACK.hex");
    std::ifstream sample(folder / "K650DEMO.hex");
    for (std::string line; std::getline(sample, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(":10", 0) == 0) {
            EXPECT_NE(back.find(line), std::string::npos) << line;
        }
    }
}

TEST(CliEndToEnd, usageErrorsAndHelp) {
    CliAgainstSim rig;
    EXPECT_EQ(rig.run({"frobnicate"}).status(), 64);
    EXPECT_EQ(rig.run({"write", "W182"}).status(), 64);
    EXPECT_EQ(rig.run({"read"}).status(), 64);
    auto help = SimProcess::runProgram(QUELBY_CLI_PROGRAM, {"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"--device", "--port", "--speed", "--home", "--retries", "--yes",
                             "read ADDRESS...", "write ADDRESS VALUE"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

} // namespace
} // namespace quelby::test
