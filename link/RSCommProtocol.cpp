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
constexpr double kReplyTimeout = wire::kReplyTimeoutSeconds;
constexpr double kResyncTimeout = 2.0;
constexpr double kHandshakeTimeout = 2.0;
constexpr int kTimeoutsBeforeMessage = 3;
} // namespace

int RSComm::SendByte(int value, bool noReply, bool flushFirst) {
    return SendByteResyncWith(value, noReply, flushFirst, wire::kSync);
}

void RSComm::TraceLine(int sent, int reply, LinkTraceMark mark, std::string_view text) {
    m_trace->line({(m_clock.monotonicSeconds() - m_traceStart) * 1000.0, sent, reply, mark, text});
}

int RSComm::SendByteResyncWith(int value, bool noReply, bool flushFirst, std::uint8_t resyncByte,
                               bool waitOnceMore) {
    m_replyDoubtful = false;
    if (CommError) return kNoReply;
    if (!m_commObj || !m_commObj->isOpen()) {
        m_currentMode = 0;
        CommError = true;
        return kNoReply;
    }
    if (flushFirst) {
        m_commObj->discardInput();
    } else if (!noReply && m_commObj->bytesWaiting() > 0) {
        // A byte nobody asked for (a board that answered twice, a late answer, noise) would be
        // read as this byte's reply.
        m_replyDoubtful = true;
        if (m_trace) TraceLine(-1, -1, LinkTraceMark::Stray);
        m_commObj->discardInput();
    }
    m_commObj->sendByte(static_cast<std::uint8_t>(value));
    CommErrorAlert = false;
    if (noReply) {
        if (m_trace) TraceLine(value, -1, m_traceMark);
        return 0;
    }

    double deadline = m_clock.monotonicSeconds() + kReplyTimeout;
    int timeouts = 0;
    int sentLast = value;
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

        if (m_trace) TraceLine(sentLast, -1, LinkTraceMark::Timeout);
        if (waitOnceMore) {
            // A late echo still shows what the board took, but it came after a time-out: it
            // is never a confirmation.
            waitOnceMore = false;
            m_replyDoubtful = true;
            deadline = now + kReplyTimeout;
            continue;
        }
        m_currentMode = 0;
        m_replyDoubtful = true; // whatever comes now may answer another byte
        CommError = true;
        CommErrorAlert = true;
        deadline = now + kResyncTimeout;
        if (++timeouts < kTimeoutsBeforeMessage) {
            // Resynchronise: the board answers 0xFF at the start of a request with 0x55.
            CommError = false;
            m_commObj->discardInput();
            m_commObj->sendByte(resyncByte);
            sentLast = resyncByte;
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
    if (m_trace)
        TraceLine(sentLast, received, m_replyDoubtful && sentLast != value ? LinkTraceMark::Resync
                                                                           : m_traceMark);
    return received < 0 ? kNoReply : received;
}

bool RSComm::SetPLCMode(int wantedMode, std::uint8_t modeByte) {
    m_currentMode = 0;
    double deadline = m_clock.monotonicSeconds() + kHandshakeTimeout;
    int extensions = 0;
    while (m_currentMode != wantedMode) {
        if (m_clock.monotonicSeconds() >= deadline) {
            if (Ask(LinkMessages::CannotSetPLCMode()) != MessageAnswer::Retry) {
                CommError = true;
                OnlineMode = false;
                CloseLink();
                return false;
            }
            deadline = m_clock.monotonicSeconds() + kHandshakeTimeout;
            extensions = 0;
        }
        m_traceMark = LinkTraceMark::Handshake;
        const int reply = SendByte(wire::kSync, false, true);
        m_traceMark = LinkTraceMark::None;
        if (reply == kNoReply) return false;
        if (m_replyDoubtful) {
            // The wait for this reply ran into time-outs, which have their own message; the
            // board answers again, so the handshake gets its full time from here. A board
            // that always answers late gets this only a few times, then the message.
            if (++extensions <= kTimeoutsBeforeMessage)
                deadline = m_clock.monotonicSeconds() + kHandshakeTimeout;
            continue;
        }
        if (reply != wire::kAck) continue;
        m_traceMark = LinkTraceMark::Handshake;
        const int modeReply = SendByte(modeByte, false, false);
        m_traceMark = LinkTraceMark::None;
        if (modeReply == kNoReply) return false;
        m_currentMode = modeReply == wire::kAck && !m_replyDoubtful ? wantedMode : 0;
    }
    return true;
}

// One exchange whose reply must echo the byte sent. False when it did not, or when the reply
// came after a time-out; `reply` tells whether the link failed (kNoReply).
bool RSComm::Exchange(std::uint8_t byte, int& reply) {
    reply = SendByte(byte, false, false);
    return reply == byte && !m_replyDoubtful;
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
        if (m_replyDoubtful) {
            // The reply answered the resynchronisation, not the low address byte.
            m_currentMode = 0;
            return {};
        }
        bytes.push_back(static_cast<std::uint8_t>(reply));
    }
    if (parsed->isBitAddress) return (bytes[0] & parsed->bitMask) ? "1" : "0";
    return std::to_string(DecodeValue(parsed->addrType, bytes));
}

void RSComm::WriteValue(std::string_view add, std::string_view value) {
    m_writeFailed = false;
    m_writeConfirmed = false;
    const EntryCheck entry = CheckEntry(add, value);
    if (entry.error) {
        m_entryRefused = true;
        Ask(LinkMessages::EntryAlert(*entry.error));
        return;
    }
    std::uint8_t currentByte = 0;
    if (entry.address.isBitAddress) {
        // The byte goes back with its other seven bits as read, and a read's data byte has no
        // echo to check it by: it is read twice, and two answers that differ are no value.
        // A read spoiled on the line fails the pass like a wrong echo, and the write is
        // repeated.
        const std::string byteAddress = "B" + std::to_string(entry.address.byteAddress);
        const std::string current = ReadValue(byteAddress);
        const std::string again = current.empty() ? current : ReadValue(byteAddress);
        if (again.empty() || again != current) {
            m_writeFailed = !CommError;
            m_currentMode = 0;
            return;
        }
        currentByte = static_cast<std::uint8_t>(std::stoi(current));
    }
    const std::vector<std::uint8_t> bytes = BytesToWrite(entry, currentByte);

    if (m_currentMode != kWriteMode && !SetPLCMode(kWriteMode, 0x02)) return;
    for (std::size_t i = 0; i < bytes.size() && !m_writeFailed; ++i) {
        const int a = entry.address.byteAddress + static_cast<int>(i);
        const std::uint8_t triple[3] = {static_cast<std::uint8_t>(a / 256),
                                        static_cast<std::uint8_t>(a % 256), bytes[i]};
        for (std::uint8_t byte : triple) {
            // A byte whose echo is late is waited for once more; a byte the board missed is
            // then sent again rather than 0xFF, which a board waiting for a low address byte
            // or a data byte would take as one. A wrong or late echo is never a confirmation,
            // but the rest of this byte's request still goes out: a board left half-way would
            // take the 0xFF of the next handshake as an address or data byte and store it.
            // The whole write is then repeated.
            const int reply = SendByteResyncWith(byte, false, false, byte, true);
            if (reply == kNoReply) return;
            if (reply != byte || m_replyDoubtful) m_writeFailed = true;
        }
    }
    if (m_writeFailed) m_currentMode = 0;
    else m_writeConfirmed = !CommError;
}

RSComm::ReadResult RSComm::ReadChecked(std::string_view add) {
    if (!ParseAddress(add)) return {};
    std::string value = ReadValue(add);
    if (value.empty()) return {};
    if (m_changeLog && !m_changeLogMuted) m_changeLog->confirmedRead(add, value);
    return {std::move(value), true};
}

std::string RSComm::ReadText(std::string_view add) { return ReadChecked(add).text; }

void RSComm::WriteWithRepeat(std::string_view add, std::string_view value) {
    m_entryRefused = false;
    const bool sendable = !CommError;
    WriteValue(add, value);
    if (m_writeFailed) WriteValue(add, value);
    // A refused entry or a link failed before the write sent nothing: nothing changed.
    if (sendable && !m_entryRefused)
        LogChange({std::string(add), {}, std::nullopt, std::string(value), m_writeConfirmed});
}

void RSComm::LogChange(const BoardChange& change) {
    if (m_changeLog && !m_changeLogMuted) m_changeLog->changed(change);
}

std::string RSComm::RSRead(std::string_view add) {
    BusyScope scope(*this);
    return scope.entered() ? ReadText(add) : "0";
}

RSComm::ReadResult RSComm::RSReadChecked(std::string_view add) {
    BusyScope scope(*this);
    return scope.entered() ? ReadChecked(add) : ReadResult{};
}

void RSComm::RSWrite(std::string_view add, std::string_view dataValue) {
    BusyScope scope(*this);
    if (scope.entered()) WriteWithRepeat(add, dataValue);
    else m_writeConfirmed = false;
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
