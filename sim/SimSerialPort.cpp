#include "sim/SimSerialPort.h"

#include <cerrno>

namespace quelby::sim {

SimSerialPort::SimSerialPort(SimBoard& board, Clock& clock) : m_board(board), m_clock(clock) {}

bool SimSerialPort::open(const PortSettings& settings, PortError& error) {
    if (m_missing) {
        error = {ENOENT, "Simulated board",
                 "The simulated serial port for port " + std::to_string(settings.portNumber) +
                     " does not exist."};
        return false;
    }
    m_settings = settings;
    m_open = true;
    m_pending.clear();
    return true;
}

void SimSerialPort::close() {
    m_open = false;
    m_pending.clear();
}

double SimSerialPort::exchangeSeconds() const {
    return m_emulateLineSpeed ? 20.0 / m_settings.baud : 0.0;
}

int SimSerialPort::bytesWaiting() {
    if (!m_open) return 0;
    const double now = m_clock.monotonicSeconds();
    int ready = 0;
    for (const auto& byte : m_pending)
        if (byte.readyAt <= now) ++ready;
    return ready;
}

void SimSerialPort::discardInput() {
    const double now = m_clock.monotonicSeconds();
    // Bytes still on their way are not in the buffer yet and survive the discard.
    while (!m_pending.empty() && m_pending.front().readyAt <= now) m_pending.pop_front();
}

void SimSerialPort::sendByte(std::uint8_t value) {
    if (!m_open) return;
    ++m_bytesSent;
    if (auto reply = m_board.receive(value)) {
        double readyAt = m_clock.monotonicSeconds() + exchangeSeconds() + m_extraDelay;
        if (!m_pending.empty()) readyAt = std::max(readyAt, m_pending.back().readyAt);
        m_pending.push_back({readyAt, *reply});
    }
    if (m_onSend) m_onSend(m_bytesSent);
}

int SimSerialPort::readByte() {
    if (!m_open || m_pending.empty() || m_pending.front().readyAt > m_clock.monotonicSeconds())
        return -1;
    int value = m_pending.front().value;
    m_pending.pop_front();
    return value;
}

bool SimSerialPort::waitForByte(double seconds) {
    if (!m_open) return false;
    const double now = m_clock.monotonicSeconds();
    if (!m_pending.empty() && m_pending.front().readyAt <= now + seconds) {
        m_clock.sleepFor(m_pending.front().readyAt - now);
        return true;
    }
    m_clock.sleepFor(seconds);
    return false;
}

} // namespace quelby::sim
