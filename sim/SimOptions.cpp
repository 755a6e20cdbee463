#include "sim/SimOptions.h"

#include "link/BoardAddress.h"
#include "sim/SimBoard.h"

#include <charconv>
#include <cstdlib>

namespace quelby::sim {
namespace {

// A whole decimal number in [min, max]; nullopt for anything else.
template <typename T> std::optional<T> wholeNumber(std::string_view text, T min, T max) {
    T value{};
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value < min || value > max)
        return std::nullopt;
    return value;
}

std::uint32_t largestValue(const ParsedAddress& address) {
    if (address.isBitAddress) return 1;
    switch (address.addrType) {
    case 'B':
        return kMaxByteValue;
    case 'W':
        return kMaxWordValue;
    default:
        return kMaxDoubleValue;
    }
}

// "W182=1200" to a preset; fails with a message naming what is wrong.
std::optional<PresetValue> parsePreset(std::string_view text, std::string& error) {
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) {
        error = "--set needs ADDRESS=VALUE, got '" + std::string(text) + "'";
        return std::nullopt;
    }
    const std::string address(text.substr(0, equals));
    const std::string_view valueText = text.substr(equals + 1);
    const auto parsed = ParseAddress(address);
    if (!parsed) {
        error = "--set: '" + address + "' is not a board address (e.g. W182, B1016.3, D1100)";
        return std::nullopt;
    }
    const std::uint32_t largest = largestValue(*parsed);
    const auto value = wholeNumber<std::uint32_t>(valueText, 0, largest);
    if (!value) {
        error = "--set: the value of " + address + " must be a whole number from 0 to " +
                std::to_string(largest) + ", got '" + std::string(valueText) + "'";
        return std::nullopt;
    }
    return PresetValue{address, *value};
}

} // namespace

SimOptionsResult ParseSimOptions(const std::vector<std::string>& args) {
    SimOptions options;
    std::string error;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--link" || arg == "--set" || arg == "--baud" ||
                                arg == "--trace" || arg == "--wrong-echo" || arg == "--stop-after" ||
                                arg == "--lose" || arg == "--loss" || arg == "--seed" ||
                                arg == "--close-after" || arg == "--dump";
        if (takesValue && i + 1 == args.size()) return {std::nullopt, arg + " needs a value"};
        const std::string value = takesValue ? args[++i] : std::string();

        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--silent") {
            options.silent = true;
        } else if (arg == "--still") {
            options.still = true;
        } else if (arg == "--link" || arg == "--trace" || arg == "--dump") {
            if (value.empty()) return {std::nullopt, arg + " needs a file name"};
            (arg == "--link"    ? options.linkPath
             : arg == "--trace" ? options.tracePath
                                : options.dumpPath) = value;
        } else if (arg == "--set") {
            auto preset = parsePreset(value, error);
            if (!preset) return {std::nullopt, error};
            options.presets.push_back(*preset);
        } else if (arg == "--baud") {
            if (value != "9600" && value != "19200")
                return {std::nullopt, "--baud must be 9600 or 19200, got '" + value + "'"};
            options.baud = value == "9600" ? 9600 : 19200;
        } else if (arg == "--wrong-echo" || arg == "--stop-after" || arg == "--lose" ||
                   arg == "--close-after") {
            const long least = arg == "--stop-after" ? 0 : 1;
            auto count = wholeNumber<long>(value, least, 1'000'000'000'000L);
            if (!count)
                return {std::nullopt, arg + " needs a whole number of bytes from " +
                                          std::to_string(least) + ", got '" + value + "'"};
            (arg == "--wrong-echo"  ? options.wrongEcho
             : arg == "--lose"        ? options.lose
             : arg == "--close-after" ? options.closeAfter
                                      : options.stopAfter) = *count;
        } else if (arg == "--loss") {
            char* end = nullptr;
            const double rate = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !(rate >= 0.0 && rate <= 1.0))
                return {std::nullopt, "--loss needs a probability from 0 to 1, got '" + value + "'"};
            options.lossRate = rate;
        } else if (arg == "--seed") {
            auto seed = wholeNumber<std::uint32_t>(value, 0, 0xFFFFFFFFu);
            if (!seed) return {std::nullopt, "--seed needs a whole number, got '" + value + "'"};
            options.seed = *seed;
        } else {
            return {std::nullopt, "unknown option '" + arg + "'"};
        }
    }
    return {options, {}};
}

std::string SimUsage() {
    return "Usage: quelby-sim [OPTIONS]\n"
           "Serves the simulated target board on a pseudo-terminal, with a can-printing line\n"
           "running behind it (speed, counts, trips, I/O, clock, PLS resolver). The device path is the\n"
           "first line on standard output; SIGINT or SIGTERM end the program.\n"
           "\n"
           "  --link PATH          make PATH a symlink to the device while running\n"
           "  --set ADDRESS=VALUE  preset a board item, e.g. --set W182=1200 --set B1016.3=1\n"
           "                       (repeatable)\n"
           "  --baud 9600|19200    answer only a line set to that speed, as late as the\n"
           "                       line would (default: at once, at any speed)\n"
           "  --trace FILE         write one line per byte received: the byte and the\n"
           "                       answer in hex, '--' for none (\"FF 55\", \"B6 --\")\n"
           "  --still              serve the board's memory only, with no line running\n"
           "                       behind it (values stay as set)\n"
           "  --silent             answer nothing\n"
           "  --wrong-echo N       corrupt the answer to the N-th byte received (from 1)\n"
           "  --stop-after N       answer nothing after N bytes\n"
           "  --lose N             lose the N-th byte received (from 1) on the line: the\n"
           "                       board never sees it\n"
           "  --loss P             lose each byte received with probability P (0..1)\n"
           "  --seed S             start the --loss draws from S (default 1), so a run\n"
           "                       can be repeated\n"
           "  --close-after N      close the pseudo-terminal after N bytes received (from 1),\n"
           "                       as a line that goes away; then wait for the stop signal\n"
           "  --dump FILE          at exit, write the board's state to FILE: bytes received\n"
           "                       and lost, PLS scale, offset, configuration and channels,\n"
           "                       and the whole byte memory in hex, 32 bytes a line\n"
           "  --help               show this text\n"
           "  --version            show the program's version\n"
           "\n"
           "Exit status: 0 when stopped by a signal, 64 for a bad command line, 71 when the\n"
           "pseudo-terminal fails, 73 when the trace file, the link or the dump cannot be made.\n";
}

void ApplySimOptions(const SimOptions& options, SimBoard& board) {
    for (const auto& preset : options.presets)
        board.setValue(preset.address, preset.value);
    board.setSilent(options.silent);
    if (options.wrongEcho > 0) board.corruptAnswerAt(options.wrongEcho - 1);
    if (options.stopAfter >= 0) board.stopAnsweringAfter(options.stopAfter);
    if (options.lose > 0) board.loseByteAt(options.lose - 1);
    if (options.lossRate > 0) board.setLossRate(options.lossRate, options.seed);
}

} // namespace quelby::sim
