#include "link/DownloadFileCheck.h"

#include "link/FilePaths.h"
#include "link/ProgramMessages.h"

#include <cerrno>

namespace quelby {
namespace fs = std::filesystem;

namespace {

// The hbx file as given, or found whatever the case of its name.
fs::path resolveHbx(const fs::path& hbxPath) {
    std::error_code ec;
    if (fs::exists(hbxPath, ec) || hbxPath.filename().empty()) return hbxPath;
    const fs::path folder = hbxPath.parent_path();
    return FindPath(folder.empty() ? fs::path(".") : folder, hbxPath.filename());
}

void setBoardType(ProgramSelection& selection, const std::string& firstField) {
    selection.boardType = static_cast<unsigned char>(firstField.front());
    selection.boardName = TargetboardName(selection.boardType);
}

} // namespace

DownloadFileCheck CheckDownloadFile(const fs::path& hbxPath) {
    DownloadFileCheck check;
    ProgramSelection& selection = check.selection;
    const fs::path hbx = resolveHbx(hbxPath);
    selection.files = ProgramFilesOf(hbx);

    const FirstFieldRead first = ReadFirstField(hbx);
    if (first.outcome == FirstFieldRead::Outcome::ReadError)
        check.messages.push_back(ProgramMessages::RunTimeError(
            "RSComm-Download File", MessageIcon::Information, first.error));
    if (first.outcome != FirstFieldRead::Outcome::Read || first.field.empty()) return check;
    setBoardType(selection, first.field);

    const std::string baseName = hbx.stem().string();
    switch (BoardGroupOf(selection.boardType)) {
    case BoardGroup::PLSVariant:
        check.messages.push_back(ProgramMessages::PLSProgram(baseName));
        return check;
    case BoardGroup::Other:
        check.messages.push_back(ProgramMessages::IncompatibleProgram(baseName));
        return check;
    case BoardGroup::RevisionOnly:
    case BoardGroup::RevisionAndConfiguration:
        break;
    }

    RevisionFileRead revision = ReadRevisionFile(selection.files.rev);
    if (revision.message) check.messages.push_back(*revision.message);
    selection.ident = revision.info.ident;
    selection.revision = revision.info.revision;
    selection.checksum = revision.info.checksum;
    if (!revision.info.valid)
        check.messages.push_back(
            ProgramMessages::RevisionFileNotValid(selection.files.rev.string()));
    bool valid = revision.info.valid;

    if (BoardGroupOf(selection.boardType) == BoardGroup::RevisionAndConfiguration) {
        const ConfigurationFileRead config = ReadConfigurationFile(selection.files.lcf);
        if (config.message) check.messages.push_back(*config.message);
        selection.config = config.digits;
        if (!config.valid)
            check.messages.push_back(
                ProgramMessages::ConfigurationFileNotValid(selection.files.lcf.string()));
        valid = valid && config.valid;
    }
    selection.validProgram = valid;
    return check;
}

UploadFileChoice ChooseUploadFile(const fs::path& hbxPath) {
    UploadFileChoice choice;
    const fs::path hbx = resolveHbx(hbxPath);
    choice.selection.files = ProgramFilesOf(hbx);
    const FirstFieldRead first = ReadFirstField(hbx);
    switch (first.outcome) {
    case FirstFieldRead::Outcome::Read:
        if (!first.field.empty()) setBoardType(choice.selection, first.field);
        break;
    case FirstFieldRead::Outcome::Empty:
        break;
    case FirstFieldRead::Outcome::Missing:
        choice.message =
            ProgramMessages::RunTimeError("RSComm UploadFile", MessageIcon::Information,
                                          std::error_code(ENOENT, std::generic_category()));
        break;
    case FirstFieldRead::Outcome::ReadError:
        choice.message = ProgramMessages::RunTimeError("RSComm UploadFile",
                                                       MessageIcon::Information, first.error);
        break;
    }
    return choice;
}

} // namespace quelby
