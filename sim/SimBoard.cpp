#include "sim/SimBoard.h"

#include "link/BoardAddress.h"
#include "link/BoardProtocol.h"

#include <cstdio>

namespace quelby::sim {
namespace {
constexpr std::uint8_t kUnexpected = 0x00;
} // namespace

// The loss generator starts from its default seed on purpose: setLossRate() seeds it, so a
// run can be repeated exactly.
SimBoard::SimBoard() = default; // NOLINT(cert-msc51-cpp)

std::optional<std::uint8_t> SimBoard::receive(std::uint8_t byte) {
    const long index = m_received++;
    const bool lost = m_loseAt.erase(index) > 0 ||
                      (m_lossRate > 0 && std::uniform_real_distribution<double>(0.0, 1.0)(
                                             m_lossRandom) < m_lossRate);
    if (lost) {
        ++m_lost;
        return std::nullopt;
    }
    std::optional<std::uint8_t> reply;
    if (!m_silent && (m_stopAfter < 0 || index < m_stopAfter)) {
        reply = answer(byte);
        if (reply && m_corruptAt.erase(index)) *reply ^= 0x01;
    }
    TraceEntry entry{byte, reply};
    if (m_recordTrace) m_trace.push_back(entry);
    if (m_traceSink) m_traceSink(entry);
    return reply;
}

std::optional<std::uint8_t> SimBoard::answer(std::uint8_t byte) {
    const bool atRequestStart =
        m_phase == 0 && (m_mode != Mode::Handler || m_activeHandler->syncAllowed());
    if (byte == wire::kSync && (atRequestStart || m_mode == Mode::AwaitingModeByte)) {
        m_mode = Mode::AwaitingModeByte;
        m_activeHandler = nullptr;
        m_phase = 0;
        return wire::kAck;
    }
    switch (m_mode) {
    case Mode::AwaitingModeByte:
        if (!m_refuseModes && (byte == wire::kReadMode || byte == wire::kWriteMode)) {
            m_mode = byte == wire::kReadMode ? Mode::Read : Mode::Write;
            m_phase = 0;
            return wire::kAck;
        }
        for (BoardRequestHandler* handler : m_handlers) {
            if (!m_refuseModes && handler->acceptsMode(byte)) {
                m_mode = Mode::Handler;
                m_activeHandler = handler;
                handler->begin(byte);
                return wire::kAck;
            }
        }
        m_mode = Mode::Idle;
        return kUnexpected;
    case Mode::Handler: {
        bool finished = false;
        auto reply = m_activeHandler->receive(byte, finished);
        if (finished) {
            m_mode = Mode::Idle;
            m_activeHandler = nullptr;
        }
        return reply;
    }
    case Mode::Read:
        return readModeByte(byte);
    case Mode::Write:
        return writeModeByte(byte);
    case Mode::Idle:
        break;
    }
    return kUnexpected;
}

std::optional<std::uint8_t> SimBoard::readModeByte(std::uint8_t byte) {
    if (m_phase == 0) {
        m_address = static_cast<std::uint16_t>(byte << 8);
        m_phase = 1;
        return byte;
    }
    m_address = static_cast<std::uint16_t>(m_address | byte);
    m_phase = 0;
    if (m_readObserver) m_readObserver(m_address);
    return m_memory[m_address];
}

std::optional<std::uint8_t> SimBoard::writeModeByte(std::uint8_t byte) {
    switch (m_phase) {
    case 0:
        m_address = static_cast<std::uint16_t>(byte << 8);
        m_phase = 1;
        return byte;
    case 1:
        m_address = static_cast<std::uint16_t>(m_address | byte);
        m_phase = 2;
        return byte;
    default:
        m_memory[m_address] = byte;
        m_phase = 0;
        if (m_writeObserver) m_writeObserver(m_address);
        return byte;
    }
}

bool SimBoard::setValue(std::string_view address, std::uint32_t value) {
    auto parsed = ParseAddress(address);
    if (!parsed) return false;
    if (parsed->isBitAddress) {
        if (value > 1) return false;
        auto& byte = m_memory[static_cast<std::size_t>(parsed->byteAddress)];
        byte = static_cast<std::uint8_t>(value ? (byte | parsed->bitMask) : (byte & ~parsed->bitMask));
        return true;
    }
    const std::uint32_t limit = parsed->addrType == 'B'   ? kMaxByteValue
                                : parsed->addrType == 'W' ? kMaxWordValue
                                                          : kMaxDoubleValue;
    if (value > limit) return false;
    auto bytes = EncodeValue(parsed->addrType, value);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        m_memory[static_cast<std::size_t>(parsed->byteAddress) + i] = bytes[i];
    return true;
}

std::optional<std::uint32_t> SimBoard::value(std::string_view address) const {
    auto parsed = ParseAddress(address);
    if (!parsed) return std::nullopt;
    const auto first = static_cast<std::size_t>(parsed->byteAddress);
    if (parsed->isBitAddress) return (m_memory[first] & parsed->bitMask) ? 1u : 0u;
    std::vector<std::uint8_t> bytes(m_memory.begin() + static_cast<std::ptrdiff_t>(first),
                                    m_memory.begin() + static_cast<std::ptrdiff_t>(first) +
                                        parsed->byteCount());
    return DecodeValue(parsed->addrType, bytes);
}

std::string FormatTraceEntry(const TraceEntry& entry) {
    char line[8];
    if (entry.answer)
        std::snprintf(line, sizeof line, "%02X %02X", entry.received, *entry.answer);
    else
        std::snprintf(line, sizeof line, "%02X --", entry.received);
    return line;
}

} // namespace quelby::sim
