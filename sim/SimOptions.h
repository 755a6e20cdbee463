#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelby::sim {

class SimBoard;

// Exit statuses of quelby-sim, after the BSD sysexits convention.
inline constexpr int kExitUsage = 64;      // a bad command line
inline constexpr int kExitOsError = 71;    // the pseudo-terminal could not be had or failed
inline constexpr int kExitCantCreate = 73; // the trace file or the link could not be made

// One --set ADDRESS=VALUE: an item of board memory preset before serving.
struct PresetValue {
    std::string address; // a board address text, e.g. "W182" or "B1016.3"
    std::uint32_t value = 0;
};

// What the command line of quelby-sim asks for.
struct SimOptions {
    std::string linkPath;  // --link: a symlink to the device, empty for none
    std::string tracePath; // --trace: one line per byte received, empty for none
    std::vector<PresetValue> presets;
    int baud = 0;        // --baud 9600|19200; 0 answers without delay
    bool silent = false; // --silent
    long wrongEcho = 0;  // --wrong-echo N: the answer to byte N (from 1) is wrong; 0 for none
    long stopAfter = -1; // --stop-after N: nothing answered after N bytes; -1 for never
    long lose = 0;       // --lose N: byte N received (from 1) is lost on the line; 0 for none
    double lossRate = 0; // --loss P: each byte is lost with probability P (0..1)
    std::uint32_t seed = 1; // --seed S: the loss's random generator starts from S
    long closeAfter = -1;   // --close-after N: the pseudo-terminal closes after N bytes; -1 never
    std::string dumpPath;   // --dump FILE: the board's state written there at exit
    bool help = false;   // --help
    bool version = false; // --version
    bool still = false;  // --still: board memory only, no running machine behind it
};

// A parsed command line, or the message that says why it is not usable.
struct SimOptionsResult {
    std::optional<SimOptions> options;
    std::string error;
};

// Parses the arguments after the program name. Fails (options empty, error set) on an unknown
// option, a missing or malformed option value, an address the board does not have, or a
// value that does not fit its item.
SimOptionsResult ParseSimOptions(const std::vector<std::string>& args);

// The --help text.
std::string SimUsage();

// Presets the values and arms the faults the options ask for. Cannot fail: the values were
// checked by ParseSimOptions.
void ApplySimOptions(const SimOptions& options, SimBoard& board);

} // namespace quelby::sim
