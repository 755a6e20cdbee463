#include "link/BoardSearch.h"

#include "link/BoardIdentity.h"
#include "link/BoardProtocol.h"
#include "link/FilePaths.h"
#include "link/RSComm.h"
#include "link/UserPrompt.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <system_error>

namespace quelby {
namespace fs = std::filesystem;

namespace {

// ENOENT on POSIX systems, ERROR_FILE_NOT_FOUND on Windows: the same number.
constexpr int kNoSuchDevice = 2;

// The link's messages during the identity reads end the read; the search shows the outcome.
class CancellingPrompt : public UserPrompt {
public:
    MessageAnswer ask(const MessageRequest& request) override {
        return DismissedAnswer(request.buttons);
    }
    std::optional<std::string> input(const InputRequest&) override { return std::nullopt; }
};

#ifndef _WIN32
bool NameStartsWith(const fs::path& path, std::string_view prefix) {
    return path.filename().string().rfind(prefix, 0) == 0;
}

std::string CanonicalOf(const std::string& device) {
    std::error_code error;
    const fs::path canonical = fs::canonical(device, error);
    return error ? device : canonical.string();
}
#endif

} // namespace

std::vector<SearchDevice> SerialDevicesToSearch(const PortMap& map, const fs::path& devFolder) {
    std::vector<SearchDevice> devices;
#ifdef _WIN32
    (void)devFolder;
    for (int port = PortMap::FirstPort; port <= PortMap::LastPort; ++port)
        devices.push_back({map.deviceFor(port), port});
    return devices;
#else
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(devFolder / "serial" / "by-id", error), end; !error && it != end;
         it.increment(error))
        names.push_back(it->path().string());
    std::sort(names.begin(), names.end());
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        std::vector<std::string> numbered;
        for (fs::directory_iterator it(devFolder, error), end; !error && it != end;
             it.increment(error))
            if (NameStartsWith(it->path(), prefix)) numbered.push_back(it->path().string());
        // ttyS2 before ttyS10, as the numbers run.
        std::sort(numbered.begin(), numbered.end(), [](const std::string& a, const std::string& b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
        names.insert(names.end(), numbered.begin(), numbered.end());
    }
    for (const PortMap::Entry& entry : map.entries())
        if (entry.listed && entry.exists) names.push_back(entry.device);

    // The port number the map gives a device: the first number whose device is the same one.
    const auto numberOf = [&](const std::string& canonical) {
        for (const PortMap::Entry& entry : map.entries())
            if ((entry.listed || entry.exists) && CanonicalOf(entry.device) == canonical)
                return entry.port;
        return 0;
    };
    std::set<std::string> seen;
    for (const std::string& name : names) {
        if (!fs::exists(name, error)) continue; // a link whose device went away
        const std::string canonical = CanonicalOf(name);
        if (!seen.insert(canonical).second) continue;
        devices.push_back({name, numberOf(canonical)});
    }
    return devices;
#endif
}

std::vector<SearchDevice> SerialDevicesToSearch(const PortMap& map) {
    const char* folder = std::getenv("QUELBY_DEVICE_FOLDER");
    return SerialDevicesToSearch(map, folder && *folder ? folder : "/dev");
}

double BoardSearch::SecondsPerSilentDevice() {
    return static_cast<double>(std::size(kSearchSpeeds)) * wire::kReplyTimeoutSeconds;
}

std::vector<SearchResult> BoardSearch::run(const std::vector<SearchDevice>& devices,
                                           const Progress& progress) {
    std::vector<SearchResult> results;
    bool stopped = false;
    for (const SearchDevice& device : devices) {
        SearchResult result = tryDevice(device, progress, stopped);
        if (stopped) break;
#ifdef _WIN32
        // Every COM number is tried; those the machine does not have are not worth a line.
        if (result.missing) continue;
#endif
        results.push_back(std::move(result));
    }
    return results;
}

SearchResult BoardSearch::tryDevice(const SearchDevice& device, const Progress& progress,
                                    bool& stopped) {
    SearchResult result;
    result.where = device;
    for (const int baud : kSearchSpeeds) {
        if (progress && !progress(device, baud)) {
            stopped = true;
            return result;
        }
        const std::unique_ptr<SerialPort> port = m_portFor(device.device);
        PortError error;
        if (!port->open({device.portNumber > 0 ? device.portNumber : 1, baud}, error)) {
            result.outcome = SearchResult::Outcome::CannotOpen;
            result.missing = error.number == kNoSuchDevice;
            result.reason = error.description;
            return result;
        }
        const bool board = answersHandshake(*port);
        port->close();
        if (board) {
            result.outcome = SearchResult::Outcome::Board;
            result.baud = baud;
            readIdentity(result);
            return result;
        }
    }
    return result;
}

bool BoardSearch::answersHandshake(SerialPort& port) {
    port.discardInput();
    port.sendByte(wire::kSync);
    const double deadline = m_clock.monotonicSeconds() + wire::kReplyTimeoutSeconds;
    for (;;) {
        const double left = deadline - m_clock.monotonicSeconds();
        if (left <= 0 || !port.isOpen()) return false;
        if (port.waitForByte(left)) break;
    }
    // One answer, and only the board's: a device that echoes, or sends more than one byte
    // (noise, a modem's greeting), is not a board.
    if (port.readByte() != wire::kAck) return false;
    m_clock.sleepFor(wire::kReplyTimeoutSeconds / 10);
    return port.bytesWaiting() == 0;
}

void BoardSearch::readIdentity(SearchResult& result) {
    CancellingPrompt prompt;
    RSComm link(m_clock, prompt, m_home);
    link.OverrideSettings(std::nullopt, std::to_string(result.baud));
    const std::unique_ptr<SerialPort> port = m_portFor(result.where.device);
    link.OpenRSComm(*port);
    if (link.OnlineMode) {
        const RSComm::ReadResult firmware = link.RSReadChecked(kFirmwareRevAddress);
        if (firmware.trusted) result.firmwareRevision = std::stoi(firmware.text);
        BoardIdentityBytes identity{};
        bool trusted = true;
        for (int i = 0; i < kIdentityLength && trusted; ++i) {
            const RSComm::ReadResult byte = link.RSReadChecked("B" + std::to_string(kIdentityAddress + i));
            trusted = byte.trusted;
            identity[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::stoi(byte.text));
        }
        if (trusted) {
            result.programIdent = BoardIdentText(identity);
            result.programRevision = identity[9];
        }
    }
    link.CloseRSComm();
}

std::optional<PortChoice> PortChoiceFor(const PortMap& map, const SearchResult& board) {
    if (board.where.portNumber > 0) return PortChoice{board.where.portNumber, board.baud, {}};
    for (int port = PortMap::FirstPort; port <= PortMap::LastPort; ++port)
        if (!map.isListed(port) && !map.deviceExists(port))
            return PortChoice{port, board.baud, std::to_string(port) + "=" + board.where.device};
    return std::nullopt;
}

bool AddPortMapLine(const fs::path& file, const std::string& line, std::error_code& error) {
    std::string text;
    const BoundedFileRead read = ReadFileBounded(file, PortMap::MaxFileBytes);
    if (read.outcome == BoundedFileRead::Outcome::ReadError) return error = read.error, false;
    if (read.outcome == BoundedFileRead::Outcome::Read) text = read.bytes;
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    text += line + "\r\n";
    fs::create_directories(file.parent_path(), error);
    if (error) return false;
    return WriteFileAtomically(file, text, error);
}

std::string SearchResultLine(const SearchResult& result) {
    const std::string where =
        (result.where.portNumber > 0 ? "port " + std::to_string(result.where.portNumber) + " " : "") +
        result.where.device;
    switch (result.outcome) {
    case SearchResult::Outcome::Board: {
        std::string line = where + ": board at " + std::to_string(result.baud) + " baud";
        if (result.programRevision < 0)
            line += ", program identity not read";
        else if (result.programIdent.empty())
            line += ", no program ident";
        else
            line += ", program " + result.programIdent + " revision " +
                    std::to_string(result.programRevision);
        line += result.firmwareRevision < 0
                    ? ", firmware revision not read"
                    : ", firmware revision " + std::to_string(result.firmwareRevision);
        return line;
    }
    case SearchResult::Outcome::CannotOpen:
        return where + ": cannot be opened: " + result.reason;
    case SearchResult::Outcome::NoAnswer:
        break;
    }
    return where + ": no board (no answer to the handshake at 9600 or 19200 baud)";
}

} // namespace quelby
