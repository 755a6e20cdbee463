#include "app/shell/LiveRecorder.h"

#include "app/data/FileDialogs.h"
#include "app/shell/MainStatusBar.h"
#include "app/shell/ShellMessages.h"
#include "link/UserPrompt.h"

#include <QAction>

#include <chrono>

namespace quelby {

LiveRecorder::LiveRecorder(UserPrompt& prompt, FileDialogs& dialogs, MainStatusBar& status,
                           QAction& item, const std::filesystem::path& firstFolder)
    : m_prompt(prompt), m_dialogs(dialogs), m_status(status), m_item(item),
      m_lastFile(firstFolder / "live-values.csv") {}

bool LiveRecorder::start() {
    const auto file = m_dialogs.saveFile({"CSV Files(*.csv)|*.csv|", m_lastFile});
    if (file) {
        m_lastFile = *file;
        if (!m_recording.start(*file)) failed();
    }
    show();
    return running();
}

void LiveRecorder::stop() {
    m_recording.stop();
    show();
}

void LiveRecorder::record(const LiveValues& values) {
    if (running() && !m_recording.add(TimestampText(std::chrono::system_clock::now()), values))
        failed();
}

void LiveRecorder::failed() {
    m_recording.stop();
    show();
    m_prompt.ask(ShellMessages::LiveRecordingFailed(m_lastFile.string()));
}

void LiveRecorder::show() {
    m_item.setChecked(running());
    if (running())
        m_status.setRecording(
            QString::fromStdString(ShellMessages::LiveRecordingNotice(m_lastFile.filename().string())),
            QString::fromStdString(ShellMessages::LiveRecordingTip(m_lastFile.string())));
    else
        m_status.setRecording({}, {});
}

} // namespace quelby
