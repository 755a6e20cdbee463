#pragma once

#include "link/PortMap.h"
#include "link/SerialPort.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quelby {

// Why `device` (behind port number `port`, 0 when given with --device) could not be opened,
// for PortError::description. `code` is the system's error code; never fails.
std::string DescribeComOpenError(unsigned long code, const std::string& device, int port);

// True when the system knows a device named COMn now.
bool ComPortExists(int port);

// The serial port on the Win32 communications API: raw 8N1 without flow control or character
// translation, held exclusively (a COM port opens for one program at a time), every sent byte
// written at once, every wait a blocking read bounded by the port's read time-out.
// A device that vanishes (USB adapter unplugged) closes the port: later calls read as
// "nothing waiting" and isOpen() turns false.
class WindowsSerialPort : public SerialPort {
public:
    // Port number n is COMn; the map is kept for the same construction as on Linux.
    // `deviceOverride`, when not empty, is used for every port number: "COM7", "\\.\COM7"
    // or any other device path.
    explicit WindowsSerialPort(PortMap map = {}, std::string deviceOverride = {});
    ~WindowsSerialPort() override;
    WindowsSerialPort(const WindowsSerialPort&) = delete;
    WindowsSerialPort& operator=(const WindowsSerialPort&) = delete;

    // Closes first if open. Fails with the system's error code and a description when the
    // port is missing, held by another program, not a serial port, or the speed is not 9600
    // or 19200.
    bool open(const PortSettings& settings, PortError& error) override;
    void close() override;
    bool isOpen() const override { return m_handle != nullptr; }

    int bytesWaiting() override;
    void discardInput() override;
    // Waits up to SendTimeoutMs for the driver to take the byte, then drops it; a vanished
    // device closes the port.
    void sendByte(std::uint8_t value) override;
    int readByte() override;
    // False on time-out or when the device vanished (the port is then closed).
    bool waitForByte(double seconds) override;

    // The device of the last open(), whether it succeeded or not.
    const std::string& device() const { return m_device; }
    std::string deviceForEveryPort() const override { return m_deviceOverride; }
    void setPortMap(const PortMap& map) override { m_map = map; }
    // Always empty: the COM driver's own latency is not adjustable from here.
    const std::string& lowLatencyNote() const { return m_lowLatencyNote; }

    // The device path CreateFile opens for a port name such as "COM12" or "com3"; any
    // other text is returned unchanged.
    static std::string DevicePath(const std::string& name);

    static constexpr unsigned long SendTimeoutMs = 1000;

private:
    bool configure(int baud, unsigned long& code);
    bool setReadTimeout(unsigned long milliseconds);
    bool fill(unsigned long count);
    void vanish();

    PortMap m_map;
    std::string m_deviceOverride;
    std::string m_device;
    std::string m_lowLatencyNote;
    void* m_handle = nullptr; // the HANDLE; null when closed
    void* m_lock = nullptr;   // the named mutex held while open
    unsigned long m_readTimeoutMs = 0; // the wait the port is set for; 0 until the first wait
    std::array<std::uint8_t, 256> m_buffer{};
    std::size_t m_head = 0; // next byte to hand out
    std::size_t m_tail = 0; // one past the last byte read from the driver
};

} // namespace quelby
