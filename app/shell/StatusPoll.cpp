#include "app/shell/StatusPoll.h"

#include "link/BoardIdentity.h"
#include "link/RSComm.h"

#include <charconv>

namespace quelby {

std::optional<StatusTexts> PollStatus(RSComm& link) {
    if (link.OnlineMode) {
        if (link.CommError) return std::nullopt;
        const RSComm::ReadResult read = link.RSReadChecked(kFaultCodeAddress);
        if (link.CommError || !read.trusted) return std::nullopt;
        int faultCode = 0;
        const char* end = read.text.data() + read.text.size();
        if (std::from_chars(read.text.data(), end, faultCode).ptr != end) return std::nullopt;
        // A negative code counts as no fault; the code itself is the Target Board
        // Interface's to show.
        if (faultCode <= 0)
            return StatusTexts{"-- System Normal --\r\nSet-up Program is Currently ONLINE",
                               "System Message: All Faults Normal", faultCode};
        return StatusTexts{"***** SYSTEM ALARM *****\r\nFault Interlock Open\r\n\r\n",
                           "System Message: Fault Interlock Open", faultCode};
    }
    return StatusTexts{"Set-up Program is Currently OFFLINE",
                       link.CommError ? "System Message:  Comm Fault with K650"
                                      : "System Message:  Program is Currently OFFLINE",
                       std::nullopt};
}

} // namespace quelby
