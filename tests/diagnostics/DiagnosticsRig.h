#pragma once

#include "tests/views/TestShell.h"

#include <functional>
#include <vector>

namespace quelby::test {

// The shell as the Target Board window needs it: going online opens the port, a failed open
// falls back to offline. `onUpdate` runs first at each update.
class OpeningShell : public TestShell {
public:
    std::function<void()> onUpdate;
    void updateOnlineStatus() override {
        if (onUpdate) onUpdate();
        if (rig.link.OnlineMode) rig.link.OpenRSComm(rig.port);
        TestShell::updateOnlineStatus();
        if (rig.link.CommError) rig.link.OnlineMode = false;
    }
};

// The byte addresses a trace of read requests asked for, in order: the handshake (0xFF
// answered 0x55, then the mode byte) is skipped, the rest come in pairs of high and low byte.
inline std::vector<int> BytesRead(const std::vector<sim::TraceEntry>& trace) {
    std::vector<int> addresses;
    for (std::size_t i = 0; i + 1 < trace.size(); i += 2) {
        if (trace[i].received == 0xFF && trace[i].answer == 0x55) continue; // and the mode byte
        addresses.push_back(trace[i].received << 8 | trace[i + 1].received);
    }
    return addresses;
}

} // namespace quelby::test
