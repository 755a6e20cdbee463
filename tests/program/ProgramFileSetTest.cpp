// A program's identity and configuration: on the board and in its file set.
#include "link/BoardIdentity.h"
#include "link/ProgramFileSet.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quelby {
namespace {

using test::TempFolder;

std::string ConfigLine(char d36, char d39, char d40) {
    return "G" + std::string(34, '0') + d36 + "00" + d39 + d40 + "000%";
}

TEST(ProgramFileSet, companionsAreFoundWhateverTheirCaseAndFirstFieldsAndDigitsAreReadFromTheirPlaces) {
    TempFolder folder;
    const auto hbx = folder.write("PROG.HBX", "D");
    folder.write("prog.rev", "X0000");
    folder.write("Prog.Hex", ":00000001FF");
    // A missing companion keeps the name's case (see UploadFile).
    const auto files = ProgramFilesOf(hbx);
    EXPECT_TRUE(std::filesystem::equivalent(files.rev, folder.path() / "prog.rev"));
    EXPECT_TRUE(std::filesystem::equivalent(files.hex, folder.path() / "Prog.Hex"));

    // Configuration digits come from their positions, or their defaults.
    EXPECT_EQ(ParseConfigurationField(ConfigLine('2', '7', '1')), (ConfigDigits{2, 7, 1}));
    EXPECT_EQ(ParseConfigurationField(ConfigLine('x', '7', ' ')), (ConfigDigits{3, 7, 3}));
    EXPECT_EQ(ParseConfigurationField(ConfigLine('1', '5', '2').substr(0, 39)),
              (ConfigDigits{1, 5, 3}));

    // The first field of a file counts only its first line up to a comma.
    EXPECT_EQ(ReadFirstField(folder.write("a.rev", " ABC1230?12 ,rest\r\nnext")).field,
              "ABC1230?12");
    EXPECT_EQ(ReadFirstField(folder.write("b.rev", "")).outcome, FirstFieldRead::Outcome::Empty);
    EXPECT_EQ(ReadFirstField(folder.write("c.rev", "\r\n")).outcome, FirstFieldRead::Outcome::Read);
    EXPECT_EQ(ReadFirstField(folder.path() / "none").outcome, FirstFieldRead::Outcome::Missing);
    EXPECT_EQ(ReadFirstField(folder.path()).outcome, FirstFieldRead::Outcome::ReadError);
    std::istringstream endless(std::string(1 << 20, 'D'));
    EXPECT_EQ(ReadFirstField(endless).field.size(), kFirstLineMaxLength);

    EXPECT_EQ(ReadRevisionFile(folder.path()).message->title, "RSComm-Set Program Ident");
    EXPECT_EQ(ReadConfigurationFile(folder.path()).message->title, "RSComm-Set Program Config");
    EXPECT_FALSE(ReadConfigurationFile(folder.path() / "b.rev").valid);
    EXPECT_TRUE(ReadConfigurationFile(folder.path() / "c.rev").valid);
}

TEST(UploadFiles, revisionFileReadsBackWhatTheBoardHeldOrSaysItCouldNotBeWritten) {
    const BoardIdentityBytes identity{'A', 'B', 'C', 0, 0, 0, 0, 0, 0x0F, 0x12};
    EXPECT_EQ(RevisionFileText(identity), std::string("ABC\0\0\0\0\0"
                                                      "0?12\r\n",
                                                      14));
    const std::pair<BoardIdentityBytes, std::string> cases[] = {
        {identity, std::string("ABC\0\0\0\0\0", 8)},
        {{'A', ',', 'B', ' ', ' ', 0, 0, 0, 0xFF, 0xA0}, std::string("A,B  \0\0\0", 8)},
        // CR and LF cannot stand in a line and a quote would open a field; the leading blank
        // is dropped on reading, as the download trims it anyway.
        {{' ', '"', 'x', '\r', '\n', '\t', 200, 1, 0, 1}, std::string("'x\0\0\t\xC8\x01", 7)},
    };
    TempFolder folder;
    for (const auto& [bytes, ident] : cases) {
        const auto file = folder.path() / "p.rev";
        ASSERT_FALSE(WriteUploadFiles({{file, RevisionFileText(bytes)}}));
        const auto read = ReadRevisionFile(file);
        ASSERT_TRUE(read.info.valid);
        EXPECT_EQ(read.info.ident, ident);
        EXPECT_EQ(read.info.checksum, std::to_string(bytes[8]));
        EXPECT_EQ(read.info.revision, std::to_string(bytes[9]));
    }
    const auto failed = WriteUploadFiles({{folder.path() / "missing" / "p.rev", "x"}});
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->title, "RSComm-Upload Program");
    EXPECT_EQ(failed->icon, MessageIcon::Information);
}

TEST(UploadFiles, configurationFileKeepsItsPositionsForEveryBoard) {
    const std::string k707 = "F" + std::string(34, '0') + "20072000%\r\n";
    EXPECT_EQ(ConfigurationFileText(56, {2, 7, 2}), k707);
    TempFolder folder;
    for (int code = 56; code <= 65; ++code) {
        for (const ConfigDigits digits : {ConfigDigits{1, 9, 2}, ConfigDigits{3, 0, 3}}) {
            const std::string text = ConfigurationFileText(code, digits);
            EXPECT_EQ(text.size(), 46u) << code;
            const auto read = ReadConfigurationFile(folder.write("p.lcf", text));
            EXPECT_EQ(read.digits, digits) << code;
        }
    }
    EXPECT_EQ(ConfigurationFileText(57, {}).front(), '0');
    EXPECT_EQ(ConfigurationFileText(56, {1, 12, 1}).substr(38, 1), "0");
}

TEST(BoardIdentity, namesKnownBoardsSaysWhenACodeIsNotDefinedAndKeepsProgramMemoryInTheAddressSpace) {
    EXPECT_EQ(TargetboardName(57), "Not Defined");
    EXPECT_EQ(TargetboardName(70), "F Is Not Defined.");
    EXPECT_EQ(TargetboardName(0), "[0] Is Not Defined.");
    EXPECT_EQ(TargetboardName(200), "[200] Is Not Defined.");
    EXPECT_EQ(LCFBoardIndex(68), "G");
    EXPECT_EQ(LCFBoardIndex(50), "1");
    EXPECT_EQ(LCFBoardIndex(55), "");

    // Program memory stays within the address space.
    EXPECT_EQ(ProgramMemoryOf(68), (ProgramMemoryRange{0x4000, 0x8000}));
    EXPECT_EQ(ProgramMemoryOf(50), (ProgramMemoryRange{0x5000, 0xB000}));
    EXPECT_EQ(ProgramMemoryOf(55).byteCount, 0u);
    for (int code = 0; code < 128; ++code) {
        const auto range = ProgramMemoryOf(code);
        EXPECT_LE(range.start + range.byteCount, 0x10000u) << code;
        EXPECT_EQ(range.byteCount % 16, 0u) << code;
    }
}

TEST(BoardIdentity, configurationDigitsAndBoardValuesAreInverses) {
    EXPECT_EQ(ConfigurationWrites(ConfigDigits{}),
              (std::vector<BoardWrite>{{"B8188", "20"}, {"B8189", "0"}, {"B8190", "12"}}));
    EXPECT_EQ(ConfigDigitsFromBoard(5, 7, 10), (ConfigDigits{2, 7, 2}));
    EXPECT_EQ(ConfigDigitsFromBoard(99, 0, 0), (ConfigDigits{3, 0, 3}));
    for (int d36 = 1; d36 <= 3; ++d36)
        for (int d40 = 1; d40 <= 3; ++d40) {
            const auto w = ConfigurationWrites({d36, 6, d40});
            EXPECT_EQ(ConfigDigitsFromBoard(std::stoi(w[2].value), std::stoi(w[1].value),
                                            std::stoi(w[0].value)),
                      (ConfigDigits{d36, 6, d40}));
        }
}

TEST(BoardIdentity, identityWritesTrimTheIdentAndPadWithZeroBytes) {
    std::string writes;
    for (const BoardWrite& write : IdentityWrites("  AB C  ", "15", "18"))
        writes += write.address + "=" + write.value + " ";
    EXPECT_EQ(writes, "B61424=65 B61425=66 B61426=32 B61427=67 B61428=0 B61429=0 B61430=0 "
                      "B61431=0 B61432=15 B61433=18 ");
    EXPECT_EQ(IdentityWrites("ABCDEFGHIJ", "0", "0")[7].value, "72");
    EXPECT_EQ(IdentityWrites("\xE9", "0", "0")[0].value, "233");
    EXPECT_EQ(BoardIdentText({'Q', 0, 'L', 31, 'B', 32, 0, 0, 15, 18}), "QLB ");
}

} // namespace
} // namespace quelby
