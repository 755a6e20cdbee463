#pragma once

#include <optional>
#include <string>

namespace quelby {

class RSComm;

// The background status poll's two texts, and the fault code they were made from.
struct StatusTexts {
    std::string systemMessage; // SystemMessage, shown by the Main Display
    std::string statusPanel;   // status bar panel 1 (STATUS)
    // The board's fault code as confirmed by the read; none while offline.
    std::optional<int> faultCode;
    bool operator==(const StatusTexts&) const = default;
};

// One tick of tmrBackgroungUpdate: reads the online state, the link failure flag and, online,
// the board's fault code. nullopt when the fault request failed or was not confirmed: both
// texts stay as they were. The caller makes sure the link is not busy; the online state is
// never changed here.
std::optional<StatusTexts> PollStatus(RSComm& link);

} // namespace quelby
