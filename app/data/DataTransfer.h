#pragma once

#include "app/data/MachineData.h"
#include "link/RSComm.h"
#include "app/data/TransferRequest.h"
#include "link/UserPrompt.h"

#include <functional>
#include <string>
#include <vector>

namespace quelby {

// What the progress window shows: its bar and its label.
struct TransferProgress {
    int value = 0; // never beyond maximum
    int maximum = 0;
    std::string label;
};

// Where a transfer meets its front end. Every hook may be empty.
struct TransferHooks {
    // Called before every step: the progress window lets pending events run (its Cancel
    // button and the status poll among them), the command-line tool prints. No link request
    // is open at these points.
    std::function<void()> yield;
    // Called whenever the bar or the label changes.
    std::function<void(const TransferProgress&)> progress;
};

// How a transfer ended, for the caller's own flags.
struct TransferOutcome {
    bool commError = false;        // the link failed; the end message was shown
    bool cancelled = false;        // Cancel was pressed (it stops only the data points)
    bool plsStopped = false;       // a PLS command reported failure
    bool timingDownloaded = false; // the channel download ran: set TimingDownloaded
    // Data points the board did not confirm (a read untrusted twice keeps the old value; a
    // write whose echoes failed twice). A file is not to be saved from such an upload.
    int unconfirmed = 0;
    // An upload's data points whose value the board did not confirm (their value in the data
    // set is not the board's), in the order they were read.
    std::vector<int> unreadPoints;
};

// One upload or download between the board and CurrentData, the work of the progress window
// frmProcessing without its window: data points one at a time with RSRead/RSWrite, then (for
// timing channels and All) the PLS configuration and the 16 channels with the PLS commands.
// Uploads change only `currentData`; downloads only read it.
class DataTransfer {
public:
    // The window's loading: bar at 0 of the request's maximum, the request's label. No
    // traffic; never fails.
    DataTransfer(RSComm& link, UserPrompt& prompt, MachineData& currentData,
                 TransferRequest request, TransferHooks hooks = {});
    DataTransfer(const DataTransfer&) = delete;
    DataTransfer& operator=(const DataTransfer&) = delete;

    // The window's activation: clears both flags, yields, runs the transfer to its end and
    // shows "Error Processing Request" when the link failed. Link failures are reported in
    // the outcome and the link's own messages; never throws for them.
    TransferOutcome Run();

    // cmdCancel: the data-point loop stops before its next data point; the PLS parts go on.
    // Never fails; what has moved stays moved.
    void Cancel() { m_cancelFlag = true; }

    const TransferProgress& Progress() const { return m_progress; }
    const TransferRequest& Request() const { return m_request; }

private:
    void TransferDataPoints(TransferRequest::Range range);
    // One data point through the link; an upload keeps the old value when the read failed or
    // was not trusted twice.
    void TransferDataPoint(int index);
    void UploadTimingChannels();
    void DownloadTimingChannels();
    // Records one recall's result in the channel's setpoints; false when the list ended.
    bool TakeRecalledSetpoint(int channel);

    void Yield();
    void Step(int count = 1);
    void SetLabel(std::string label);

    RSComm& m_link;
    UserPrompt& m_prompt;
    MachineData& m_data;
    TransferRequest m_request;
    TransferHooks m_hooks;
    TransferProgress m_progress;
    int m_steps = 0; // the bar's count, which a channel upload can push past the maximum
    bool m_cancelFlag = false;
    bool m_plsStopFlag = false;
    bool m_timingDownloaded = false;
    int m_unconfirmed = 0;
    std::vector<int> m_unreadPoints;
};

} // namespace quelby
