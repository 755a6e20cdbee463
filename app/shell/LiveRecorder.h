#pragma once

#include "app/data/LiveRecording.h"

#include <filesystem>
#include <string>

class QAction;

namespace quelby {

class FileDialogs;
class MainStatusBar;
class UserPrompt;

// File > Record Live Values as the shell runs it: the file asked for, a row per Main Display
// pass, the check mark on the menu item and "REC" in the status bar while it runs. A row that
// cannot be written is reported once, naming the file, and ends the recording.
class LiveRecorder {
public:
    LiveRecorder(UserPrompt& prompt, FileDialogs& dialogs, MainStatusBar& status, QAction& item,
                 const std::filesystem::path& firstFolder);

    // Asks for the file and starts writing it; false when the user cancelled or the file
    // cannot be created (said so).
    bool start();
    // Ends the recording, if one runs; what was written stays.
    void stop();
    void record(const LiveValues& values);

    bool running() const { return m_recording.running(); }
    int rows() const { return m_recording.rows(); }
    std::string fileName() const { return m_lastFile.filename().string(); }

private:
    void failed();
    void show();

    UserPrompt& m_prompt;
    FileDialogs& m_dialogs;
    MainStatusBar& m_status;
    QAction& m_item;
    std::filesystem::path m_lastFile;
    LiveRecording m_recording;
};

} // namespace quelby
