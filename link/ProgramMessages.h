#pragma once

#include "link/UserPrompt.h"

#include <string>
#include <system_error>

// Every message box of program files, program download and upload, and the fault description
// file, with its exact title, lines, buttons and icon.
namespace quelby::ProgramMessages {

// "Error Number = n", "", description: a file operation that failed inside `title`'s routine.
MessageRequest RunTimeError(const std::string& title, MessageIcon icon,
                            const std::error_code& error);

// DownloadFile checks. Paths and names are shown as given.
MessageRequest RevisionFileNotValid(const std::string& revPath);
MessageRequest ConfigurationFileNotValid(const std::string& lcfPath);
MessageRequest PLSProgram(const std::string& hbxBaseName);
MessageRequest IncompatibleProgram(const std::string& hbxBaseName);

// "Program is Currently OFFLINE." under "Program Download" or "Program Upload".
MessageRequest ProgramOffline(const std::string& title);
// "Currently Selected Program is Invalid." under "Program Download" (nothing valid chosen) or
// "Program Dump" (a bad hex file).
MessageRequest ProgramInvalid(const std::string& title);

// The question before a download, with the program on disk and the one in the board.
struct DownloadIdentities {
    std::string programIdent, programRevision, programChecksum, boardName;
    std::string boardIdent, boardRevision, boardChecksum;
};
MessageRequest DownloadConfirmation(const DownloadIdentities& ids);

MessageRequest HexFileMissing(const std::string& hexPath);
MessageRequest HexFileNotValid(const std::string& hexPath);
MessageRequest CouldNotSetConfiguration();
MessageRequest ChecksumError();
MessageRequest DidNotExitProgramMode();
MessageRequest CouldNotSendIdent();
MessageRequest DownloadComplete();
MessageRequest DownloadNotComplete();

MessageRequest UploadNotComplete();
MessageRequest UploadComplete();

} // namespace quelby::ProgramMessages
