#include "sim/SimProgramMode.h"

#include "link/BoardProtocol.h"
#include "sim/SimBoard.h"

namespace quelby::sim {

bool SimProgramMode::acceptsMode(std::uint8_t modeByte) const {
    return modeByte == wire::kProgramMode && m_board.peek(wire::kProgramArmAddress) == wire::kProgramArmValue;
}

void SimProgramMode::begin(std::uint8_t) {
    m_active = true;
    m_position = 0;
}

std::optional<std::uint8_t> SimProgramMode::receive(std::uint8_t byte, bool& finished) {
    switch (m_position) {
    case 0:
        if (byte == wire::kSync) {
            m_active = false;
            m_board.poke(wire::kProgramArmAddress, 0);
            finished = true;
            return wire::kAck;
        }
        m_length = byte;
        m_sum = byte;
        m_position = 1;
        return std::nullopt;
    case 1:
        m_address = static_cast<std::uint16_t>(byte << 8);
        m_sum += byte;
        m_position = 2;
        return std::nullopt;
    case 2:
        m_address = static_cast<std::uint16_t>(m_address | byte);
        m_sum += byte;
        m_position = 3;
        if (m_length > 0) return std::nullopt;
        break;
    default:
        m_board.poke(static_cast<std::uint16_t>(m_address + (m_position - 3)), byte);
        m_sum += byte;
        if (++m_position - 3 < m_length) return std::nullopt;
        break;
    }
    m_position = 0;
    ++m_records;
    const unsigned spoil = m_spoilNext ? 1 : 0;
    m_spoilNext = false;
    return static_cast<std::uint8_t>((m_sum + spoil) % 256);
}

} // namespace quelby::sim
