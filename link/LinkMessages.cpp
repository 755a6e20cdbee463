#include "link/LinkMessages.h"

namespace quelby::LinkMessages {
namespace {
const char* const kCommWarningTitle = "WARNING - Communication Error!";
}

MessageRequest CannotCommunicate() {
    return {kCommWarningTitle,
            {"Cannot Communicate with Target Board.", "Verify RS-232 Cable is Connected Between",
             "COMM Port and PROG Port."},
            MessageButtons::RetryCancel,
            MessageIcon::Critical};
}

MessageRequest CannotSetPLCMode() {
    return {kCommWarningTitle,
            {"Cannot Set PLC Mode Within Target Board."},
            MessageButtons::RetryCancel,
            MessageIcon::Critical};
}

MessageRequest CommPortError(const PortError& error) {
    return {"Comm Port Error",
            {"Error Number = " + std::to_string(error.number), "Error Source = " + error.source,
             "", error.description},
            MessageButtons::OK,
            MessageIcon::Critical};
}

MessageRequest InitializeError(const std::error_code& error, const std::string& file) {
    return {"RSComm InitializeRSComm",
            {"Error Number = " + std::to_string(error.value()), "",
             error.message() + ": " + file},
            MessageButtons::RetryCancel,
            MessageIcon::Critical};
}

MessageRequest EntryAlert(const std::string& message) {
    return {"ENTRY ALERT", {"Error:", message}, MessageButtons::OK, MessageIcon::Critical};
}

} // namespace quelby::LinkMessages
