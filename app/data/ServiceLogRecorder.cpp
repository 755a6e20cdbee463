#include "app/data/ServiceLogRecorder.h"

#include "app/data/DataSetCompare.h"
#include "app/data/MachineData.h"
#include "app/data/PrintedReport.h"
#include "app/data/SetupParameters.h"
#include "link/TextCase.h"

#include <algorithm>
#include <cstdio>

namespace quelby {
namespace {

constexpr const char* kConcealed = "(concealed)";
// A group of at most this many changes lists each value asked for.
constexpr std::size_t kListedValues = 3;

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = UpperAscii(c);
    return result;
}

} // namespace

std::string BoardItemName(const std::string& address, const MachineData& addresses) {
    const std::string wanted = upper(address);
    for (std::size_t i = 0; i < addresses.Address.size(); ++i) {
        if (upper(addresses.Address[i]) != wanted) continue;
        const int index = static_cast<int>(i);
        if (std::string setup = SetupParameterName(index - kSetupFirstDataPoint); !setup.empty())
            return setup;
        std::string name = DataPointName(index);
        if (!name.empty()) name[0] = UpperAscii(name[0]);
        return name;
    }
    return {};
}

ServiceLogRecorder::ServiceLogRecorder(ServiceLogWriter& writer, std::string program,
                                       std::string user, std::string defaultSource,
                                       ItemName itemName, Now now)
    : m_writer(writer), m_program(std::move(program)), m_user(std::move(user)),
      m_defaultSource(std::move(defaultSource)), m_itemName(std::move(itemName)),
      m_now(std::move(now)) {}

void ServiceLogRecorder::confirmedRead(std::string_view address, std::string_view value) {
    const std::string key = upper(address);
    const auto known = m_confirmed.find(key);
    if (known == m_confirmed.end()) m_confirmed.emplace(key, value);
    else if (known->second != value) known->second = value;
}

ServiceLogRecorder::Frame* ServiceLogRecorder::group() {
    for (Frame& frame : m_frames)
        if (!frame.groupItem.empty()) return &frame;
    return nullptr;
}

ServiceEvent ServiceLogRecorder::eventFor(const BoardChange& change) {
    ServiceEvent event;
    event.time = IsoLocalTime(m_now());
    event.user = m_user;
    event.program = m_program;
    event.source = m_defaultSource;
    bool conceal = false;
    for (const Frame& frame : m_frames) {
        if (!frame.source.empty()) event.source = frame.source;
        conceal = conceal || frame.conceal;
    }
    event.address = change.address;
    event.item = !change.item.empty() ? change.item
                 : m_itemName        ? m_itemName(change.address)
                                     : std::string();
    const std::string key = upper(change.address);
    const auto known = key.empty() ? m_confirmed.end() : m_confirmed.find(key);
    event.before = change.before ? *change.before
                   : known != m_confirmed.end() ? known->second
                                                : std::string(kUnknownValue);
    event.asked = change.asked;
    event.confirmed = change.confirmed;
    event.count = change.count;
    event.confirmedCount = change.confirmed ? change.count : 0;
    // After an unconfirmed write the board may hold either value.
    if (!key.empty()) {
        if (change.confirmed) m_confirmed[key] = change.asked;
        else if (known != m_confirmed.end()) m_confirmed.erase(known);
    }
    if (conceal) event.before = event.asked = kConcealed;
    return event;
}

void ServiceLogRecorder::changed(const BoardChange& change) {
    ServiceEvent event = eventFor(change);
    if (Frame* frame = group()) frame->changes.push_back(std::move(event));
    else m_writer.append(event);
}

int ServiceLogRecorder::beginChanges(const std::string& source, const std::string& groupItem,
                                     bool conceal) {
    m_frames.push_back({++m_lastScope, source, groupItem, conceal, m_now(), {}});
    return m_lastScope;
}

ServiceEvent ServiceLogRecorder::groupEvent(const Frame& frame) const {
    const std::vector<ServiceEvent>& changes = frame.changes;
    ServiceEvent event = changes.front();
    event.time = IsoLocalTime(frame.start);
    event.item = frame.groupItem;
    event.count = 0;
    event.confirmedCount = 0;
    bool oneAddress = true;
    for (const ServiceEvent& change : changes) {
        event.count += change.count;
        event.confirmedCount += change.confirmedCount;
        oneAddress = oneAddress && change.address == event.address && change.item == changes.front().item;
    }
    event.confirmed = event.confirmedCount == event.count;
    if (!oneAddress) {
        event.address.clear();
        event.before.clear();
    }
    if (changes.size() <= kListedValues) {
        event.asked.clear();
        for (const ServiceEvent& change : changes) {
            if (!event.asked.empty()) event.asked += ", then ";
            if (!oneAddress) event.asked += (change.address.empty() ? change.item : change.address) + " ";
            event.asked += change.asked;
        }
    } else {
        event.asked = std::to_string(event.count) + " values";
    }
    const double seconds = std::chrono::duration<double>(m_now() - frame.start).count();
    if (seconds >= 1.0) {
        char took[32];
        std::snprintf(took, sizeof took, "took %.1f s", seconds);
        event.detail = took;
    }
    return event;
}

void ServiceLogRecorder::endChanges(int scope) {
    const auto frame = std::find_if(m_frames.begin(), m_frames.end(),
                                    [scope](const Frame& f) { return f.scope == scope; });
    if (frame == m_frames.end()) return;
    Frame* grouping = group();
    if (grouping == &*frame) {
        // The changes of a group within it are its own; a later group takes over from here.
        Frame ended = std::move(*frame);
        m_frames.erase(frame);
        if (!ended.changes.empty()) m_writer.append(groupEvent(ended));
        return;
    }
    m_frames.erase(frame);
}

} // namespace quelby
