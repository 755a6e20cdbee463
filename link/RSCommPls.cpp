// The PLS requests: the resolver readings, channel programming and recall, the resolver
// offset and the configuration blocks. Each request opens with the mode handshake, whose mode
// byte is the request code, and leaves CurrentMode at 0 so the next request handshakes again.
#include "link/RSComm.h"

#include "link/PlsMessages.h"
#include "link/BoardProtocol.h"

#include <initializer_list>

namespace quelby {
namespace {
constexpr double kReadyTimeout = 3.0;
constexpr double kReadyRetryTimeout = 2.0;

// Mode values of the PLS request kinds (CurrentMode while one is open).
constexpr int kModeProgramChannel = 3;
constexpr int kModeReadValue = 4;
constexpr int kModeWriteWord = 5;
constexpr int kModeRecall = 6;
constexpr int kModeWriteBlock = 7;
constexpr int kModeReadConfiguration = 8;

constexpr int kFlagSetPair = 1;
constexpr int kFlagClear = 0;
constexpr int kRecallNothing = 2;
constexpr int kHighestPositionHighByte = 16;
constexpr std::size_t kBlockSize = 6;
constexpr int kBlockCount = 4;

// The values as data bytes; nullopt when one does not fit a byte (nothing may be sent then).
std::optional<std::vector<std::uint8_t>> DataBytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (int value : values) {
        if (value < 0 || value > 255) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

} // namespace

bool RSComm::StartPlsRequest(int wantedMode, std::uint8_t code) {
    m_currentMode = 0;
    return SetPLCMode(wantedMode, code) && !CommError;
}

// Every data byte is answered 0x55, whatever its value: a board that missed a byte would take
// the 0xFF of a resynchronisation as that byte, and every byte after it one place on. So a
// byte whose answer does not come is sent again itself, and the rest of the request follows,
// which leaves the board with the data asked for; but an answer that came after a time-out
// confirms nothing, and the request is reported failed.
bool RSComm::SendPlsData(const std::vector<std::uint8_t>& bytes) {
    bool confirmed = true;
    for (std::uint8_t byte : bytes) {
        if (SendByteResyncWith(byte, false, false, byte, true) != wire::kAck || CommError)
            return false;
        if (m_replyDoubtful) confirmed = false;
    }
    return confirmed;
}

int RSComm::FetchPlsByte() {
    const int reply = SendByte(wire::kFetch, false, false);
    return CommError || m_replyDoubtful ? kNoReply : reply;
}

int RSComm::ReadPLSValue(std::uint8_t code) {
    int value = kPlsReadFailed;
    if (StartPlsRequest(kModeReadValue, code)) {
        const int low = FetchPlsByte();
        const int high = low == kNoReply ? kNoReply : FetchPlsByte();
        if (high != kNoReply) value = high * 256 + low;
    }
    m_currentMode = 0;
    return value;
}

bool RSComm::ProgramChannel(std::uint8_t code, int chan, int on, int off, int flag) {
    const auto bytes = DataBytes({chan, on % 256, on / 256, off % 256, off / 256, flag});
    if (!bytes) return false;
    const bool done =
        StartPlsRequest(kModeProgramChannel, code) && SendPlsData(*bytes) && WaitPLSReady();
    m_currentMode = 0;
    return done;
}

bool RSComm::WriteWord(std::uint8_t code, int value) {
    const auto bytes = DataBytes({value % 256, value / 256});
    if (!bytes) return false;
    const bool done =
        StartPlsRequest(kModeWriteWord, code) && SendPlsData(*bytes) && WaitPLSReady();
    m_currentMode = 0;
    return done;
}

bool RSComm::WriteBlock(std::uint8_t code, const std::vector<std::uint8_t>& values) {
    const bool done =
        StartPlsRequest(kModeWriteBlock, code) && SendPlsData(values) && WaitPLSReady();
    m_currentMode = 0;
    return done;
}

bool RSComm::ReadConfiguration(std::uint8_t code) {
    bool done = StartPlsRequest(kModeReadConfiguration, code);
    for (std::size_t i = 0; done && i < m_plsConfiguration.size(); ++i) {
        const int byte = FetchPlsByte();
        done = byte != kNoReply;
        if (done) m_plsConfiguration[i] = static_cast<std::int16_t>(byte);
    }
    m_currentMode = 0;
    return done;
}

bool RSComm::Recall(int chan) {
    // A channel that does not fit its byte is refused before anything is sent; the results
    // of the last recall stay as they were, as after a failed handshake.
    if (chan < 0 || chan > 255) return false;
    if (!StartPlsRequest(kModeRecall, wire::kPlsRecall)) {
        if (m_currentMode == kModeRecall) { // handshake done, but the link failed
            m_channelRecallState = kRecallNothing;
            m_channelRecallPos = 0;
        }
        m_currentMode = 0;
        return false;
    }
    const bool done = [&] {
        if (SendByte(chan, false, false) != wire::kAck || m_replyDoubtful || CommError) return false;
        int fetched[3] = {};
        for (int& byte : fetched) {
            byte = FetchPlsByte();
            if (byte == kNoReply) {
                m_channelRecallState = 0;
                return false;
            }
        }
        const int state = fetched[0], low = fetched[1], high = fetched[2];
        m_channelRecallState = state;
        if (high > kHighestPositionHighByte || low > 255) {
            m_channelRecallState = kRecallNothing;
            return false;
        }
        m_channelRecallPos = high * 256 + low;
        return true;
    }();
    if (!done) m_channelRecallPos = 0;
    m_currentMode = 0;
    return done;
}

bool RSComm::WaitPLSReady() {
    double deadline = m_clock.monotonicSeconds() + kReadyTimeout;
    for (;;) {
        if (m_clock.monotonicSeconds() >= deadline) {
            if (Ask(PlsMessages::CannotDeterminePLSReady()) != MessageAnswer::Retry) {
                CommError = true;
                return false;
            }
            deadline = m_clock.monotonicSeconds() + kReadyRetryTimeout;
        }
        if (CommError) return false;
        // Polls follow each other without pause; each exchange waits for its answer.
        if (SendByte(wire::kPlsPollReady, false, false) != wire::kAck) continue;
        if (SendByte(wire::kFetch, false, false) != wire::kPlsStatusReady) continue;
        SendByte(wire::kFetch, false, false); // closes the poll; the answer carries nothing
        return !CommError;
    }
}

std::string RSComm::PLSScaleFactor() {
    BusyScope scope(*this);
    return std::to_string(scope.entered() ? ReadPLSValue(wire::kPlsReadScale) : kPlsReadFailed);
}

std::string RSComm::PLSOffset() {
    BusyScope scope(*this);
    return std::to_string(scope.entered() ? ReadPLSValue(wire::kPlsReadOffset) : kPlsReadFailed);
}

std::string RSComm::PLSPos() {
    BusyScope scope(*this);
    return std::to_string(scope.entered() ? ReadPLSValue(wire::kPlsReadPosition) : kPlsReadFailed);
}

std::string RSComm::PLSRpm() {
    BusyScope scope(*this);
    return std::to_string(scope.entered() ? ReadPLSValue(wire::kPlsReadRpm) : kPlsReadFailed);
}

bool RSComm::SingleSetpoint(int Chan, int OnSetpoint, int OffSetpoint, bool ClearChan) {
    BusyScope scope(*this);
    if (!scope.entered() || CommError) return false;
    const int scale = ReadPLSValue(wire::kPlsReadScale);
    if (CommError || scale == kPlsReadFailed) return false;
    const int highestPosition = scale - 1;
    for (int setpoint : {OnSetpoint, OffSetpoint}) {
        if (setpoint > highestPosition) {
            Ask(PlsMessages::SetpointAboveScale(setpoint));
            return false;
        }
    }
    const std::string asked = (ClearChan ? "cleared, then ON " : "ON ") +
                              std::to_string(OnSetpoint) + " OFF " + std::to_string(OffSetpoint);
    if (ClearChan && (!ProgramChannel(wire::kPlsProgramChannel, Chan, 0, 0, kFlagClear) || CommError)) {
        LogChange({{}, PlsChannelName(Chan), std::nullopt, asked, false});
        return false;
    }
    const bool done =
        ProgramChannel(wire::kPlsProgramChannel, Chan, OnSetpoint, OffSetpoint, kFlagSetPair);
    LogChange({{}, PlsChannelName(Chan), std::nullopt, asked, done});
    return done;
}

bool RSComm::PulseTrain(int Chan, int ON_Division, int OFF_Division, int START_Division) {
    BusyScope scope(*this);
    if (!scope.entered()) return false;
    const int scale = ReadPLSValue(wire::kPlsReadScale);
    if (CommError || scale == kPlsReadFailed) return false;

    std::optional<MessageRequest> refusal;
    if (scale < 1)
        refusal = PlsMessages::PulseScaleNotUsable(scale); // no pattern divides nothing
    else if (ON_Division <= 0 || OFF_Division <= 0)
        refusal = PlsMessages::PulseDivisionsNotPositive();
    else if (scale % (ON_Division + OFF_Division) != 0)
        refusal = PlsMessages::PulseNotAMultiple(scale);
    else if (ON_Division >= 256 || OFF_Division >= 256)
        refusal = PlsMessages::PulseDivisionTooLarge();
    else if (START_Division > scale - 1)
        refusal = PlsMessages::PulseStartAboveScale(scale);
    if (refusal) {
        Ask(*refusal);
        return false;
    }
    // The ON and OFF divisions take the places of the OFF position's two bytes.
    const bool programmed = ProgramChannel(wire::kPlsPulseTrain, Chan, START_Division,
                                           ON_Division + 256 * OFF_Division, 0);
    LogChange({{}, PlsChannelName(Chan), std::nullopt,
               "pulse train ON " + std::to_string(ON_Division) + " OFF " +
                   std::to_string(OFF_Division) + " from " + std::to_string(START_Division),
               programmed && !CommError});
    if (!programmed) {
        Ask(PlsMessages::PulseProgrammingError());
        return false;
    }
    return !CommError;
}

bool RSComm::ClearPLSChan(int Chan) {
    BusyScope scope(*this);
    if (!scope.entered()) return false;
    const bool sendable = !CommError;
    const bool cleared = ProgramChannel(wire::kPlsProgramChannel, Chan, 0, 0, kFlagClear);
    if (sendable) LogChange({{}, PlsChannelName(Chan), std::nullopt, "cleared", cleared});
    return cleared;
}

bool RSComm::RecallChannel(int Chan) {
    BusyScope scope(*this);
    return scope.entered() && Recall(Chan);
}

bool RSComm::RecallFirstSetpoint(int Chan) {
    BusyScope scope(*this);
    return scope.entered() && RecallFromFirst(Chan);
}

bool RSComm::RecallFromFirst(int chan) {
    if (chan < 0 || chan > 255) return false;
    const int other = chan == 0 ? 1 : 0;
    return Recall(other) && Recall(chan);
}

RSComm::RecallList RSComm::RecallAllSetpoints(int Chan, int maxSetpoints) {
    BusyScope scope(*this);
    RecallList list;
    if (!scope.entered()) return list;
    for (bool first = true;; first = false) {
        if (!(first ? RecallFromFirst(Chan) : Recall(Chan))) {
            list.end = RecallEnd::Failed;
            return list;
        }
        if (m_channelRecallState != 0 && m_channelRecallState != 1) {
            list.end = RecallEnd::EndOfList;
            return list;
        }
        if (static_cast<int>(list.setpoints.size()) >= maxSetpoints) {
            list.end = RecallEnd::CutOff;
            return list;
        }
        list.setpoints.push_back({m_channelRecallState == 1, m_channelRecallPos});
    }
}

bool RSComm::SetPLSOffset(int Position) {
    BusyScope scope(*this);
    if (!scope.entered() || CommError) return false;
    int readings[3] = {};
    const std::uint8_t codes[3] = {wire::kPlsReadOffset, wire::kPlsReadPosition, wire::kPlsReadScale};
    for (int i = 0; i < 3; ++i) {
        readings[i] = ReadPLSValue(codes[i]);
        if (CommError || readings[i] == kPlsReadFailed) return false;
    }
    const int offset = readings[0], position = readings[1], scale = readings[2];
    if (scale < 1) {
        // The offset is computed modulo the scale: a scale of 0 has no positions at all.
        Ask(PlsMessages::OffsetScaleNotUsable(scale));
        return false;
    }
    if (Position > scale) {
        Ask(PlsMessages::OffsetAboveScale(scale));
        return false;
    }
    // The raw resolver reading is offset + position; the new offset makes it read Position.
    const int raw = (offset + position) % scale;
    const int newOffset = ((scale + raw - Position) % scale + scale) % scale;
    const bool written = WriteWord(wire::kPlsWriteOffset, newOffset);
    LogChange({{}, "PLS Offset", std::to_string(offset),
               std::to_string(newOffset) + " (position " + std::to_string(Position) + ")", written});
    return written;
}

bool RSComm::PLSConfigDownload(const PlsConfigDownloadValues& CfgParam, int ScaleFactor) {
    BusyScope scope(*this);
    if (!scope.entered()) return false;
    // Everything is checked before the first block goes out, so a value that cannot be sent
    // never leaves the board with part of a new configuration.
    std::vector<std::vector<std::uint8_t>> blocks;
    for (int k = 0; k < kBlockCount; ++k) {
        std::vector<std::uint8_t> block;
        for (std::size_t i = 0; i < kBlockSize; ++i) {
            const int value = CfgParam[static_cast<std::size_t>(k) * kBlockSize + i];
            if (value < 0 || value > 255) {
                Ask(PlsMessages::ConfigValueRefused(
                    "Configuration block " + std::to_string(k + 1) + ", value " +
                    std::to_string(i + 1) + " = " + std::to_string(value) +
                    " does not fit a byte (0-255)."));
                return false;
            }
            block.push_back(static_cast<std::uint8_t>(value));
        }
        blocks.push_back(std::move(block));
    }
    // A scale factor of 0 would leave the board without positions.
    if (ScaleFactor < 1 || ScaleFactor > 65535) {
        Ask(PlsMessages::ConfigValueRefused("Scale Factor = " + std::to_string(ScaleFactor) +
                                            " is outside 1-65535."));
        return false;
    }

    std::string asked = "scale factor " + std::to_string(ScaleFactor) + ", configuration";
    for (int value : CfgParam) asked += " " + std::to_string(value);
    BoardChange change{{}, "PLS Configuration", std::nullopt, asked, false, kBlockCount + 1};
    for (int k = 0; k < kBlockCount; ++k) {
        const auto code = static_cast<std::uint8_t>(wire::kPlsFirstBlock + 0x10 * k);
        if (!WriteBlock(code, blocks[static_cast<std::size_t>(k)])) {
            LogChange(change);
            return false;
        }
    }
    change.confirmed = WriteWord(wire::kPlsWriteScale, ScaleFactor);
    LogChange(change);
    return change.confirmed;
}

RSComm::PlsConfiguration RSComm::PLSConfigUpload() {
    BusyScope scope(*this);
    m_plsConfigUploaded = false;
    if (!scope.entered()) return m_plsConfiguration;
    m_plsConfigUploaded = ReadConfiguration(wire::kPlsReadConfiguration);
    if (!m_plsConfigUploaded) Ask(PlsMessages::UploadFailed());
    return m_plsConfiguration;
}

} // namespace quelby
