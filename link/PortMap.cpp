#include "link/PortMap.h"

#include "link/FilePaths.h"
#include "link/TextCase.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include "link/WindowsSerialPort.h"
#endif

namespace quelby {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBlanks = " \t\r\f\v";

bool isBlank(char c) {
    return kBlanks.find(c) != std::string_view::npos;
}

std::string_view trimmed(std::string_view text) {
    return TrimmedOf(text, kBlanks);
}

// A "#" at the start of the line or after a blank begins a comment; elsewhere it belongs to
// the path.
std::string_view withoutComment(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] == '#' && (i == 0 || isBlank(line[i - 1]))) return line.substr(0, i);
    return line;
}

// 1..99 written in decimal digits only; 0 for anything else.
int portNumberOf(std::string_view text) {
    if (text.empty() || text.size() > 3) return 0;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value >= PortMap::FirstPort && value <= PortMap::LastPort ? value : 0;
}

bool inRange(int port) {
    return port >= PortMap::FirstPort && port <= PortMap::LastPort;
}

} // namespace

fs::path PortMap::FileIn(const fs::path& home) {
    return FindPath(home, fs::path("Support") / "SerialPorts.cfg");
}

PortMap PortMap::load(const fs::path& file) {
#ifdef _WIN32
    (void)file;
    return PortMap{};
#else
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return PortMap{};
    std::ifstream in(file, std::ios::binary);
    if (!in) return PortMap{};
    return parse(in);
#endif
}

PortMap PortMap::parse(std::istream& in) {
    PortMap map;
    std::string line;
    line.reserve(MaxLineLength);
    bool tooLong = false;
    std::array<char, 4096> chunk{};
    std::size_t total = 0;
    while (total < MaxFileBytes) {
        const std::size_t want = std::min(chunk.size(), MaxFileBytes - total);
        in.read(chunk.data(), static_cast<std::streamsize>(want));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        total += got;
        for (std::size_t i = 0; i < got; ++i) {
            const char c = chunk[i];
            if (c == '\n') {
                if (!tooLong) map.parseLine(line);
                line.clear();
                tooLong = false;
            } else if (line.size() < MaxLineLength) {
                line.push_back(c);
            } else {
                tooLong = true;
            }
        }
    }
    // A last line cut off by the size limit is not trusted.
    const bool cutOff = total >= MaxFileBytes && in.peek() != std::char_traits<char>::eof();
    if (!tooLong && !cutOff) map.parseLine(line);
    return map;
}

void PortMap::parseLine(std::string_view line) {
    line = trimmed(withoutComment(line));
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    const int port = portNumberOf(trimmed(line.substr(0, equals)));
    const std::string_view device = trimmed(line.substr(equals + 1));
    if (port == 0 || device.empty() || device.front() != '/') return;
    m_listed[static_cast<std::size_t>(port)] = std::string(device);
}

std::string PortMap::DefaultDevice(int port) {
    if (!inRange(port)) return {};
#ifdef _WIN32
    return (port <= 9 ? "COM" : "\\\\.\\COM") + std::to_string(port);
#else
    return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

std::string PortMap::deviceFor(int port) const {
    if (!inRange(port)) return {};
    return isListed(port) ? m_listed[static_cast<std::size_t>(port)] : DefaultDevice(port);
}

bool PortMap::isListed(int port) const {
    return inRange(port) && !m_listed[static_cast<std::size_t>(port)].empty();
}

bool PortMap::deviceExists(int port) const {
    if (!inRange(port)) return false;
#ifdef _WIN32
    return ComPortExists(port);
#else
    std::error_code ec;
    return fs::exists(deviceFor(port), ec);
#endif
}

std::vector<PortMap::Entry> PortMap::entries() const {
    std::vector<Entry> all;
    all.reserve(LastPort);
    for (int port = FirstPort; port <= LastPort; ++port)
        all.push_back({port, deviceFor(port), isListed(port), deviceExists(port)});
    return all;
}

} // namespace quelby
