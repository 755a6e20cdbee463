#include "app/data/TimingMessages.h"

#include <string>

namespace quelby::TimingMessages {
namespace {

constexpr const char* kContinue = "Do you wish to continue?";

} // namespace

MessageRequest RecallFailed(int channel) {
    return {"Channel Recall",
            {"Unable to Recall Channel ch" + std::to_string(channel)},
            MessageButtons::OK,
            MessageIcon::Information};
}

MessageRequest ProgramFailed(int channel) {
    return {"Channel Setpoint",
            {"Unable to Successfully Program Setpoint for Channel CH0" + std::to_string(channel) + "."},
            MessageButtons::OK,
            MessageIcon::Critical};
}

MessageRequest EqualSetpoints() {
    return {kSetpointTitle,
            {"ON Setpoint cannot Equal OFF Setpoint"},
            MessageButtons::OK,
            MessageIcon::Information};
}

MessageRequest ClearQuestion(int fieldNumber) {
    const std::string channel = fieldNumber > 7 ? "CH" + std::to_string(fieldNumber)
                                                : "CH0" + std::to_string(fieldNumber);
    return {"Clear Channel",
            {"You are about to Clear Channel " + channel + ".", "", kContinue},
            MessageButtons::YesNoCancel,
            MessageIcon::Question};
}

MessageRequest ClearFailed() {
    return {"Clear Channel", {"Unable to Clear Channel"}, MessageButtons::RetryCancel,
            MessageIcon::Question};
}

MessageRequest OffsetQuestion() {
    return {"Set Offset",
            {"You are about to Change the Resolver Offset.", "", kContinue},
            MessageButtons::YesNoCancel,
            MessageIcon::Question};
}

MessageRequest OffsetFailed() {
    return {kOffsetTitle,
            {"Unable to Successfully Set the Resolver Offset"},
            MessageButtons::OK,
            MessageIcon::Critical};
}

MessageRequest ResetFailed() {
    return {"PLS Config Download",
            {"Unable to Reset PLS Configuration Parameters"},
            MessageButtons::RetryCancel,
            MessageIcon::Question};
}

} // namespace quelby::TimingMessages
