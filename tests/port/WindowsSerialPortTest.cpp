// The Win32 serial port against pseudo-terminals on the Linux side reached as COM ports:
// QUELBY_ECHO_PORT names one whose far side echoes every byte, QUELBY_HANGUP_PORT one whose
// far side echoes QUELBY_HANGUP_AFTER bytes and then vanishes.
#include "link/WindowsSerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <windows.h>

namespace quelby {
namespace {

std::string environmentOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// The COM number of the port named by `variable` ("COM20" gives 20); 0 when not set.
int portNumber(const char* variable) {
    const std::string name = environmentOr(variable, "");
    return name.size() > 3 ? std::atoi(name.c_str() + 3) : 0;
}

#define REQUIRE_PORT(variable)                                                                  \
    if (portNumber(variable) == 0) GTEST_SKIP() << variable " is not set (scripts/test-windows.sh sets it)"

bool openPort(WindowsSerialPort& port, int number, int baud = 9600) {
    PortError error;
    const bool opened = port.open({number, baud}, error);
    EXPECT_TRUE(opened) << error.number << " " << error.source << ": " << error.description;
    return opened;
}

// The byte that comes back for `value`, or -1 when none comes within two seconds.
int exchange(WindowsSerialPort& port, std::uint8_t value) {
    port.sendByte(value);
    if (port.bytesWaiting() == 0 && !port.waitForByte(2.0)) return -1;
    return port.readByte();
}

void settle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

TEST(WindowsSerialPort, everyByteValueGoesOutAndComesBackUnchangedAtBothSpeeds) {
    REQUIRE_PORT("QUELBY_ECHO_PORT");
    WindowsSerialPort port;
    for (int baud : {9600, 19200}) {
        ASSERT_TRUE(openPort(port, portNumber("QUELBY_ECHO_PORT"), baud));
        int wrong = 0;
        for (int value = 0; value < 256; ++value)
            if (exchange(port, static_cast<std::uint8_t>(value)) != value) ++wrong;
        EXPECT_EQ(wrong, 0) << "at " << baud << " baud";
        // All of them at once: several bytes wait together and come out in order.
        for (int value = 255; value >= 0; --value)
            port.sendByte(static_cast<std::uint8_t>(value));
        for (int expected = 255; expected >= 0; --expected) {
            if (port.bytesWaiting() == 0) port.waitForByte(2.0);
            ASSERT_EQ(port.readByte(), expected) << "at " << baud << " baud";
        }
        EXPECT_EQ(port.readByte(), -1);
        port.close();
        EXPECT_FALSE(port.isOpen());
    }
}

TEST(WindowsSerialPort, inputWaitingBeforeAnOpenOrADiscardIsNeverRead) {
    REQUIRE_PORT("QUELBY_ECHO_PORT");
    WindowsSerialPort port;
    ASSERT_TRUE(openPort(port, portNumber("QUELBY_ECHO_PORT")));
    for (int stale : {0x11, 0x22, 0x33})
        port.sendByte(static_cast<std::uint8_t>(stale));
    settle();
    EXPECT_GT(port.bytesWaiting(), 0);
    port.discardInput();
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_FALSE(port.waitForByte(0.2));

    for (int stale : {0x44, 0x55})
        port.sendByte(static_cast<std::uint8_t>(stale));
    settle();
    ASSERT_TRUE(openPort(port, portNumber("QUELBY_ECHO_PORT"))); // closes and opens again
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(port.readByte(), -1);
    EXPECT_EQ(exchange(port, 0x5A), 0x5A);
    EXPECT_EQ(port.bytesWaiting(), 0);
}

TEST(WindowsSerialPort, portsThatCannotBeOpenedSayWhyAndStayHarmless) {
    WindowsSerialPort port;
    PortError error;
    EXPECT_FALSE(port.open({98, 9600}, error)) << "no device link for COM98";
    EXPECT_EQ(error.number, 2);
    EXPECT_EQ(error.source, "Serial port COM98");
    EXPECT_NE(error.description.find("COM98 (port 98) does not exist"), std::string::npos)
        << error.description;
    for (int number : {0, 100, -3}) {
        EXPECT_FALSE(port.open({number, 9600}, error));
        EXPECT_NE(error.description.find("is not between 1 and 99"), std::string::npos);
    }
    WindowsSerialPort nul(PortMap{}, "\\\\.\\NUL");
    EXPECT_FALSE(nul.open({1, 9600}, error));
    EXPECT_NE(error.description.find("is not a serial port"), std::string::npos)
        << error.number << ": " << error.description;
    // A failed open leaves a closed port whose calls do nothing.
    for (WindowsSerialPort* closed : {&port, &nul}) {
        EXPECT_FALSE(closed->isOpen());
        closed->sendByte(0x42);
        closed->discardInput();
        EXPECT_EQ(closed->bytesWaiting(), 0);
        EXPECT_EQ(closed->readByte(), -1);
        EXPECT_FALSE(closed->waitForByte(0.05));
    }

    REQUIRE_PORT("QUELBY_ECHO_PORT");
    const int echo = portNumber("QUELBY_ECHO_PORT");
    WindowsSerialPort holder;
    ASSERT_TRUE(openPort(holder, echo));
    EXPECT_FALSE(port.open({echo, 9600}, error)) << "the port is held";
    EXPECT_NE(error.description.find("is in use or access is denied"), std::string::npos)
        << error.number << ": " << error.description;
    EXPECT_FALSE(port.open({echo, 4800}, error));
    EXPECT_NE(error.description.find("4800 baud is not supported"), std::string::npos);
    EXPECT_EQ(exchange(holder, 0x7E), 0x7E) << "the refused open disturbed the holder";
    holder.close();
    ASSERT_TRUE(openPort(port, echo)) << "free again once closed";
    // The device named with --device, by its COM name in either case.
    WindowsSerialPort named(PortMap{}, "com" + std::to_string(echo));
    port.close();
    ASSERT_TRUE(openPort(named, 1));
    EXPECT_EQ(exchange(named, 0x01), 0x01);
}

TEST(WindowsSerialPort, aFarSideThatVanishesMidExchangeClosesThePort) {
    REQUIRE_PORT("QUELBY_HANGUP_PORT");
    const int echoed = std::atoi(environmentOr("QUELBY_HANGUP_AFTER", "0").c_str());
    WindowsSerialPort port;
    ASSERT_TRUE(openPort(port, portNumber("QUELBY_HANGUP_PORT")));
    int answered = 0, exchanges = 0;
    for (; exchanges < echoed + 20 && port.isOpen(); ++exchanges)
        if (exchange(port, static_cast<std::uint8_t>(exchanges)) == exchanges % 256) ++answered;
    EXPECT_EQ(answered, echoed);
    EXPECT_FALSE(port.isOpen()) << "still open after " << exchanges << " exchanges";
    EXPECT_FALSE(port.waitForByte(1.0));
    EXPECT_EQ(port.readByte(), -1);
}

} // namespace
} // namespace quelby
