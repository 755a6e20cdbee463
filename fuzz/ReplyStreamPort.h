#pragma once

#include "link/SerialPort.h"
#include "sim/ManualClock.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quelby::fuzz {

// Bytes the fuzz input hands out one at a time; once used up, every take() fails.
class InputStream {
public:
    InputStream(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool take(std::uint8_t& byte) {
        if (m_pos >= m_size) return false;
        byte = m_data[m_pos++];
        return true;
    }
    std::uint8_t takeOr(std::uint8_t fallback) {
        std::uint8_t byte = fallback;
        take(byte);
        return byte;
    }
    bool empty() const { return m_pos >= m_size; }
    std::size_t used() const { return m_pos; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// What happened on the line, in order, as the link saw it.
struct LineEvent {
    enum class Kind { Sent, Read, Discarded, WaitExpired };
    Kind kind;
    std::uint8_t byte = 0;
};

// A board whose every answer comes from the fuzz input, on a manual clock. Each byte the link
// sends takes one control byte from the input:
//   bits 0-1  0: echo the byte, 1: answer the next input byte, 2: stay silent, 3: answer 0x55
//   bits 2-4  5, 6, 7: the answer arrives 0.7, 1.5 or 2.5 s late (past the link's reply time)
//   bits 5-7  7: the answer comes twice
// An input used up leaves the board silent. Bytes arrive in time order; waiting moves the
// clock to the next arrival or to the end of the wait.
class ReplyStreamPort : public SerialPort {
public:
    ReplyStreamPort(InputStream& input, sim::ManualClock& clock) : m_input(input), m_clock(clock) {}

    bool open(const PortSettings&, PortError&) override {
        m_open = true;
        return true;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    int bytesWaiting() override;
    void discardInput() override;
    void sendByte(std::uint8_t value) override;
    int readByte() override;
    bool waitForByte(double seconds) override;

    const std::vector<LineEvent>& events() const { return m_events; }
    std::size_t sentCount() const { return m_sent; }

private:
    struct Arrival {
        double at;
        std::uint8_t byte;
    };
    void schedule(double at, std::uint8_t byte);

    InputStream& m_input;
    sim::ManualClock& m_clock;
    bool m_open = false;
    std::vector<Arrival> m_pending; // sorted by arrival time
    std::vector<LineEvent> m_events;
    std::size_t m_sent = 0;
};

} // namespace quelby::fuzz
