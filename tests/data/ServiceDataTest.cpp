// What the service commands are built from: digests, JSON, data sets side by side, the shift
// data as CSV and the backup's folder.
#include "app/data/BackupFolder.h"
#include "app/data/BoardCompare.h"
#include "app/data/DataSetCompare.h"
#include "app/data/DataSetJson.h"
#include "app/data/Sha256.h"
#include "app/data/ShiftDataCsv.h"
#include "tests/support/TempFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

namespace quelby::test {
namespace {

// What `write` gives through a JsonWriter, finished.
std::string JsonOf(const std::function<void(JsonWriter&)>& write) {
    std::ostringstream out;
    JsonWriter json(out);
    write(json);
    json.finish();
    return out.str();
}

TEST(Sha256, matchesTheKnownVectorsWhateverPiecesTheMessageComesIn) {
    const std::string vector448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    const std::pair<std::string, const char*> vectors[] = {
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {vector448, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& [message, digest] : vectors)
        EXPECT_EQ(Sha256Hex(message), digest);

    // Messages of 55, 56 and 64 bytes end where the padding needs one block or two.
    for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 130u}) {
        const std::string message(length, 'q');
        Sha256 whole, pieces;
        whole.update(message);
        for (std::size_t at = 0; at < length; at += 7)
            pieces.update(std::string_view(message).substr(at, 7));
        EXPECT_EQ(pieces.finish(), whole.finish()) << length;
    }

    TempFolder folder;
    EXPECT_EQ(Sha256OfFile(folder.write("message.bin", vector448)),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256OfFile(folder.path() / "missing.bin"), std::nullopt);
}

TEST(JsonWriter, anyTextOfTheBoardComesBackFromAJsonParser) {
    // Quotes, backslashes, control characters, a zero byte and bytes beyond ASCII, as an
    // ident read from a board may hold them.
    const std::string awkward = std::string("a\"b\\c\n\r\t\b\f/") + '\0' + "\x01\x1f\x7f\xe9\xff";
    const std::string text = JsonOf([&](JsonWriter& json) {
        json.beginObject()
            .key("text").value(awkward)
            .key(awkward).value(std::int64_t{-2147483648LL})
            .key("list").beginArray().value(1).beginObject().endObject().beginArray().endArray()
            .null().value(true).endArray()
            .key("last").value(false)
            .endObject();
    });
    EXPECT_EQ(text.find('\n'), text.size() - 1) << "one document on one line";

    QJsonParseError error{};
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromStdString(text), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << text;
    const QString expected = QString::fromLatin1(awkward.data(), static_cast<qsizetype>(awkward.size()));
    EXPECT_EQ(object["text"].toString(), expected);
    EXPECT_EQ(object[expected].toDouble(), -2147483648.0);
    EXPECT_EQ(QJsonDocument(object["list"].toArray()).toJson(QJsonDocument::Compact),
              "[1,{},[],null,true]");
    EXPECT_FALSE(object["last"].toBool(true));
}

// The desktop's compare: a point the board did not confirm is "not read" even where the
// values agree, only in the sections chosen; timing that could not be read is one row.
TEST(BoardCompare, unreadPointsAreRowsOfTheirOwnAndTheSectionsChooseTheRows) {
    const MachineData dataSet = BuildDefaultData();
    MachineData board = dataSet;
    board.Value[85] = 50;                   // B1012
    board.Value[3] = 9;                     // trips of spindle 3
    board.Setpoint[1][kOffSetpoint] = 70;   // CH01 OFF
    using Rows = std::vector<BoardCompareRow>;
    EXPECT_EQ(BoardCompareRows(dataSet, dataSet, {}, true, {}), Rows{});
    EXPECT_EQ(BoardCompareRows(dataSet, board, {86, 4}, true, {}),
              (Rows{{"3 W1024 trips of spindle 3", "0", "9"},
                    {"85 B1012 print carriage retract response time, msec", "45", "50"},
                    {"CH01 OFF", "50", "70"},
                    {"86 B1013 print carriage extend response time, msec", "45", "not read"},
                    {"4 W1026 trips of spindle 4", "0", "not read"}}));
    EXPECT_EQ(BoardCompareRows(dataSet, board, {86, 4}, false, {true, true, false}),
              (Rows{{"85 B1012 print carriage retract response time, msec", "45", "50"},
                    {"86 B1013 print carriage extend response time, msec", "45", "not read"},
                    {"PLS fields, speed compensations and channel setpoints", "", "not read"}}));
}

// Shift data points are named by their block; these are the edges of each block.
TEST(DataSetCompare, namesEachDifferenceInOrderAndCountsMissingPointsAsZero) {
    const std::pair<int, const char*> names[] = {
        {24, "trips of spindle 24"},
        {25, "current shift: total good cans"},
        {26, "current shift: total blow-offs"},
        {54, "current shift: trips of spindle 24"},
        {60, "last shift: restart blow-offs"},
        {61, "last shift: trips of spindle 1"},
        {105, ""}};
    for (const auto& [index, name] : names) EXPECT_EQ(DataPointName(index), name) << index;

    const MachineData defaults = BuildDefaultData();
    EXPECT_TRUE(CompareDataSets(defaults, defaults).empty());

    MachineData changed = defaults;
    changed.Value[85] = 50;                  // B1012
    changed.Address[31] = "W1300";           // an address of another layout
    changed.PLSScale = 720;
    changed.SpeedComp[2] = 4;
    changed.Setpoint[8][kOffSetpoint] = 200; // CH10 OFF
    const auto differences = CompareDataSets(changed, defaults);
    EXPECT_EQ(JsonOf([&](JsonWriter& json) {
                  WriteDifferencesJson(json, differences, "board", "file");
              }),
              R"({"agree":false,"differences":[{"kind":"address","index":31,"address":"W1300",)"
              R"("name":"current shift: trips of spindle 1","board":"W1300","file":"W1124"},)"
              R"({"kind":"dataPoint","index":85,"address":"B1012",)"
              R"("name":"print carriage retract response time, msec","board":50,"file":45},)"
              R"({"kind":"plsField","index":null,"address":"","name":"PLSScale",)"
              R"("board":720,"file":360},{"kind":"speedComp","index":2,"address":"",)"
              R"("name":"CH02 speed compensation","board":4,"file":0},)"
              R"({"kind":"setpoint","index":8,"address":"","name":"CH10 OFF",)"
              R"("board":200,"file":180}]})"
              "\n");

    // A data set from a short file: the missing points count as 0 with no address.
    MachineData shortSet = defaults;
    shortSet.Address.resize(100);
    shortSet.Value.resize(100);
    const auto missing = CompareDataSets(defaults, shortSet);
    ASSERT_EQ(missing.size(), 9u) << "five addresses, and the values of 100, 101, 103 and 104";
    EXPECT_EQ(missing.back().index, 104);
    EXPECT_EQ(missing.back().first, 10);
    EXPECT_EQ(missing.back().second, 0);
}

TEST(DataSetJson, holdsEveryFieldOfTheDataSet) {
    MachineData data = BuildDefaultData();
    data.Value[25] = 123456789;
    data.SpeedComp[7] = -3;
    const std::string text = JsonOf([&](JsonWriter& json) { WriteDataSetJson(json, data); });
    EXPECT_EQ(text.rfind(R"({"version":"QUELBY_R2.2.4","dataPoints":[{"index":0,)", 0), 0u);
    for (const char* part :
         {R"({"index":25,"address":"D1100","name":"current shift: total good cans","value":123456789})",
          R"({"index":104,"address":"B4011",)", R"("plsScale":360,)",
          R"("speedComp":[0,0,0,0,0,0,0,-3])", R"({"channel":"CH10","on":0,"off":180})"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

TEST(ShiftDataCsv, oneRowPerValueWithItsSectionNameAndSpindle) {
    MachineData data = BuildDefaultData();
    data.Value[3] = 7;   // trips of spindle 3
    data.Value[27] = 12; // current shift misloads
    data.Value[84] = 99; // last shift, spindle 24
    const std::string csv = ShiftDataCsv(data);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 24 + 6 + 24 + 6 + 24);
    for (auto at = csv.find('\n'); at != std::string::npos; at = csv.find('\n', at + 1))
        ASSERT_EQ(csv[at - 1], '\r') << "every row ends with CR LF";
    for (const char* row : {"section,name,spindle,value\r\n", "\nTrips Per Spindle,Trips,3,7\r\n",
                            "\nCurrent Shift Data,Misloads,,12\r\n"})
        EXPECT_NE(csv.find(row), std::string::npos) << row;
    EXPECT_TRUE(csv.ends_with("\nLast Shift Trips per Spindle,Trips,24,99\r\n"));
}

// What quelby-cli backup leaves after a failure, beside a file or over an existing folder is
// checked end to end; here the staging beside the target and a folder made meanwhile.
TEST(StagedFolder, aBackupIsInPlaceOnlyOnceCommittedAndNeverReplacesAnything) {
    TempFolder parent;
    std::error_code error;
    {
        auto folder = StagedFolder::Create(parent.path() / "visit/", error);
        ASSERT_TRUE(folder) << error.message();
        EXPECT_EQ(folder->target(), parent.path() / "visit")
            << "a trailing separator names the same folder";
        EXPECT_EQ(folder->path().parent_path(), parent.path()) << "built beside its target";
        EXPECT_FALSE(std::filesystem::exists(parent.path() / "visit"));
        parent.write(folder->path().filename() / "setup.sdt", "whole");
        ASSERT_TRUE(folder->commit(error)) << error.message();
    }
    EXPECT_EQ(parent.read("visit/setup.sdt"), "whole");

    // A folder of that name made while the backup ran is not replaced, even an empty one.
    {
        auto folder = StagedFolder::Create(parent.path() / "second", error);
        ASSERT_TRUE(folder);
        std::filesystem::create_directory(parent.path() / "second");
        EXPECT_FALSE(folder->commit(error));
        EXPECT_EQ(error, std::errc::file_exists);
    }
    EXPECT_TRUE(std::filesystem::is_empty(parent.path() / "second"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(parent.path()),
                            std::filesystem::directory_iterator()),
              2)
        << "a backup given up leaves nothing behind";
}

TEST(BackupServiceLog, aBackupTakesTheEventsSinceItsOwnBoardsLastBackup) {
    BackupManifest line3, line4, neverBackedUp;
    line3.programIdent = "LINE3";
    line4.programIdent = "LINE4";
    neverBackedUp.programIdent = "LINE5";
    ServiceEvent write;
    write.item = "Number of Shifts to Varnish Unit";
    const ServiceEvent backup3 = BackupServiceEvent(line3, "/visits/3", "2026-06-10T09:00:00Z", "u");
    const ServiceEvent backup4 = BackupServiceEvent(line4, "/visits/4", "2026-06-10T10:00:00Z", "u");
    ServiceLogContents log;
    for (const ServiceEvent& event : {write, backup3, write, backup4, write})
        log.entries.push_back({event, "", {}, 0});
    log.entries.insert(log.entries.begin() + 3, ServiceLogEntry{std::nullopt, "{", {}, 0});
    const auto since = [&](const BackupManifest& board) {
        return ServiceEventsSinceBackup(log, BackupBoardIdentity(board));
    };
    EXPECT_EQ(since(line3), (std::vector<ServiceEvent>{write, backup4, write}));
    EXPECT_EQ(since(line4), std::vector<ServiceEvent>{write});
    EXPECT_EQ(since(neverBackedUp).size(), 5u) << "a board never backed up takes the whole log";
}

} // namespace
} // namespace quelby::test
