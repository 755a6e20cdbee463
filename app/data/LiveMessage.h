#pragma once

#include "app/data/LiveRecording.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace quelby {

// One pass of the line's live values as it goes to a plant's MQTT broker. A value the board
// did not confirm is none, and is published as null.
struct LiveMessage {
    std::chrono::system_clock::time_point time;
    LiveValues values;
    std::optional<std::int64_t> faultCode;
    std::optional<std::string> faultText;
};

// {"time":"2026-12-07T14:03:59+01:00","cpm":1200,"good_cans":..,"blowoffs":..,"fault":0,
// "fault_text":"Fault Code (00H): No fault"} on one line, without a line end.
std::string LiveMessageJson(const LiveMessage& message);

} // namespace quelby
