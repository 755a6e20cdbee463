#pragma once

#include "link/UserPrompt.h"

#include <string>

// Every message box of the PLS requests, with its exact title, lines, buttons and icon.
namespace quelby::PlsMessages {

// The PLS did not report ready within its time (Retry/Cancel).
MessageRequest CannotDeterminePLSReady();
// SingleSetpoint: a setpoint beyond the last position of the scale.
MessageRequest SetpointAboveScale(int setpoint);
// PulseTrain: an ON or OFF division below 1.
MessageRequest PulseDivisionsNotPositive();
// PulseTrain: ON + OFF does not divide the scale.
MessageRequest PulseNotAMultiple(int scale);
// PulseTrain: an ON or OFF division of 256 or more.
MessageRequest PulseDivisionTooLarge();
// PulseTrain: a start position beyond the last position of the scale.
MessageRequest PulseStartAboveScale(int scale);
// PulseTrain: the program-channel request failed.
MessageRequest PulseProgrammingError();
// PulseTrain: the board reports a scale factor no pattern can be laid on (0 or less).
MessageRequest PulseScaleNotUsable(int scale);
// SetPLSOffset: the wanted position lies beyond the scale.
MessageRequest OffsetAboveScale(int scale);
// SetPLSOffset: the board reports a scale factor no offset can be computed from.
MessageRequest OffsetScaleNotUsable(int scale);
// PLSConfigDownload refused a value before sending anything: `what` names it and its value.
MessageRequest ConfigValueRefused(const std::string& what);
// PLSConfigUpload failed.
MessageRequest UploadFailed();
// RecallAllSetpoints stopped a list that did not end after `count` setpoints. For callers
// that tell the user; the link itself only reports it in the result.
MessageRequest RecallCutOff(int chan, int count);

} // namespace quelby::PlsMessages
