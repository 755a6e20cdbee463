#pragma once

#include "app/data/ServiceLog.h"
#include "link/BoardChangeLog.h"

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace quelby {

struct MachineData;

// The name a board address goes by in the data set ("Number of Shifts to Varnish Unit"),
// looked up among `addresses`' data points; empty for an address that is none of them.
std::string BoardItemName(const std::string& address, const MachineData& addresses);

// Turns what the link tells about its changes into service log events: one per change, or one
// per group of changes; the value before is the last value the board confirmed for the
// address (by a read or a confirmed write), else "unknown".
class ServiceLogRecorder final : public BoardChangeLog {
public:
    using Now = std::function<std::chrono::system_clock::time_point()>;
    using ItemName = std::function<std::string(const std::string& address)>;

    // `program` and `user` go into every event; `defaultSource` names changes made outside
    // any scope.
    ServiceLogRecorder(ServiceLogWriter& writer, std::string program, std::string user,
                       std::string defaultSource, ItemName itemName, Now now);

    // Names changes made outside any scope from now on ("Main Display window").
    void setDefaultSource(std::string source) { m_defaultSource = std::move(source); }
    void setProgram(std::string program) { m_program = std::move(program); }

    void confirmedRead(std::string_view address, std::string_view value) override;
    void changed(const BoardChange& change) override;
    int beginChanges(const std::string& source, const std::string& groupItem,
                     bool conceal) override;
    void endChanges(int scope) override;

private:
    struct Frame {
        int scope = 0;
        std::string source;
        std::string groupItem;
        bool conceal = false;
        std::chrono::system_clock::time_point start;
        std::vector<ServiceEvent> changes; // of a group, until it ends
    };
    ServiceEvent eventFor(const BoardChange& change);
    ServiceEvent groupEvent(const Frame& frame) const;
    Frame* group();

    ServiceLogWriter& m_writer;
    std::string m_program;
    std::string m_user;
    std::string m_defaultSource;
    ItemName m_itemName;
    Now m_now;
    std::vector<Frame> m_frames; // outermost first
    int m_lastScope = 0;
    std::map<std::string, std::string> m_confirmed; // address, upper case -> value
};

} // namespace quelby
