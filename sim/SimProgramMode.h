#pragma once

#include "sim/BoardRequestHandler.h"

#include <cstdint>
#include <vector>

namespace quelby::sim {

class SimBoard;

// The board's program mode. The computer arms it by writing 86 to B8181, then opens it with
// the mode byte 0x03 after a handshake. Each record arrives as its length, address high and
// low byte and data bytes, none of them answered; the board stores the data and answers the
// record with the low byte of the sum of all those bytes. A 0xFF where a record would start
// leaves program mode, answered 0x55.
class SimProgramMode : public BoardRequestHandler {
public:
    explicit SimProgramMode(SimBoard& board) : m_board(board) {}

    bool acceptsMode(std::uint8_t modeByte) const override;
    void begin(std::uint8_t modeByte) override;
    std::optional<std::uint8_t> receive(std::uint8_t byte, bool& finished) override;
    bool syncAllowed() const override { return false; }

    bool active() const { return m_active; }
    long recordsStored() const { return m_records; }
    // The next record is answered with a wrong sum, as after a garbled byte on the line.
    void spoilNextRecordSum() { m_spoilNext = true; }

private:
    SimBoard& m_board;
    bool m_active = false;
    int m_position = 0; // byte of the current record: 0 length, 1 high, 2 low, 3.. data
    std::uint8_t m_length = 0;
    std::uint16_t m_address = 0;
    unsigned m_sum = 0;
    long m_records = 0;
    bool m_spoilNext = false;
};

} // namespace quelby::sim
