// quelby-cli's service commands against quelby-sim: backup and restore, compare and diff,
// watch, and the machine-readable output. The native quelby-cli runs them: its CSV rows end
// with CR LF.
#include "app/data/MachineData.h"
#include "app/data/ServiceLog.h"
#include "app/data/SetupFile.h"
#include "app/data/Sha256.h"
#include "tests/cli/CliRig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>

namespace quelby::test {
namespace {

struct ServiceRig : CliRig {
    explicit ServiceRig(std::vector<std::string> simArgs)
        : CliRig(std::move(simArgs), QUELBY_CLI_PROGRAM) {}
};

// quelby-cli with no board.
SimProcess::Outcome offline(const std::vector<std::string>& args) {
    return SimProcess::runProgram(QUELBY_CLI_PROGRAM, args);
}

std::vector<std::string> lines(std::string text, const std::string& end = "\n") {
    std::vector<std::string> result;
    for (std::size_t at = 0; (at = text.find(end)) != std::string::npos; text.erase(0, at + end.size()))
        result.push_back(text.substr(0, at));
    if (!text.empty()) result.push_back(text);
    return result;
}

ServiceEvent LoggedWrite(const char* time, const char* asked) {
    return {time, "service", "quelby-cli", "quelby-cli write", "B1012", "Print carriage retract",
            "45", asked, true, 1, 1, ""};
}

TEST(ServiceCli, aBackupRestoredOntoAFreshBoardComparesEqual) {
    ServiceRig line({"--set", "B1012=50", "--set", "W1004=40"}); // a running line
    const ServiceEvent visitWrite = LoggedWrite("2026-06-10T09:00:00+02:00", "50");
    const auto log = line.home.write("Support/ServiceLog.jsonl", ServiceEventJson(visitWrite) + "\n");
    const std::string dir = line.path("visit");
    const auto backup = line.run({"backup", dir});
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_EQ(line.home.read("visit/service-log.jsonl"), ServiceEventJson(visitWrite) + "\n");

    // The manifest names the board and holds a digest of every file it sits beside.
    const std::string manifest = line.home.read("visit/manifest.txt");
    EXPECT_TRUE(std::regex_search(
        manifest, std::regex(R"(^QUELBY board backup\nCreated: \d{4}-\d\d-\d\d \d\d:\d\d:\d\d\n)")))
        << manifest;
    EXPECT_NE(manifest.find("\nBoard type: K650(PLC) (68)\nFirmware revision: 23\n"
                            "Current Fault: 00H\nLast Fault: 00H\nCurrent Comm Error: 00H\n"
                            "Last Comm Error: 00H\nFault description: Fault Code (00H): No fault\n"
                            "Program ident: K650SIM\nProgram checksum: 167\nProgram revision: 18\n"
                            "PLS configuration: 16 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"
                            "Service log events: 1\n\nSHA-256 of the files:\n"),
              std::string::npos)
        << manifest;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name == "manifest.txt") continue;
        ++files;
        EXPECT_NE(manifest.find(*Sha256OfFile(entry.path()) + "  " + name + "\n"), std::string::npos)
            << name;
    }
    EXPECT_EQ(files, 5) << "setup.sdt, program.hbx, .rev, .hex and service-log.jsonl";

    EXPECT_EQ(line.run({"backup", dir}).status, 3) << "an existing folder is never replaced";
    EXPECT_EQ(line.home.read("visit/manifest.txt"), manifest);

    // The backup is in the log; the next backup of the board holds only what came after it
    // (which events those are is the service log's own test).
    const auto recorded = ParseServiceEvent(lines(ReadWholeFile(log)).back());
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->item, "Backup");
    EXPECT_EQ(recorded->asked, dir);
    const ServiceEvent laterWrite = LoggedWrite("2026-06-10T11:00:00+02:00", "60");
    std::ofstream(log, std::ios::app) << ServiceEventJson(laterWrite) << "\n";
    ASSERT_EQ(line.run({"backup", dir + "2"}).status, 0);
    EXPECT_EQ(line.home.read("visit2/service-log.jsonl"), ServiceEventJson(laterWrite) + "\n");

    // The backup holds the board's values.
    ServiceRig fresh({"--still", "--set", "B1012=70"});
    EXPECT_EQ(fresh.run({"compare", dir + "/setup.sdt"}).status, 1);
    const auto data = fresh.run({"--yes", "download", "all", dir + "/setup.sdt"});
    ASSERT_EQ(data.status, 0) << data.err;
    EXPECT_EQ(fresh.run({"read", "B1012", "W1004"}).out, "50\n40\n");
    EXPECT_EQ(fresh.run({"program", "download", dir + "/program.hbx"}).status, 3)
        << "without --yes the question is answered No";
    const auto program = fresh.run({"--yes", "program", "download", dir + "/program.hbx"});
    ASSERT_EQ(program.status, 0) << program.err;

    const auto after = fresh.run({"--json", "compare", dir + "/setup.sdt"});
    EXPECT_EQ(after.status, 0) << after.out << after.err;
    EXPECT_EQ(after.out, "{\"agree\":true,\"differences\":[]}\n");
}

TEST(ServiceCli, compareAndDiffFindTheOneDataPointAndTheOneSetpointChanged) {
    ServiceRig board({"--still"});
    ASSERT_EQ(board.run({"pls", "set", "3", "10", "20", "--clear"}).status, 0);
    const std::string file = board.path("before.sdt");
    ASSERT_EQ(board.run({"--yes", "upload", "all", file}).status, 0);
    ASSERT_EQ(board.run({"write", "B1012", "50"}).status, 0);
    ASSERT_EQ(board.run({"pls", "set", "3", "10", "30", "--clear"}).status, 0);

    const std::string pointLine =
        "85 B1012 print carriage retract response time, msec: board 50, file 0\n";
    const auto compare = board.run({"compare", file});
    EXPECT_EQ(compare.status, 1) << compare.err;
    EXPECT_EQ(compare.out, pointLine + "CH03 OFF: board 30, file 20\n");
    // The JSON of the differences is the data set comparison's test; here the sides' names.
    EXPECT_TRUE(board.run({"compare", file, "--json"})
                    .out.ends_with(R"("name":"CH03 OFF","board":30,"file":20}]})"
                                   "\n"));

    // --only keeps the chosen sections; the shift counters of a running line stay out of it.
    const struct {
        const char* sections;
        int status;
        std::string out;
    } only[] = {
        {"timing", 1, "CH03 OFF: board 30, file 20\n"},
        {"setup,shift", 1, pointLine},
        {"shift", 0, "No differences.\n"},
    };
    for (const auto& c : only) {
        const auto limited = board.run({"compare", file, "--only", c.sections});
        EXPECT_EQ(limited.status, c.status) << c.sections << limited.err;
        EXPECT_EQ(limited.out, c.out) << c.sections;
    }
    EXPECT_TRUE(EndedSaying(board.run({"compare", file, "--only", "setup,trips"}), 64,
                            "setup, timing, shift"));

    // The same two between two files, without a board.
    const std::string now = board.path("after.sdt");
    ASSERT_EQ(board.run({"--yes", "upload", "all", now}).status, 0);
    const auto diff = offline({"diff", file, now});
    EXPECT_EQ(diff.status, 1);
    EXPECT_EQ(lines(diff.out).size(), 2u) << diff.out;
    EXPECT_NE(diff.out.find("CH03 OFF: first 20, second 30\n"), std::string::npos) << diff.out;
    EXPECT_TRUE(offline({"--json", "diff", file, now})
                    .out.ends_with(R"("name":"CH03 OFF","first":20,"second":30}]})"
                                   "\n"));
    EXPECT_EQ(offline({"diff", now, now}).status, 0);

    // A corrupt file is refused before anything is sent; a file of another version needs --yes.
    ServiceRig quiet({"--still"});
    const std::string corrupt = board.home.write("corrupt.sdt", "\x05\x00QUELB").string();
    const auto refused = quiet.run({"compare", corrupt});
    EXPECT_EQ(refused.status, 3);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(quiet.stopAndReadTrace(), "") << "nothing was sent for a refused file";
    EXPECT_EQ(offline({"diff", file, corrupt}).status, 3);

    MachineData older = BuildDefaultData();
    older.Version = "QUELBY_R2.1.0";
    const std::string olderFile = board.home.write("older.sdt", SetupFileBytes(older)).string();
    EXPECT_EQ(offline({"diff", olderFile, olderFile}).status, 3);
    const auto accepted = offline({"--yes", "diff", olderFile, olderFile});
    EXPECT_EQ(accepted.status, 0) << accepted.err;
}

TEST(ServiceCli, aBackupThatFailsLeavesNoFolderThatLooksComplete) {
    // The board goes quiet during the program upload, the long last read.
    ServiceRig board({"--still", "--stop-after", "20000"});
    EXPECT_TRUE(EndedSaying(board.run({"backup", board.path("visit")}), 2,
                            "the backup failed at the step \"program upload\""));
    for (const auto& entry : std::filesystem::directory_iterator(board.home.path()))
        EXPECT_EQ(entry.path().filename().string().find("visit"), std::string::npos)
            << "left behind: " << entry.path();

    // A folder that cannot be made beside something that is no folder.
    ServiceRig quiet({"--still"});
    quiet.home.write("plain", "x");
    EXPECT_TRUE(
        EndedSaying(quiet.run({"backup", quiet.path("plain/visit")}), 2, "the step \"folder\""));
    EXPECT_EQ(quiet.stopAndReadTrace(), "") << "nothing is sent before the folder is there";
}

// The time zone of the programs the test starts, for as long as it lives.
struct LocalZone {
    explicit LocalZone(const char* zone) { setenv("TZ", zone, 1); }
    ~LocalZone() { unsetenv("TZ"); }
};

TEST(ServiceCli, logPicksEventsByTheirOwnInstantAndPrintsThemAsStored) {
    const LocalZone plusOne("<+01>-1");
    TempFolder home;
    // 10 June at +01:00 runs from 23:00Z on the 9th to 23:00Z on the 10th, whatever the
    // texts say: the first event (22:30Z on the 9th) and the last (23:30Z) fall outside.
    const ServiceEvent early = LoggedWrite("2026-06-10T00:30:00+02:00", "60");
    ServiceEvent download = LoggedWrite("2026-06-11T00:30:00+02:00", "60");
    download.confirmed = false;
    download.count = 1000;
    download.confirmedCount = 997;
    const ServiceEvent late = LoggedWrite("2026-06-11T00:30:00+01:00", "60");
    home.write("Support/ServiceLog.jsonl", ServiceEventJson(early) + "\n" +
                                               ServiceEventJson(download) + "\nnot an event\n" +
                                               ServiceEventJson(late) + "\n");
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.path().string(), "log"});
        return offline(args);
    };

    const auto json = run({"--since", "2026-06-10", "--until", "2026-06-10", "--json"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, ServiceEventJson(download) + "\n");
    EXPECT_EQ(json.err, "quelby-cli: 1 unreadable line in the service log\n");
    EXPECT_EQ(run({"--since", "2026-06-10T23:00:00Z", "--csv"}).out,
              ServiceLogCsvHeader() + ServiceLogCsvRow(late));

    const auto text = lines(run({}).out);
    ASSERT_EQ(text.size(), 3u);
    EXPECT_TRUE(text[0].starts_with("2026-06-10T00:30:00+02:00  quelby-cli write  B1012 "))
        << text[0];
    EXPECT_NE(text[0].find("45 -> 60  confirmed"), std::string::npos) << text[0];
    EXPECT_NE(text[1].find("NOT CONFIRMED, 997 of 1000"), std::string::npos) << text[1];

    const auto refused = run({"--until", "10/06/2026"});
    EXPECT_TRUE(EndedSaying(refused, 64, "--until takes a date"));
    EXPECT_EQ(refused.out, "");
}

TEST(ServiceCli, watchPrintsARowPerPassAndLeavesAnUnconfirmedValueEmpty) {
    // The low address byte of the first read is lost on the line: that value is not confirmed.
    ServiceRig board({"--still", "--set", "W182=1234", "--set", "B1012=9", "--lose", "5"});
    const auto watch =
        board.run({"watch", "W182", "B1012", "--count", "3", "--interval", "50", "--csv"});
    ASSERT_EQ(watch.status, 0) << watch.err;
    const auto rows = lines(watch.out, "\r\n");
    ASSERT_EQ(rows.size(), 4u) << watch.out;
    EXPECT_EQ(rows[0], "time,W182,B1012");
    const std::regex time(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})");
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const auto comma = rows[i].find(',');
        EXPECT_TRUE(std::regex_match(rows[i].substr(0, comma), time)) << rows[i];
        EXPECT_EQ(rows[i].substr(comma), i == 1 ? ",,9" : ",1234,9") << "never 0 for a lost value";
    }

    const auto text = board.run({"watch", "B1012", "--count", "2", "--interval", "0"});
    EXPECT_EQ(text.status, 0);
    const auto textRows = lines(text.out);
    ASSERT_EQ(textRows.size(), 2u);
    EXPECT_TRUE(textRows[1].ends_with("  B1012=9")) << textRows[1];

    ServiceRig quiet({"--still"});
    EXPECT_EQ(quiet.run({"watch", "W182", "X10", "--count", "1"}).status, 3);
    EXPECT_EQ(quiet.run({"watch", "W182", "--interval", "soon"}).status, 64);
    EXPECT_EQ(quiet.run({"watch", "--count", "2"}).status, 64);
    EXPECT_EQ(quiet.stopAndReadTrace(), "") << "a refused command line sends nothing";
}

TEST(ServiceCli, theReadingCommandsGiveJsonAndTheShiftDataGoesToCsv) {
    ServiceRig board({"--still", "--set", "W182=1234", "--set", "D1100=123456789"});
    const struct {
        std::vector<std::string> args;
        const char* out;
    } json[] = {
        {{"--json", "read", "W182", "D1100"},
         R"({"values":[{"address":"W182","value":1234},{"address":"D1100","value":123456789}]})"},
        {{"ident", "--json"},
         R"({"faultCode":0,"firmwareRevision":0,"programIdent":"","programChecksum":0,)"
         R"("programRevision":0})"},
        {{"fault", "--json"}, R"({"faultCode":0,"description":"Fault Code (00H): No fault"})"},
        {{"pls", "config", "--json"},
         R"({"configuration":[16,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0]})"},
        {{"pls", "set", "5", "100", "200", "--clear"}, ""},
        {{"pls", "recall", "5", "--json"},
         R"({"channel":5,"setpoints":[{"state":"ON","position":100},)"
         R"({"state":"OFF","position":200}]})"},
    };
    for (const auto& c : json) {
        const auto run = board.run(c.args);
        EXPECT_EQ(run.status, 0) << c.args[1] << run.err;
        EXPECT_EQ(run.out, *c.out ? std::string(c.out) + "\n" : "");
    }

    const std::string file = board.path("shift.sdt");
    ASSERT_EQ(board.run({"--yes", "upload", "shift", file}).status, 0);
    const auto csv = board.run({"export", "--csv", file, board.path("shift.csv")});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_NE(board.home.read("shift.csv").find("\nCurrent Shift Data,Good Can,,123456789\r\n"),
              std::string::npos);

    EXPECT_EQ(board.run({"--json", "--csv", "read", "W182"}).status, 64);
}

} // namespace
} // namespace quelby::test
