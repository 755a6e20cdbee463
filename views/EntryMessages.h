#pragma once

#include "link/UserPrompt.h"

#include <string>

namespace quelby {

// The numeric entry field's one message: a text outside the field's limits.
// "Only a Number Between <low> and <high> can be Entered", OK button, information icon.
MessageRequest RangeMessage(const std::string& title, int low, int high);

// A window's write that the board did not confirm: the value may not be on the board and the
// window keeps the data set as it was. Title "Write Not Confirmed", OK button, exclamation.
MessageRequest WriteNotConfirmedMessage(const std::string& address, const std::string& value);

} // namespace quelby
