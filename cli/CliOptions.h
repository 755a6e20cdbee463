#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quelby::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitDiffer = 1,     // compare or diff found differences: an answer, not a failure
    kExitLinkFailed = 2, // the link failed (CommError) or the board did not confirm a write
    kExitRefused = 3,    // the entry check refused an address or value, or a question was
                         // answered No
    kExitNoBoardFound = 1,  // find: devices answered, none as a board
    kExitNoDeviceTried = 2, // find: no serial device could be opened
    kExitUsage = 64,
    kExitUnavailable = 69, // publish: messages did not reach the MQTT broker
    kExitCantCreate = 73, // the trace file could not be created
};

struct CliOptions {
    std::optional<std::string> device; // --device PATH: this device, whatever the port number
    std::optional<int> port;           // --port N (1..99)
    std::optional<std::string> speed;  // --speed 9600|19200
    std::optional<std::filesystem::path> home;
    std::optional<std::filesystem::path> trace; // --trace FILE: one line per byte exchange
    int retries = 0; // Retry answers to a Retry/Cancel question before Cancel
    bool yes = false;
    bool quiet = false; // --quiet: no progress on standard error
    bool json = false; // --json: the command's result as one JSON document
    bool csv = false;  // --csv: watch and export write CSV
    bool help = false;
    bool version = false;
    std::vector<std::string> command; // the command and its arguments
};

// Parses the global options up to the command word; --json and --csv may also follow it. On a usage error returns nullopt and
// sets `error`.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error);

} // namespace quelby::cli
