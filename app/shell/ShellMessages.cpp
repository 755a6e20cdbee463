#include "app/shell/ShellMessages.h"

namespace quelby::ShellMessages {

MessageRequest SwitchToOnline() {
    return {
        "Program Offline",
        {"Program is Currently OFFLINE", "", "Do You Wish to Switch to ONLINE MODE to Continue?"},
        MessageButtons::YesNo,
        MessageIcon::Question};
}

MessageRequest SystemInfoUnavailable() {
    return {"QUELBY",
            {"System Information Is Unavailable At This Time"},
            MessageButtons::OK,
            MessageIcon::None};
}

MessageRequest HelpFileMissing(const std::string& file) {
    return {"QUELBY Help",
            {"The help file cannot be found:", file},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

MessageRequest ConfirmProgramDownload(const std::string& fileTitle) {
    return {"Program Download",
            {"You are about to download \"" + fileTitle + "\" to the K650.", "",
             "Do you wish to continue?"},
            MessageButtons::YesNo,
            MessageIcon::Question};
}

InputRequest SetupPasscode(const std::string& current) {
    return {"Keypad Set-up Passcode", "Please Enter New Passcode (0-65535)", current};
}

std::string FileOpenedOnlineNotice(const std::string& fileTitle) {
    return fileTitle + " is loaded; the online windows show the board (F4 shows the file)";
}

std::string OfflineEditingHint() {
    return "Offline: Edit > Enable Offline Editing (F2) allows edits";
}

std::string LinkLostNotice(const std::string& time) {
    return "Link to the K650 lost " + time + ": the values shown are no longer live";
}

MessageRequest ServiceLogNotWritten(const std::string& problem) {
    return {"Service Log", {problem}, MessageButtons::OK, MessageIcon::Exclamation};
}

MessageRequest LiveRecordingFailed(const std::string& file) {
    return {"Record Live Values",
            {"The live values cannot be written to:", file, "", "The recording has stopped."},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

std::string LiveRecordingNotice(const std::string& fileName) {
    return "REC " + fileName;
}

std::string LiveRecordingTip(const std::string& file) {
    return "Recording the Main Display's live values to " + file +
           "; File > Record Live Values again stops it";
}

std::string LiveRecordingEndedNotice(const std::string& fileName, int rows) {
    return "recording to " + fileName + " ended offline: " + std::to_string(rows) + " rows kept";
}

MessageRequest PublishSettingsNotSaved(const std::string& file, const std::string& error) {
    return {"Publish Live Values",
            {"The settings cannot be written to:", file, error},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

MessageRequest PublishPasswordNotKept(const std::string& problem) {
    return {"Publish Live Values",
            {"The password was not kept:", problem},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

MessageRequest PublishingNotStarted(const std::string& problem) {
    return {"Publish Live Values",
            {"The live values are not published:", problem},
            MessageButtons::OK,
            MessageIcon::Exclamation};
}

std::string PublishingReachedNotice(const std::string& topicPrefix) {
    return "MQTT \u2713 " + topicPrefix;
}

std::string PublishingNotReachedNotice() {
    return "MQTT: not reached";
}

std::string PublishingNotStartedNotice() {
    return "MQTT: not started";
}

std::string PublishingTip(const std::string& broker, const std::string& liveTopic, bool reached,
                          const std::string& lastError, std::uint64_t sent, std::uint64_t dropped) {
    std::string tip = "Publishing the live values on " + liveTopic + " at " + broker + ": " +
                      (reached ? "broker reached" : "broker not reached");
    if (!lastError.empty()) tip += " (" + lastError + ")";
    return tip + "; " + std::to_string(sent) + " sent, " + std::to_string(dropped) + " dropped";
}

} // namespace quelby::ShellMessages
