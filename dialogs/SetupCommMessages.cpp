#include "dialogs/SetupCommMessages.h"

namespace quelby::SetupCommMessages {

MessageRequest PortOutOfRange(int minimum, int maximum) {
    return {"Comm Port",
            {"Only a Number Between " + std::to_string(minimum) + " and " +
             std::to_string(maximum) + " can be Entered"},
            MessageButtons::OK,
            MessageIcon::Information};
}

MessageRequest CurrentSettingsError(const std::error_code& error) {
    return {"SetupComm CurrentSettings",
            {"Error Number = " + std::to_string(error.value()), "", error.message()},
            MessageButtons::OK,
            MessageIcon::Information};
}

MessageRequest FindBoardWhileOnline() {
    return {"Find Board",
            {"The program is online: its port is in use.",
             "Go offline (F4) to search the serial devices for a board."},
            MessageButtons::OK,
            MessageIcon::Information};
}

MessageRequest NoFreePortNumber(const std::string& device) {
    return {"Find Board",
            {"Every port number from 1 to 99 is taken, so " + device + " cannot have one.",
             "Free a number in Support/SerialPorts.cfg and search again."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

MessageRequest PortMapError(const std::error_code& error) {
    return {"Find Board",
            {"Support/SerialPorts.cfg could not be written: " + error.message(),
             "The settings were not saved."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

} // namespace quelby::SetupCommMessages
