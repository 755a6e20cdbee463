// What the service commands are built from: digests, JSON, data sets side by side, the shift
// data as CSV and the backup's folder.
#include "app/data/BackupFolder.h"
#include "app/data/DataSetCompare.h"
#include "app/data/DataSetJson.h"
#include "app/data/Sha256.h"
#include "app/data/ShiftDataCsv.h"
#include "tests/support/TempFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sstream>

namespace quelby::test {
namespace {

QJsonObject parseObject(const std::string& text) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return document.object();
}

TEST(Sha256, matchesTheKnownVectorsWhateverPiecesTheMessageComesIn) {
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::string vector448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(Sha256Hex(vector448),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");

    // Messages of 55, 56 and 64 bytes end where the padding needs one block or two.
    for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 130u}) {
        const std::string message(length, 'q');
        Sha256 pieces;
        for (std::size_t at = 0; at < length; at += 7) pieces.update(std::string_view(message).substr(at, 7));
        const auto digest = pieces.finish();
        std::string hex;
        for (std::uint8_t byte : digest) {
            static constexpr char kDigits[] = "0123456789abcdef";
            hex += kDigits[byte >> 4];
            hex += kDigits[byte & 15];
        }
        EXPECT_EQ(hex, Sha256Hex(message)) << length;
    }

    TempFolder folder;
    const auto file = folder.write("message.bin", vector448);
    EXPECT_EQ(Sha256OfFile(file), Sha256Hex(vector448));
    EXPECT_EQ(Sha256OfFile(folder.path() / "missing.bin"), std::nullopt);
}

TEST(JsonWriter, anyTextOfTheBoardComesBackFromAJsonParser) {
    // Quotes, backslashes, control characters, a zero byte and bytes beyond ASCII, as an
    // ident read from a board may hold them.
    const std::string awkward = std::string("a\"b\\c\n\r\t\b\f/") + '\0' + "\x01\x1f\x7f\xe9\xff";
    std::ostringstream out;
    JsonWriter json(out);
    json.beginObject()
        .key("text").value(awkward)
        .key(awkward).value(std::int64_t{-2147483648LL})
        .key("list").beginArray().value(1).beginObject().endObject().beginArray().endArray()
        .null().value(true).endArray()
        .key("last").value(false)
        .endObject()
        .finish();
    ASSERT_TRUE(out.str().ends_with("}\n"));
    EXPECT_EQ(out.str().find('\n'), out.str().size() - 1) << "one document on one line";

    const QJsonObject object = parseObject(out.str());
    const QString expected = QString::fromLatin1(awkward.data(), static_cast<qsizetype>(awkward.size()));
    EXPECT_EQ(object["text"].toString(), expected);
    EXPECT_EQ(object[expected].toDouble(), -2147483648.0);
    const QJsonArray list = object["list"].toArray();
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(list[0].toInt(), 1);
    EXPECT_TRUE(list[1].isObject());
    EXPECT_TRUE(list[2].isArray());
    EXPECT_TRUE(list[3].isNull());
    EXPECT_TRUE(list[4].toBool());
    EXPECT_FALSE(object["last"].toBool(true));
}

TEST(DataSetCompare, namesEachDifferenceInOrderAndCountsMissingPointsAsZero) {
    const MachineData defaults = BuildDefaultData();
    EXPECT_TRUE(CompareDataSets(defaults, defaults).empty());

    MachineData changed = defaults;
    changed.Value[85] = 50;             // B1012
    changed.Address[31] = "W1300";      // an address of another layout
    changed.PLSScale = 720;
    changed.SpeedComp[2] = 4;
    changed.Setpoint[8][kOffSetpoint] = 200; // CH10 OFF
    const auto differences = CompareDataSets(changed, defaults);
    ASSERT_EQ(differences.size(), 5u);
    using Kind = DataSetDifference::Kind;
    EXPECT_EQ(differences[0].kind, Kind::Address);
    EXPECT_EQ(differences[0].index, 31);
    EXPECT_EQ(differences[0].name, "current shift: trips of spindle 1");
    EXPECT_EQ(differences[0].firstText, "W1300");
    EXPECT_EQ(differences[0].secondText, "W1124");
    EXPECT_EQ(differences[1].kind, Kind::DataPoint);
    EXPECT_EQ(differences[1].address, "B1012");
    EXPECT_EQ(differences[1].name, "print carriage retract response time, msec");
    EXPECT_EQ(differences[1].first, 50);
    EXPECT_EQ(differences[1].second, 45);
    EXPECT_EQ(differences[2].name, "PLSScale");
    EXPECT_EQ(differences[2].index, -1);
    EXPECT_EQ(differences[3].name, "CH02 speed compensation");
    EXPECT_EQ(differences[4].kind, Kind::Setpoint);
    EXPECT_EQ(differences[4].name, "CH10 OFF");
    EXPECT_EQ(differences[4].first, 200);
    EXPECT_EQ(differences[4].second, 180);

    // A data set from a short file: the missing points count as 0 with no address.
    MachineData shortSet = defaults;
    shortSet.Address.resize(100);
    shortSet.Value.resize(100);
    const auto missing = CompareDataSets(defaults, shortSet);
    ASSERT_EQ(missing.size(), 9u) << "five addresses, and the values of 100, 101, 103 and 104";
    EXPECT_EQ(missing.back().index, 104);
    EXPECT_EQ(missing.back().first, 10);
    EXPECT_EQ(missing.back().second, 0);

    std::ostringstream out;
    JsonWriter json(out);
    WriteDifferencesJson(json, differences, "board", "file");
    const QJsonObject object = parseObject(out.str());
    EXPECT_FALSE(object["agree"].toBool(true));
    const QJsonArray list = object["differences"].toArray();
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(list[0]["kind"].toString(), "address");
    EXPECT_EQ(list[0]["board"].toString(), "W1300");
    EXPECT_EQ(list[1]["file"].toInt(), 45);
    EXPECT_TRUE(list[2]["index"].isNull());
}

TEST(DataSetJson, holdsEveryFieldOfTheDataSet) {
    MachineData data = BuildDefaultData();
    data.Value[25] = 123456789;
    data.SpeedComp[7] = -3;
    std::ostringstream out;
    JsonWriter json(out);
    WriteDataSetJson(json, data);
    json.finish();
    const QJsonObject object = parseObject(out.str());
    EXPECT_EQ(object["version"].toString().toStdString(), ProgramVersion);
    const QJsonArray points = object["dataPoints"].toArray();
    ASSERT_EQ(points.size(), kDataPointCount);
    EXPECT_EQ(points[25]["address"].toString(), "D1100");
    EXPECT_EQ(points[25]["value"].toInt(), 123456789);
    EXPECT_EQ(points[25]["name"].toString(), "current shift: total good cans");
    EXPECT_EQ(object["plsScale"].toInt(), 360);
    EXPECT_EQ(object["speedComp"].toArray()[7].toInt(), -3);
    const QJsonArray setpoints = object["setpoints"].toArray();
    ASSERT_EQ(setpoints.size(), kTimingChannelCount);
    EXPECT_EQ(setpoints[8]["channel"].toString(), "CH10");
    EXPECT_EQ(setpoints[8]["off"].toInt(), 180);
}

TEST(ShiftDataCsv, oneRowPerValueWithItsSectionNameAndSpindle) {
    MachineData data = BuildDefaultData();
    data.Value[3] = 7;       // trips of spindle 3
    data.Value[27] = 12;     // current shift misloads
    data.Value[84] = 99;     // last shift, spindle 24
    const std::string csv = ShiftDataCsv(data);
    std::vector<std::string> rows;
    for (std::size_t at = 0; at < csv.size();) {
        const std::size_t end = csv.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "every row ends with CR LF";
        rows.push_back(csv.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_EQ(rows.size(), 1u + 24 + 6 + 24 + 6 + 24);
    EXPECT_EQ(rows[0], "section,name,spindle,value");
    EXPECT_EQ(rows[3], "Trips Per Spindle,Trips,3,7");
    EXPECT_EQ(rows[27], "Current Shift Data,Misloads,,12");
    EXPECT_EQ(rows.back(), "Last Shift Trips per Spindle,Trips,24,99");

    EXPECT_EQ(CsvField("plain text"), "plain text");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
}

TEST(StagedFolder, aBackupIsInPlaceOnlyOnceCommittedAndNeverReplacesAnything) {
    TempFolder parent;
    const auto target = parent.path() / "visit";
    const auto countEntries = [&] {
        return std::distance(std::filesystem::directory_iterator(parent.path()),
                             std::filesystem::directory_iterator());
    };
    std::error_code error;
    {
        auto folder = StagedFolder::Create(parent.path() / "visit/", error);
        ASSERT_TRUE(folder) << error.message();
        EXPECT_EQ(folder->target(), target) << "a trailing separator names the same folder";
        EXPECT_EQ(folder->path().parent_path(), parent.path()) << "built beside its target";
        EXPECT_FALSE(std::filesystem::exists(target));
        parent.write(folder->path().filename() / "setup.sdt", "half");
    }
    EXPECT_EQ(countEntries(), 0) << "a backup given up leaves nothing behind";

    {
        auto folder = StagedFolder::Create(target, error);
        ASSERT_TRUE(folder);
        parent.write(folder->path().filename() / "setup.sdt", "whole");
        ASSERT_TRUE(folder->commit(error)) << error.message();
    }
    EXPECT_EQ(parent.read("visit/setup.sdt"), "whole");
    EXPECT_EQ(countEntries(), 1);

    EXPECT_FALSE(StagedFolder::Create(target, error));
    EXPECT_EQ(error, std::errc::file_exists);

    // A folder of that name made while the backup ran is not replaced, even an empty one.
    {
        auto folder = StagedFolder::Create(parent.path() / "second", error);
        ASSERT_TRUE(folder);
        std::filesystem::create_directory(parent.path() / "second");
        EXPECT_FALSE(folder->commit(error));
        EXPECT_EQ(error, std::errc::file_exists);
    }
    EXPECT_TRUE(std::filesystem::is_empty(parent.path() / "second"));
    EXPECT_EQ(countEntries(), 2);

    // Beside something that is no folder, nothing can be made.
    parent.write("plain-file", "x");
    EXPECT_FALSE(StagedFolder::Create(parent.path() / "plain-file" / "visit", error));
    EXPECT_TRUE(error);
}

TEST(BackupManifest, listsTheBoardAndADigestLinePerFile) {
    BackupManifest manifest;
    manifest.createdAt = "2026-12-06 14:50:01";
    manifest.boardType = "K650(PLC) (68)";
    manifest.firmwareRevision = 12;
    manifest.faultCodes = {{"Current Fault", "0AH"}, {"Last Fault", "00H"}};
    manifest.programIdent = "K650SIM";
    manifest.plsConfiguration[0] = 16;
    manifest.files = {{"setup.sdt", Sha256Hex("x")}};
    const std::string text = BackupManifestText(manifest);
    for (const char* line : {"\nCreated: 2026-12-06 14:50:01\n", "\nBoard type: K650(PLC) (68)\n",
                             "\nFirmware revision: 12\n", "\nCurrent Fault: 0AH\n",
                             "\nProgram ident: K650SIM\n",
                             "\nPLS configuration: 16 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_TRUE(text.ends_with("\n" + Sha256Hex("x") + "  setup.sdt\n")) << "as sha256sum -c reads it";
}

} // namespace
} // namespace quelby::test
