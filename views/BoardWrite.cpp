#include "views/BoardWrite.h"

#include "link/RSComm.h"
#include "link/UserPrompt.h"
#include "views/EntryMessages.h"
#include "views/ShellContext.h"

namespace quelby {

bool WriteToBoard(ShellContext& shell, UserPrompt& prompt, const std::string& address,
                  const std::string& value, bool whileGoingOffline) {
    RSComm& link = shell.link();
    // A failed link has had its own message, and the program is going offline.
    const bool reachable = link.OnlineMode || (whileGoingOffline && link.PortOpen());
    if (!reachable || link.CommError) return false;
    // A busy link would refuse the request and leave the last write's verdict standing.
    if (!link.Busy()) {
        link.RSWrite(address, value);
        if (link.WriteConfirmed()) return true;
        if (link.EntryRefused() || link.CommError) return false;
    }
    prompt.ask(WriteNotConfirmedMessage(address, value));
    return false;
}

} // namespace quelby
