#pragma once

#include "app/data/SetupFile.h"
#include "link/UserPrompt.h"

#include <string>
#include <system_error>

// Every message box of the data set and its set-up files, with its exact title, lines,
// buttons and icon.
namespace quelby::DataSetMessages {

// ConfirmSaveChanges (Yes/No/Cancel).
MessageRequest SaveChanges();
// File Open: the file was made by another program version (Yes/No/Cancel).
MessageRequest OtherVersion(const std::string& fileVersion);
// File Open: the chosen file could not be read as a set-up file; `outcome` is not Read.
MessageRequest CannotRead(const std::string& fileTitle, SetupFileRead::Outcome outcome,
                          const std::error_code& error);
// File Save: writing the file failed; the file on disk is as it was.
MessageRequest CannotSave(const std::string& fileTitle, const std::error_code& error);

} // namespace quelby::DataSetMessages
