#pragma once

#include "link/UserPrompt.h"

// Every message box of the Machine Timing window, with its exact title, lines, buttons and icon.
namespace quelby::TimingMessages {

// A setpoint field's range check (0..359) and the resolver offset / PLS channel fields' one.
inline constexpr const char* kSetpointTitle = "Set-up";
inline constexpr const char* kOffsetTitle = "Resolver Offset";

// Tip of a typed setpoint that waits for the other setpoint of its row.
inline constexpr const char* kWaitingForOff = "Waiting for the OFF setpoint: the channel is programmed when both are set.";
inline constexpr const char* kWaitingForOn = "Waiting for the ON setpoint: the channel is programmed when both are set.";

// "Unable to Recall Channel ch" + channel (information, "Channel Recall").
MessageRequest RecallFailed(int channel);
// "Unable to Successfully Program Setpoint for Channel CH0" + channel + "." (critical).
MessageRequest ProgramFailed(int channel);
// "ON Setpoint cannot Equal OFF Setpoint" (information, "Set-up").
MessageRequest EqualSetpoints();
// "You are about to Clear Channel CH.." for the number as the field shows it (Yes/No/Cancel).
MessageRequest ClearQuestion(int fieldNumber);
// "Unable to Clear Channel" (Retry/Cancel).
MessageRequest ClearFailed();
// "You are about to Change the Resolver Offset." (Yes/No/Cancel).
MessageRequest OffsetQuestion();
// "Unable to Successfully Set the Resolver Offset" (critical).
MessageRequest OffsetFailed();
// "Unable to Reset PLS Configuration Parameters" (Retry/Cancel).
MessageRequest ResetFailed();

} // namespace quelby::TimingMessages
