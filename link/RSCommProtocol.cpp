// The lock-step byte protocol: one byte out, one byte back, read and write modes entered by
// a 0xFF/0x55 handshake, integrity resting on the board's echoes.
#include "link/RSComm.h"

#include "link/BoardProtocol.h"
#include "link/LinkMessages.h"
#include "link/TextCase.h"

namespace quelby {
namespace {
constexpr int kReadMode = 1;
constexpr int kWriteMode = 2;
constexpr double kReplyTimeout = 1.0;
constexpr double kResyncTimeout = 2.0;
constexpr double kHandshakeTimeout = 2.0;
constexpr int kTimeoutsBeforeMessage = 3;
} // namespace

int RSComm::SendByte(int value, bool noReply, bool flushFirst) {
    if (CommError) return kNoReply;
    if (!m_commObj || !m_commObj->isOpen()) {
        m_currentMode = 0;
        CommError = true;
        return kNoReply;
    }
    if (flushFirst) m_commObj->discardInput();
    m_commObj->sendByte(static_cast<std::uint8_t>(value));
    CommErrorAlert = false;
    if (noReply) return 0;

    double deadline = m_clock.monotonicSeconds() + kReplyTimeout;
    int timeouts = 0;
    for (;;) {
        if (!m_commObj->isOpen()) {
            // The port went away under us (adapter unplugged): a failed link, not a wait.
            m_currentMode = 0;
            CommError = true;
            return kNoReply;
        }
        const double now = m_clock.monotonicSeconds();
        if (now < deadline) {
            if (m_commObj->waitForByte(deadline - now)) break;
            continue;
        }
        if (m_commObj->bytesWaiting() > 0) break;

        m_currentMode = 0;
        CommError = true;
        CommErrorAlert = true;
        deadline = now + kResyncTimeout;
        if (++timeouts < kTimeoutsBeforeMessage) {
            // Resynchronise: the board answers 0xFF from any state.
            CommError = false;
            m_commObj->discardInput();
            m_commObj->sendByte(wire::kSync);
            continue;
        }
        if (Ask(LinkMessages::CannotCommunicate()) != MessageAnswer::Retry) return kNoReply;
        // The user wants the link back: waiting again, the link is not failed. The deadline
        // set before the message stands, so a Retry after a long pause resynchronises at once.
        CommError = false;
        timeouts = 0;
    }
    const int received = m_commObj->readByte();
    CommErrorAlert = false;
    return received < 0 ? kNoReply : received;
}

bool RSComm::SetPLCMode(int wantedMode, std::uint8_t modeByte) {
    m_currentMode = 0;
    double deadline = m_clock.monotonicSeconds() + kHandshakeTimeout;
    while (m_currentMode != wantedMode) {
        if (m_clock.monotonicSeconds() >= deadline) {
            if (Ask(LinkMessages::CannotSetPLCMode()) != MessageAnswer::Retry) {
                CommError = true;
                OnlineMode = false;
                CloseLink();
                return false;
            }
            deadline = m_clock.monotonicSeconds() + kHandshakeTimeout;
        }
        const int reply = SendByte(wire::kSync, false, true);
        if (reply == kNoReply) return false;
        if (reply != wire::kAck) continue;
        const int modeReply = SendByte(modeByte, false, false);
        if (modeReply == kNoReply) return false;
        m_currentMode = modeReply == wire::kAck ? wantedMode : 0;
    }
    return true;
}

// One exchange whose reply must echo the byte sent. False when it did not; `reply` tells
// whether the link failed (kNoReply) or the echo was wrong.
bool RSComm::Exchange(std::uint8_t byte, int& reply) {
    reply = SendByte(byte, false, false);
    return reply == byte;
}

std::string RSComm::ReadValue(std::string_view add) {
    std::optional<ParsedAddress> parsed;
    if (m_currentMode != kReadMode) {
        if (!SetPLCMode(kReadMode, 0x01)) return {};
    } else if (SameIgnoringCase(add, m_lastReadAddress)) {
        parsed = m_lastReadParse;
    }
    if (!parsed) parsed = ParseAddress(add);
    if (!parsed) {
        m_currentMode = 0;
        return {};
    }
    m_lastReadAddress = std::string(add);
    m_lastReadParse = *parsed;

    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < parsed->byteCount(); ++i) {
        const int a = parsed->byteAddress + i;
        int reply = 0;
        if (!Exchange(static_cast<std::uint8_t>(a / 256), reply)) {
            if (reply != kNoReply) m_currentMode = 0;
            return {};
        }
        reply = SendByte(a % 256, false, false);
        if (reply == kNoReply) return {};
        bytes.push_back(static_cast<std::uint8_t>(reply));
    }
    if (parsed->isBitAddress) return (bytes[0] & parsed->bitMask) ? "1" : "0";
    return std::to_string(DecodeValue(parsed->addrType, bytes));
}

void RSComm::WriteValue(std::string_view add, std::string_view value) {
    m_writeFailed = false;
    const EntryCheck entry = CheckEntry(add, value);
    if (entry.error) {
        m_entryRefused = true;
        Ask(LinkMessages::EntryAlert(*entry.error));
        return;
    }
    std::uint8_t currentByte = 0;
    if (entry.address.isBitAddress) {
        const std::string current = ReadValue("B" + std::to_string(entry.address.byteAddress));
        if (current.empty()) return;
        currentByte = static_cast<std::uint8_t>(std::stoi(current));
    }
    const std::vector<std::uint8_t> bytes = BytesToWrite(entry, currentByte);

    if (m_currentMode != kWriteMode && !SetPLCMode(kWriteMode, 0x02)) return;
    for (std::size_t i = 0; i < bytes.size() && !m_writeFailed; ++i) {
        const int a = entry.address.byteAddress + static_cast<int>(i);
        for (std::uint8_t byte :
             {static_cast<std::uint8_t>(a / 256), static_cast<std::uint8_t>(a % 256), bytes[i]}) {
            int reply = 0;
            if (Exchange(byte, reply)) continue;
            if (reply == kNoReply) return;
            m_writeFailed = true;
            break;
        }
    }
    if (m_writeFailed) m_currentMode = 0;
}

std::string RSComm::ReadText(std::string_view add) {
    if (!ParseAddress(add)) return "0";
    std::string value = ReadValue(add);
    return value.empty() ? "0" : value;
}

void RSComm::WriteWithRepeat(std::string_view add, std::string_view value) {
    m_entryRefused = false;
    WriteValue(add, value);
    if (m_writeFailed) WriteValue(add, value);
}

std::string RSComm::RSRead(std::string_view add) {
    BusyScope scope(*this);
    return scope.entered() ? ReadText(add) : "0";
}

void RSComm::RSWrite(std::string_view add, std::string_view dataValue) {
    BusyScope scope(*this);
    if (scope.entered()) WriteWithRepeat(add, dataValue);
}

int RSComm::WaitForByte(double seconds) {
    const double deadline = m_clock.monotonicSeconds() + seconds;
    while (m_commObj && m_commObj->isOpen()) {
        if (m_commObj->bytesWaiting() > 0) return m_commObj->readByte();
        const double now = m_clock.monotonicSeconds();
        if (now >= deadline) break;
        m_commObj->waitForByte(deadline - now);
    }
    return -1;
}

} // namespace quelby
