#pragma once

#include "app/data/MachineData.h"
#include "app/data/ServiceLog.h"
#include "app/data/ServiceLogRecorder.h"

#include <filesystem>
#include <functional>
#include <string>

namespace quelby {

class RSComm;

// A program's service log for one run: the writer of the home folder's log and the recorder
// the link tells its changes to. The link is told for the session's life.
class ServiceLogSession {
public:
    // `program` ("QUELBY", "quelby-cli") and the operating-system user go into every event;
    // `defaultSource` names changes made outside any named scope. `report` is told once when
    // the log cannot be written.
    ServiceLogSession(RSComm& link, const std::filesystem::path& home, std::string program,
                      std::string defaultSource, std::function<void(const std::string&)> report);
    ~ServiceLogSession();
    ServiceLogSession(const ServiceLogSession&) = delete;
    ServiceLogSession& operator=(const ServiceLogSession&) = delete;

    ServiceLogWriter& writer() { return m_writer; }
    // Where changes made outside any named scope come from from now on.
    void setSource(std::string source) { m_recorder.setDefaultSource(std::move(source)); }
    // The program events are made by from now on ("QUELBY (simulated board)").
    void setProgram(std::string program) { m_recorder.setProgram(std::move(program)); }

private:
    RSComm& m_link;
    MachineData m_names; // the built-in addresses, for the names of the board's items
    ServiceLogWriter m_writer;
    ServiceLogRecorder m_recorder;
};

} // namespace quelby
