#include "sim/SimPls.h"
#include "link/BoardProtocol.h"

#include <algorithm>
#include <cmath>

namespace quelby::sim {
namespace {
constexpr std::uint8_t kUnexpected = 0x00;

constexpr std::uint8_t kEndOfList = 2;

bool isBlock(std::uint8_t code) {
    return code >= wire::kPlsFirstBlock && code <= wire::kPlsLastBlock && (code & 0x0F) == 0x0B;
}

int word(std::uint8_t low, std::uint8_t high) {
    return low | high << 8;
}

const std::vector<PlsSetpoint> kNoSetpoints;

} // namespace

SimPls::SimPls() {
    m_download[0] = 1;              // PLS program
    m_download[18] = kChannelCount; // number of channels
}

void SimPls::setScaleFactor(int scale) {
    m_scale = std::clamp(scale, 0, 0xFFFF);
    m_raw = m_scale > 0 ? std::fmod(m_raw, m_scale) : 0;
}

void SimPls::setRpm(int rpm) {
    m_rpm = std::clamp(rpm, 0, 0xFFFF);
}

int SimPls::position() const {
    if (m_scale == 0) return 0;
    const long raw = static_cast<long>(std::floor(m_raw));
    return static_cast<int>(((raw - m_offset) % m_scale + m_scale) % m_scale);
}

void SimPls::setPosition(int position) {
    m_raw = m_scale > 0 ? static_cast<double>(((position + m_offset) % m_scale + m_scale) % m_scale)
                        : 0;
}

void SimPls::advanceTo(double seconds) {
    const double elapsed = m_time ? seconds - *m_time : 0;
    m_time = seconds;
    if (elapsed <= 0 || m_scale == 0) return;
    m_raw = std::fmod(m_raw + static_cast<double>(m_rpm) * m_scale / 60.0 * elapsed, m_scale);
}

const std::vector<PlsSetpoint>& SimPls::channel(int chan) const {
    return chan >= 0 && chan < kChannelCount ? m_channels[static_cast<std::size_t>(chan)]
                                             : kNoSetpoints;
}

void SimPls::setChannel(int chan, std::vector<PlsSetpoint> setpoints) {
    if (chan < 0 || chan >= kChannelCount) return;
    m_channels[static_cast<std::size_t>(chan)] = std::move(setpoints);
}

std::array<std::uint8_t, SimPls::kConfigurationSize> SimPls::configuration() const {
    std::array<std::uint8_t, kConfigurationSize> values{};
    for (std::size_t i = 0; i < kConfigurationSize; ++i)
        values[i] = m_download[kConfigurationSource[i]];
    return values;
}

bool SimPls::acceptsMode(std::uint8_t modeByte) const {
    switch (modeByte) {
    case wire::kPlsReadScale:
    case wire::kPlsReadOffset:
    case wire::kPlsReadPosition:
    case wire::kPlsReadRpm:
    case wire::kPlsProgramChannel:
    case wire::kPlsPulseTrain:
    case wire::kPlsWriteScale:
    case wire::kPlsWriteOffset:
    case wire::kPlsReadConfiguration:
    case wire::kPlsRecall:
        return true;
    default:
        return isBlock(modeByte);
    }
}

void SimPls::begin(std::uint8_t modeByte) {
    m_code = modeByte;
    m_data.clear();
    m_answers.clear();
    m_fetched = 0;
    m_stage = Stage::Data;
    switch (modeByte) {
    case wire::kPlsReadScale:
        wordAnswer(m_scale);
        break;
    case wire::kPlsReadOffset:
        wordAnswer(m_offset);
        break;
    case wire::kPlsReadPosition:
        wordAnswer(position());
        break;
    case wire::kPlsReadRpm:
        wordAnswer(m_rpm);
        break;
    case wire::kPlsReadConfiguration: {
        const auto values = configuration();
        m_answers.assign(values.begin(), values.end());
        m_stage = Stage::Fetch;
        break;
    }
    default:
        break;
    }
}

void SimPls::wordAnswer(int value) {
    m_answers = {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)};
    m_stage = Stage::Fetch;
}

std::size_t SimPls::dataLength() const {
    switch (m_code) {
    case wire::kPlsWriteScale:
    case wire::kPlsWriteOffset:
        return 2;
    case wire::kPlsRecall:
        return 1;
    default:
        return 6; // channel programming and configuration blocks
    }
}

std::optional<std::uint8_t> SimPls::receive(std::uint8_t byte, bool& finished) {
    switch (m_stage) {
    case Stage::Data:
        return receiveData(byte, finished);
    case Stage::Fetch:
        if (byte != wire::kFetch) break;
        if (m_fetched + 1 == m_answers.size()) finished = true;
        return m_answers[m_fetched++];
    case Stage::PollCommand:
    case Stage::PollStatus:
    case Stage::PollClose:
        return receivePoll(byte, finished);
    }
    finished = true;
    return kUnexpected;
}

std::optional<std::uint8_t> SimPls::receiveData(std::uint8_t byte, bool& finished) {
    const bool addressesChannel =
        m_code == wire::kPlsProgramChannel || m_code == wire::kPlsPulseTrain || m_code == wire::kPlsRecall;
    if (m_data.empty() && addressesChannel && byte >= kChannelCount) {
        finished = true;
        return kUnexpected;
    }
    m_data.push_back(byte);
    if (m_data.size() < dataLength()) return wire::kAck;
    if (m_code == wire::kPlsRecall) {
        recallAnswer(m_data[0]);
        return wire::kAck;
    }
    if (!apply()) {
        finished = true;
        return kUnexpected;
    }
    m_stage = Stage::PollCommand;
    return wire::kAck;
}

std::optional<std::uint8_t> SimPls::receivePoll(std::uint8_t byte, bool& finished) {
    if (m_stage == Stage::PollCommand && byte == wire::kPlsPollReady) {
        m_stage = Stage::PollStatus;
        return wire::kAck;
    }
    if (m_stage == Stage::PollStatus && byte == wire::kFetch) {
        ++m_readyPolls;
        if (m_alwaysBusy || m_busyPolls > 0) {
            if (m_busyPolls > 0) --m_busyPolls;
            m_stage = Stage::PollCommand;
            return wire::kPlsStatusBusy;
        }
        m_stage = Stage::PollClose;
        return wire::kPlsStatusReady;
    }
    finished = true;
    return m_stage == Stage::PollClose && byte == wire::kFetch ? wire::kAck : kUnexpected;
}

void SimPls::recallAnswer(int chan) {
    const auto& list = m_channels[static_cast<std::size_t>(chan)];
    if (chan != m_recallChannel) {
        m_recallChannel = chan;
        m_recallNext = 0;
    }
    if (m_recallNext >= list.size() && m_endlessRecall) m_recallNext = 0;
    PlsSetpoint answer{kEndOfList, 0};
    if (m_recallNext < list.size()) answer = list[m_recallNext++];
    m_answers = {answer.state, static_cast<std::uint8_t>(answer.position & 0xFF),
                 static_cast<std::uint8_t>(answer.position >> 8)};
    m_stage = Stage::Fetch;
}

bool SimPls::hasRoomFor(const std::vector<PlsSetpoint>& list, std::size_t count) {
    return list.size() + count <= kMaxChannelSetpoints;
}

bool SimPls::apply() {
    const auto& d = m_data;
    if (m_code == wire::kPlsWriteScale) {
        setScaleFactor(word(d[0], d[1]));
        return true;
    }
    if (m_code == wire::kPlsWriteOffset) {
        m_offset = word(d[0], d[1]);
        return true;
    }
    if (isBlock(m_code)) {
        const std::size_t first = static_cast<std::size_t>((m_code - wire::kPlsFirstBlock) >> 4) * 6;
        std::copy(d.begin(), d.end(), m_download.begin() + static_cast<std::ptrdiff_t>(first));
        return true;
    }
    const int chan = d[0];
    auto& list = m_channels[static_cast<std::size_t>(chan)];
    if (m_code == wire::kPlsPulseTrain) {
        if (d[5] != 0) return false;
        fillPulseTrain(chan, word(d[1], d[2]), d[3], d[4]);
        return true;
    }
    // Program channel: flag 1 adds an ON/OFF pair, flag 0 clears the channel.
    if (d[5] == 0) {
        list.clear();
    } else if (d[5] == 1 && hasRoomFor(list, 2)) {
        list.push_back({1, static_cast<std::uint16_t>(word(d[1], d[2]))});
        list.push_back({0, static_cast<std::uint16_t>(word(d[3], d[4]))});
    } else {
        return false;
    }
    return true;
}

void SimPls::fillPulseTrain(int chan, int start, int onDivisions, int offDivisions) {
    auto& list = m_channels[static_cast<std::size_t>(chan)];
    list.clear();
    const int period = onDivisions + offDivisions;
    // A pattern needs both divisions and a scale to repeat on; otherwise the channel stays clear.
    if (onDivisions == 0 || offDivisions == 0 || m_scale == 0) return;
    for (int k = 0; k < m_scale / period; ++k) {
        const int on = (start + k * period) % m_scale;
        list.push_back({1, static_cast<std::uint16_t>(on)});
        list.push_back({0, static_cast<std::uint16_t>((on + onDivisions) % m_scale)});
    }
}

} // namespace quelby::sim
