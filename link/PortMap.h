#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace quelby {

// Port numbers 1..99 and the device behind each.
// On Linux the numbers come from Support/SerialPorts.cfg, one "n=/dev/..." line per number
// (by-id paths and symlinks welcome); a number the file does not list maps to /dev/ttyS(n-1),
// so port 1 is /dev/ttyS0. On Windows port n is COMn, written \\.\COMn above 9.
class PortMap {
public:
    static constexpr int FirstPort = 1;
    static constexpr int LastPort = 99;

    // One row of the settings dialog: the device behind a number and whether it is there now.
    struct Entry {
        int port = 0;
        std::string device;
        bool listed = false; // named in the file rather than the default
        bool exists = false;
    };

    // Every number on its default device.
    PortMap() = default;

    // Where the file lives under a home folder, found whatever the case of its name.
    static std::filesystem::path FileIn(const std::filesystem::path& home);

    // Reads the file; a missing or unreadable file leaves every number on its default.
    // Never fails: bad lines are skipped. On Windows the file is not read.
    static PortMap load(const std::filesystem::path& file);

    // The file's contents: "n=path" with blanks around either part, "#" starting a comment
    // (a whole line, or after a blank), CR LF or LF endings. Lines with a number outside
    // 1..99, a path that does not start with "/", or longer than MaxLineLength are skipped;
    // of two lines for one number the later wins. Reads at most MaxFileBytes.
    static PortMap parse(std::istream& in);

    static constexpr std::size_t MaxLineLength = 4096;
    static constexpr std::size_t MaxFileBytes = 1 << 20;

    // The default device for a number; empty outside 1..99.
    static std::string DefaultDevice(int port);

    // The device for a number; empty outside 1..99.
    std::string deviceFor(int port) const;
    // True when the file names the device for this number; false outside 1..99.
    bool isListed(int port) const;
    // True when the device (a symlink's target) exists now; false outside 1..99.
    bool deviceExists(int port) const;
    // All numbers 1..99 in order.
    std::vector<Entry> entries() const;

private:
    void parseLine(std::string_view line);

    std::array<std::string, LastPort + 1> m_listed; // indexed by port number, empty = default
};

} // namespace quelby
