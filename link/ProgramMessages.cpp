#include "link/ProgramMessages.h"

namespace quelby::ProgramMessages {
namespace {
const char* const kDownload = "Program Download";
const char* const kUpload = "Program Upload";
const char* const kHalted = "Program Downloaded Halted!";

MessageRequest ok(std::string title, std::vector<std::string> lines, MessageIcon icon) {
    return {std::move(title), std::move(lines), MessageButtons::OK, icon};
}
} // namespace

MessageRequest RunTimeError(const std::string& title, MessageIcon icon,
                            const std::error_code& error) {
    return ok(title, {"Error Number = " + std::to_string(error.value()), "", error.message()},
              icon);
}

MessageRequest RevisionFileNotValid(const std::string& revPath) {
    return ok(kDownload, {revPath + " Revision File is Not Valid", "", kHalted},
              MessageIcon::Exclamation);
}

MessageRequest ConfigurationFileNotValid(const std::string& lcfPath) {
    return ok(kDownload, {lcfPath + " Configuration File is Not Valid", "", kHalted},
              MessageIcon::Exclamation);
}

MessageRequest PLSProgram(const std::string& hbxBaseName) {
    return ok("PLS Program Download",
              {hbxBaseName + " file is a PLS target board program.",
               "Open PLS program to download to target board.", "", "Program Downloaded Halted."},
              MessageIcon::Information);
}

MessageRequest IncompatibleProgram(const std::string& hbxBaseName) {
    return ok(kDownload, {hbxBaseName + " file is incompatible with target board.", "", kHalted},
              MessageIcon::Critical);
}

MessageRequest ProgramOffline(const std::string& title) {
    return ok(title, {"Program is Currently OFFLINE.", "", "Switch to ONLINE MODE to Continue."},
              MessageIcon::Information);
}

MessageRequest ProgramInvalid(const std::string& title) {
    return ok(title, {"Currently Selected Program is Invalid.", "", "Program Download Halted!"},
              MessageIcon::Exclamation);
}

MessageRequest DownloadConfirmation(const DownloadIdentities& ids) {
    return {
        std::string(kDownload) + " - [" + ids.programIdent + "]",
        {"Program to be loaded into module (on disk):", "  Program Ident: \t\t" + ids.programIdent,
         "  Program Revision: \t\t" + ids.programRevision,
         "  Program Checksum: \t" + ids.programChecksum, "  Target Board: \t\t" + ids.boardName, "",
         "Program currently loaded in module:", "  Program Ident: \t\t" + ids.boardIdent,
         "  Program Revision: \t\t" + ids.boardRevision,
         "  Program Checksum: \t" + ids.boardChecksum, "",
         "Entire program file will be dumped to the PLC.",
         "All outputs are off while program dump occurrs.", "", "Do You Wish to Continue?", ""},
        MessageButtons::YesNoCancel,
        MessageIcon::Question};
}

MessageRequest HexFileMissing(const std::string& hexPath) {
    return ok(kDownload, {hexPath + " File Does Not Exist.", "", "Program Downloaded Halted"},
              MessageIcon::Information);
}

MessageRequest HexFileNotValid(const std::string& hexPath) {
    return ok(kDownload, {hexPath + " File is Not Valid", "", "Program Downloaded Halted"},
              MessageIcon::Exclamation);
}

MessageRequest CouldNotSetConfiguration() {
    return ok("Program Config Download", {"Could Not Set Program Configuration in PLC!"},
              MessageIcon::Critical);
}

MessageRequest ChecksumError() {
    return ok(kDownload, {"Checksum Error, Program Download Halted!"}, MessageIcon::Exclamation);
}

MessageRequest DidNotExitProgramMode() {
    return ok(kDownload, {"PLC did not Exit Program Mode!"}, MessageIcon::Critical);
}

MessageRequest CouldNotSendIdent() {
    return ok(kDownload, {"Could Not Send Program Ident and Revision to PLC!"},
              MessageIcon::Critical);
}

MessageRequest DownloadComplete() {
    return ok(kDownload, {"Program Download Complete!"}, MessageIcon::Information);
}

MessageRequest DownloadNotComplete() {
    return ok(kDownload, {"Program Download Not Complete!"}, MessageIcon::Critical);
}

MessageRequest UploadNotComplete() {
    return ok(kUpload, {"Program Upload Not Complete!", "", "HEX file not created."},
              MessageIcon::Critical);
}

MessageRequest UploadComplete() {
    return ok(kUpload, {"Program Upload Complete!"}, MessageIcon::Information);
}

} // namespace quelby::ProgramMessages
