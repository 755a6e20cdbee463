#include "app/data/ServiceLog.h"

#include "app/data/JsonWriter.h"

#include "app/data/ShiftDataCsv.h"
#include "link/BoundedLineReader.h"
#include "link/FilePaths.h"
#include "link/SystemServices.h"
#include "link/TextCase.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <system_error>

namespace quelby {
namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

constexpr std::size_t kMaxLineLength = std::size_t{64} * 1024;
// Far beyond what rotation lets a log grow to: only a file made some other way reaches it.
constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{64} * 1024 * 1024;

struct CivilTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Reads fixed-width text field by field; any mismatch makes it fail for good.
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_text(text) {}
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_pos == m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }

    int digits(std::size_t count) {
        int value = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const char c = peek();
            if (c < '0' || c > '9') return fail();
            value = value * 10 + (c - '0');
            ++m_pos;
        }
        return value;
    }
    int number(std::size_t count, int low, int high) {
        const int value = digits(count);
        if (value < low || value > high) fail();
        return value;
    }
    bool take(char c) {
        if (atEnd() || m_text[m_pos] != c) return false;
        ++m_pos;
        return true;
    }
    void expect(char c) {
        if (!take(c)) fail();
    }
    void expectOneOf(char a, char b) {
        if (!take(a) && !take(b)) fail();
    }
    int fail() {
        m_ok = false;
        m_pos = m_text.size();
        return 0;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

sys_days DaysOf(int y, int m, int d) {
    return sys_days(year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)});
}

void ReadDate(Cursor& in, CivilTime& t) {
    t.year = in.digits(4);
    in.expect('-');
    t.month = in.number(2, 1, 12);
    in.expect('-');
    t.day = in.number(2, 1, 31);
    if (in.ok() && !(year{t.year} / month{static_cast<unsigned>(t.month)} /
                     day{static_cast<unsigned>(t.day)}).ok())
        in.fail();
}

void ReadClock(Cursor& in, CivilTime& t, bool secondsOptional) {
    t.hour = in.number(2, 0, 23);
    in.expect(':');
    t.minute = in.number(2, 0, 59);
    if (secondsOptional && in.atEnd()) return;
    in.expect(':');
    t.second = in.number(2, 0, 59);
}

std::optional<system_clock::time_point> FromLocal(const CivilTime& t) {
    std::tm local{};
    local.tm_year = t.year - 1900;
    local.tm_mon = t.month - 1;
    local.tm_mday = t.day;
    local.tm_hour = t.hour;
    local.tm_min = t.minute;
    local.tm_sec = t.second;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
    return system_clock::from_time_t(seconds);
}


void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A reader for one flat JSON object: members whose values are strings, numbers, true, false
// or null. Anything else (nested values included) makes the line unreadable. Every step checks
// the bounds of the text, so no input makes it read past the end.
class FlatJsonReader {
public:
    enum class Kind { String, Integer, Number, True, False, Null };
    struct Value {
        Kind kind = Kind::Null;
        std::string text;           // for String
        std::optional<int> integer; // for Integer, when it fits an int
    };

    explicit FlatJsonReader(std::string_view text) : m_text(text) {}

    // Calls member(name, value) for each member in order; false when the text is not one
    // flat object, or when `member` refuses a value.
    template <typename Member>
    bool read(Member member) {
        skipSpace();
        if (!take('{')) return false;
        skipSpace();
        if (!take('}')) {
            for (;;) {
                std::string name;
                Value value;
                skipSpace();
                if (!string(name)) return false;
                skipSpace();
                if (!take(':')) return false;
                skipSpace();
                if (!this->value(value) || !member(name, value)) return false;
                skipSpace();
                if (take('}')) break;
                if (!take(',')) return false;
            }
        }
        skipSpace();
        return m_pos == m_text.size();
    }

private:
    char peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }
    bool more() const { return m_pos < m_text.size(); }
    bool take(char c) {
        if (!more() || m_text[m_pos] != c) return false;
        ++m_pos;
        return true;
    }
    void skipSpace() {
        while (more() && (peek() == ' ' || peek() == '\t' || peek() == '\r' || peek() == '\n'))
            ++m_pos;
    }
    bool word(std::string_view text) {
        if (m_text.substr(m_pos, text.size()) != text) return false;
        m_pos += text.size();
        return true;
    }
    bool hex4(std::uint32_t& code) {
        if (m_text.size() - m_pos < 4) return false;
        code = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = m_text[m_pos++];
            std::uint32_t digit = 0;
            if (c >= '0' && c <= '9')
                digit = static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<std::uint32_t>(c - 'A' + 10);
            else
                return false;
            code = code * 16 + digit;
        }
        return true;
    }
    // After "\u": one code point, a surrogate pair taken whole; a lone surrogate becomes U+FFFD.
    bool unicodeEscape(std::string& out) {
        std::uint32_t code = 0;
        if (!hex4(code)) return false;
        if (code >= 0xD800 && code <= 0xDBFF && m_text.substr(m_pos, 2) == "\\u") {
            const std::size_t mark = m_pos;
            m_pos += 2;
            std::uint32_t low = 0;
            if (!hex4(low)) return false;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
                return true;
            }
            m_pos = mark; // the next escape stands on its own
        }
        AppendUtf8(out, code >= 0xD800 && code <= 0xDFFF ? 0xFFFD : code);
        return true;
    }
    bool string(std::string& out) {
        if (!take('"')) return false;
        while (more()) {
            const char c = m_text[m_pos++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (!more()) return false;
            switch (m_text[m_pos++]) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u':
                if (!unicodeEscape(out)) return false;
                break;
            default: return false;
            }
        }
        return false;
    }
    bool digitsAhead() const { return peek() >= '0' && peek() <= '9'; }
    bool number(Value& value) {
        const bool negative = take('-');
        if (!digitsAhead()) return false;
        long long magnitude = 0;
        bool fits = true;
        if (!take('0')) {
            while (digitsAhead()) {
                magnitude = magnitude * 10 + (m_text[m_pos++] - '0');
                if (magnitude > static_cast<long long>(INT_MAX) + 1) {
                    fits = false;
                    magnitude = static_cast<long long>(INT_MAX) + 1;
                }
            }
        }
        value.kind = Kind::Integer;
        if (take('.')) {
            if (!digitsAhead()) return false;
            while (digitsAhead()) ++m_pos;
            value.kind = Kind::Number;
        }
        if (take('e') || take('E')) {
            if (!take('+')) take('-');
            if (!digitsAhead()) return false;
            while (digitsAhead()) ++m_pos;
            value.kind = Kind::Number;
        }
        const long long signedValue = negative ? -magnitude : magnitude;
        if (fits && signedValue >= INT_MIN && signedValue <= INT_MAX)
            value.integer = static_cast<int>(signedValue);
        return true;
    }
    bool value(Value& value) {
        switch (peek()) {
        case '"': value.kind = Kind::String; return string(value.text);
        case 't': value.kind = Kind::True; return word("true");
        case 'f': value.kind = Kind::False; return word("false");
        case 'n': value.kind = Kind::Null; return word("null");
        default: return number(value);
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

std::string ErrnoText(int error) {
    return std::generic_category().message(error ? error : EIO);
}

// Appends `text` to `log` in one write; a file cut off mid-line gets a line end first. The
// reason on failure, empty on success.
std::string AppendToLog(const fs::path& log, std::uintmax_t rotateBytes, const std::string& text) {
    std::error_code ec;
    if (log.has_parent_path()) {
        fs::create_directories(log.parent_path(), ec);
        if (ec) return ec.message();
    }
    const std::uintmax_t size = fs::file_size(log, ec);
    // A log that cannot be rotated (the older file is held open) keeps growing: the event is
    // worth more than the bound.
    if (!ec && size >= rotateBytes) ReplaceFileWith(log, RotatedServiceLogFile(log), ec);

    errno = 0;
    std::FILE* file = OpenFileForAppending(log);
    if (!file) return ErrnoText(errno);
    std::string bytes;
    bytes.reserve(text.size() + 2);
    if (std::fseek(file, -1, SEEK_END) == 0 && std::fgetc(file) != '\n') bytes += '\n';
    bytes += text;
    bytes += '\n';
    errno = 0;
    // Reading moved the position: a seek is due before writing, though writes go to the end.
    const bool written = std::fseek(file, 0, SEEK_END) == 0 &&
                         std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                         std::fflush(file) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written) return ErrnoText(writeError);
    if (!closed) return ErrnoText(errno);
    return {};
}

// Adds the lines of `file` to `contents`; a file that exists but cannot be read whole is a
// problem.
void ReadLogFile(const fs::path& file, ServiceLogContents& contents) {
    std::ifstream in;
    std::error_code error;
    const FileOpenResult opened = OpenForReading(file, in, error);
    if (opened == FileOpenResult::Missing) return;
    const auto problem = [&](const std::string& reason) {
        if (!contents.problem.empty()) contents.problem += ' ';
        contents.problem += "The service log " + file.string() + " cannot be read: " + reason + ".";
    };
    if (opened == FileOpenResult::Failed) return problem(error.message());

    BoundedLineReader reader(in, kMaxLineLength, kMaxFileBytes);
    std::string line;
    for (int number = 1; reader.next(line); ++number) {
        if (TrimmedOf(line, " \t").empty()) continue;
        ServiceLogEntry entry;
        entry.file = file;
        entry.lineNumber = number;
        if (!reader.lineWasCut()) entry.event = ParseServiceEvent(line);
        if (!entry.event) {
            entry.rawLine = line;
            ++contents.unreadable;
        }
        contents.entries.push_back(std::move(entry));
    }
    if (reader.failed()) problem(reader.error().message());
    if (reader.limitReached())
        problem("only its first " + std::to_string(kMaxFileBytes / (std::uintmax_t{1024} * 1024)) +
                " MB were read");
}

bool ContainsIgnoringCase(std::string_view text, std::string_view wanted) {
    if (wanted.size() > text.size()) return false;
    for (std::size_t i = 0; i + wanted.size() <= text.size(); ++i)
        if (SameIgnoringCase(text.substr(i, wanted.size()), wanted)) return true;
    return false;
}

// A plain number such as "-5" or "+2.5", which a spreadsheet reads as a number, not a formula.
bool PlainNumber(std::string_view text) {
    std::size_t i = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9')
            digits = true;
        else if (text[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

std::string CsvText(std::string_view text) {
    if (!text.empty() && std::string_view("=+-@").find(text[0]) != std::string_view::npos &&
        !PlainNumber(text))
        return CsvField("'" + std::string(text));
    return CsvField(text);
}

} // namespace

fs::path ServiceLogFile(const fs::path& home) {
    return FindPath(home, fs::path("Support") / "ServiceLog.jsonl");
}

fs::path RotatedServiceLogFile(const fs::path& log) {
    fs::path name = log.stem();
    name += ".1";
    name += log.extension();
    return log.parent_path() / name;
}

std::string IsoLocalTime(system_clock::time_point time) {
    const auto utc = floor<seconds>(time);
    const std::tm local = LocalTimeOf(system_clock::to_time_t(utc));
    const auto localClock = DaysOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
                            hours{local.tm_hour} + minutes{local.tm_min} + seconds{local.tm_sec};
    auto offset = round<minutes>(localClock - utc);
    if (abs(offset) >= hours{24}) offset = minutes{0}; // the system gave no local time
    // The clock is shown from the offset, so the text always stands for the instant.
    const auto shown = utc + offset;
    const auto date = floor<days>(shown);
    const year_month_day ymd{date};
    const hh_mm_ss clock{shown - date};
    const auto offsetMinutes = static_cast<int>(abs(offset).count());
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d%c%02d:%02d",
                  static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()), offset < minutes{0} ? '-' : '+',
                  offsetMinutes / 60, offsetMinutes % 60);
    return text;
}

std::optional<system_clock::time_point> ParseIsoTime(std::string_view text) {
    Cursor in(text);
    CivilTime t;
    ReadDate(in, t);
    in.expectOneOf('T', ' ');
    ReadClock(in, t, false);
    nanoseconds fraction{0};
    if (in.take('.')) {
        long long value = 0;
        int places = 0;
        for (; places < 9 && in.peek() >= '0' && in.peek() <= '9'; ++places)
            value = value * 10 + in.digits(1);
        if (places == 0) in.fail();
        for (int k = places; k < 9; ++k) value *= 10;
        fraction = nanoseconds{value};
    }
    minutes offset{0};
    if (!in.take('Z')) {
        const char sign = in.peek();
        in.expectOneOf('+', '-');
        const int h = in.number(2, 0, 23);
        in.expect(':');
        const int m = in.number(2, 0, 59);
        offset = (sign == '-' ? -1 : 1) * (hours{h} + minutes{m});
    }
    if (!in.ok() || !in.atEnd()) return std::nullopt;

    const sys_seconds instant =
        DaysOf(t.year, t.month, t.day) + hours{t.hour} + minutes{t.minute} + seconds{t.second} -
        offset;
    // Years the clock cannot hold are refused rather than wrapped.
    constexpr auto earliest = ceil<seconds>(system_clock::time_point::min()) + seconds{1};
    constexpr auto latest = floor<seconds>(system_clock::time_point::max()) - seconds{1};
    if (instant < earliest || instant > latest) return std::nullopt;
    return time_point_cast<system_clock::duration>(instant) +
           duration_cast<system_clock::duration>(fraction);
}

std::optional<system_clock::time_point> ParseUserTime(std::string_view text, bool endOfDay) {
    text = TrimmedOf(text, " \t");
    if (auto instant = ParseIsoTime(text)) return instant;
    Cursor in(text);
    CivilTime t;
    ReadDate(in, t);
    if (in.atEnd()) {
        if (endOfDay) t = {t.year, t.month, t.day, 23, 59, 59};
    } else {
        in.expectOneOf(' ', 'T');
        ReadClock(in, t, true);
    }
    if (!in.ok() || !in.atEnd()) return std::nullopt;
    return FromLocal(t);
}

std::string ServiceEventJson(const ServiceEvent& event) {
    std::string json = "{";
    const auto text = [&](const char* key, const std::string& value) {
        if (json.size() > 1) json += ',';
        json += JsonString(key, JsonBytes::Utf8);
        json += ':';
        json += JsonString(value, JsonBytes::Utf8);
    };
    text("time", event.time);
    text("user", event.user);
    text("program", event.program);
    text("source", event.source);
    text("address", event.address);
    text("item", event.item);
    text("before", event.before);
    text("asked", event.asked);
    json += event.confirmed ? ",\"confirmed\":true" : ",\"confirmed\":false";
    json += ",\"count\":" + std::to_string(event.count);
    json += ",\"confirmed_count\":" + std::to_string(event.confirmedCount);
    text("detail", event.detail);
    return json + "}";
}

std::optional<ServiceEvent> ParseServiceEvent(std::string_view line) {
    try {
        using Kind = FlatJsonReader::Kind;
        ServiceEvent event;
        bool hasTime = false;
        std::string* const texts[] = {&event.time,   &event.user,    &event.program,
                                      &event.source, &event.address, &event.item,
                                      &event.before, &event.asked,   &event.detail};
        static constexpr std::string_view kTextKeys[] = {
            "time", "user", "program", "source", "address", "item", "before", "asked", "detail"};
        const bool read = FlatJsonReader(line).read(
            [&](const std::string& name, FlatJsonReader::Value& value) {
                for (std::size_t k = 0; k < std::size(kTextKeys); ++k) {
                    if (name != kTextKeys[k]) continue;
                    if (value.kind != Kind::String) return false;
                    *texts[k] = std::move(value.text);
                    if (k == 0) hasTime = true;
                    return true;
                }
                if (name == "confirmed") {
                    if (value.kind != Kind::True && value.kind != Kind::False) return false;
                    event.confirmed = value.kind == Kind::True;
                } else if (name == "count" || name == "confirmed_count") {
                    if (value.kind != Kind::Integer || !value.integer) return false;
                    (name == "count" ? event.count : event.confirmedCount) = *value.integer;
                }
                return true;
            });
        if (!read || !hasTime || !ParseIsoTime(event.time)) return std::nullopt;
        return event;
    } catch (...) {
        return std::nullopt;
    }
}

ServiceLogContents ReadServiceLog(const fs::path& log) {
    ServiceLogContents contents;
    try {
        ReadLogFile(RotatedServiceLogFile(log), contents);
        ReadLogFile(log, contents);
    } catch (...) {
        contents.problem += (contents.problem.empty() ? "" : " ") +
                            std::string("The service log could not be read whole.");
    }
    return contents;
}

bool ServiceLogMatches(const ServiceLogEntry& entry, const ServiceLogFilter& filter) {
    if (!entry.event) return filter.text.empty() && !filter.since && !filter.until;
    const ServiceEvent& event = *entry.event;
    if (filter.since || filter.until) {
        const auto instant = ParseIsoTime(event.time);
        if (!instant || (filter.since && *instant < *filter.since) ||
            (filter.until && *instant > *filter.until))
            return false;
    }
    if (filter.text.empty()) return true;
    for (const std::string* text :
         {&event.time, &event.user, &event.program, &event.source, &event.address, &event.item,
          &event.before, &event.asked, &event.detail})
        if (ContainsIgnoringCase(*text, filter.text)) return true;
    return false;
}

std::string ServiceLogCsvHeader() {
    return "Time,User,Program,Source,Address,Item,Before,Asked For,Confirmed,Writes,"
           "Confirmed Writes,Detail\r\n";
}

std::string ServiceLogCsvRow(const ServiceEvent& event) {
    std::string row;
    for (const std::string* text : {&event.time, &event.user, &event.program, &event.source,
                                    &event.address, &event.item, &event.before, &event.asked})
        row += CsvText(*text) + ',';
    row += event.confirmed ? "yes," : "no,";
    row += std::to_string(event.count) + ',' + std::to_string(event.confirmedCount) + ',';
    return row + CsvText(event.detail) + "\r\n";
}

ServiceLogWriter::ServiceLogWriter(fs::path log, std::uintmax_t rotateBytes)
    : m_log(std::move(log)), m_rotateBytes(rotateBytes) {}

bool ServiceLogWriter::append(const ServiceEvent& event) {
    std::string reason;
    try {
        reason = AppendToLog(m_log, m_rotateBytes, ServiceEventJson(event));
    } catch (const std::exception& error) {
        reason = error.what();
    } catch (...) {
        reason = "unexpected error";
    }
    if (reason.empty()) {
        m_reported = false;
        return true;
    }
    if (!m_reported && m_report) {
        m_reported = true;
        try {
            m_report("The service log " + m_log.string() + " cannot be written: " + reason +
                     ". Changes to the board are not being logged.");
        } catch (...) {
        }
    }
    return false;
}

std::string OperatingSystemUser() {
    if (std::string account = SystemUserName(); !account.empty()) return account;
    for (const char* name : {"USER", "LOGNAME", "USERNAME"}) {
        const char* value = SystemEnvironment(name);
        if (value && *value) return value;
    }
    return kUnknownValue;
}

} // namespace quelby
