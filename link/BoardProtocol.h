#pragma once

#include <cstdint>

// The bytes of the board's lock-step protocol, the same for the link and the simulated board.
namespace quelby::wire {

inline constexpr std::uint8_t kSync = 0xFF;  // starts a handshake from any state
inline constexpr std::uint8_t kAck = 0x55;   // the board's yes to a handshake or a data byte
inline constexpr std::uint8_t kFetch = 0x55; // asks the PLS for its next data byte
// How long the link waits for the board's answer to one byte.
inline constexpr double kReplyTimeoutSeconds = 1.0;

// Mode bytes that follow the handshake's 0xFF.
inline constexpr std::uint8_t kReadMode = 0x01;
inline constexpr std::uint8_t kWriteMode = 0x02;
inline constexpr std::uint8_t kProgramMode = 0x03;

// PLS requests: each is opened by the handshake with its code as the mode byte.
inline constexpr std::uint8_t kPlsReadScale = 0x18;
inline constexpr std::uint8_t kPlsReadOffset = 0x28;
inline constexpr std::uint8_t kPlsReadPosition = 0x48;
inline constexpr std::uint8_t kPlsReadRpm = 0x58;
inline constexpr std::uint8_t kPlsProgramChannel = 0x1B;
inline constexpr std::uint8_t kPlsPulseTrain = 0x2B;
inline constexpr std::uint8_t kPlsWriteScale = 0x1A;
inline constexpr std::uint8_t kPlsWriteOffset = 0x2A;
inline constexpr std::uint8_t kPlsFirstBlock = 0x3B; // blocks 0..3 at 0x3B, 0x4B, 0x5B, 0x6B
inline constexpr std::uint8_t kPlsLastBlock = 0x6B;
inline constexpr std::uint8_t kPlsReadConfiguration = 0x0C;
inline constexpr std::uint8_t kPlsRecall = 0x09;
// The PLS-ready poll: 0x38 is answered 0x55, then a fetch answers the status.
inline constexpr std::uint8_t kPlsPollReady = 0x38;
inline constexpr std::uint8_t kPlsStatusReady = 0x00;
inline constexpr std::uint8_t kPlsStatusBusy = 0x55;

// Program mode opens only after the computer has written 86 to B8181.
inline constexpr std::uint16_t kProgramArmAddress = 8181;
inline constexpr std::uint8_t kProgramArmValue = 86;

} // namespace quelby::wire
