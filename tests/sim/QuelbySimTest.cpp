// quelby-sim end to end: the program runs as a child process and the tests talk to it over
// its pseudo-terminal, as the link does over a serial port.

#include "link/PosixSerialPort.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

using quelby::test::SimProcess;
using quelby::test::TempFolder;
namespace fs = std::filesystem;

namespace {

// The test's end of the line, opened as the link opens it: one byte out, at most one back.
class Line {
public:
    explicit Line(const std::string& device, int baud = 9600) : m_port(quelby::PortMap{}, device) {
        quelby::PortError error;
        if (!m_port.open({1, baud}, error)) throw std::runtime_error(error.description);
    }
    void send(std::initializer_list<std::uint8_t> bytes) {
        for (auto byte : bytes) m_port.sendByte(byte);
    }
    // The next `count` answers as two hex digits each, "--" where none comes within `ms`.
    std::string next(int count = 1, int ms = 2000) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            char hex[3] = "--";
            if (m_port.waitForByte(ms / 1000.0)) std::snprintf(hex, sizeof hex, "%02X", m_port.readByte());
            text += (text.empty() ? "" : " ") + std::string(hex);
        }
        return text;
    }
    // Lock-step exchanges, each answer waited for up to `ms`; the answers joined by blanks.
    std::string exchange(std::initializer_list<std::uint8_t> bytes, int ms = 2000) {
        std::string text;
        for (auto byte : bytes) {
            send({byte});
            text += (text.empty() ? "" : " ") + next(1, ms);
        }
        return text;
    }

private:
    quelby::PosixSerialPort m_port;
};

} // namespace

// Bytes sent together are all answered, in order: a write of 0x13 at 110D and of 0x0A at 0A03,
// both read back; XON, XOFF, CR and LF pass untranslated. Lock-step exchanges follow below.
// Values preset with --set are read end to end by the quelby-cli tests, and quelby-cli find
// (CliFind) finds a board at its own speed only, at 9600 or 19200.
TEST(QuelbySim, bytesSentTogetherAreAnsweredInOrderUntranslatedAtTheBoardsSpeed) {
    SimProcess sim({"--still", "--baud", "19200"});
    Line line(sim.devicePath(), 19200);
    line.send({0xFF, 0x02, 0x11, 0x0D, 0x13, 0x0A, 0x03, 0x0A, //
               0xFF, 0x01, 0x11, 0x0D, 0x0A, 0x03});
    EXPECT_EQ(line.next(14), "55 55 11 0D 13 0A 03 0A 55 55 11 13 0A 0A");
}

// --silent, traced, is met by quelby-cli find (CliFind) and CliTrust.
TEST(QuelbySimFaults, wrongEchoAndStopAfterAsAskedWithEveryByteTraced) {
    SimProcess wrongEcho({"--still", "--wrong-echo", "2"});
    EXPECT_EQ(Line(wrongEcho.devicePath()).exchange({0xFF, 0x01, 0xFF}), "55 54 55");

    TempFolder dir;
    SimProcess sim({"--still", "--trace", (dir.path() / "trace.txt").string(), "--stop-after", "3"});
    Line line(sim.devicePath());
    EXPECT_EQ(line.exchange({0xFF, 0x01, 0x00}), "55 55 00");
    EXPECT_EQ(line.exchange({0xB6}, 100), "--");
    ASSERT_EQ(sim.stop(), 0);
    EXPECT_EQ(dir.read("trace.txt"), "FF 55\n01 55\n00 00\nB6 --\n");
}

TEST(QuelbySimFaults, closeAfterHangsUpTheLineAndTheDumpAtExitShowsWhatTheBoardKept) {
    TempFolder dir;
    const fs::path dump = dir.path() / "board.txt";
    SimProcess sim({"--still", "--set", "B1016=90", "--close-after", "7", "--dump", dump.string()});
    Line line(sim.devicePath());
    EXPECT_EQ(line.exchange({0xFF, 0x02, 0x00, 0x20, 0xAB, 0xFF}), "55 55 00 20 AB 55");
    // The seventh byte closes the line once answered (whether that answer is still read
    // depends on the race with the hang-up): the write it starts never gets further.
    line.send({0x02, 0x00, 0x21, 0xCD});
    EXPECT_EQ(line.next(3, 300).substr(2), " -- --");
    EXPECT_FALSE(fs::exists(dump));
    ASSERT_EQ(sim.stop(), 0);

    const std::string text = dir.read("board.txt");
    EXPECT_EQ(text.substr(0, 18), "received 7\nlost 0\n");
    EXPECT_NE(text.find("\nmemory 0020 AB" + std::string(62, '0') + "\n"), std::string::npos);
    EXPECT_NE(text.find("\nmemory 03E0 " + std::string(2 * (1016 - 0x3E0), '0') + "5A"),
              std::string::npos);
}

TEST(QuelbySimProcess, linkReplacesAStaleSymlinkAndIsRemovedOnExitButNeverReplacesAFileAndStopSignalsEndIt) {
    TempFolder dir;
    const fs::path link = dir.path() / "ttyQUELBY";
    fs::create_symlink("/dev/pts/no-such-device", link);
    SimProcess sim({"--still", "--link", link.string()});
    EXPECT_EQ(fs::read_symlink(link), sim.devicePath());
    EXPECT_EQ(Line(link.string()).exchange({0xFF}), "55");
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));

    const fs::path file = dir.write("notes.txt", "keep me\n");
    EXPECT_EQ(SimProcess::runProgram(QUELBY_SIM_PROGRAM, {"--link", file.string()}).status, 73);
    EXPECT_EQ(dir.read("notes.txt"), "keep me\n");

    // SIGINT ends the program with status 0 as SIGTERM did above.
    EXPECT_EQ(SimProcess({"--still"}).stop(SIGINT), 0);
}

TEST(QuelbySimProcess, badCommandLinesExitWithUsageStatusBeforeServing) {
    // One row per check: the byte counts share theirs, as do the options that take a file.
    const std::vector<std::vector<std::string>> bad = {
        {"--set", "W182"},     {"--set", "Q182=1"}, {"--set", "W182=65536"}, {"--set", "B1016.3=2"},
        {"--set", "W182=12x"}, {"--baud", "4800"},  {"--wrong-echo", "0"},   {"--stop-after", "-1"},
        {"--trace"},           {"--loss", "1.5"},   {"--loss", "x"},         {"--seed", "-3"},
        {"--frobnicate"}};
    for (const auto& args : bad) {
        const auto outcome = SimProcess::runProgram(QUELBY_SIM_PROGRAM, args);
        EXPECT_EQ(outcome.status, 64) << args[0] << " " << args.back();
        EXPECT_EQ(outcome.out, "") << args[0] << " " << args.back();
        const bool unknown = args[0] == "--frobnicate";
        EXPECT_NE(outcome.err.find(unknown ? "quelby-sim: unknown option '--frobnicate'" : "quelby-sim: "),
                  std::string::npos) << outcome.err;
    }
}
