#pragma once

#include "sim/BoardRequestHandler.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quelby::sim {

// One setpoint of a PLS channel: state 1 switches the channel ON at `position`, 0 OFF.
struct PlsSetpoint {
    std::uint8_t state = 1;
    std::uint16_t position = 0;
    bool operator==(const PlsSetpoint&) const = default;
};

// The board's programmable limit switch, served on the PLS request codes after the
// 0xFF/0x55 handshake. Register it with SimBoard::addHandler.
//
// A resolver turns at `rpm`; its raw reading advances rpm * scale / 60 divisions a second and
// the position reported is (raw - offset) mod scale. Sixteen channels each hold a list of
// setpoints; recall hands them out one by one and then answers the end mark (state 2, position
// 0) to every further recall of that channel. The board keeps one recall pointer: a list
// starts at its first setpoint only when the recall names another channel than the one
// recalled last (or the first recall since power-up); programming or clearing a channel does
// not move the pointer.
//
// Data bytes are answered 0x55, fetches (0x55) with the byte asked for, and every request that
// changes the PLS ends with ready polls: 0x38 is answered 0x55, the following 0x55 with the
// status (0 ready, 0x55 busy), and after ready one more 0x55 closes the request. A byte out of
// place is answered 0x00 and leaves the board idle.
//
// Configuration: the 24 values written in four blocks are kept as written; the 19 values read
// back are taken from them by kConfigurationSource (what the windows write at one place they
// read back at another).
class SimPls : public BoardRequestHandler {
public:
    static constexpr int kChannelCount = 16;
    // Most setpoints one channel keeps; a request that would add more is refused.
    static constexpr std::size_t kMaxChannelSetpoints = 65536;
    static constexpr std::size_t kDownloadSize = 24;
    static constexpr std::size_t kConfigurationSize = 19;
    // For each value read back, the index of the written value it shows: 0 the number of
    // channels (written at 18), 1 the PLS program (0), 2..9 the eight speed compensations
    // (1..4 and 6..9), 10 the value written at 5, 11..18 those written at 10..17.
    static constexpr std::array<std::size_t, kConfigurationSize> kConfigurationSource = {
        18, 0, 1, 2, 3, 4, 6, 7, 8, 9, 5, 10, 11, 12, 13, 14, 15, 16, 17};

    SimPls();

    int scaleFactor() const { return m_scale; }
    void setScaleFactor(int scale);
    int offset() const { return m_offset; }
    void setOffset(int offset) { m_offset = offset & 0xFFFF; }
    int rpm() const { return m_rpm; }
    // 0..65535; bring the resolver up to date with advanceTo before changing speed.
    void setRpm(int rpm);
    // The position as the board reports it: (raw - offset) mod scale; 0 with a scale of 0.
    int position() const;
    // Turns the resolver so that it reports `position`.
    void setPosition(int position);
    // Moves the resolver on to `seconds` at the present speed. The first call only sets the
    // time base; a time that goes back is taken as the new base.
    void advanceTo(double seconds);

    // Channels 0..15; an empty list for any other number.
    const std::vector<PlsSetpoint>& channel(int chan) const;
    // Loads any list, states and positions included, for tests; the recall pointer stays.
    void setChannel(int chan, std::vector<PlsSetpoint> setpoints);

    const std::array<std::uint8_t, kDownloadSize>& downloaded() const { return m_download; }
    // The 19 values the read-configuration request answers.
    std::array<std::uint8_t, kConfigurationSize> configuration() const;

    // Fault injection for tests.
    void setAlwaysBusy(bool busy) { m_alwaysBusy = busy; }
    // The next `polls` status polls are answered busy.
    void setBusyPolls(int polls) { m_busyPolls = polls; }
    // Recall never hands out the end mark: after the last setpoint it starts over.
    void setEndlessRecall(bool endless) { m_endlessRecall = endless; }
    // Status polls answered so far (busy or ready).
    int readyPollsAnswered() const { return m_readyPolls; }

    // BoardRequestHandler
    bool acceptsMode(std::uint8_t modeByte) const override;
    void begin(std::uint8_t modeByte) override;
    std::optional<std::uint8_t> receive(std::uint8_t byte, bool& finished) override;
    bool syncAllowed() const override { return m_stage != Stage::Data; }

private:
    enum class Stage { Data, Fetch, PollCommand, PollStatus, PollClose };

    std::optional<std::uint8_t> receiveData(std::uint8_t byte, bool& finished);
    std::optional<std::uint8_t> receivePoll(std::uint8_t byte, bool& finished);
    std::size_t dataLength() const;
    // Takes the data of a completed request; false when the PLS refuses it.
    bool apply();
    static bool hasRoomFor(const std::vector<PlsSetpoint>& list, std::size_t count);
    void fillPulseTrain(int chan, int start, int onDivisions, int offDivisions);
    void wordAnswer(int value);
    void recallAnswer(int chan);

    int m_scale = 360;
    int m_offset = 0;
    int m_rpm = 0;
    double m_raw = 0; // raw resolver reading in divisions, 0 <= m_raw < scale
    std::optional<double> m_time;
    std::array<std::vector<PlsSetpoint>, kChannelCount> m_channels;
    int m_recallChannel = -1;    // channel the recall pointer is on; -1 none yet
    std::size_t m_recallNext = 0; // its next setpoint
    std::array<std::uint8_t, kDownloadSize> m_download{};

    bool m_alwaysBusy = false;
    int m_busyPolls = 0;
    bool m_endlessRecall = false;
    int m_readyPolls = 0;

    std::uint8_t m_code = 0;
    Stage m_stage = Stage::Data;
    std::vector<std::uint8_t> m_data;
    std::vector<std::uint8_t> m_answers; // bytes the coming fetches hand out
    std::size_t m_fetched = 0;
};

} // namespace quelby::sim
