#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelby {

class RSComm;

// A PLS channel as the windows and reports name it: in octal, CH00..CH07, CH10..CH17.
std::string PlsChannelName(int channel);

// One change the link made on the board.
struct BoardChange {
    // The board address written ("B1017"); empty for a PLS or program request.
    std::string address;
    // What was changed when there is no single address: "CH05", "PLS Offset", "Program".
    std::string item;
    // The value before when the link itself knows it (a program's identity, the PLS offset);
    // otherwise the log takes the last value it saw confirmed.
    std::optional<std::string> before;
    std::string asked;
    bool confirmed = false;
    // Writes the change stands for (a program's records).
    int count = 1;
};

// Told by the link about every confirmed read and every change it makes, so that a service
// log can say what was changed, from what to what. Sources are named by the callers around
// their requests with BoardChangeScope.
class BoardChangeLog {
public:
    virtual ~BoardChangeLog() = default;
    virtual void confirmedRead(std::string_view address, std::string_view value) = 0;
    virtual void changed(const BoardChange& change) = 0;
    // Changes from here to the matching endChanges come from `source` ("Set-Up window").
    // With a `groupItem` they are kept as one event for that item ("Data Set"). With
    // `conceal` their values are not kept (a passcode). Scopes may end in any order (a held
    // button lets go while a message of another request is open): each ends by its number.
    virtual int beginChanges(const std::string& source, const std::string& groupItem,
                             bool conceal) = 0;
    virtual void endChanges(int scope) = 0;
};

// Names where the changes made during its life come from; with a group item they make one
// event. Does nothing when the link has no change log.
class BoardChangeScope {
public:
    enum class Values { Kept, Concealed };
    BoardChangeScope(RSComm& link, const std::string& source, const std::string& groupItem = {},
                     Values values = Values::Kept);
    ~BoardChangeScope();
    BoardChangeScope(const BoardChangeScope&) = delete;
    BoardChangeScope& operator=(const BoardChangeScope&) = delete;

private:
    BoardChangeLog* m_log;
    int m_scope = 0;
};

} // namespace quelby
