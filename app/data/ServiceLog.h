#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The service log: one event per change made to the board, one JSON object per line in
// Support/ServiceLog.jsonl of the user's settings folder.
namespace quelby {

struct ServiceEvent {
    std::string time;    // local time with its offset, "2026-12-07T14:03:59+01:00"
    std::string user;    // the operating-system user
    std::string program; // "QUELBY", "quelby-cli"
    std::string source;  // "Set-Up window", "Download All", "quelby-cli write"
    std::string address; // "B1017"; empty for an event that stands for many addresses
    std::string item;    // "Number of Shifts to Varnish Unit", "CH05 OFF", "Data set"
    std::string before;  // the last confirmed value, or "unknown"
    std::string asked;   // the value asked for
    bool confirmed = false; // every write of the event was confirmed by the board
    int count = 1;          // writes the event stands for
    int confirmedCount = 0; // of those, the ones the board confirmed
    std::string detail;     // anything else worth keeping ("held 1.4 s"); often empty
    bool operator==(const ServiceEvent&) const = default;
};

inline constexpr const char* kUnknownValue = "unknown";
inline constexpr std::uintmax_t kServiceLogRotateBytes = std::uintmax_t{4} * 1024 * 1024;

// Support/ServiceLog.jsonl under the settings folder `home`, whatever the case of "Support".
std::filesystem::path ServiceLogFile(const std::filesystem::path& home);
// The rotated older file beside `log`: ServiceLog.1.jsonl.
std::filesystem::path RotatedServiceLogFile(const std::filesystem::path& log);

// `time` as local ISO 8601 with seconds and the local offset, "2026-12-07T14:03:59+01:00".
std::string IsoLocalTime(std::chrono::system_clock::time_point time);
// Parses "YYYY-MM-DDTHH:MM:SS[.fff](Z|+HH:MM|-HH:MM)" (a blank for the T is taken too) to
// its instant. nullopt for any other text.
std::optional<std::chrono::system_clock::time_point> ParseIsoTime(std::string_view text);
// A date the user typed for --since/--until or a date field: a full ISO time with offset as
// above, or "YYYY-MM-DD" / "YYYY-MM-DD HH:MM[:SS]" in local time. `endOfDay` makes a bare
// date mean its last second (for --until). nullopt for anything else.
std::optional<std::chrono::system_clock::time_point> ParseUserTime(std::string_view text,
                                                                   bool endOfDay);

// One event as one JSON line (no line end). Texts are escaped: quotes, backslashes and
// control characters; valid UTF-8 is kept, other bytes become \u0080..\u00FF.
std::string ServiceEventJson(const ServiceEvent& event);
// The event a line holds; nullopt for a line of any other shape (not an object, a member of
// the wrong type, no "time" that ParseIsoTime takes). Unknown members are ignored.
std::optional<ServiceEvent> ParseServiceEvent(std::string_view line);

// A line of the log as read back: an event, or a line that could not be read.
struct ServiceLogEntry {
    std::optional<ServiceEvent> event; // none for an unreadable line
    std::string rawLine;               // the line as stored (for an unreadable one)
    std::filesystem::path file;
    int lineNumber = 0;
};
struct ServiceLogContents {
    std::vector<ServiceLogEntry> entries; // oldest first: the rotated file, then the current
    int unreadable = 0;
    std::string problem; // empty, or why a file that exists could not be read (naming it)
};
// Reads the rotated and the current file (either may be missing). Empty lines are skipped;
// every other line is an entry. Never throws, whatever the files hold.
ServiceLogContents ReadServiceLog(const std::filesystem::path& log);

// Which entries a view or `quelby-cli log` shows.
struct ServiceLogFilter {
    std::optional<std::chrono::system_clock::time_point> since; // inclusive
    std::optional<std::chrono::system_clock::time_point> until; // inclusive
    std::string text; // case-insensitive, in any text member; empty matches all
};
// True when an entry passes. Unreadable lines pass only an empty filter without dates.
bool ServiceLogMatches(const ServiceLogEntry& entry, const ServiceLogFilter& filter);

// CSV of events with a header line, CR LF line ends, every field quoted where it holds a
// comma, quote or line end; a field that a spreadsheet would run as a formula (starting with
// = + - @) is prefixed with a quote mark.
std::string ServiceLogCsvHeader();
std::string ServiceLogCsvRow(const ServiceEvent& event);

// Appends events to the log, each written and flushed on its own, so a program that is killed
// loses at most the event being written. A file that does not end in a line end (cut off
// mid-line) gets one before the next event. When the file has reached `rotateBytes` it is
// renamed to the rotated file (replacing an older one) before the event is written.
class ServiceLogWriter {
public:
    explicit ServiceLogWriter(std::filesystem::path log,
                              std::uintmax_t rotateBytes = kServiceLogRotateBytes);
    ServiceLogWriter(const ServiceLogWriter&) = delete;
    ServiceLogWriter& operator=(const ServiceLogWriter&) = delete;

    // `report` is called once, with a message naming the file, the first time an event cannot
    // be written; later failures are silent until a write succeeds again.
    void setProblemReporter(std::function<void(const std::string&)> report) {
        m_report = std::move(report);
    }
    // False when the event could not be written (reported as above). Never throws.
    bool append(const ServiceEvent& event);
    const std::filesystem::path& file() const { return m_log; }

private:
    std::filesystem::path m_log;
    std::uintmax_t m_rotateBytes;
    std::function<void(const std::string&)> m_report;
    bool m_reported = false;
};

// The operating-system user running the program; "unknown" when the system does not tell.
std::string OperatingSystemUser();

} // namespace quelby
