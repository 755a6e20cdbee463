#pragma once

#include "link/Clock.h"
#include "link/SerialPort.h"
#include "sim/SimBoard.h"

#include <deque>
#include <functional>

namespace quelby::sim {

// The simulated board plugged in where a serial port goes, in the same process. Time passes
// on the clock it is given: a test clock makes every wait instant, the system clock makes
// quelby --simulate feel like a real line.
class SimSerialPort : public SerialPort {
public:
    SimSerialPort(SimBoard& board, Clock& clock);

    bool open(const PortSettings& settings, PortError& error) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    int bytesWaiting() override;
    void discardInput() override;
    void sendByte(std::uint8_t value) override;
    int readByte() override;
    bool waitForByte(double seconds) override;

    // Pace answers like the wire does: 20 bits per exchange at the opened speed.
    void setEmulateLineSpeed(bool on) { m_emulateLineSpeed = on; }
    // Every following answer arrives this much later than the line would bring it.
    void setExtraDelay(double seconds) { m_extraDelay = seconds; }
    // The next open fails as a missing device would.
    void setMissing(bool missing) { m_missing = missing; }
    // The adapter is pulled out: the port closes under the link's feet.
    void unplug() { m_open = false; m_pending.clear(); }
    // A byte arrives unasked, as from a noisy line.
    void injectNoise(std::uint8_t value) { m_pending.push_back({m_clock.monotonicSeconds(), value}); }
    // Called after each byte sent, e.g. to unplug in the middle of a transfer.
    void setOnSend(std::function<void(long bytesSent)> hook) { m_onSend = std::move(hook); }

    long bytesSent() const { return m_bytesSent; }
    const PortSettings& openedWith() const { return m_settings; }
    SimBoard& board() { return m_board; }

private:
    struct PendingByte {
        double readyAt;
        std::uint8_t value;
    };
    double exchangeSeconds() const;

    SimBoard& m_board;
    Clock& m_clock;
    std::deque<PendingByte> m_pending;
    bool m_open = false;
    bool m_missing = false;
    bool m_emulateLineSpeed = false;
    double m_extraDelay = 0;
    PortSettings m_settings;
    long m_bytesSent = 0;
    std::function<void(long)> m_onSend;
};

} // namespace quelby::sim
