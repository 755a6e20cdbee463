#include "app/data/ServiceLogSession.h"

#include "app/data/DataSet.h"
#include "link/RSComm.h"

namespace quelby {

ServiceLogSession::ServiceLogSession(RSComm& link, const std::filesystem::path& home,
                                     std::string program, std::string defaultSource,
                                     std::function<void(const std::string&)> report)
    : m_link(link), m_names(DataSet().DefaultData), m_writer(ServiceLogFile(home)),
      m_recorder(
          m_writer, std::move(program), OperatingSystemUser(), std::move(defaultSource),
          [this](const std::string& address) { return BoardItemName(address, m_names); },
          [] { return std::chrono::system_clock::now(); }) {
    m_writer.setProblemReporter(std::move(report));
    m_link.SetChangeLog(&m_recorder);
}

ServiceLogSession::~ServiceLogSession() { m_link.SetChangeLog(nullptr); }

} // namespace quelby
