#include "app/shell/StatusPoll.h"

#include "link/RSComm.h"

namespace quelby {

std::optional<StatusTexts> PollStatus(RSComm& link) {
    if (link.OnlineMode) {
        int faultCode = 0;
        if (!link.CommError) faultCode = link.FaultCode();
        if (link.CommError) return std::nullopt;
        // A negative code counts as no fault; the code itself is the Target Board
        // Interface's to show.
        if (faultCode <= 0)
            return StatusTexts{"-- System Normal --\r\nSet-up Program is Currently ONLINE",
                               "System Message: All Faults Normal"};
        return StatusTexts{"***** SYSTEM ALARM *****\r\nFault Interlock Open\r\n\r\n",
                           "System Message: Fault Interlock Open"};
    }
    return StatusTexts{"Set-up Program is Currently OFFLINE",
                       link.CommError ? "System Message:  Comm Fault with K650"
                                      : "System Message:  Program is Currently OFFLINE"};
}

} // namespace quelby
