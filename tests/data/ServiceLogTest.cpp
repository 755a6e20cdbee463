// The service log: events as JSON lines and CSV rows, lines edited or cut off by hand or by a
// crash, a log that cannot be written, rotation, and the filters across a change of offset.
#include "app/data/ServiceLog.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <tuple>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quelby::test {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono;

sys_seconds Utc(year_month_day date, seconds clock) { return sys_days(date) + clock; }

ServiceEvent Event(std::string detail) {
    return {"2026-12-07T14:03:59+01:00", "anna", "QUELBY", "Set-Up window", "B1017",
            "Number of Shifts to Varnish Unit", "3", "4", true, 1, 1, std::move(detail)};
}

std::vector<std::string> Details(const ServiceLogContents& contents) {
    std::vector<std::string> details;
    for (const auto& entry : contents.entries)
        details.push_back(entry.event ? entry.event->detail : "?" + entry.rawLine);
    return details;
}

TEST(ServiceLogText, hostileTextsComeBackFromJsonAndCsvQuotesThemAndGuardsFormulas) {
    EXPECT_EQ(ServiceEventJson(Event("")),
              R"({"time":"2026-12-07T14:03:59+01:00","user":"anna","program":"QUELBY",)"
              R"("source":"Set-Up window","address":"B1017","item":"Number of Shifts to Varnish )"
              R"(Unit","before":"3","asked":"4","confirmed":true,"count":1,"confirmed_count":1,)"
              R"("detail":""})");

    ServiceEvent hostile = Event("lone \xFF byte");
    hostile.user = "O'Brien \"Ops\"\\";
    hostile.item = std::string("a\nb\r\tc\x01\x1F\x7F") + '\0' + "d";
    hostile.before = "M\xC3\xBCller \xE6\x97\xA5 \xF0\x9F\x98\x80"; // ü, 日, 😀
    hostile.asked = "=HYPERLINK(\"x\"),1";
    hostile.confirmed = false;
    hostile.count = -2147483647 - 1;
    const std::string json = ServiceEventJson(hostile);
    EXPECT_EQ(json.find_first_of(std::string("\n\r\t\x7F\xFF") + '\0'), std::string::npos);
    EXPECT_NE(json.find(hostile.before), std::string::npos) << "valid UTF-8 is kept as it is";
    ServiceEvent expected = hostile;
    expected.detail = "lone \xC3\xBF byte"; // the byte read as Latin-1
    EXPECT_EQ(ParseServiceEvent(json), expected);

    EXPECT_EQ(ServiceLogCsvHeader(), "Time,User,Program,Source,Address,Item,Before,Asked For,"
                                     "Confirmed,Writes,Confirmed Writes,Detail\r\n");
    EXPECT_EQ(ServiceLogCsvRow(hostile),
              "2026-12-07T14:03:59+01:00,\"O'Brien \"\"Ops\"\"\\\",QUELBY,Set-Up window,B1017,\"" +
                  hostile.item + "\"," + hostile.before +
                  ",\"'=HYPERLINK(\"\"x\"\"),1\",no,-2147483648,1,lone \xFF byte\r\n");
    const std::pair<const char*, const char*> fields[] = {
        {"+1+2", "'+1+2"}, {"-A1", "'-A1"}, {"@SUM(A1)", "'@SUM(A1)"}, {"=1,2", "\"'=1,2\""},
        {"-5", "-5"},      {"+2.5", "+2.5"}, {"a=b", "a=b"},            {"", ""}};
    for (const auto& [text, field] : fields)
        EXPECT_EQ(ServiceLogCsvRow(Event(text)), "2026-12-07T14:03:59+01:00,anna,QUELBY,"
                                                 "Set-Up window,B1017,Number of Shifts to Varnish "
                                                 "Unit,3,4,yes,1,1," + std::string(field) + "\r\n")
            << text;
}

TEST(ServiceLogText, handEditedLinesAreReadAndLinesOfAnyOtherShapeAreRefused) {
    const auto event = ParseServiceEvent(
        "\t{ \"detail\" : \"caf\\u00E9 \\ud83d\\ude00 \\/ \\ud800x\", \"n\": -1.5e+3, \"o\": null,"
        " \"b\": false, \"s\": \"}\", \"count\" : 7, \"time\":\"2026-12-07 14:03:59.25Z\" } ");
    ASSERT_TRUE(event);
    EXPECT_EQ(event->detail, "caf\xC3\xA9 \xF0\x9F\x98\x80 / \xEF\xBF\xBDx");
    EXPECT_EQ(event->count, 7);
    EXPECT_EQ(event->time, "2026-12-07 14:03:59.25Z");
    EXPECT_EQ(event->user, "") << "missing members take their defaults";
    EXPECT_FALSE(event->confirmed);
    EXPECT_EQ(event->confirmedCount, 0);

    // Not an object, no time, a key not in quotes, a time of no ISO form, a time not a string.
    for (const char* line : {"", "[]", R"({"user":"anna"})", "{'time':'x'}",
                             R"({"time":"2026-12-07T14:03:59"})", R"({"time":5})"})
        EXPECT_FALSE(ParseServiceEvent(line)) << line;
    // A good time followed by a member or an ending no event has.
    for (const char* rest :
         {",}", "}x", R"(,"user":5})", R"(,"count":1.0})", R"(,"count":2147483648})",
          R"(,"count":-99999999999})", R"(,"confirmed":"yes"})", R"(,"o":{}})", R"(,"a":[]})",
          R"(,"n":01})", R"(,"n":-})", R"(,"n":tru})", ",\"s\":\"a\tb\"}", R"(,"s":"\x"})",
          R"(,"s":"\u12"})", R"( "user":"a"})"})
        EXPECT_FALSE(
            ParseServiceEvent(R"({"time":"2026-12-07T14:03:59+01:00")" + std::string(rest)))
            << rest;
    // Every line cut short, as a crash leaves it.
    const std::string whole = ServiceEventJson(Event("caf\xC3\xA9 \"\\"));
    for (std::size_t length = 0; length < whole.size(); ++length)
        EXPECT_FALSE(ParseServiceEvent(whole.substr(0, length))) << length;
}

TEST(ServiceLogTime, isoTimesAreStrictAndTakeTheirOwnOffset) {
    const auto noon = Utc(2026y / 12 / 7, 12h);
    const std::pair<const char*, system_clock::time_point> good[] = {
        {"2026-12-07T14:00:00+02:00", noon},
        {"2026-12-07 07:30:00-04:30", noon},
        {"2026-12-07T12:00:00.5Z", noon + 500ms},
        {"2024-02-29T23:59:59-00:00", Utc(2024y / 2 / 29, 23h + 59min + 59s)}};
    for (const auto& [text, instant] : good) EXPECT_EQ(ParseIsoTime(text), instant) << text;
    for (const char* bad :
         {"2026-02-29T12:00:00Z", "2026-12-07T24:00:00Z", "2026-12-07T12:60:00Z",
          "2026-12-07T12:00:60Z", "2026-12-07T12:00:00+01:60", "2026-12-07T12:00:00+24:00",
          "2026-12-07T12:00:00", "2026-12-07T12:00:00.Z", "2026-12-07T12:00:00.1234567890Z",
          "2026-12-07T12:00:00Zx", "2026-12-7T12:00:00Z", "2026-12-07_12:00:00Z",
          "9999-12-31T23:59:59Z" /* beyond what the clock holds */})
        EXPECT_EQ(ParseIsoTime(bad), std::nullopt) << bad;
}

#ifndef _WIN32
// Puts the process in the time zone `zone` for one test.
struct ZoneScope {
    explicit ZoneScope(const char* zone) {
        if (const char* tz = std::getenv("TZ")) old = tz;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneScope() {
        if (old)
            ::setenv("TZ", old->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    std::optional<std::string> old;
};

TEST(ServiceLogTime, localTimesCarryTheOffsetOfTheirDateAndUserDatesAreLocal) {
    const auto winter = Utc(2026y / 12 / 7, 13h + 3min + 59s) + 999ms;
    const auto summer = Utc(2026y / 7 / 1, 23h + 30min);
    const std::tuple<const char*, system_clock::time_point, const char*> cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", winter, "2026-12-07T14:03:59+01:00"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", summer, "2026-07-02T01:30:00+02:00"},
        {"UTC0", summer, "2026-07-01T23:30:00+00:00"},
        {"NST3:30", winter, "2026-12-07T09:33:59-03:30"},
    };
    for (const auto& [zone, instant, text] : cases) {
        ZoneScope tz(zone);
        EXPECT_EQ(IsoLocalTime(instant), text) << zone;
    }

    ZoneScope tz("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(ParseUserTime("2026-12-07", false), Utc(2026y / 12 / 6, 23h));
    EXPECT_EQ(ParseUserTime(" 2026-12-07 ", true), Utc(2026y / 12 / 7, 22h + 59min + 59s));
    EXPECT_EQ(ParseUserTime("2026-07-01 08:30", true), Utc(2026y / 7 / 1, 6h + 30min));
    EXPECT_EQ(ParseUserTime("2026-07-01 08:30:15", false), Utc(2026y / 7 / 1, 6h + 30min + 15s));
    EXPECT_EQ(ParseUserTime("2026-07-01T08:30:00Z", true), Utc(2026y / 7 / 1, 8h + 30min));
    for (const char* bad : {"2026-07-32", "2026-07-01 8:30", "2026-07-01 08:30:", "today"})
        EXPECT_EQ(ParseUserTime(bad, true), std::nullopt) << bad;
}
#endif

TEST(ServiceLogFilter, datesCompareInstantsAcrossAChangeOfOffsetAndTextIgnoresCase) {
    TempFolder home;
    const fs::path log = ServiceLogFile(home.path());
    // The clocks went back at 01:00 UTC: the second event is later though its text sorts first.
    home.write("Support/ServiceLog.jsonl",
               R"({"time":"2026-10-25T02:30:00+02:00","address":"B1017","detail":"a"})" "\r\n"
               " \t\n"
               R"({"time":"2026-10-25T02:10:00+01:00","item":"CH05 OFF","detail":"b"})" "\n"
               "garbage\n" R"({"time":"2026-10-25T02:50:00+01:00","detail":"c"})");
    const auto contents = ReadServiceLog(log);
    ASSERT_EQ(Details(contents), (std::vector<std::string>{"a", "b", "?garbage", "c"}));
    EXPECT_EQ(contents.unreadable, 1);
    EXPECT_EQ(contents.entries[2].lineNumber, 4);
    EXPECT_EQ(contents.entries[2].file, log);
    EXPECT_TRUE(contents.problem.empty());

    const auto at = [](seconds clock) { return Utc(2026y / 10 / 25, clock); };
    const std::pair<ServiceLogFilter, std::string> cases[] = {
        {{}, "ab?c"},
        {{at(1h), std::nullopt, ""}, "bc"},
        {{std::nullopt, at(1h + 10min), ""}, "ab"},
        {{at(30min), at(1h + 10min), ""}, "ab"},
        {{at(30min + 1s), at(1h + 9min + 59s), ""}, ""},
        {{std::nullopt, std::nullopt, "b1017"}, "a"},
        {{std::nullopt, std::nullopt, "ch05 off"}, "b"},
        {{at(1h), std::nullopt, "2026-10-25T02"}, "bc"},
        {{std::nullopt, std::nullopt, "garbage"}, ""},
    };
    for (const auto& [filter, expected] : cases) {
        std::string shown;
        for (const auto& entry : contents.entries)
            if (ServiceLogMatches(entry, filter))
                shown += entry.event ? entry.event->detail : "?";
        EXPECT_EQ(shown, expected) << filter.text;
    }
}

TEST(ServiceLogWriter, aLogThatCannotBeWrittenIsReportedOnceUntilAWriteSucceeds) {
    TempFolder home;
    const fs::path log = ServiceLogFile(home.path());
    std::vector<std::string> reports;
    ServiceLogWriter writer(log);
    writer.setProblemReporter([&](const std::string& message) { reports.push_back(message); });

    for (const bool supportIsAFile : {false, true}) {
        const char* why = supportIsAFile ? "Support is a file" : "the log is a folder";
        const fs::path blocker = supportIsAFile ? log.parent_path() : log;
        fs::remove_all(log.parent_path());
        if (supportIsAFile)
            home.write("Support", "");
        else
            fs::create_directories(log);
        reports.clear();
        EXPECT_FALSE(writer.append(Event("lost 1"))) << why;
        EXPECT_FALSE(writer.append(Event("lost 2"))) << why;
        ASSERT_EQ(reports.size(), 1u) << why;
        const std::string start = "The service log " + log.string() + " cannot be written: ";
        EXPECT_EQ(reports[0].rfind(start, 0), 0u) << reports[0];

        fs::remove_all(blocker);
        EXPECT_TRUE(writer.append(Event("kept"))) << why << ": the Support folder is made again";
        EXPECT_EQ(reports.size(), 1u);
    }
    EXPECT_EQ(Details(ReadServiceLog(log)), std::vector<std::string>{"kept"});
#ifdef __linux__
    ServiceLogWriter full("/dev/full");
    full.setProblemReporter([&](const std::string& message) { reports.push_back(message); });
    EXPECT_FALSE(full.append(Event("lost")));
    EXPECT_NE(reports.back().find("/dev/full cannot be written"), std::string::npos);
#endif
}

TEST(ServiceLogWriter, aLineCutOffIsEndedBeforeTheNextEventAndRotationKeepsEveryLine) {
    TempFolder home;
    const fs::path log = home.write("Support/ServiceLog.jsonl",
                                    ServiceEventJson(Event("1")) + "\n{\"time\":\"2026-12-");
    ServiceLogWriter writer(log, 2 * (ServiceEventJson(Event("2")).size() + 1));
    ASSERT_TRUE(writer.append(Event("2")));
    auto contents = ReadServiceLog(log);
    EXPECT_EQ(Details(contents), (std::vector<std::string>{"1", "?{\"time\":\"2026-12-", "2"}));
    EXPECT_EQ(contents.unreadable, 1);

    // The file is past the bound now: it becomes the older file, the cut line with it.
    ASSERT_TRUE(writer.append(Event("3")));
    EXPECT_EQ(RotatedServiceLogFile(log), log.parent_path() / "ServiceLog.1.jsonl");
    contents = ReadServiceLog(log);
    const std::string cut = "?{\"time\":\"2026-12-";
    ASSERT_EQ(Details(contents), (std::vector<std::string>{"1", cut, "2", "3"}));
    EXPECT_EQ(contents.unreadable, 1);
    EXPECT_EQ(contents.entries[2].file, RotatedServiceLogFile(log));
    EXPECT_EQ(contents.entries[3].file, log);
    EXPECT_EQ(contents.entries[3].lineNumber, 1);

    // A second rotation replaces the older file.
    for (const char* detail : {"4", "5"}) ASSERT_TRUE(writer.append(Event(detail)));
    EXPECT_EQ(Details(ReadServiceLog(log)), (std::vector<std::string>{"3", "4", "5"}));

    home.write("Support/ServiceLog.jsonl", std::string(100 * 1024, 'x') + "\n");
    contents = ReadServiceLog(log);
    ASSERT_EQ(contents.entries.size(), 3u);
    EXPECT_EQ(contents.entries.back().rawLine.size(), 64u * 1024u) << "a long line is cut";
}

#ifndef _WIN32
TEST(ServiceLogWriter, aProgramKilledWhileWritingLosesAtMostTheEventBeingWritten) {
    TempFolder home;
    const fs::path log = ServiceLogFile(home.path());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ServiceLogWriter writer(log);
        for (int i = 0; i < 1000000; ++i) writer.append(Event(std::to_string(i)));
        ::_exit(0);
    }
    for (int wait = 0; wait < 500 && !(fs::exists(log) && fs::file_size(log) >= 20000); ++wait)
        std::this_thread::sleep_for(10ms);
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);

    // Every line the child wrote parses, in order, but at most the last one; the next event
    // starts on a line of its own.
    ASSERT_TRUE(ServiceLogWriter(log).append(Event("after")));
    const auto contents = ReadServiceLog(log);
    ASSERT_GT(contents.entries.size(), 50u);
    EXPECT_LE(contents.unreadable, 1);
    EXPECT_EQ(Details(contents).back(), "after");
    for (std::size_t k = 0, next = 0; k + 1 < contents.entries.size(); ++k) {
        if (contents.entries[k].event)
            EXPECT_EQ(contents.entries[k].event->detail, std::to_string(next++)) << k;
        else
            EXPECT_EQ(k + 2, contents.entries.size()) << "only the line being written is cut";
    }
}
#endif

} // namespace
} // namespace quelby::test
