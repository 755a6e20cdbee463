// quelby-sim end to end: the program runs as a child process and the tests talk to it over
// its pseudo-terminal, as the link does over a serial port.

#include "SimProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using quelby::test::SimProcess;
namespace fs = std::filesystem;

namespace {

// The test's end of the line: the device opened raw, one byte out, at most one byte back.
class Line {
public:
    explicit Line(const std::string& device)
        : m_fd(::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        termios raw{};
        if (m_fd < 0 || ::tcgetattr(m_fd, &raw) != 0)
            throw std::runtime_error("cannot open " + device);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_fd, TCSANOW, &raw);
        ::tcflush(m_fd, TCIFLUSH);
    }
    ~Line() { ::close(m_fd); }

    void send(std::initializer_list<std::uint8_t> bytes) {
        const std::vector<std::uint8_t> all(bytes);
        ASSERT_EQ(::write(m_fd, all.data(), all.size()), static_cast<ssize_t>(all.size()));
    }
    // The next byte as two hex digits, "--" when none comes within `ms`.
    std::string next(int ms = 2000) {
        pollfd wait{m_fd, POLLIN, 0};
        std::uint8_t byte = 0;
        if (::poll(&wait, 1, ms) != 1 || ::read(m_fd, &byte, 1) != 1) return "--";
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", byte);
        return hex;
    }
    // Lock-step exchanges, each answer waited for up to `waitMs`; the answers joined by blanks.
    std::string exchange(std::initializer_list<std::uint8_t> bytes, int waitMs = 2000) {
        std::string text;
        for (auto byte : bytes) {
            send({byte});
            text += (text.empty() ? "" : " ") + next(waitMs);
        }
        return text;
    }

private:
    int m_fd;
};

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("quelby-sim-test-" + std::to_string(::getpid()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};

std::vector<std::string> linesOf(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

TEST(QuelbySim, readsValuesPresetWithSet) {
    SimProcess sim({"--still", "--set", "W182=1200", "--set", "B1016.3=1"});
    Line line(sim.devicePath());
    EXPECT_EQ(line.exchange({0xFF, 0x01, 0x00, 0xB6, 0x00, 0xB7}), "55 55 00 B0 00 04");
    EXPECT_EQ(line.exchange({0x03, 0xF8}), "03 08");
}

TEST(QuelbySim, writeIsStoredAndReadBackWithControlByteValuesUntranslated) {
    SimProcess sim({"--still", "--still"});
    Line line(sim.devicePath());
    EXPECT_EQ(line.exchange({0xFF, 0x02, 0x11, 0x0D, 0x13}), "55 55 11 0D 13");
    EXPECT_EQ(line.exchange({0x0A, 0x03, 0x0A}), "0A 03 0A");
    EXPECT_EQ(line.exchange({0xFF, 0x01, 0x11, 0x0D, 0x0A, 0x03}), "55 55 11 13 0A 0A");
}

TEST(QuelbySim, bytesSentTogetherAreAllAnsweredInOrder) {
    for (auto args : {std::vector<std::string>{"--still"},
                      std::vector<std::string>{"--still", "--baud", "19200"}}) {
        SimProcess sim(args);
        Line line(sim.devicePath());
        line.send({0xFF, 0x02, 0x00, 0x20, 0x5A, 0xFF, 0x01, 0x00, 0x20});
        std::string answers;
        for (int i = 0; i < 9; ++i)
            answers += line.next() + " ";
        EXPECT_EQ(answers, "55 55 00 20 5A 55 55 00 5A ") << (args.empty() ? "at once" : "19200");
    }
}

TEST(QuelbySim, servesANewClientAfterThePreviousOneClosed) {
    SimProcess sim({"--still", "--still"});
    Line(sim.devicePath()).exchange({0xFF, 0x02, 0x00, 0x30, 0x77});
    Line line(sim.devicePath());
    EXPECT_EQ(line.exchange({0xFF, 0x01, 0x00, 0x30}), "55 55 00 77");
}

TEST(QuelbySim, traceFileHasOneLinePerByteReceived) {
    TempDir dir;
    SimProcess sim({"--still", "--trace", (dir.path / "trace.txt").string(), "--stop-after", "3"});
    Line line(sim.devicePath());
    EXPECT_EQ(line.exchange({0xFF, 0x01, 0x00}), "55 55 00");
    EXPECT_EQ(line.exchange({0xB6}, 100), "--");
    ASSERT_EQ(sim.stop(), 0);
    EXPECT_EQ(linesOf(dir.path / "trace.txt"),
              (std::vector<std::string>{"FF 55", "01 55", "00 00", "B6 --"}));
}

TEST(QuelbySimFaults, silentBoardAnswersNothing) {
    SimProcess sim({"--still", "--silent"});
    EXPECT_EQ(Line(sim.devicePath()).exchange({0xFF, 0x01}, 100), "-- --");
}

TEST(QuelbySimFaults, wrongEchoCorruptsOnlyTheAnswerToThatByte) {
    SimProcess sim({"--still", "--wrong-echo", "2"});
    EXPECT_EQ(Line(sim.devicePath()).exchange({0xFF, 0x01, 0xFF}), "55 54 55");
}

TEST(QuelbySimFaults, stopAfterLeavesLaterBytesUnanswered) {
    SimProcess sim({"--still", "--stop-after", "2"});
    Line line(sim.devicePath());
    EXPECT_EQ(line.exchange({0xFF, 0x01}), "55 55");
    EXPECT_EQ(line.exchange({0x00}, 100), "--");
}

TEST(QuelbySimProcess, linkReplacesAStaleSymlinkAndIsRemovedOnExit) {
    TempDir dir;
    const fs::path link = dir.path / "ttyQUELBY";
    fs::create_symlink("/dev/pts/no-such-device", link);
    SimProcess sim({"--still", "--link", link.string()});
    EXPECT_EQ(fs::read_symlink(link), sim.devicePath());
    EXPECT_EQ(Line(link.string()).exchange({0xFF}), "55");
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(QuelbySimProcess, linkNeverReplacesAFile) {
    TempDir dir;
    const fs::path file = dir.path / "notes.txt";
    std::ofstream(file) << "keep me\n";
    const auto outcome = SimProcess::runProgram(QUELBY_SIM_PROGRAM, {"--link", file.string()});
    EXPECT_EQ(outcome.status, 73);
    EXPECT_EQ(linesOf(file), std::vector<std::string>{"keep me"});
}

TEST(QuelbySimProcess, stopSignalsEndTheProgramWithStatusZero) {
    for (int signal : {SIGTERM, SIGINT}) {
        SimProcess sim({"--still", "--still"});
        EXPECT_EQ(sim.stop(signal), 0) << "signal " << signal;
    }
}

TEST(QuelbySimProcess, badCommandLinesExitWithUsageStatusBeforeServing) {
    const std::vector<std::vector<std::string>> bad = {
        {"--set", "W182"},       {"--set", "Q182=1"},
        {"--set", "W182=65536"}, {"--set", "B1016.3=2"},
        {"--set", "B1016.8=1"},  {"--set", "W182=12x"},
        {"--baud", "4800"},      {"--wrong-echo", "0"},
        {"--stop-after", "-1"},  {"--trace"},
        {"--frobnicate"}};
    for (const auto& args : bad) {
        const auto outcome = SimProcess::runProgram(QUELBY_SIM_PROGRAM, args);
        EXPECT_EQ(outcome.status, 64) << args[0] << " " << args.back();
        EXPECT_EQ(outcome.out, "") << args[0] << " " << args.back();
        EXPECT_NE(outcome.err.find("quelby-sim: "), std::string::npos) << outcome.err;
    }
}
