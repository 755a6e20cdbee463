#pragma once

#include "link/BoardIdentity.h"
#include "link/ProgramFileSet.h"
#include "link/UserPrompt.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quelby {

// What the link keeps about the chosen program.
struct ProgramSelection {
    ProgramFileSet files;
    int boardType = 0; // character code of the hbx file's first character
    std::string boardName;
    std::string ident = "Unknown";
    std::string revision = "Unknown";
    std::string checksum = "Unknown";
    ConfigDigits config;
    bool validProgram = false;
};

// DownloadFile: the state for a chosen hbx file and the messages to show, in order. The
// program is valid when its board type may be downloaded and every companion file that type
// needs was read. A missing hbx file or an empty first field is silently not valid.
struct DownloadFileCheck {
    ProgramSelection selection;
    std::vector<MessageRequest> messages;
};
DownloadFileCheck CheckDownloadFile(const std::filesystem::path& hbxPath);

// UploadFile: the paths, board type and name of a chosen hbx file, without checks. A missing
// or unreadable hbx file gives the "RSComm UploadFile" message and board type 0.
struct UploadFileChoice {
    ProgramSelection selection;
    std::optional<MessageRequest> message;
};
UploadFileChoice ChooseUploadFile(const std::filesystem::path& hbxPath);

} // namespace quelby
