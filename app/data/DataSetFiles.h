#pragma once

#include "link/Clock.h"
#include "app/data/DataSet.h"
#include "app/data/FileDialogs.h"
#include "link/UserPrompt.h"

#include <filesystem>
#include <string>

namespace quelby {

// How a file command ended.
enum class FileCommandResult {
    Done,
    Cancelled, // the user cancelled a dialog or a question; nothing changed
    Failed,    // a file could not be read or written; the user was told and nothing changed
};

// File New, Open, Save and Save As on the data set, with the main window's file state and
// caption. The desktop's menu items and quelby-cli's dataset commands both run these.
class DataSetFiles {
public:
    inline static const std::string kSetupFilter = "Setup Files(*.sdt)|*.sdt|";
    inline static const std::string kBaseCaption = "QUELBY - ";
    inline static const std::string kUnnamed = "[unnamed]";

    // The file name starts as home folder + "*.sdt"; start-up runs New() next.
    DataSetFiles(DataSet& data, UserPrompt& prompt, FileDialogs& dialogs, Clock& clock,
                 const std::filesystem::path& homeFolder);

    // mnuFileNew: after the save question, the defaults as an unnamed data set.
    // Cancelled when the user cancelled the question or the save it asked for did not happen.
    FileCommandResult New();
    // mnuFileOpen: after the save question, a file chosen and read; one of another version
    // only with the user's Yes (No offers the dialog again, Cancel keeps the data set).
    // Failed, with a message, when the file cannot be read completely.
    FileCommandResult Open();
    // mnuFileSave: CurrentData to the named file, or Save As while unnamed. Failed, with a
    // message, when the file cannot be written; the data set then still counts as unsaved.
    FileCommandResult Save();
    // mnuFileSaveAs: a name chosen, then saved; the name is kept only when the save succeeds.
    FileCommandResult SaveAs();

    // ConfirmSaveChanges with its answer carried out, as New, Open and the close sequence
    // begin: false when the user cancelled, or answered Yes and the save did not happen.
    bool SaveChangesFirst();

    // The date and time an upload was confirmed (gUploadNOW); Open sets it itself.
    void setUploadNow(const LocalDateTime& when);

    const std::filesystem::path& fileNamePath() const { return m_fileNamePath; }
    const std::string& fileNameTitle() const { return m_fileNameTitle; }
    const std::string& fileNameCaption() const { return m_fileNameCaption; }
    const std::string& uploadNow() const { return m_uploadNow; }
    // The main window's caption: "QUELBY - [unnamed]", "QUELBY - [LINE3.sdt]".
    std::string windowCaption() const { return kBaseCaption + m_fileNameCaption; }

private:
    // Accepts FileData read from `file`: file name, time, ApplyFileData, caption.
    void acceptFileData(const std::filesystem::path& file);
    FileCommandResult saveTo(const std::filesystem::path& file);

    DataSet& m_data;
    UserPrompt& m_prompt;
    FileDialogs& m_dialogs;
    Clock& m_clock;
    std::filesystem::path m_fileNamePath;     // gFileNamePath
    std::string m_fileNameTitle;              // gFileNameTitle
    std::string m_fileNameCaption = kUnnamed; // gFileNameCaption
    std::string m_uploadNow;                  // gUploadNOW
};

} // namespace quelby
