// The port map file on arbitrary bytes: every number 1..99 maps to a device path starting with
// "/" and holding no line break, a listed device fits a line, and the map written back as
// "n=device" lines reads back as the same map.
#include "link/PortMap.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

using namespace quelby;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const PortMap map = PortMap::parse(in);
    std::string written;
    for (int port = PortMap::FirstPort; port <= PortMap::LastPort; ++port) {
        const std::string device = map.deviceFor(port);
        if (device.empty() || device.front() != '/' || device.find('\n') != std::string::npos)
            std::abort();
        if (!map.isListed(port)) {
            if (device != PortMap::DefaultDevice(port)) std::abort();
            continue;
        }
        if (device.size() >= PortMap::MaxLineLength) std::abort();
        written += std::to_string(port) + "=" + device + "\n";
    }
    if (map.deviceFor(0) != "" || map.deviceFor(100) != "" || map.isListed(0)) std::abort();

    std::istringstream back(written);
    const PortMap again = PortMap::parse(back);
    for (int port = PortMap::FirstPort; port <= PortMap::LastPort; ++port)
        if (again.deviceFor(port) != map.deviceFor(port) ||
            again.isListed(port) != map.isListed(port))
            std::abort();
    return 0;
}
