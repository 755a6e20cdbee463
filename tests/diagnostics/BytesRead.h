#pragma once

#include "sim/SimBoard.h"

#include <vector>

namespace quelby::test {

// The byte addresses a trace of read requests asked for, in order: the handshake (0xFF
// answered 0x55, then the mode byte) is skipped, the rest come in pairs of high and low
// address byte.
inline std::vector<int> BytesRead(const std::vector<sim::TraceEntry>& trace) {
    std::vector<int> addresses;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        if (trace[i].received == 0xFF && trace[i].answer == 0x55) {
            ++i; // the mode byte
            continue;
        }
        if (i + 1 >= trace.size()) break;
        addresses.push_back(trace[i].received << 8 | trace[i + 1].received);
        ++i;
    }
    return addresses;
}

} // namespace quelby::test
