#pragma once

#include "link/Clock.h"
#include "link/PortMap.h"
#include "link/SerialPort.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace quelby {

// A serial device the search tries, with the port number the port map gives it (0 for none).
struct SearchDevice {
    std::string device;
    int portNumber = 0;
    bool operator==(const SearchDevice&) const = default;
};

// The serial devices of this machine, each once: on Linux those of `devFolder`
// (serial/by-id/*, ttyUSB*, ttyACM*, ttyS*) that exist and the devices the port map names
// that exist; on Windows COM1..COM99. A by-id name and the device it points to count as one
// device, shown by its by-id name. Never fails: an unreadable folder adds nothing.
std::vector<SearchDevice> SerialDevicesToSearch(const PortMap& map,
                                                const std::filesystem::path& devFolder);
// The same in the folder QUELBY_DEVICE_FOLDER names (tests and trials put devices of their
// own there), else /dev.
std::vector<SearchDevice> SerialDevicesToSearch(const PortMap& map);

// What the search found on one device.
struct SearchResult {
    enum class Outcome { Board, NoAnswer, CannotOpen };
    SearchDevice where;
    Outcome outcome = Outcome::NoAnswer;
    int baud = 0;               // Board: the speed it answered at
    std::string reason;         // CannotOpen: why, with what the user can do
    bool missing = false;       // CannotOpen: the device is not there
    std::string programIdent;   // Board: the program it runs, from its identity bytes
    int programRevision = -1;   // Board: -1 when the identity could not be read
    int firmwareRevision = -1;  // Board: -1 when it could not be read
};

// The speeds tried, in this order.
inline constexpr int kSearchSpeeds[] = {9600, 19200};

// Tries each device at each speed with the board's handshake alone: one 0xFF, and a board
// answers 0x55 within the link's reply time-out. A device that answers anything else, or
// nothing, is sent nothing more; one that answers as a board is reopened through a link that
// reads its firmware revision and program identity. Each port is closed before the next is
// opened. `portFor` gives an unopened port for a device; `progress` is told before each try
// (device, speed) and may return false to stop the search there. Never fails: every device
// ends with an outcome.
class BoardSearch {
public:
    using PortFactory = std::function<std::unique_ptr<SerialPort>(const std::string& device)>;
    using Progress = std::function<bool(const SearchDevice& device, int baud)>;

    BoardSearch(Clock& clock, PortFactory portFor, std::filesystem::path homeFolder)
        : m_clock(clock), m_portFor(std::move(portFor)), m_home(std::move(homeFolder)) {}

    std::vector<SearchResult> run(const std::vector<SearchDevice>& devices,
                                  const Progress& progress = {});

    // Seconds the search takes at most for a device that never answers.
    static double SecondsPerSilentDevice();

private:
    SearchResult tryDevice(const SearchDevice& device, const Progress& progress, bool& stopped);
    bool answersHandshake(SerialPort& port);
    void readIdentity(SearchResult& result);

    Clock& m_clock;
    PortFactory m_portFor;
    std::filesystem::path m_home;
};

// The settings that reach a board the search found: its port number and speed. A device the
// port map gives no number gets the first number the map leaves free (not listed, its default
// device absent), and `newMapLine` is the "n=device" line that names it, to be added to the
// map when the user saves. nullopt when no number is free. Never fails.
struct PortChoice {
    int portNumber = 0;
    int baud = 0;
    std::string newMapLine; // empty when the map already numbers the device
    bool operator==(const PortChoice&) const = default;
};
std::optional<PortChoice> PortChoiceFor(const PortMap& map, const SearchResult& board);

// Adds `line` to the port map file (creating it and its folder), after what it holds;
// written whole under a temporary name first. False with `error` set on failure.
bool AddPortMapLine(const std::filesystem::path& file, const std::string& line,
                    std::error_code& error);

// "Board" lines and reasons as the command-line tool prints them.
std::string SearchResultLine(const SearchResult& result);

} // namespace quelby
