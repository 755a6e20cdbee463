#pragma once

#include <cstdint>
#include <optional>

namespace quelby::sim {

class SimBoard;

// A kind of request the board serves after the 0xFF/0x55 handshake with its own mode byte
// (PLS requests, program mode). Read and write mode belong to SimBoard itself.
class BoardRequestHandler {
public:
    virtual ~BoardRequestHandler() = default;
    // Whether this handler serves requests opened with `modeByte`.
    virtual bool acceptsMode(std::uint8_t modeByte) const = 0;
    // The mode byte was accepted (and answered 0x55); the request starts.
    virtual void begin(std::uint8_t modeByte) = 0;
    // One byte of the request; returns the answer, if any. Sets `finished` when the request is
    // over and the board is idle again (the next 0xFF starts a handshake).
    virtual std::optional<std::uint8_t> receive(std::uint8_t byte, bool& finished) = 0;
    // Whether a 0xFF now starts a handshake rather than being data of the request.
    virtual bool syncAllowed() const { return true; }
};

} // namespace quelby::sim
