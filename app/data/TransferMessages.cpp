#include "app/data/TransferMessages.h"

namespace quelby::TransferMessages {
namespace {

const char* const kPleaseStandby = ", Please Standby...";

std::string Verb(TransferDirection direction) {
    return direction == TransferDirection::Upload ? "Uploading " : "Downloading ";
}

std::string What(TransferData data) {
    switch (data) {
    case TransferData::SetupParameters:
        return "Set-up Parameters";
    case TransferData::TimingChannels:
        return "Timing Channels";
    case TransferData::ShiftData:
        return "Shift Data";
    case TransferData::All:
        return "Data";
    }
    return "Data";
}

} // namespace

MessageRequest ConfirmUpload() {
    return {"Data Upload",
            {"You are about to Upload Data from the PLC", "", "Do You Wish to Continue?"},
            MessageButtons::YesNo,
            MessageIcon::Question};
}

MessageRequest ConfirmDownload() {
    return {"Data Download",
            {"You are about to Download Data to the PLC", "", "Do You Wish to Continue?"},
            MessageButtons::YesNo,
            MessageIcon::Question};
}

MessageRequest Confirm(const TransferRequest& request) {
    return request.upload() ? ConfirmUpload() : ConfirmDownload();
}

MessageRequest ProcessNotComplete() {
    return {"QUELBY",
            {"Error Processing Request", "", "Process Not Complete"},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

std::string ProcessingLabel(const TransferRequest& request) {
    return Verb(request.direction) + What(request.data) + kPleaseStandby;
}

std::string TimingChannelsLabel(TransferDirection direction) {
    return Verb(direction) + What(TransferData::TimingChannels) + kPleaseStandby;
}

std::string TransferName(const TransferRequest& request) {
    return std::string(request.upload() ? "Upload " : "Download ") +
           (request.data == TransferData::All ? "All" : What(request.data));
}

std::string TransferNotice(const TransferRequest& request, const TransferOutcome& outcome,
                           const std::string& time) {
    const std::string what = request.data == TransferData::All ? "All data" : What(request.data);
    const std::string way = request.upload() ? "upload" : "download";
    if (outcome.commError) return what + " " + way + " failed " + time + ": the board stopped answering";
    if (outcome.cancelled) return what + " " + way + " cancelled " + time;
    if (outcome.plsStopped) return what + " " + way + " stopped " + time + ": a PLS command failed";
    if (outcome.unconfirmed > 0)
        return what + " " + way + "ed " + time + ", " + std::to_string(outcome.unconfirmed) +
               " values not confirmed by the board";
    return what + " " + way + "ed " + time;
}

} // namespace quelby::TransferMessages
