#pragma once

#include "link/UserPrompt.h"

#include <string>
#include <system_error>

namespace quelby::SetupCommMessages {

// The port field holds no number between `minimum` and `maximum`.
MessageRequest PortOutOfRange(int minimum, int maximum);
// The settings file could not be read when the dialog loaded.
MessageRequest CurrentSettingsError(const std::error_code& error);

} // namespace quelby::SetupCommMessages
