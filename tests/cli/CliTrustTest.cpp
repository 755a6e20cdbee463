// quelby-cli reports success only for what the board confirmed, against a quelby-sim that
// loses a byte or goes quiet; its transfers never save a file from a transfer that stopped.
#include "app/data/MachineData.h"
#include "app/data/SetupFile.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

namespace fs = std::filesystem;

SimProcess::Outcome runCli(const TempFolder& home, const SimProcess& sim,
                           std::vector<std::string> args) {
    args.insert(args.begin(), {"--home", home.path().string(), "--device", sim.devicePath()});
    return SimProcess::runProgram(SimProcess::cliProgram(), args);
}

// Bytes on the line from quelby-cli's start: the probe's 0xFF (1), the read handshake's 0xFF
// and 0x01 (2, 3), then each read's high and low address bytes.
constexpr const char* kReadLowByte = "5";
// ... and for a bit write, after the byte's two reads (4..7): the write handshake (8, 9),
// high, low, data.
constexpr const char* kWriteLowByte = "11";

TEST(CliTrust, aReadWhoseAnswerFollowsAResynchronisationIsNeverPrinted) {
    TempFolder home;
    // B1016 holds 5; 03FF is what the board answers when it takes the 0xFF as the low byte.
    SimProcess sim({"--still", "--set", "B1016=5", "--set", "B1023=77", "--lose", kReadLowByte});
    const auto lost = runCli(home, sim, {"read", "B1016"});
    EXPECT_EQ(lost.status, 2);
    EXPECT_EQ(lost.out, "");
    EXPECT_NE(lost.err.find("did not confirm the value at B1016"), std::string::npos) << lost.err;

    SimProcess again({"--still", "--set", "B1016=5", "--set", "B1023=77", "--lose", kReadLowByte});
    const auto retried = runCli(home, again, {"--retries", "1", "read", "B1016", "W182"});
    EXPECT_EQ(retried.status, 0) << retried.err;
    EXPECT_EQ(retried.out, "5\n0\n");

    const auto wide = runCli(home, again, {"read", "B4294968299"});
    EXPECT_EQ(wide.status, 3) << "ten digits do not wrap into B1003";
    EXPECT_EQ(runCli(home, again, {"write", "B4294968299", "1"}).status, 3);
    EXPECT_EQ(runCli(home, again, {"read", "B1003"}).out, "0\n");

    // The fault code is read the same way: the description of a code never confirmed is
    // not printed.
    SimProcess fault({"--still", "--set", "B8176=10", "--lose", kReadLowByte});
    const auto described = runCli(home, fault, {"fault"});
    EXPECT_EQ(described.status, 2);
    EXPECT_EQ(described.out, "");
}

TEST(CliTrust, aBitWriteActsOnlyOnAConfirmedReadAndSucceedsOnlyWhenConfirmed) {
    TempFolder home;
    {
        // The read of B1016 was not confirmed: nothing is written on it, and the whole bit
        // write is repeated, as after a wrong echo. B1023 is where the resynchronising 0xFF
        // would have sent the value.
        SimProcess sim({"--still", "--set", "B1016=5", "--lose", kReadLowByte});
        const auto write = runCli(home, sim, {"write", "B1016.3", "1"});
        EXPECT_EQ(write.status, 0) << write.err;
        EXPECT_EQ(runCli(home, sim, {"read", "B1016", "B1023"}).out, "13\n0\n");
    }
    {
        // The write's low address byte is lost: it is sent again, and the whole write repeated.
        SimProcess sim({"--still", "--set", "B1016=5", "--lose", kWriteLowByte});
        const auto write = runCli(home, sim, {"write", "B1016.3", "1"});
        EXPECT_EQ(write.status, 0) << write.err;
        EXPECT_EQ(runCli(home, sim, {"read", "B1016", "B1023"}).out, "13\n0\n");
    }
    {
        SimProcess sim({"--still", "--silent"});
        EXPECT_EQ(runCli(home, sim, {"write", "B1016.3", "1"}).status, 2);
    }
}

TEST(CliTrust, everyFailureSaysWhyAndAPlsRequestStandsOnlyOnAnswersThatCameInTime) {
    TempFolder home;
    {
        // The line goes away after the write's high address byte: no message of the link's.
        SimProcess sim({"--still", "--close-after", "4"});
        const auto write = runCli(home, sim, {"write", "W182", "1234"});
        EXPECT_EQ(write.status, 2);
        EXPECT_NE(write.err.find("the serial port closed during the command"), std::string::npos)
            << write.err;
    }
    // These draws lose the ON setpoint's low byte: the 0xFF sent after the time-out was taken
    // as that byte, answered like one, and the channel was set to ON 255 as if confirmed.
    const fs::path dump = home.path() / "board.txt";
    SimProcess sim({"--still", "--loss", "0.0625", "--seed", "11", "--dump", dump.string()});
    const auto set = runCli(home, sim, {"pls", "set", "3", "10", "20", "--clear"});
    EXPECT_EQ(set.status, 2);
    EXPECT_NE(set.err.find("did not confirm the PLS request"), std::string::npos) << set.err;
    ASSERT_EQ(sim.stop(), 0);
    const std::string board = home.read("board.txt");
    const bool asChannelWasOrAsAsked = board.find("\npls channel 3:\n") != std::string::npos ||
                                       board.find("\npls channel 3: ON 10 OFF 20\n") != std::string::npos;
    EXPECT_TRUE(asChannelWasOrAsAsked) << board.substr(0, 400);
}

TEST(CliTrust, aTraceHasOneLinePerExchangeWithItsMarks) {
    TempFolder home;
    SimProcess sim({"--still", "--set", "W182=1234", "--lose", kReadLowByte});
    const auto read = runCli(home, sim,
                             {"--retries", "1", "--trace", (home.path() / "link.trace").string(),
                              "read", "W182"});
    EXPECT_EQ(read.status, 0) << read.err;
    const std::string trace = home.read("link.trace");
    // Milliseconds with three decimals, the byte sent, the reply.
    ASSERT_GT(trace.size(), 16u);
    EXPECT_EQ(trace[6], '.') << trace;
    EXPECT_EQ(trace.substr(10, 7), " FF 55\n") << "the probe first: " << trace;
    for (const char* line : {" FF 55 handshake\n", " 01 55 handshake\n",
                             " B6 -- timeout\n", " FF 00 resync\n", " B6 D2\n", " B7 04\n"})
        EXPECT_NE(trace.find(line), std::string::npos) << line << "\n" << trace;
    EXPECT_EQ(runCli(home, sim, {"--trace", "/no/such/folder/t", "read", "W182"}).status, 73);
}

class CliTransferFile : public ::testing::Test {
protected:
    CliTransferFile() {
        MachineData data = BuildDefaultData();
        data.Value[5] = 777;   // a shift data point
        data.Value[90] = 4242; // a set-up parameter
        std::error_code error;
        WriteSetupFile(file(), data, error);
        m_original = home.read("line.sdt");
    }
    std::string file() const { return (home.path() / "line.sdt").string(); }
    MachineData reread() const { return ReadSetupFile(file()).data; }
    bool unchanged() const { return home.read("line.sdt") == m_original; }

    TempFolder home;
    const MachineData defaults = BuildDefaultData();

private:
    std::string m_original;
};

TEST_F(CliTransferFile, anUploadMergesIntoTheFileAndADownloadWritesItsValues) {
    SimProcess sim({"--still", "--set", defaults.Address[5] + "=55"});
    const auto upload = runCli(home, sim, {"--yes", "upload", "shift", file()});
    ASSERT_EQ(upload.status, 0) << upload.err;
    EXPECT_EQ(reread().Value[5], 55);
    EXPECT_EQ(reread().Value[90], 4242) << "the set-up parameters of the file are kept";

    const auto download = runCli(home, sim, {"--yes", "download", "setup", file()});
    ASSERT_EQ(download.status, 0) << download.err;
    EXPECT_EQ(runCli(home, sim, {"read", defaults.Address[90]}).out, "4242\n");
}

TEST_F(CliTransferFile, aTransferThatStoppedIsNeverSavedAndAnotherVersionNeedsYes) {
    {
        // Past the data points, in the middle of the timing channels' PLS requests.
        SimProcess sim({"--still", "--stop-after", "330"});
        const auto upload = runCli(home, sim, {"--yes", "upload", "all", file()});
        EXPECT_EQ(upload.status, 2);
        EXPECT_NE(upload.err.find("was not changed"), std::string::npos) << upload.err;
        EXPECT_TRUE(unchanged());
    }
    MachineData older = reread();
    older.Version = "QUELBY_R2.1.0";
    std::error_code error;
    ASSERT_TRUE(WriteSetupFile(file(), older, error));
    SimProcess sim({"--still"});
    const auto declined = runCli(home, sim, {"download", "setup", file()});
    EXPECT_EQ(declined.status, 3);
    EXPECT_NE(declined.err.find("File created by set-up program version: QUELBY_R2.1.0"),
              std::string::npos)
        << declined.err;
    EXPECT_EQ(declined.err.find("Download"), std::string::npos) << "stopped at the question";
    EXPECT_EQ(runCli(home, sim, {"--yes", "download", "setup", file()}).status, 0);
    EXPECT_EQ(runCli(home, sim, {"read", defaults.Address[90]}).out, "4242\n");
}

} // namespace
} // namespace quelby::test
