#include "link/DownloadFileCheck.h"
#include "link/IntelHex.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace quelby {
namespace {

using test::OkBox;
using test::TempFolder;

const std::string kHalted = "Program Downloaded Halted!";

TEST(DownloadFile, aK650ProgramNeedsOnlyItsRevisionFile) {
    TempFolder folder;
    const auto hbx = folder.write("MAIN.HBX", "D anything, more\r\n");
    folder.write("main.rev", "LINE 40;101\r\n");
    const auto check = CheckDownloadFile(hbx);
    EXPECT_TRUE(check.messages.empty());
    const ProgramSelection& s = check.selection;
    EXPECT_TRUE(s.validProgram);
    EXPECT_EQ(s.boardName, "K650(PLC)");
    EXPECT_EQ(s.ident, "LINE 40");
    EXPECT_EQ(s.checksum, "177");
    EXPECT_EQ(s.revision, "1");
    EXPECT_TRUE(std::filesystem::equivalent(s.files.rev, folder.path() / "main.rev"));
}

TEST(DownloadFile, missingCompanionsAreNamedInTheirMessages) {
    TempFolder folder;
    const auto k601 = folder.write("k601.hbx", ":");
    folder.write("k601.rev", "K601PROG0?12");
    auto check = CheckDownloadFile(k601);
    EXPECT_FALSE(check.selection.validProgram);
    ASSERT_EQ(check.messages.size(), 1u);
    EXPECT_EQ(check.messages[0],
              OkBox("Program Download",
                    {(folder.path() / "k601.lcf").string() + " Configuration File is Not Valid", "",
                     kHalted},
                    MessageIcon::Exclamation));

    // 1 at position 36, 5 and 2 at 39 and 40.
    folder.write("k601.lcf", "@" + std::string(34, '0') + "10052000%");
    check = CheckDownloadFile(k601);
    EXPECT_TRUE(check.selection.validProgram);
    EXPECT_EQ(check.selection.config, (ConfigDigits{1, 5, 2}));

    // Both companions missing: both messages, revision first.
    const auto r707 = folder.write("r707.hbx", "8");
    check = CheckDownloadFile(r707);
    ASSERT_EQ(check.messages.size(), 2u);
    EXPECT_EQ(check.messages[0].lines[0],
              (folder.path() / "r707.rev").string() + " Revision File is Not Valid");
    EXPECT_EQ(check.messages[1].lines[0],
              (folder.path() / "r707.lcf").string() + " Configuration File is Not Valid");

    // A revision line too short for its digits is not valid either.
    folder.write("short.rev", "0?1");
    check = CheckDownloadFile(folder.write("short.hbx", "D"));
    EXPECT_FALSE(check.selection.validProgram);
    EXPECT_EQ(check.selection.ident, "Unknown");
    ASSERT_EQ(check.messages.size(), 1u);
}

TEST(DownloadFile, boardsThatTakeNoDownloadSaySo) {
    TempFolder folder;
    auto check = CheckDownloadFile(folder.write("PLSPROG.hbx", "7"));
    EXPECT_FALSE(check.selection.validProgram);
    ASSERT_EQ(check.messages.size(), 1u);
    EXPECT_EQ(check.messages[0], OkBox("PLS Program Download",
                                       {"PLSPROG file is a PLS target board program.",
                                        "Open PLS program to download to target board.", "",
                                        "Program Downloaded Halted."},
                                       MessageIcon::Information));

    check = CheckDownloadFile(folder.write("OLD.hbx", "1"));
    ASSERT_EQ(check.messages.size(), 1u);
    EXPECT_EQ(check.messages[0],
              OkBox("Program Download", {"OLD file is incompatible with target board.", "", kHalted},
                    MessageIcon::Critical));
}

TEST(DownloadFile, emptyMissingOrUnreadableHbxFilesAreNotValid) {
    TempFolder folder;
    folder.write("e.rev", "ABCD0?12");
    for (const auto& hbx : {folder.write("e.hbx", ""), folder.write("blank.hbx", "\r\n"),
                            folder.path() / "none.hbx"}) {
        const auto check = CheckDownloadFile(hbx);
        EXPECT_FALSE(check.selection.validProgram) << hbx;
        EXPECT_TRUE(check.messages.empty()) << hbx;
    }
    std::filesystem::create_directory(folder.path() / "dir.hbx");
    const auto check = CheckDownloadFile(folder.path() / "dir.hbx");
    ASSERT_EQ(check.messages.size(), 1u);
    EXPECT_EQ(check.messages[0].title, "RSComm-Download File");
    EXPECT_EQ(check.messages[0].icon, MessageIcon::Information);
    // The hbx name itself may differ in case from what was asked for.
    folder.write("case.HBX", "D");
    folder.write("case.rev", "ABCD0?12");
    EXPECT_TRUE(CheckDownloadFile(folder.path() / "CASE.hbx").selection.validProgram);
}

TEST(UploadFile, takesBoardTypeAndPathsWithoutChecks) {
    TempFolder folder;
    const auto choice = ChooseUploadFile(folder.write("UP.HBX", "<"));
    EXPECT_FALSE(choice.message);
    EXPECT_EQ(choice.selection.boardType, 60);
    EXPECT_EQ(choice.selection.boardName, "K603");
    EXPECT_EQ(choice.selection.files.lcf, folder.path() / "UP.LCF");

    const auto missing = ChooseUploadFile(folder.path() / "none.hbx");
    ASSERT_TRUE(missing.message);
    EXPECT_EQ(missing.message->title, "RSComm UploadFile");
    EXPECT_EQ(missing.selection.boardType, 0);
}

// The sample file set shipped for trying a download on the simulated board must itself be a
// valid K650(PLC) program whose revision checksum matches its data.
TEST(SampleProgram, isAValidK650ProgramWithinItsMemory) {
    const auto samples = std::filesystem::path(QUELBY_SOURCE_DIR) / "samples";
    const auto check = CheckDownloadFile(samples / "K650DEMO.hbx");
    EXPECT_TRUE(check.messages.empty());
    ASSERT_TRUE(check.selection.validProgram);

    const auto hex = ReadIntelHexFile(check.selection.files.hex);
    ASSERT_EQ(hex.outcome, HexFileRead::Outcome::Read) << hex.parse.error;
    const auto memory = ProgramMemoryOf(check.selection.boardType);
    unsigned sum = 0;
    for (const auto& record : hex.parse.records) {
        if (record.type != kHexDataRecord) continue;
        EXPECT_GE(record.address, memory.start);
        EXPECT_LE(record.address + record.length(), memory.start + memory.byteCount);
        for (auto b : record.data)
            sum += b;
    }
    EXPECT_EQ(check.selection.checksum, std::to_string(sum & 0xFF));
}

} // namespace
} // namespace quelby
