#include "app/data/DataSetFiles.h"

#include "app/data/DataSetMessages.h"
#include "app/data/GeneralDate.h"
#include "app/data/SetupFile.h"

namespace quelby {

DataSetFiles::DataSetFiles(DataSet& data, UserPrompt& prompt, FileDialogs& dialogs, Clock& clock,
                           const std::filesystem::path& homeFolder)
    : m_data(data), m_prompt(prompt), m_dialogs(dialogs), m_clock(clock),
      m_fileNamePath(homeFolder / "*.sdt") {}

bool DataSetFiles::SaveChangesFirst() {
    const auto answer = m_data.ConfirmSaveChanges(m_prompt);
    if (!answer || *answer == MessageAnswer::No) return true;
    if (*answer == MessageAnswer::Yes) return Save() == FileCommandResult::Done;
    return false;
}

FileCommandResult DataSetFiles::New() {
    if (!SaveChangesFirst()) return FileCommandResult::Cancelled;
    m_data.CurrentData = m_data.DefaultData;
    m_data.SavedData = m_data.CurrentData;
    m_data.UnnamedData = true;
    m_data.TimingReload = true;
    m_fileNameCaption = kUnnamed;
    return FileCommandResult::Done;
}

FileCommandResult DataSetFiles::Open() {
    // After No to the version question the dialog starts at the file just refused.
    std::filesystem::path initialName = m_fileNamePath;
    for (;;) {
        if (!SaveChangesFirst()) return FileCommandResult::Cancelled;
        const auto chosen = m_dialogs.openFile({kSetupFilter, initialName});
        if (!chosen) return FileCommandResult::Cancelled;

        m_data.FileData = MachineData{};
        SetupFileRead read = ReadSetupFile(*chosen);
        if (read.outcome != SetupFileRead::Outcome::Read) {
            m_prompt.ask(
                DataSetMessages::CannotRead(chosen->filename().string(), read.outcome, read.error));
            return FileCommandResult::Failed;
        }
        m_data.FileData = std::move(read.data);
        m_data.TimingReload = true;
        if (m_data.FileData.Version == ProgramVersion) {
            acceptFileData(*chosen);
            return FileCommandResult::Done;
        }
        switch (m_prompt.ask(DataSetMessages::OtherVersion(m_data.FileData.Version))) {
        case MessageAnswer::Yes:
            acceptFileData(*chosen);
            return FileCommandResult::Done;
        case MessageAnswer::No:
            initialName = *chosen;
            continue;
        default:
            return FileCommandResult::Cancelled;
        }
    }
}

FileCommandResult DataSetFiles::Save() {
    if (m_data.UnnamedData) return SaveAs();
    return saveTo(m_fileNamePath);
}

FileCommandResult DataSetFiles::SaveAs() {
    const auto chosen = m_dialogs.saveFile({kSetupFilter, {}});
    if (!chosen) return FileCommandResult::Cancelled;
    const FileCommandResult result = saveTo(*chosen);
    if (result == FileCommandResult::Done) {
        m_data.UnnamedData = false;
        m_fileNamePath = *chosen;
    }
    return result;
}

void DataSetFiles::setUploadNow(const LocalDateTime& when) {
    m_uploadNow = GeneralDateText(when);
}

void DataSetFiles::acceptFileData(const std::filesystem::path& file) {
    m_fileNamePath = file;
    m_fileNameTitle = file.filename().string();
    setUploadNow(m_clock.now());
    m_data.ApplyFileData();
    m_fileNameCaption = "[" + m_fileNameTitle + "]";
}

FileCommandResult DataSetFiles::saveTo(const std::filesystem::path& file) {
    // The version is stamped only once the file holds it, so a failed save still counts as
    // an unsaved change.
    MachineData saved = m_data.CurrentData;
    saved.Version = ProgramVersion;
    const std::string title = file.filename().string();
    std::error_code error;
    if (!WriteSetupFile(file, saved, error)) {
        m_prompt.ask(DataSetMessages::CannotSave(title, error));
        return FileCommandResult::Failed;
    }
    m_data.CurrentData.Version = saved.Version;
    m_data.SavedData = m_data.CurrentData;
    m_fileNameTitle = title;
    m_fileNameCaption = "[" + title + "]";
    return FileCommandResult::Done;
}

} // namespace quelby
