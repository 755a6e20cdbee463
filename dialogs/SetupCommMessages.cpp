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

} // namespace quelby::SetupCommMessages
