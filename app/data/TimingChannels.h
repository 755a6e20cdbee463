#pragma once

#include "app/data/MachineData.h"
#include "link/RSComm.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The timing channels as the Machine Timing window shows them: nine rows of ON/OFF setpoints
// (PLS channels 0..8, captioned in octal), the texts a setpoint field shows besides a number,
// the PLS channel number field and the PLS configuration taken from the data set.
namespace quelby::timing {

inline constexpr int kChannelRows = 9;
// Setpoint fields are numbered channel + 16 * column (0 ON, 1 OFF).
inline constexpr int kOffFieldBase = 16;
inline constexpr int kSetpointMax = 359;
inline constexpr int kOffsetMax = 359;
inline constexpr int kPlsChannelFieldMax = 10;
// Speeds above this show no machine position.
inline constexpr int kPositionSpeedLimit = 50;
// Board address of the can/no-can sensor's ON position.
inline constexpr const char* kSensorOnAddress = "W52";

// What a setpoint field shows instead of a number.
inline constexpr const char* kNotRecalled = "-";  // not yet recalled
inline constexpr const char* kNoSetpoint = "****"; // the channel has no setpoint of that kind
inline constexpr const char* kRecallFailed = "---"; // the last recall or clear failed

// Row captions, "&" before the access-key letter.
const std::array<const char*, kChannelRows>& ChannelCaptions();

inline int ChannelOfField(int index) { return index % kOffFieldBase; }
inline int ColumnOfField(int index) { return index / kOffFieldBase; }
inline int FieldIndex(int channel, int column) { return channel + kOffFieldBase * column; }

// The number a text shows when it is a whole number: an optional sign and up to nine digits,
// blanks around them allowed; nullopt for anything else ("12.5", "1e2", "12abc", "").
std::optional<int> WholeNumberText(std::string_view text);

// The PLS channel field's text with an entered 8 or 9 (exactly) turned into 10, the number
// the captions give board channel 8. Any other text comes back as it is.
std::string PlsChannelFieldText(std::string_view text);
// The board channel of a field number: 0..7 as they are, 10 (and 8, 9) as 8.
int BoardChannel(int fieldNumber);

// One row filled by recall: at most two recalls of the channel; state 1 gives the ON
// position, 0 the OFF position (a later answer of the same kind wins), any other state
// means the channel has no setpoints and ends the row.
struct RowRecall {
    std::optional<int> on;
    std::optional<int> off;
    bool noSetpoints = false;
    // A recall failed (offline, or the request failed); on and off hold what came before.
    bool failed = false;
};
// Recalls channel `channel` into a row from its first setpoint, whatever was recalled before.
// Fails without traffic when the link is offline.
RowRecall RecallRow(RSComm& link, int channel);

// The 24 values "Reset PLS Config" sends: PLS program, speed compensations 0..3 and 4..7
// around a 0, the number of channels at 18; all else 0.
RSComm::PlsConfigDownloadValues ConfigurationToSend(const MachineData& data);
// The ten configuration values the page shows (number of channels, PLS program, speed
// compensations 0..7), from the data set.
std::array<std::int16_t, 10> ConfigurationShown(const MachineData& data);

} // namespace quelby::timing
