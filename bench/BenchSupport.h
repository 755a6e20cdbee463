#pragma once

#include "bench/BenchPrompt.h"
#include "link/PosixSerialPort.h"
#include "link/RSComm.h"
#include "link/SerialPort.h"
#include "tests/support/SimProcess.h"
#include "link/SystemClock.h"
#include "link/UserPrompt.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace quelby::bench {

// Counts the bytes that cross the line in each direction, for the wire-time bound.
class CountingSerialPort : public SerialPort {
public:
    explicit CountingSerialPort(SerialPort& port) : m_port(port) {}

    bool open(const PortSettings& settings, PortError& error) override {
        return m_port.open(settings, error);
    }
    void close() override { m_port.close(); }
    bool isOpen() const override { return m_port.isOpen(); }
    int bytesWaiting() override { return m_port.bytesWaiting(); }
    void discardInput() override { m_port.discardInput(); }
    void sendByte(std::uint8_t value) override {
        ++m_sent;
        m_port.sendByte(value);
    }
    int readByte() override {
        const int byte = m_port.readByte();
        if (byte >= 0) ++m_received;
        return byte;
    }
    bool waitForByte(double seconds) override { return m_port.waitForByte(seconds); }

    long bytesOnTheLine() const { return m_sent + m_received; }
    void resetCounts() { m_sent = m_received = 0; }

private:
    SerialPort& m_port;
    long m_sent = 0;
    long m_received = 0;
};

// A scratch folder removed when the benchmark ends.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
        : m_path(std::filesystem::temp_directory_path() / name) {
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// quelby-sim started on a pseudo-terminal with `simArgs` and the link opened to it at `baud`
// through the real serial port, every byte counted; the link's home is a scratch folder.
struct SimLink {
    SimLink(const std::vector<std::string>& simArgs, int baud, const std::string& name,
            UserPrompt& prompt)
        : sim(simArgs), home(name), link(clock, prompt, home.path()),
          serial(PortMap{}, sim.devicePath()), port(serial) {
        link.OverrideSettings(std::nullopt, std::to_string(baud));
        link.OpenRSComm(port);
    }

    test::SimProcess sim;
    ScratchFolder home;
    SystemClock clock;
    RSComm link;
    PosixSerialPort serial;
    CountingSerialPort port;
};

} // namespace quelby::bench
