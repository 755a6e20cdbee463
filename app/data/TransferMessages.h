#pragma once

#include "app/data/DataTransfer.h"
#include "app/data/TransferRequest.h"
#include "link/UserPrompt.h"

#include <string>

// Every text the data transfers show: the confirmations, the progress window's label texts and
// the end-of-transfer message.
namespace quelby::TransferMessages {

// Upload menu: "You are about to Upload Data from the PLC" (Yes/No, title "Data Upload").
MessageRequest ConfirmUpload();
// Download menu: "You are about to Download Data to the PLC" (Yes/No, title "Data Download").
MessageRequest ConfirmDownload();
// The confirmation for a request's direction.
MessageRequest Confirm(const TransferRequest& request);
// End of a transfer that left the link failed.
MessageRequest ProcessNotComplete();

// The progress window's label while a request starts, e.g. "Uploading Shift Data, Please
// Standby...".
std::string ProcessingLabel(const TransferRequest& request);
// The label once the timing-channel part begins.
std::string TimingChannelsLabel(TransferDirection direction);

// The transfer as the service log names it: "Download All", "Download Set-up Parameters".
std::string TransferName(const TransferRequest& request);

// The status bar's word on a finished transfer, at `time` ("HH:MM"): what moved, which way,
// and whether it all went ("Timing Channels uploaded 14:03").
std::string TransferNotice(const TransferRequest& request, const TransferOutcome& outcome,
                           const std::string& time);

} // namespace quelby::TransferMessages
