#pragma once

#include <string>

namespace quelby {

class ShellContext;
class UserPrompt;

// A write a window makes for the user (an accepted field, a test button, a command). Online,
// writes `value` to `address` and tells whether the board confirmed it. A write the board did
// not confirm after its repeat (or could not be sent while the link was busy) is reported once
// with "Write Not Confirmed"; an entry the link refused has had its own "ENTRY ALERT", a
// failed link its communication message. Offline, or with the link failed, nothing is sent
// and the result is false. `whileGoingOffline`: also while the port is still open after the
// program left online mode (a held command letting go just before the port closes).
bool WriteToBoard(ShellContext& shell, UserPrompt& prompt, const std::string& address,
                  const std::string& value, bool whileGoingOffline = false);

} // namespace quelby
