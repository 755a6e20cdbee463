// The port number map, and the real serial port over pseudo-terminals.
#include "link/PortMap.h"
#include "link/PosixSerialPort.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace quelby {
namespace {

namespace fs = std::filesystem;

PortMap parsed(const std::string& text) {
    std::istringstream in(text);
    return PortMap::parse(in);
}

TEST(PortMap, listedNumbersTakeTheirDevicesTheRestDefaultToTtySAndBadLinesAreSkipped) {
    const PortMap map = parsed("# adapters on this desk\r\n"
                               "\n"
                               "  1 = /dev/ttyUSB0  # the mill\r\n"
                               "12=/dev/ttyUSB1\n"
                               "12=/dev/my#adapter\n"
                               "\t99=/dev/ttyACM0");
    EXPECT_EQ(map.deviceFor(1), "/dev/ttyUSB0");
    EXPECT_EQ(map.deviceFor(12), "/dev/my#adapter");
    EXPECT_EQ(map.deviceFor(99), "/dev/ttyACM0");
    EXPECT_EQ(map.deviceFor(2), "/dev/ttyS1");
    EXPECT_FALSE(map.isListed(2));
    EXPECT_EQ(PortMap{}.deviceFor(1), "/dev/ttyS0");
    EXPECT_EQ(map.deviceFor(0), "");
    EXPECT_EQ(map.deviceFor(100), "");

    // Bad lines are skipped, and reading is bounded in line length and file size.
    const PortMap bad = parsed("/dev/ttyUSB0\n0=/dev/ttyUSB0\n100=/dev/ttyUSB0\n-1=/dev/ttyUSB0\n"
                               "x=/dev/ttyUSB0\n1.5=/dev/ttyUSB0\n2=\n3=ttyUSB0\n# 4=/dev/ttyUSB0\n"
                               "5 /dev/ttyUSB0\n=/dev/ttyUSB0\n");
    for (int port = PortMap::FirstPort; port <= PortMap::LastPort; ++port)
        EXPECT_FALSE(bad.isListed(port)) << port;

    const std::string longPath(PortMap::MaxLineLength, 'x');
    const PortMap longLines = parsed("1=/dev/" + longPath + "\n" + longPath + "\n2=/dev/ttyUSB1\n");
    EXPECT_FALSE(longLines.isListed(1));
    EXPECT_EQ(longLines.deviceFor(2), "/dev/ttyUSB1");

    std::string huge;
    while (huge.size() < PortMap::MaxFileBytes)
        huge += "# filler filler filler\n";
    EXPECT_FALSE(parsed(huge + "3=/dev/ttyUSB2\n").isListed(3));
}

TEST(PortMap, loadsTheFileAndTellsWhichDevicesExist) {
    test::TempFolder folder;
    const fs::path& home = folder.path();
    folder.write("support/serialports.cfg", "1=" + (home / "by-id-adapter").string() + "\n2=" +
                                                (home / "unplugged").string() +
                                                "\n3=/nonexistent/ttyUSB9\n");
    folder.write("adapter", "");
    fs::create_symlink(home / "adapter", home / "by-id-adapter");
    fs::create_symlink(home / "gone", home / "unplugged");

    const PortMap map = PortMap::load(PortMap::FileIn(home));
    EXPECT_TRUE(map.deviceExists(1)) << "a symlink to a present device";
    EXPECT_FALSE(map.deviceExists(2)) << "a symlink left dangling";
    EXPECT_FALSE(map.deviceExists(3));
    const auto entries = map.entries();
    ASSERT_EQ(entries.size(), 99u);
    EXPECT_EQ(entries[0].device, (home / "by-id-adapter").string());
    EXPECT_TRUE(entries[0].listed && entries[0].exists);
    EXPECT_EQ(entries[98].device, "/dev/ttyS98");
    EXPECT_FALSE(entries[98].listed);

    const PortMap missing = PortMap::load(home / "no-such.cfg");
    EXPECT_EQ(missing.deviceFor(1), "/dev/ttyS0");
}

// The board's end of a pseudo-terminal: the port under test opens device(), the test
// writes and reads here what the board would.
class PseudoTerminal {
public:
    // Throws std::runtime_error when the system has no pseudo-terminals to give.
    PseudoTerminal() : m_master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        const char* name = m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0
                               ? ::ptsname(m_master)
                               : nullptr;
        if (!name) {
            hangUp();
            throw std::runtime_error("no pseudo-terminal available");
        }
        m_device = name;
    }
    ~PseudoTerminal() { hangUp(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& device() const { return m_device; }
    // Returns false when not every byte could be written.
    bool write(const std::vector<std::uint8_t>& bytes) {
        return ::write(m_master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // The next byte the port sent, or nothing when none comes within `seconds`.
    std::vector<std::uint8_t> read(double seconds) {
        pollfd watch{m_master, POLLIN, 0};
        std::uint8_t byte = 0;
        if (::poll(&watch, 1, static_cast<int>(seconds * 1000)) == 1 && ::read(m_master, &byte, 1) == 1)
            return {byte};
        return {};
    }
    // Hangs up the port's side, as unplugging an adapter does.
    void hangUp() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    std::string m_device;
};

using Bytes = std::vector<std::uint8_t>;

class PosixSerialPortOverPty : public ::testing::Test {
protected:
    bool openPort(int baud = 9600) {
        PortError error;
        return m_port.open({1, baud}, error);
    }
    // Every byte the port can read within a generous wait, in order.
    Bytes drainPort(std::size_t count) {
        Bytes got;
        while (got.size() < count && m_port.waitForByte(2.0))
            got.push_back(static_cast<std::uint8_t>(m_port.readByte()));
        return got;
    }

    PseudoTerminal m_board;
    PosixSerialPort m_port{PortMap{}, m_board.device()};
};

TEST_F(PosixSerialPortOverPty, everyByteValuePassesBothWaysUnchanged) {
    ASSERT_TRUE(openPort());
    for (int value = 0; value < 256; ++value) {
        const auto byte = static_cast<std::uint8_t>(value);
        m_port.sendByte(byte);
        ASSERT_EQ(m_board.read(2.0), Bytes{byte}) << "sent " << value;
        ASSERT_TRUE(m_board.write({byte}));
        ASSERT_EQ(drainPort(1), Bytes{byte}) << "received " << value;
    }
    // A burst longer than the port's own buffer arrives whole and in order.
    Bytes burst(600);
    for (std::size_t i = 0; i < burst.size(); ++i)
        burst[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(m_board.write(burst));
    EXPECT_EQ(drainPort(burst.size()), burst);
    EXPECT_TRUE(m_board.read(0.05).empty()) << "the port echoed or added bytes";
}

TEST_F(PosixSerialPortOverPty, linesAreSetTo8N1WithoutFlowControlAtTheChosenSpeed) {
    const int observer = ::open(m_board.device().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(observer, 0);
    ASSERT_TRUE(openPort(19200));
    termios line{};
    ASSERT_EQ(::tcgetattr(observer, &line), 0);
    ::close(observer);
    EXPECT_EQ(::cfgetospeed(&line), static_cast<speed_t>(B19200));
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(m_port.lowLatencyNote(), "") << "a pseudo-terminal has no latency to lower";
}

TEST_F(PosixSerialPortOverPty, bytesFromBeforeOpeningOrDiscardedAreNeverRead) {
    ASSERT_TRUE(m_board.write({'s', 't', 'a', 'l', 'e', '\n'}));
    ASSERT_TRUE(openPort());
    EXPECT_FALSE(m_port.waitForByte(0.05));
    EXPECT_EQ(m_port.readByte(), -1);
    ASSERT_TRUE(m_board.write({1}));
    ASSERT_TRUE(m_port.waitForByte(2.0)); // held by the port
    ASSERT_TRUE(m_board.write({2, 3}));   // held by the driver
    m_port.discardInput();
    EXPECT_EQ(m_port.bytesWaiting(), 0);
    EXPECT_FALSE(m_port.waitForByte(0.05));
    ASSERT_TRUE(m_board.write({0x42}));
    EXPECT_EQ(drainPort(1), Bytes{0x42});
}

TEST_F(PosixSerialPortOverPty, waitForByteWakesForALateByteOrAHangUpWhichClosesThePort) {
    ASSERT_TRUE(openPort());
    EXPECT_FALSE(m_port.waitForByte(0.02));
    EXPECT_TRUE(m_port.isOpen()) << "silence does not close the port";
    // The board acts a little later, while the port waits.
    const auto later = [](std::function<void()> action) {
        return std::thread([action] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            action();
        });
    };
    std::thread writer = later([this] { m_board.write({0x5A}); });
    EXPECT_TRUE(m_port.waitForByte(10.0));
    writer.join();
    EXPECT_EQ(m_port.bytesWaiting(), 1);
    EXPECT_EQ(m_port.readByte(), 0x5A);
    // Woken by the hang-up rather than the time-out: only a hang-up closes the port.
    std::thread hangUp = later([this] { m_board.hangUp(); });
    EXPECT_FALSE(m_port.waitForByte(10.0));
    hangUp.join();
    EXPECT_FALSE(m_port.isOpen());
    EXPECT_EQ(m_port.readByte(), -1);
}

TEST(PosixSerialPort, sendingOrReadingAfterAHangUpClosesThePort) {
    for (const bool sending : {true, false}) {
        PseudoTerminal board;
        PosixSerialPort port(PortMap{}, board.device());
        PortError error;
        ASSERT_TRUE(port.open({1, 9600}, error));
        board.hangUp();
        if (sending) port.sendByte(0x55);
        else EXPECT_EQ(port.readByte(), -1);
        EXPECT_FALSE(port.isOpen()) << (sending ? "sending" : "reading");
    }
}

TEST(PosixSerialPort, aDeviceHeldByAnotherPortIsBusyUntilReleased) {
    PseudoTerminal board;
    const int observer = ::open(board.device().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(observer, 0);
    PosixSerialPort first(PortMap{}, board.device());
    PosixSerialPort second(PortMap{}, board.device());
    PortError error;
    ASSERT_TRUE(first.open({1, 9600}, error));
    EXPECT_FALSE(second.open({1, 9600}, error));
    EXPECT_EQ(error.number, EBUSY);
    int exclusive = 0;
    EXPECT_EQ(::ioctl(observer, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1) << "the refused port released the holder's claim";
    ::close(observer);
    first.close();
    EXPECT_TRUE(second.open({1, 9600}, error)) << error.description;
}

TEST(PosixSerialPort, portNumbersOpenTheDevicesTheMapNamesAndOnlySerialPortsAtKnownSpeeds) {
    PseudoTerminal board;
    std::istringstream file("5=" + board.device() + "\n3=/nonexistent/quelby-adapter\n");
    PosixSerialPort port(PortMap::parse(file));
    PortError error;
    EXPECT_FALSE(port.open({5, 4800}, error));
    EXPECT_EQ(error.number, EINVAL);
    EXPECT_TRUE(port.open({5, 9600}, error)) << error.description;
    EXPECT_FALSE(port.open({3, 9600}, error));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(error.number, ENOENT);
    EXPECT_EQ(error.source, "Serial port /nonexistent/quelby-adapter");
    EXPECT_NE(error.description.find("Support/SerialPorts.cfg"), std::string::npos);

    PosixSerialPort notATty(PortMap{}, "/dev/null");
    EXPECT_FALSE(notATty.open({1, 9600}, error));
    EXPECT_EQ(error.number, ENOTTY);
}

TEST(DescribeOpenError, tellsTheUserWhatToDo) {
    const auto says = [](int errnum, int port, const std::string& part) {
        return DescribeOpenError(errnum, "/dev/ttyUSB0", port).find(part) != std::string::npos;
    };
    EXPECT_TRUE(says(EACCES, 1, "sudo usermod -aG dialout $USER"));
    EXPECT_TRUE(says(EBUSY, 1, "another program"));
    EXPECT_TRUE(says(ENOENT, 2, "/dev/ttyUSB0 (port 2) does not exist"));
    EXPECT_TRUE(says(ENOENT, 0, "--device"));
    EXPECT_TRUE(says(EMFILE, 1, std::generic_category().message(EMFILE)));
}

} // namespace
} // namespace quelby
