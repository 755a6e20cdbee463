// quelby-cli's service commands against quelby-sim: backup and restore, compare and diff,
// watch, and the machine-readable output parsed as JSON.
#include "app/data/MachineData.h"
#include "app/data/SetupFile.h"
#include "app/data/Sha256.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <regex>

namespace quelby::test {
namespace {

// A simulated board with a trace of what it received, and a home folder for quelby-cli.
class ServiceRig {
public:
    explicit ServiceRig(std::vector<std::string> simArgs) {
        simArgs.insert(simArgs.end(), {"--trace", (home.path() / "sim.trace").string()});
        m_sim = std::make_unique<SimProcess>(simArgs);
    }
    SimProcess::Outcome run(std::vector<std::string> args, double seconds = 120.0) {
        args.insert(args.begin(), {"--home", home.path().string(), "--device", m_sim->devicePath()});
        return SimProcess::runProgram(QUELBY_CLI_PROGRAM, args, seconds);
    }
    std::string path(const std::string& relative) const { return (home.path() / relative).string(); }
    // What the board received, once it has stopped.
    std::string stopAndReadTrace() {
        m_sim->stop();
        return home.read("sim.trace");
    }

    TempFolder home;

private:
    std::unique_ptr<SimProcess> m_sim;
};

QJsonObject parseJson(const SimProcess::Outcome& run) {
    QJsonParseError error{};
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out << run.err;
    EXPECT_TRUE(document.isObject()) << run.out;
    return document.object();
}

std::vector<std::string> lines(const std::string& text, const std::string& end = "\n") {
    std::vector<std::string> result;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t stop = text.find(end, at);
        if (stop == std::string::npos) {
            result.push_back(text.substr(at));
            break;
        }
        result.push_back(text.substr(at, stop - at));
        at = stop + end.size();
    }
    return result;
}

TEST(ServiceCli, aBackupRestoredOntoAFreshBoardComparesEqual) {
    ServiceRig line({"--set", "B1012=50", "--set", "W1004=40"}); // a running line
    const std::string dir = line.path("visit");
    const auto backup = line.run({"backup", dir});
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_NE(backup.err.find("Program Upload: Program Upload Complete!"), std::string::npos);

    // The manifest names the board and holds a digest of every file it sits beside.
    const std::string manifest = line.home.read("visit/manifest.txt");
    for (const char* text : {"\nBoard type: K650(PLC) (68)\n", "\nProgram ident: K650SIM\n",
                             "\nCurrent Fault: 00H\n", "\nPLS configuration: "})
        EXPECT_NE(manifest.find(text), std::string::npos) << text << manifest;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name == "manifest.txt") continue;
        ++files;
        EXPECT_NE(manifest.find(*Sha256OfFile(entry.path()) + "  " + name + "\n"), std::string::npos)
            << name;
    }
    EXPECT_EQ(files, 4) << "setup.sdt, program.hbx, .rev and .hex";

    const auto shown = line.run({"dataset", "show", dir + "/setup.sdt", "--json"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    const QJsonArray points = parseJson(shown)["dataPoints"].toArray();
    ASSERT_EQ(points.size(), kDataPointCount);
    EXPECT_EQ(points[85].toObject()["value"].toInt(), 50);
    EXPECT_EQ(points[90].toObject()["value"].toInt(), 40);

    const auto again = line.run({"backup", dir});
    EXPECT_EQ(again.status, 3) << "an existing folder is never replaced";
    EXPECT_EQ(line.home.read("visit/manifest.txt"), manifest);

    ServiceRig fresh({"--still", "--set", "B1012=70"});
    const auto before = fresh.run({"compare", dir + "/setup.sdt"});
    EXPECT_EQ(before.status, 1) << before.err;
    EXPECT_NE(before.out.find("85 B1012 print carriage retract response time, msec: board 70, "
                              "file 50\n"),
              std::string::npos)
        << before.out;

    const auto data = fresh.run({"--yes", "download", "all", dir + "/setup.sdt"});
    ASSERT_EQ(data.status, 0) << data.err;
    const auto program = fresh.run({"--yes", "program", "download", dir + "/program.hbx"});
    ASSERT_EQ(program.status, 0) << program.err;

    const auto after = fresh.run({"compare", dir + "/setup.sdt"});
    EXPECT_EQ(after.status, 0) << after.out << after.err;
    EXPECT_EQ(after.out, "No differences.\n");
    const auto json = fresh.run({"--json", "compare", dir + "/setup.sdt"});
    EXPECT_EQ(json.status, 0);
    const QJsonObject agreed = parseJson(json);
    EXPECT_TRUE(agreed["agree"].toBool());
    EXPECT_TRUE(agreed["differences"].toArray().isEmpty());
    EXPECT_EQ(parseJson(fresh.run({"ident", "--json"}))["programIdent"].toString(), "K650SIM");
}

TEST(ServiceCli, compareAndDiffFindTheOneDataPointAndTheOneSetpointChanged) {
    ServiceRig board({"--still"});
    ASSERT_EQ(board.run({"pls", "set", "3", "10", "20", "--clear"}).status, 0);
    const std::string file = board.path("before.sdt");
    ASSERT_EQ(board.run({"--yes", "upload", "all", file}).status, 0);
    ASSERT_EQ(board.run({"write", "B1012", "50"}).status, 0);
    ASSERT_EQ(board.run({"pls", "set", "3", "10", "30", "--clear"}).status, 0);

    const auto compare = board.run({"compare", file});
    EXPECT_EQ(compare.status, 1) << compare.err;
    EXPECT_EQ(compare.out, "85 B1012 print carriage retract response time, msec: board 50, file 0\n"
                           "CH03 OFF: board 30, file 20\n");
    const QJsonArray differences = parseJson(board.run({"compare", file, "--json"}))["differences"].toArray();
    ASSERT_EQ(differences.size(), 2);
    EXPECT_EQ(differences[0].toObject()["kind"].toString(), "dataPoint");
    EXPECT_EQ(differences[0].toObject()["index"].toInt(), 85);
    EXPECT_EQ(differences[0].toObject()["address"].toString(), "B1012");
    EXPECT_EQ(differences[0].toObject()["board"].toInt(), 50);
    EXPECT_EQ(differences[0].toObject()["file"].toInt(), 0);
    EXPECT_EQ(differences[1].toObject()["kind"].toString(), "setpoint");
    EXPECT_EQ(differences[1].toObject()["index"].toInt(), 3);
    EXPECT_EQ(differences[1].toObject()["name"].toString(), "CH03 OFF");

    // --only keeps the chosen sections; the shift counters of a running line stay out of it.
    const struct {
        const char* sections;
        int status;
        const char* out;
    } only[] = {
        {"timing", 1, "CH03 OFF: board 30, file 20\n"},
        {"setup,shift", 1, "85 B1012 print carriage retract response time, msec: board 50, file 0\n"},
        {"shift", 0, "No differences.\n"},
    };
    for (const auto& c : only) {
        const auto limited = board.run({"compare", file, "--only", c.sections});
        EXPECT_EQ(limited.status, c.status) << c.sections << limited.err;
        EXPECT_EQ(limited.out, c.out) << c.sections;
    }
    const auto unknown = board.run({"compare", file, "--only", "setup,trips"});
    EXPECT_EQ(unknown.status, 64);
    EXPECT_NE(unknown.err.find("setup, timing, shift"), std::string::npos) << unknown.err;

    // The same two between two files, without a board.
    const std::string now = board.path("after.sdt");
    ASSERT_EQ(board.run({"--yes", "upload", "all", now}).status, 0);
    const auto diff = SimProcess::runProgram(QUELBY_CLI_PROGRAM, {"diff", file, now});
    EXPECT_EQ(diff.status, 1);
    EXPECT_EQ(lines(diff.out).size(), 2u) << diff.out;
    EXPECT_NE(diff.out.find("CH03 OFF: first 20, second 30\n"), std::string::npos) << diff.out;
    const QJsonObject diffJson = parseJson(SimProcess::runProgram(QUELBY_CLI_PROGRAM, {"--json", "diff", file, now}));
    EXPECT_FALSE(diffJson["agree"].toBool(true));
    EXPECT_EQ(diffJson["differences"].toArray()[0].toObject()["second"].toInt(), 50);
    EXPECT_EQ(SimProcess::runProgram(QUELBY_CLI_PROGRAM, {"diff", now, now}).status, 0);

    // A corrupt file is refused before anything is sent; a file of another version needs --yes.
    ServiceRig quiet({"--still"});
    const std::string corrupt = board.home.write("corrupt.sdt", "\x05\x00QUELB").string();
    const auto refused = quiet.run({"compare", corrupt});
    EXPECT_EQ(refused.status, 3);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(quiet.stopAndReadTrace(), "") << "nothing was sent for a refused file";
    EXPECT_EQ(SimProcess::runProgram(QUELBY_CLI_PROGRAM, {"diff", file, corrupt}).status, 3);

    MachineData older = BuildDefaultData();
    older.Version = "QUELBY_R2.1.0";
    const std::string olderFile = board.home.write("older.sdt", SetupFileBytes(older)).string();
    EXPECT_EQ(SimProcess::runProgram(QUELBY_CLI_PROGRAM, {"diff", olderFile, olderFile}).status, 3);
    const auto accepted = SimProcess::runProgram(QUELBY_CLI_PROGRAM, {"--yes", "diff", olderFile, olderFile});
    EXPECT_EQ(accepted.status, 0) << accepted.err;
}

TEST(ServiceCli, aBackupThatFailsLeavesNoFolderThatLooksComplete) {
    // The board goes quiet during the program upload, the long last read.
    ServiceRig board({"--still", "--stop-after", "20000"});
    const auto failed = board.run({"backup", board.path("visit")});
    EXPECT_EQ(failed.status, 2);
    EXPECT_NE(failed.err.find("the backup failed at the step \"program upload\""), std::string::npos)
        << failed.err;
    EXPECT_FALSE(std::filesystem::exists(board.path("visit")));
    for (const auto& entry : std::filesystem::directory_iterator(board.home.path()))
        EXPECT_EQ(entry.path().filename().string().find("visit"), std::string::npos)
            << "left behind: " << entry.path();

    // A folder that cannot be made beside something that is no folder.
    ServiceRig quiet({"--still"});
    quiet.home.write("plain", "x");
    const auto nowhere = quiet.run({"backup", quiet.path("plain/visit")});
    EXPECT_EQ(nowhere.status, 2);
    EXPECT_NE(nowhere.err.find("the step \"folder\""), std::string::npos) << nowhere.err;
    EXPECT_EQ(quiet.stopAndReadTrace(), "") << "nothing is sent before the folder is there";
}

TEST(ServiceCli, watchPrintsARowPerPassAndLeavesAnUnconfirmedValueEmpty) {
    // The low address byte of the first read is lost on the line: that value is not confirmed.
    ServiceRig board({"--still", "--set", "W182=1234", "--set", "B1012=9", "--lose", "5"});
    const auto watch = board.run({"watch", "W182", "B1012", "--count", "3", "--interval", "50", "--csv"});
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
    const QJsonArray values = parseJson(board.run({"--json", "read", "W182", "D1100"}))["values"].toArray();
    ASSERT_EQ(values.size(), 2);
    EXPECT_EQ(values[0].toObject()["address"].toString(), "W182");
    EXPECT_EQ(values[1].toObject()["value"].toInt(), 123456789);

    const QJsonObject ident = parseJson(board.run({"ident", "--json"}));
    for (const char* key : {"faultCode", "firmwareRevision", "programIdent", "programChecksum",
                            "programRevision"})
        EXPECT_TRUE(ident.contains(key)) << key;
    const QJsonObject fault = parseJson(board.run({"fault", "--json"}));
    EXPECT_EQ(fault["faultCode"].toInt(), 0);
    EXPECT_TRUE(fault["description"].toString().startsWith("Fault Code (00H): "));

    EXPECT_EQ(parseJson(board.run({"pls", "config", "--json"}))["configuration"].toArray().size(), 19);
    ASSERT_EQ(board.run({"pls", "set", "5", "100", "200", "--clear"}).status, 0);
    const QJsonObject recall = parseJson(board.run({"pls", "recall", "5", "--json"}));
    EXPECT_EQ(recall["channel"].toInt(), 5);
    const QJsonArray setpoints = recall["setpoints"].toArray();
    ASSERT_EQ(setpoints.size(), 2);
    EXPECT_EQ(setpoints[0].toObject()["state"].toString(), "ON");
    EXPECT_EQ(setpoints[1].toObject()["position"].toInt(), 200);

    const std::string file = board.path("shift.sdt");
    ASSERT_EQ(board.run({"--yes", "upload", "shift", file}).status, 0);
    const std::string csvFile = board.path("shift.csv");
    const auto csv = board.run({"export", "--csv", file, csvFile});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const auto rows = lines(board.home.read("shift.csv"), "\r\n");
    ASSERT_EQ(rows.size(), 85u);
    EXPECT_EQ(rows[0], "section,name,spindle,value");
    EXPECT_EQ(rows[25], "Current Shift Data,Good Can,,123456789");

    EXPECT_EQ(board.run({"--json", "--csv", "read", "W182"}).status, 64);
}

} // namespace
} // namespace quelby::test
