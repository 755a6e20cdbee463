#pragma once

#include "sim/BoardRequestHandler.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quelby::sim {

// One byte the board received and what it answered (nothing when it stayed silent).
struct TraceEntry {
    std::uint8_t received = 0;
    std::optional<std::uint8_t> answer;
    bool operator==(const TraceEntry&) const = default;
};

// The target board's side of the lock-step byte protocol over 64 KiB of byte memory.
//
// 0xFF at the start of a request is answered 0x55 and starts a handshake, in any mode: it is
// how the computer takes the board from read mode to write mode and back, and how it finds
// the board again after a time-out. So an address high byte of 0xFF cannot start a read or
// write request, and FF00..FFFF are out of the reach of reads and writes (0xFF as a low
// address byte or a data byte is taken as such); the mode byte that
// follows (0x01 read, 0x02 write) is answered 0x55. In read mode the board echoes the address
// high byte and answers the low byte with the data byte; in write mode it echoes both address
// bytes and the data byte and stores the byte. A byte it does not expect (outside any mode,
// or an unknown mode byte) is answered 0x00 and leaves the board idle.
class SimBoard {
public:
    enum class Mode { Idle, AwaitingModeByte, Read, Write, Handler };

    SimBoard();

    // Feeds one byte from the computer; returns the board's answer, if any.
    std::optional<std::uint8_t> receive(std::uint8_t byte);

    std::uint8_t peek(std::uint16_t address) const { return m_memory[address]; }
    void poke(std::uint16_t address, std::uint8_t value) { m_memory[address] = value; }
    // Sets an item named by a board address text ("W182", "B1016.3", "D1100") to a value, as
    // the board stores it. False when the address or value does not fit.
    bool setValue(std::string_view address, std::uint32_t value);
    // Reads an item named by a board address text; nullopt for an unusable address.
    std::optional<std::uint32_t> value(std::string_view address) const;
    Mode mode() const { return m_mode; }

    // Serves further request kinds; the handler must outlive the board.
    void addHandler(BoardRequestHandler& handler) { m_handlers.push_back(&handler); }
    // Called after every byte stored by a write request, with its address: the machine
    // behind the board reacts to its commands there.
    void setWriteObserver(std::function<void(std::uint16_t address)> observer) {
        m_writeObserver = std::move(observer);
    }
    // Called for every byte a read request fetches, with its address (tests see which items
    // a window reads, in order).
    void setReadObserver(std::function<void(std::uint16_t address)> observer) {
        m_readObserver = std::move(observer);
    }

    // Fault injection for tests.
    void setSilent(bool silent) { m_silent = silent; }
    // Alters the answer to the n-th byte from now (0 = the next byte): its lowest bit flips.
    // May be called several times to alter several answers.
    void corruptAnswerAt(long n) { m_corruptAt.insert(m_received + n); }
    // A board that answers mode bytes with 0x00: no handshake completes.
    void setRefuseModes(bool refuse) { m_refuseModes = refuse; }
    // Answers nothing after `count` more bytes have been received.
    void stopAnsweringAfter(long count) { m_stopAfter = m_received + count; }
    // The n-th byte from now (0 = the next) is lost on the line: the board never sees it and
    // answers nothing. May be called several times.
    void loseByteAt(long n) { m_loseAt.insert(m_received + n); }
    // Every byte is lost with this probability (0..1), drawn from a generator seeded with
    // `seed`, so a run can be repeated exactly. 0 turns the loss off.
    void setLossRate(double probability, std::uint32_t seed) {
        m_lossRate = probability;
        m_lossRandom.seed(seed);
    }
    // How many bytes were lost so far, by either option.
    long lostBytes() const { return m_lost; }
    // How many bytes reached the board's end of the line so far, lost ones included.
    long receivedBytes() const { return m_received; }

    // Every exchange is recorded; a sink also sees each entry as it happens.
    const std::vector<TraceEntry>& trace() const { return m_trace; }
    void clearTrace() { m_trace.clear(); }
    void setTraceSink(std::function<void(const TraceEntry&)> sink) { m_traceSink = std::move(sink); }
    void setTraceRecording(bool on) { m_recordTrace = on; }

private:
    std::optional<std::uint8_t> answer(std::uint8_t byte);
    std::optional<std::uint8_t> readModeByte(std::uint8_t byte);
    std::optional<std::uint8_t> writeModeByte(std::uint8_t byte);

    std::array<std::uint8_t, 65536> m_memory{};
    Mode m_mode = Mode::Idle;
    int m_phase = 0; // position within a read (0, 1) or write (0, 1, 2) request
    std::uint16_t m_address = 0;
    std::vector<BoardRequestHandler*> m_handlers;
    BoardRequestHandler* m_activeHandler = nullptr;
    std::function<void(std::uint16_t)> m_writeObserver;
    std::function<void(std::uint16_t)> m_readObserver;

    bool m_silent = false;
    long m_received = 0;
    std::set<long> m_corruptAt;
    bool m_refuseModes = false;
    long m_stopAfter = -1;
    std::set<long> m_loseAt;
    double m_lossRate = 0;
    std::mt19937 m_lossRandom;
    long m_lost = 0;

    bool m_recordTrace = true;
    std::vector<TraceEntry> m_trace;
    std::function<void(const TraceEntry&)> m_traceSink;
};

// "FF 55" or "B6 --": the trace line of one exchange, as quelby-sim --trace writes it.
std::string FormatTraceEntry(const TraceEntry& entry);

} // namespace quelby::sim
