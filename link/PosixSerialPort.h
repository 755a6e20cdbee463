#pragma once

#include "link/PortMap.h"
#include "link/SerialPort.h"

#include <array>
#include <cstddef>
#include <string>

namespace quelby {

// Why `device` (behind port number `port`, 0 when given with --device) could not be opened,
// for PortError::description. Never fails; unknown errors fall back to the system's wording.
std::string DescribeOpenError(int errnum, const std::string& device, int port);

// The serial port on termios and poll: raw 8N1 without flow control, held exclusively,
// every sent byte written at once, every wait a sleep in poll.
// A device that vanishes (adapter unplugged, the far side of a pseudo-terminal closed) closes
// the port: later calls read as "nothing waiting" and isOpen() turns false.
class PosixSerialPort : public SerialPort {
public:
    // `deviceOverride`, when not empty, is used instead of the map for every port number.
    explicit PosixSerialPort(PortMap map, std::string deviceOverride = {});
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    // Closes first if open. Fails with errno and a description when the device is missing,
    // not permitted, held by another program, not a serial port, or the speed is not
    // 9600 or 19200.
    bool open(const PortSettings& settings, PortError& error) override;
    // Never fails; a closed port stays closed.
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }

    // At least one when a byte waits; 0 when none or the port is closed.
    int bytesWaiting() override;
    // Drops what the driver and this object hold; does nothing on a closed port.
    void discardInput() override;
    // When the driver has no room, waits up to SendTimeoutMs for it (a few times at most if
    // woken without room), then drops the byte; a vanished device closes the port.
    void sendByte(std::uint8_t value) override;
    // -1 when nothing waits or the port is closed.
    int readByte() override;
    // False on time-out or when the device vanished (the port is then closed).
    bool waitForByte(double seconds) override;

    std::string deviceForEveryPort() const override { return m_deviceOverride; }
    void setPortMap(const PortMap& map) override { m_map = map; }

    // The device of the last open(), whether it succeeded or not.
    const std::string& device() const { return m_device; }
    // Empty when the driver runs at low latency or has no such setting (pseudo-terminal);
    // otherwise a sentence telling the user why transfers may be slow.
    const std::string& lowLatencyNote() const { return m_lowLatencyNote; }

    static constexpr int SendTimeoutMs = 1000;

private:
    bool configure(int baud, int& errnum);
    void requestLowLatency();
    bool fill();
    void vanish();

    PortMap m_map;
    std::string m_deviceOverride;
    std::string m_device;
    std::string m_lowLatencyNote;
    int m_fd = -1;
    bool m_exclusive = false; // this port set TIOCEXCL on the device
    std::array<std::uint8_t, 256> m_buffer{};
    std::size_t m_head = 0; // next byte to hand out
    std::size_t m_tail = 0; // one past the last byte read from the driver
};

} // namespace quelby
