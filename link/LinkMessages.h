#pragma once

#include "link/SerialPort.h"
#include "link/UserPrompt.h"

#include <string>
#include <system_error>

// Every message box the link shows, with its exact title, lines, buttons and icon.
namespace quelby::LinkMessages {

// Third reply time-out in a row.
MessageRequest CannotCommunicate();
// Read or write mode handshake not completed in time.
MessageRequest CannotSetPLCMode();
// The port could not be opened.
MessageRequest CommPortError(const PortError& error);
// The settings file could not be read, created or written.
MessageRequest InitializeError(const std::error_code& error, const std::string& file);
// A value or address refused before a write; `message` follows "Error:".
MessageRequest EntryAlert(const std::string& message);

} // namespace quelby::LinkMessages
