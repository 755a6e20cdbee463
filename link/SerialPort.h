#pragma once

#include <cstdint>
#include <string>

namespace quelby {

class PortMap;

// Line settings of the board link: 8 data bits, no parity, 1 stop bit, no flow control.
struct PortSettings {
    int portNumber = 1; // 1..99, mapped to a device by the implementation
    int baud = 9600;    // 9600 or 19200
};

// Why a port could not be opened, phrased for the "Comm Port Error" message.
struct PortError {
    int number = 0;          // errno on POSIX systems
    std::string source;      // which port object raised it, e.g. "Serial port /dev/ttyUSB0"
    std::string description; // what happened and what the user can do about it
};

// The link's view of a serial port: raw bytes, one at a time, no translation of any value.
// Every call fails softly: a closed or vanished port reads as "nothing waiting" and
// isOpen() turns false, so the protocol sees a time-out or a closed port, never a crash.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens with the given settings and discards anything received before the call.
    // Returns false and fills `error` when the port cannot be opened.
    virtual bool open(const PortSettings& settings, PortError& error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual int bytesWaiting() = 0;
    virtual void discardInput() = 0;
    // The byte leaves at once; the call does not wait for the board.
    virtual void sendByte(std::uint8_t value) = 0;
    // The oldest waiting byte; -1 when none is waiting.
    virtual int readByte() = 0;
    // Sleeps until a byte is waiting or `seconds` have passed; true when a byte waits.
    virtual bool waitForByte(double seconds) = 0;

    // The one device this run uses whatever the port number (given on the command line);
    // empty when port numbers map to devices.
    virtual std::string deviceForEveryPort() const { return {}; }
    // The port numbers' devices as the map file now has them (after the settings dialog
    // numbered a device); the next open uses them. Ports without a map ignore it.
    virtual void setPortMap(const PortMap& map) { (void)map; }
};

} // namespace quelby
