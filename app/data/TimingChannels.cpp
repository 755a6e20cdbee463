#include "app/data/TimingChannels.h"

#include <charconv>

namespace quelby::timing {
namespace {

constexpr int kRecallsPerRow = 2;
constexpr int kRecallOn = 1;
constexpr int kRecallOff = 0;
constexpr int kLastOctalChannel = 7;
constexpr std::size_t kWholeNumberDigits = 9;

} // namespace

const std::array<const char*, kChannelRows>& ChannelCaptions() {
    static const std::array<const char*, kChannelRows> captions{
        "Carriage Trip Timing (CH0&0):",       "Varnish Trip Timing (CH0&1):",
        "Can/No Can Clock Timing (CH0&2):",    "Damaged Can Blow-off - Low (CH0&3):",
        "Damaged Can Blow-off - High (CH0&4):", "Bad Can Blow-off Timing (CH0&5):",
        "Q.C. Blow-off Timing (CH0&6):",       "Can Gate Timing Timing (CH0&7):",
        "PLC Cloc&k Timing (CH10):"};
    return captions;
}

std::optional<int> WholeNumberText(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    if (text.empty() || text.size() > kWholeNumberDigits) return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return negative ? -value : value;
}

std::string PlsChannelFieldText(std::string_view text) {
    const std::optional<int> number = WholeNumberText(text);
    if (number == 8 || number == 9) return "10";
    return std::string(text);
}

int BoardChannel(int fieldNumber) {
    return fieldNumber > kLastOctalChannel ? fieldNumber - 2 : fieldNumber;
}

RowRecall RecallRow(RSComm& link, int channel) {
    RowRecall row;
    for (int i = 0; i < kRecallsPerRow; ++i) {
        if (!link.OnlineMode ||
            !(i == 0 ? link.RecallFirstSetpoint(channel) : link.RecallChannel(channel))) {
            row.failed = true;
            return row;
        }
        const int state = link.ChannelRecallState();
        if (state == kRecallOn) {
            row.on = link.ChannelRecallPos();
        } else if (state == kRecallOff) {
            row.off = link.ChannelRecallPos();
        } else {
            row.noSetpoints = true;
            return row;
        }
    }
    return row;
}

RSComm::PlsConfigDownloadValues ConfigurationToSend(const MachineData& data) {
    RSComm::PlsConfigDownloadValues values{};
    values[0] = data.PLSProgram;
    for (std::size_t i = 0; i < 4; ++i) {
        values[1 + i] = data.SpeedComp[i];
        values[6 + i] = data.SpeedComp[4 + i];
    }
    values[18] = data.PLSChannels;
    return values;
}

std::array<std::int16_t, 10> ConfigurationShown(const MachineData& data) {
    std::array<std::int16_t, 10> shown{};
    shown[0] = data.PLSChannels;
    shown[1] = data.PLSProgram;
    for (std::size_t i = 0; i < data.SpeedComp.size(); ++i) shown[2 + i] = data.SpeedComp[i];
    return shown;
}

} // namespace quelby::timing
