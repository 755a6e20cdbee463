// The service log's line reader on arbitrary bytes: it refuses or reads without a fault, and
// an event it reads is written and read back unchanged.
#include "app/data/ServiceLog.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace quelby;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::optional<ServiceEvent> event = ParseServiceEvent(line);
    if (!event) return 0;
    const std::string written = ServiceEventJson(*event);
    if (written.find('\n') != std::string::npos) std::abort();
    const std::optional<ServiceEvent> again = ParseServiceEvent(written);
    if (!again || !(*again == *event)) std::abort();
    ServiceLogCsvRow(*event);
    return 0;
}
