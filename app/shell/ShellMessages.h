#pragma once

#include "link/UserPrompt.h"

#include <cstdint>
#include <string>

// Every message box and input box of the main window, with its exact title, lines, buttons
// and icon.
namespace quelby::ShellMessages {

// The online prompt before an operation that needs the board (Yes/No).
MessageRequest SwitchToOnline();
// The About box's System Info button when no System Information program is found; titled
// with the program's name as a box without a title of its own is.
MessageRequest SystemInfoUnavailable();
// Help > Help Topics when the help file is not in the home folder.
MessageRequest HelpFileMissing(const std::string& file);
// File > Download Program once a valid program file is chosen (Yes/No).
MessageRequest ConfirmProgramDownload(const std::string& fileTitle);
// Edit > Set-up Passcode, offering the board's present passcode (empty when not read).
InputRequest SetupPasscode(const std::string& current);

// Status bar notices (a finished transfer's is TransferMessages::TransferNotice).
// A set-up file opened while online: the windows go on showing the board.
std::string FileOpenedOnlineNotice(const std::string& fileTitle);
// Offline, in a window that edits the data set, while offline editing is off.
std::string OfflineEditingHint();
// The link failed and the program went offline: the values shown are no longer the board's.
// The service log could not be written; `problem` names the file. Shown once.
MessageRequest ServiceLogNotWritten(const std::string& problem);
// File > Record Live Values could not write a row (or the header): the recording stops.
MessageRequest LiveRecordingFailed(const std::string& file);
// The status bar while live values are recorded, and its tip.
std::string LiveRecordingNotice(const std::string& fileName);
std::string LiveRecordingTip(const std::string& file);
// A recording the program's going offline ended.
std::string LiveRecordingEndedNotice(const std::string& fileName, int rows);
std::string LinkLostNotice(const std::string& time);

// Edit > Publish Live Values: the settings or the password that could not be kept.
MessageRequest PublishSettingsNotSaved(const std::string& file, const std::string& error);
MessageRequest PublishPasswordNotKept(const std::string& problem);
// Publishing is on but could not start (the password file may be read by others ...).
MessageRequest PublishingNotStarted(const std::string& problem);
// The status bar while publishing is on: the broker reached, not reached, or nothing
// started; and the tip with the counts.
std::string PublishingReachedNotice(const std::string& topicPrefix);
std::string PublishingNotReachedNotice();
std::string PublishingNotStartedNotice();
std::string PublishingTip(const std::string& broker, const std::string& liveTopic, bool reached,
                          const std::string& lastError, std::uint64_t sent, std::uint64_t dropped);

} // namespace quelby::ShellMessages
