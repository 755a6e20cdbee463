#pragma once

#include "cli/ArgumentDialogs.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompt.h"
#include "app/data/DataSetFiles.h"
#include "link/FilePaths.h"
#include "link/SystemClock.h"

#include <string>

namespace quelby::cli {

// The data set as the desktop holds it after start-up ("-") or after File Open of a file,
// with its file title, caption and open date.
class CommandDataSet {
public:
    CommandDataSet(CliSession& session, const std::string& file)
        : m_session(session), m_file(file),
          m_prompt(session.err, session.options.retries, session.options.yes),
          m_dialogs(file, false, session.err),
          m_files(m_data, m_prompt, m_dialogs, m_clock,
                  session.options.home.value_or(ProgramFolder())) {}

    // False when the file was not opened; the reason is on standard error.
    bool load() {
        if (m_file == "-") return m_files.New() == FileCommandResult::Done;
        const FileCommandResult opened = m_files.Open();
        if (opened == FileCommandResult::Cancelled)
            m_session.err << "quelby-cli: " << m_file
                          << " was not opened; give --yes to open a file of another version."
                          << std::endl;
        return opened == FileCommandResult::Done;
    }
    const MachineData& current() const { return m_data.CurrentData; }
    const DataSetFiles& files() const { return m_files; }
    SystemClock& clock() { return m_clock; }
    // Shows a failure as the desktop would, on standard error here. Returns the exit status.
    int fail(const MessageRequest& message) {
        m_prompt.ask(message);
        return kExitRefused;
    }

private:
    CliSession& m_session;
    std::string m_file;
    SystemClock m_clock;
    CliPrompt m_prompt;
    ArgumentDialogs m_dialogs;
    DataSet m_data;
    DataSetFiles m_files;
};

} // namespace quelby::cli
