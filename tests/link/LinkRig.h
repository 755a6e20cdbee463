#pragma once

#include "sim/ManualClock.h"
#include "link/RSComm.h"
#include "tests/support/ScriptedPrompt.h"
#include "sim/SimBoard.h"
#include "sim/SimSerialPort.h"
#include "tests/support/TempFolder.h"

#include <string>
#include <vector>

namespace quelby::test {

// The link wired to the simulated board on a manual clock, with scripted answers, in a
// scratch home folder.
struct LinkRig {
    TempFolder home;
    sim::ManualClock clock;
    sim::SimBoard board;
    sim::SimSerialPort port{board, clock};
    ScriptedPrompt prompt;
    RSComm link{clock, prompt, home.path()};

    // Opens the link and forgets the probe's traffic.
    void goOnline() {
        link.OpenRSComm(port);
        board.clearTrace();
    }
    std::vector<sim::TraceEntry> takeTrace() {
        auto trace = board.trace();
        board.clearTrace();
        return trace;
    }
    // How many bytes of this value the board received since the trace was last taken.
    int takeCount(std::uint8_t byte) {
        int count = 0;
        for (const auto& entry : takeTrace()) count += entry.received == byte;
        return count;
    }
};

// Builds an expected trace from pairs of (sent, answered) bytes.
inline std::vector<sim::TraceEntry> Exchanges(std::initializer_list<std::pair<int, int>> pairs) {
    std::vector<sim::TraceEntry> trace;
    for (auto [sent, answer] : pairs)
        trace.push_back({static_cast<std::uint8_t>(sent), static_cast<std::uint8_t>(answer)});
    return trace;
}

} // namespace quelby::test
