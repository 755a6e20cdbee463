// quelby-cli reports success only for what the board confirmed, against a quelby-sim that
// loses a byte or goes quiet; its transfers never save a file from a transfer that stopped.
#include "app/data/MachineData.h"
#include "app/data/ServiceLog.h"
#include "app/data/SetupFile.h"
#include "tests/cli/CliRig.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

// Bytes on the line from quelby-cli's start: the probe's 0xFF (1), the read handshake's 0xFF
// and 0x01 (2, 3), then each read's high and low address bytes.
constexpr const char* kReadLowByte = "5";
// ... and for a bit write, after the byte's two reads (4..7): the write handshake (8, 9),
// high, low, data.
constexpr const char* kWriteLowByte = "11";

TEST(CliTrust, aReadWhoseAnswerFollowsAResynchronisationIsNeverPrinted) {
    // B1016 holds 5; 03FF is what the board answers when it takes the 0xFF as the low byte.
    const std::vector<std::string> loseOne{"--still", "--set", "B1016=5", "--set", "B1023=77",
                                           "--lose", kReadLowByte};
    const auto lost = CliRig(loseOne).run({"read", "B1016"});
    EXPECT_TRUE(EndedSaying(lost, 2, "did not confirm the value at B1016"));
    EXPECT_EQ(lost.out, "");

    CliRig again(loseOne);
    const auto retried = again.run({"--retries", "1", "read", "B1016", "W182"});
    EXPECT_EQ(retried.status, 0) << retried.err;
    EXPECT_EQ(retried.out, "5\n0\n");

    // The fault code is read the same way: the description of a code never confirmed is
    // not printed.
    CliRig fault({"--still", "--set", "B8176=10", "--lose", kReadLowByte});
    const auto described = fault.run({"fault"});
    EXPECT_EQ(described.status, 2);
    EXPECT_EQ(described.out, "");
}

TEST(CliTrust, aBitWriteActsOnlyOnAConfirmedReadAndSucceedsOnlyWhenConfirmed) {
    // The read of B1016 is not confirmed: nothing is written on it and the whole bit write is
    // repeated, as after a wrong echo; B1023 is where the resynchronising 0xFF would have sent
    // the value. A lost low address byte of the write is sent again, and the write repeated.
    for (const char* lost : {kReadLowByte, kWriteLowByte}) {
        CliRig rig({"--still", "--set", "B1016=5", "--lose", lost});
        const auto write = rig.run({"write", "B1016.3", "1"});
        EXPECT_EQ(write.status, 0) << lost << write.err;
        EXPECT_EQ(rig.run({"read", "B1016", "B1023"}).out, "13\n0\n") << lost;
    }
    EXPECT_EQ(CliRig({"--still", "--silent"}).run({"write", "B1016.3", "1"}).status, 2);
}

TEST(CliTrust, everyFailureSaysWhyAndAPlsRequestStandsOnlyOnAnswersThatCameInTime) {
    // The line goes away after the write's high address byte: no message of the link's.
    EXPECT_TRUE(
        EndedSaying(CliRig({"--still", "--close-after", "4"}).run({"write", "W182", "1234"}), 2,
                    "the serial port closed during the command"));

    // These draws lose the ON setpoint's low byte: the 0xFF sent after the time-out was taken
    // as that byte, answered like one, and the channel was set to ON 255 as if confirmed.
    TempFolder folder;
    const std::string dump = (folder.path() / "board.txt").string();
    CliRig rig({"--still", "--loss", "0.0625", "--seed", "11", "--dump", dump});
    EXPECT_TRUE(EndedSaying(rig.run({"pls", "set", "3", "10", "20", "--clear"}), 2,
                            "did not confirm the PLS request"));
    ASSERT_EQ(rig.sim().stop(), 0);
    const std::string board = folder.read("board.txt");
    const bool asChannelWasOrAsAsked = board.find("\npls channel 3:\n") != std::string::npos ||
                                       board.find("\npls channel 3: ON 10 OFF 20\n") != std::string::npos;
    EXPECT_TRUE(asChannelWasOrAsAsked) << board.substr(0, 400);
}

TEST(CliTrust, aTraceHasOneLinePerExchangeWithItsMarks) {
    CliRig rig({"--still", "--set", "W182=1234", "--lose", kReadLowByte});
    const auto read =
        rig.run({"--retries", "1", "--trace", rig.path("link.trace"), "read", "W182"});
    EXPECT_EQ(read.status, 0) << read.err;
    const std::string trace = rig.home.read("link.trace");
    // Milliseconds with three decimals, the byte sent, the reply.
    ASSERT_GT(trace.size(), 16u);
    EXPECT_EQ(trace[6], '.') << trace;
    EXPECT_EQ(trace.substr(10, 7), " FF 55\n") << "the probe first: " << trace;
    for (const char* line : {" FF 55 handshake\n", " 01 55 handshake\n",
                             " B6 -- timeout\n", " FF 00 resync\n", " B6 D2\n", " B7 04\n"})
        EXPECT_NE(trace.find(line), std::string::npos) << line << "\n" << trace;
    EXPECT_EQ(rig.run({"--trace", "/no/such/folder/t", "read", "W182"}).status, 73);
}

// A set-up file holding a shift data point of 777 and a set-up parameter of 4242 goes up and
// down; a transfer that stopped never saves it, and a file of another version needs --yes.
TEST(CliTransfer, anUploadMergesIntoTheFileADownloadWritesItsValuesAndAStoppedOneIsNeverSaved) {
    TempFolder folder;
    MachineData data = BuildDefaultData();
    data.Value[5] = 777;
    data.Value[90] = 4242;
    const std::string file = folder.write("line.sdt", SetupFileBytes(data)).string();
    const std::vector<std::string> readSetup{"read", data.Address[90]};

    CliRig rig({"--still", "--set", data.Address[5] + "=55"});
    const auto upload = rig.run({"--yes", "upload", "shift", file});
    ASSERT_EQ(upload.status, 0) << upload.err;
    MachineData merged = ReadSetupFile(file).data;
    EXPECT_EQ(merged.Value[5], 55);
    EXPECT_EQ(merged.Value[90], 4242) << "the set-up parameters of the file are kept";
    const auto download = rig.run({"--yes", "download", "setup", file});
    ASSERT_EQ(download.status, 0) << download.err;
    EXPECT_EQ(rig.run(readSetup).out, "4242\n");

    // Past the data points, in the middle of the timing channels' PLS requests.
    const std::string uploaded = folder.read("line.sdt");
    EXPECT_TRUE(EndedSaying(
        CliRig({"--still", "--stop-after", "330"}).run({"--yes", "upload", "all", file}), 2,
        "was not changed"));
    EXPECT_EQ(folder.read("line.sdt"), uploaded);

    merged.Version = "QUELBY_R2.1.0";
    folder.write("line.sdt", SetupFileBytes(merged));
    CliRig fresh;
    const auto declined = fresh.run({"download", "setup", file});
    EXPECT_TRUE(EndedSaying(declined, 3, "File created by set-up program version: QUELBY_R2.1.0"));
    EXPECT_EQ(declined.err.find("Download"), std::string::npos) << "stopped at the question";
    EXPECT_EQ(fresh.run({"--yes", "download", "setup", file}).status, 0);
    EXPECT_EQ(fresh.run(readSetup).out, "4242\n");
}

// Each writing command is one event in the home folder's service log with the board's verdict;
// a log that cannot be written is said once, and the board is written all the same.
TEST(CliServiceLog, eachWriteIsOneEventWithItsVerdictAndAnUnwritableLogNeverStopsAWrite) {
    CliRig rig;
    ASSERT_EQ(rig.run({"write", "B1017", "3"}).status, 0);
    ASSERT_EQ(rig.run({"pls", "set", "5", "10", "20"}).status, 0);
    // The board goes quiet after the write's address bytes: its data byte is never confirmed.
    CliRig quiet({"--still", "--stop-after", "5"});
    quiet.home.write("Support/ServiceLog.jsonl", rig.home.read("Support/ServiceLog.jsonl"));
    EXPECT_EQ(quiet.run({"write", "W182", "7"}).status, 2);

    const ServiceLogContents log = ReadServiceLog(ServiceLogFile(quiet.home.path()));
    ASSERT_EQ(log.entries.size(), 3u);
    // Each event as a CSV row, less its time and user.
    const char* expected[] = {
        ",,quelby-cli,quelby-cli write,B1017,Number of Shifts to Varnish "
        "Unit,unknown,3,yes,1,1,\r\n",
        ",,quelby-cli,quelby-cli pls set,,CH05,unknown,ON 10 OFF 20,yes,1,1,\r\n",
        ",,quelby-cli,quelby-cli write,W182,,unknown,7,no,1,0,\r\n"};
    for (std::size_t i = 0; i < log.entries.size(); ++i) {
        ASSERT_TRUE(log.entries[i].event) << log.entries[i].rawLine;
        ServiceEvent event = *log.entries[i].event;
        event.time = event.user = "";
        EXPECT_EQ(ServiceLogCsvRow(event), expected[i]);
    }

    std::filesystem::remove(ServiceLogFile(rig.home.path()));
    std::filesystem::create_directories(ServiceLogFile(rig.home.path()));
    const auto unlogged = rig.run({"write", "W182", "1234"});
    EXPECT_EQ(unlogged.status, 0) << unlogged.err;
    const auto told = unlogged.err.find("ServiceLog.jsonl");
    ASSERT_NE(told, std::string::npos) << unlogged.err;
    EXPECT_EQ(unlogged.err.find("ServiceLog.jsonl", told + 1), std::string::npos) << "said once";
    EXPECT_EQ(rig.run({"read", "W182"}).out, "1234\n");
}

} // namespace
} // namespace quelby::test
