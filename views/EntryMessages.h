#pragma once

#include "link/UserPrompt.h"

#include <string>

namespace quelby {

// The numeric entry field's one message: a text outside the field's limits.
// "Only a Number Between <low> and <high> can be Entered", OK button, information icon.
MessageRequest RangeMessage(const std::string& title, int low, int high);

} // namespace quelby
