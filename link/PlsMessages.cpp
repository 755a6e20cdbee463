#include "link/PlsMessages.h"

#include <string>

namespace quelby::PlsMessages {
namespace {

const char* const kCommWarningTitle = "WARNING - Communication Error!";
const char* const kSingleSetpointTitle = "PLS Single Setpoint";
const char* const kPulseTrainTitle = "PLS Pulse Train";
const char* const kSetOffsetTitle = "Set PLS Offset";
const char* const kChannelNotProgrammed = "PLS Channel will not be Programmed.";
const char* const kOffsetNotProgrammed = "PLS Offset will not be Programmed.";

MessageRequest PulseTrainRefusal(std::vector<std::string> lines,
                                 MessageIcon icon = MessageIcon::Exclamation) {
    lines.push_back("");
    lines.push_back(kChannelNotProgrammed);
    return {kPulseTrainTitle, std::move(lines), MessageButtons::OK, icon};
}

std::string ScaleNotUsableLine(int scale) {
    return "The Target Board Reports a PLS Scale Factor of " + std::to_string(scale) + ".";
}

} // namespace

MessageRequest CannotDeterminePLSReady() {
    return {kCommWarningTitle,
            {"Cannot Determine PLS READY Mode Within Target Board."},
            MessageButtons::RetryCancel,
            MessageIcon::Critical};
}

MessageRequest SetpointAboveScale(int setpoint) {
    return {kSingleSetpointTitle,
            {"Setpoint setting " + std::to_string(setpoint) + " is greater than scale factor.", "",
             "Channel can not be programmed."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

MessageRequest PulseDivisionsNotPositive() {
    return PulseTrainRefusal({"ON Division and OFF Division Must be Greater Than 0."});
}

MessageRequest PulseNotAMultiple(int scale) {
    return PulseTrainRefusal(
        {"ON Division Plus OFF Division", "Must be a Multiple of " + std::to_string(scale) + "."});
}

MessageRequest PulseDivisionTooLarge() {
    return PulseTrainRefusal({"ON Division or OFF Division Must be Less Than 255."});
}

MessageRequest PulseStartAboveScale(int scale) {
    return PulseTrainRefusal(
        {"Start Position Must Not Be Greater Than " + std::to_string(scale - 1) + "."});
}

MessageRequest PulseProgrammingError() {
    return PulseTrainRefusal({"Error Encountered while Programming Pulse Train."},
                             MessageIcon::Information);
}

MessageRequest PulseScaleNotUsable(int scale) {
    return PulseTrainRefusal({ScaleNotUsableLine(scale)});
}

MessageRequest OffsetAboveScale(int scale) {
    return {
        kSetOffsetTitle,
        {"Desired Position cannot be greater than Scale Factor of " + std::to_string(scale) + ".",
         "", kOffsetNotProgrammed},
        MessageButtons::OK,
        MessageIcon::Exclamation};
}

MessageRequest OffsetScaleNotUsable(int scale) {
    return {kSetOffsetTitle,
            {ScaleNotUsableLine(scale), "", kOffsetNotProgrammed},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

MessageRequest ConfigValueRefused(const std::string& what) {
    return {"PLS Download",
            {what, "", "PLS Configuration will not be Downloaded."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

MessageRequest UploadFailed() {
    return {"PLS Upload",
            {"Not able to Upload Configuration from PLS."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

MessageRequest RecallCutOff(int chan, int count) {
    return {"Channel Recall",
            {"Channel " + std::to_string(chan) + " Reported More Than " + std::to_string(count) +
                 " Setpoints.",
             "", "Only the First " + std::to_string(count) + " are Shown."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

} // namespace quelby::PlsMessages
