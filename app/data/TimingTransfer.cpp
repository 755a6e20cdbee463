// The PLS part of the transfers: configuration, scale, resolver offset and the setpoints of
// the 16 timing channels. Neither part looks at the cancel flag.
#include "app/data/DataTransfer.h"

#include "app/data/TransferMessages.h"
#include "app/data/TransferValues.h"

namespace quelby {
namespace {

// Recalled states; any other state ends a channel's list.
constexpr int kRecallOn = 1;
constexpr int kRecallOff = 0;
// A channel's list is recalled at most this far: its ON and its OFF setpoint.
constexpr int kRecallsPerChannel = 2;

// Places of the data set's fields in the configuration the PLS reads back ...
constexpr std::size_t kUploadChannels = 0;
constexpr std::size_t kUploadProgram = 1;
constexpr std::size_t kUploadFirstSpeedComp = 2;
// ... and in the configuration written to it, where speed compensations 4..7 follow a gap.
constexpr std::size_t kDownloadProgram = 0;
constexpr std::size_t kDownloadFirstSpeedComp = 1;
constexpr std::size_t kDownloadSecondSpeedComp = 6;
constexpr std::size_t kDownloadChannels = 18;
constexpr std::size_t kSpeedCompsPerBlock = 4;

} // namespace

void DataTransfer::UploadTimingChannels() {
    if (m_link.CommError) return;
    SetLabel(TransferMessages::TimingChannelsLabel(TransferDirection::Upload));
    Yield();

    const RSComm::PlsConfiguration config = m_link.PLSConfigUpload();
    if (!m_link.CommError && !m_link.PLSConfigUploaded()) ++m_unconfirmed;
    if (m_link.PLSConfigUploaded()) {
        m_data.PLSChannels = config[kUploadChannels];
        m_data.PLSProgram = config[kUploadProgram];
        for (std::size_t k = 0; k < kSpeedCompCount; ++k)
            m_data.SpeedComp[k] = config[kUploadFirstSpeedComp + k];
    }
    if (!m_link.CommError) {
        const std::string scale = m_link.PLSScaleFactor();
        // A failed reading ("-9999") or a scale of 0 is no scale to keep or save: the data
        // set keeps its own and the transfer counts it as unconfirmed.
        const std::int16_t word = WordFromBoardText(scale);
        if (!m_link.CommError) {
            if (scale == std::to_string(RSComm::kPlsReadFailed) || word == 0) ++m_unconfirmed;
            else m_data.PLSScale = word;
        }
    }
    if (!m_link.CommError) {
        const std::string offset = m_link.PLSOffset();
        if (!m_link.CommError) m_data.ResolverOffset = WordFromBoardText(offset);
    }
    if (m_link.CommError) return;

    for (int channel = 0; channel < kTimingChannelCount; ++channel) {
        Yield();
        if (m_link.CommError || m_plsStopFlag) return;
        for (int recall = 0; recall < kRecallsPerChannel; ++recall) {
            if (m_link.CommError || m_plsStopFlag) break;
            Step();
            // The list of channel 0 starts at its first setpoint whatever was recalled before
            // the transfer; each later channel follows another channel, which starts it too.
            const bool recalled = channel == 0 && recall == 0
                                      ? m_link.RecallFirstSetpoint(channel)
                                      : m_link.RecallChannel(channel);
            if (!recalled) {
                m_plsStopFlag = true;
                continue;
            }
            if (!TakeRecalledSetpoint(channel)) {
                Step();
                break;
            }
        }
    }
}

bool DataTransfer::TakeRecalledSetpoint(int channel) {
    auto& setpoints = m_data.Setpoint[static_cast<std::size_t>(channel)];
    // Positions are below 17 * 256, well within a 16-bit field.
    const auto position = static_cast<std::int16_t>(m_link.ChannelRecallPos());
    switch (m_link.ChannelRecallState()) {
    case kRecallOn:
        setpoints[kOnSetpoint] = position;
        return true;
    case kRecallOff:
        setpoints[kOffSetpoint] = position;
        return true;
    default:
        setpoints = {0, 0};
        return false;
    }
}

void DataTransfer::DownloadTimingChannels() {
    if (m_link.CommError) return;
    SetLabel(TransferMessages::TimingChannelsLabel(TransferDirection::Download));
    Yield();

    RSComm::PlsConfigDownloadValues config{};
    config[kDownloadProgram] = m_data.PLSProgram;
    for (std::size_t k = 0; k < kSpeedCompsPerBlock; ++k) {
        config[kDownloadFirstSpeedComp + k] = m_data.SpeedComp[k];
        config[kDownloadSecondSpeedComp + k] = m_data.SpeedComp[kSpeedCompsPerBlock + k];
    }
    config[kDownloadChannels] = m_data.PLSChannels;
    // The field keeps the 16 bits the board reported; a scale above 32767 goes back as it came.
    const int scale = static_cast<std::uint16_t>(m_data.PLSScale);
    if (!m_link.PLSConfigDownload(config, scale)) m_plsStopFlag = true;

    for (int channel = 0; channel < kTimingChannelCount; ++channel) {
        Yield();
        if (m_link.CommError) break;
        const auto& setpoints = m_data.Setpoint[static_cast<std::size_t>(channel)];
        const int on = setpoints[kOnSetpoint];
        const int off = setpoints[kOffSetpoint];
        const bool done = (on != 0 || off != 0) ? m_link.SingleSetpoint(channel, on, off, true)
                                                : m_link.ClearPLSChan(channel);
        if (!done) {
            m_plsStopFlag = true;
            break;
        }
        Step(2);
    }
    m_timingDownloaded = true;
}

} // namespace quelby
