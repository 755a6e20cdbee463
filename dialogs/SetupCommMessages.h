#pragma once

#include "link/UserPrompt.h"

#include <string>
#include <system_error>

namespace quelby::SetupCommMessages {

// The port field holds no number between `minimum` and `maximum`.
MessageRequest PortOutOfRange(int minimum, int maximum);
// The settings file could not be read when the dialog loaded.
MessageRequest CurrentSettingsError(const std::error_code& error);
// Find Board while the link holds its port open.
MessageRequest FindBoardWhileOnline();
// Every port number 1..99 is listed or on a device that exists: none is left for `device`.
MessageRequest NoFreePortNumber(const std::string& device);
// The port map file could not be written.
MessageRequest PortMapError(const std::error_code& error);

} // namespace quelby::SetupCommMessages
