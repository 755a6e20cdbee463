#include "fuzz/ReplyStreamPort.h"

#include <algorithm>

namespace quelby::fuzz {
namespace {
constexpr double kLateness[8] = {0, 0, 0, 0, 0, 0.7, 1.5, 2.5};
} // namespace

void ReplyStreamPort::schedule(double at, std::uint8_t byte) {
    const auto pos = std::upper_bound(m_pending.begin(), m_pending.end(), at,
                                      [](double t, const Arrival& a) { return t < a.at; });
    m_pending.insert(pos, Arrival{at, byte});
}

int ReplyStreamPort::bytesWaiting() {
    const double now = m_clock.monotonicSeconds();
    return static_cast<int>(std::count_if(m_pending.begin(), m_pending.end(),
                                          [now](const Arrival& a) { return a.at <= now; }));
}

void ReplyStreamPort::discardInput() {
    const double now = m_clock.monotonicSeconds();
    while (!m_pending.empty() && m_pending.front().at <= now) {
        m_events.push_back({LineEvent::Kind::Discarded, m_pending.front().byte});
        m_pending.erase(m_pending.begin());
    }
}

void ReplyStreamPort::sendByte(std::uint8_t value) {
    m_events.push_back({LineEvent::Kind::Sent, value});
    ++m_sent;
    std::uint8_t control = 0;
    if (!m_open || !m_input.take(control)) return;
    std::uint8_t answer = value;
    switch (control & 3) {
    case 0:
        break;
    case 1:
        if (!m_input.take(answer)) return;
        break;
    case 2:
        return;
    case 3:
        answer = 0x55;
        break;
    }
    const double at = m_clock.monotonicSeconds() + kLateness[(control >> 2) & 7];
    schedule(at, answer);
    if ((control >> 5) == 7) schedule(at, answer);
}

int ReplyStreamPort::readByte() {
    if (m_pending.empty() || m_pending.front().at > m_clock.monotonicSeconds()) return -1;
    const std::uint8_t byte = m_pending.front().byte;
    m_pending.erase(m_pending.begin());
    m_events.push_back({LineEvent::Kind::Read, byte});
    return byte;
}

bool ReplyStreamPort::waitForByte(double seconds) {
    const double now = m_clock.monotonicSeconds();
    if (!m_pending.empty() && m_pending.front().at <= now + std::max(seconds, 0.0)) {
        m_clock.advance(m_pending.front().at - now);
        return true;
    }
    m_clock.advance(seconds);
    m_events.push_back({LineEvent::Kind::WaitExpired});
    return false;
}

} // namespace quelby::fuzz
