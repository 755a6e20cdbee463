#include "app/data/TargetBoardFaults.h"
#include "app/data/TargetBoardSetup.h"
#include "link/BoardIdentity.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quelby::test {
namespace {

TEST(TargetBoardTexts, everyByteFromTheBoardGivesACodeCaptionAndAction) {
    for (int value = 0; value <= 255; ++value) {
        SCOPED_TRACE(value);
        const std::string code = FaultCodeText(std::to_string(value), false);
        ASSERT_EQ(code.size(), 2u);
        EXPECT_EQ(FaultCodeValue(code), value);
        EXPECT_EQ(FaultEntryCaption(0, code), "Current Fault: Code = " + code + "H");
        EXPECT_EQ(FaultEntryCaption(1, code), "Last Fault: Code = " + code + "H");
        EXPECT_EQ(FaultEntryCaption(2, code), "CO-CPU Slot: " + std::to_string(value));
        EXPECT_EQ(FaultEntryCaption(4, code), "Current Comm Error: Code = " + code + "H");
        EXPECT_EQ(FaultEntryCaption(5, code), "Last Comm Error: Code = " + code + "H");
        EXPECT_FALSE(CorrectiveActionText(value).empty());
        EXPECT_FALSE(TargetboardName(value).empty());
        EXPECT_EQ(PolledFieldText(std::to_string(value)).size(), 2u);
    }
    EXPECT_EQ(FaultCodeText("5", false), "05");
    EXPECT_EQ(FaultCodeText("255", false), "FF");
    EXPECT_EQ(FaultCodeText("0", false), "00");
    EXPECT_EQ(FaultCodeText("7", true), "42") << "a failed link reads as a link fault";
    EXPECT_EQ(FaultCodeText("", false), "00");
    EXPECT_EQ(FaultEntryCaption(3, "4A"), "");
    EXPECT_EQ(PolledFieldText("7"), "07");
    EXPECT_EQ(PolledFieldText("42"), "42");
    EXPECT_EQ(PolledFieldText("105"), "05");
}

TEST(TargetBoardTexts, clockTextsAndTheClockWrites) {
    const LocalDateTime morning{2005, 3, 7, 9, 5, 0, 2};
    EXPECT_EQ(CurrentTimeText(morning), "09 : 05 : 00");
    EXPECT_EQ(CurrentDateText(morning), "03 - 07 - 2005");
    EXPECT_EQ(ClockPartText(ClockPart::Year, morning), "05");
    EXPECT_EQ(ClockPartText(ClockPart::Hour, morning), "9");
    EXPECT_EQ(ClockPartText(ClockPart::Minute, morning), "5");
    EXPECT_EQ(ClockPartText(ClockPart::Month, morning), "3");
    EXPECT_EQ(ClockPartText(ClockPart::Year, {2026, 1, 1, 0, 0, 0, 1}), "26");
    EXPECT_EQ(ClockPartText(ClockPart::Year, {2100, 1, 1, 0, 0, 0, 1}), "00");
    EXPECT_EQ(SetupFieldTitle(kTargetSetupFields[2]), "Set-upHr.");
    EXPECT_EQ(BoardIdentAddress(0), "B61424");
    EXPECT_EQ(BoardIdentAddress(9), "B61433");
    EXPECT_EQ(IdentCharacterCode("65"), 'A');
    EXPECT_EQ(IdentCharacterCode("0"), -1) << "padding shows no character";
    EXPECT_EQ(IdentCharacterCode("233"), 233);
}

TEST(TargetBoardTexts, onDiskIdentFromTheProgramFileSet) {
    TempFolder folder;
    const auto hbx = folder.write("prog/NAME.hbx", "A program\r\n");
    folder.write("prog/NAME.rev", "NAME12AB,rest\r\n");
    folder.write("prog/NAME.hex", ":00000001FF\r\n");
    OnDiskIdent ident = ReadOnDiskIdent(hbx);
    EXPECT_FALSE(ident.failure);
    EXPECT_EQ(ident.boardType, 65);
    EXPECT_EQ(ident.name, "NAME");
    EXPECT_EQ(ident.checksum, 0x12);
    EXPECT_EQ(ident.revision, 0xAB);
    ASSERT_TRUE(ident.hexModified);
    EXPECT_GT(*ident.hexModified, 1'500'000'000);

    folder.write("prog/NAME.rev", "ABC1230?12\r\n"); // MarkHex digits
    ident = ReadOnDiskIdent(hbx);
    EXPECT_EQ(ident.name, "ABC123");
    EXPECT_EQ(ident.checksum, 15);
    EXPECT_EQ(ident.revision, 0x12);

    std::filesystem::remove(folder.path() / "prog/NAME.hex");
    EXPECT_FALSE(ReadOnDiskIdent(hbx).hexModified);

    for (const char* shortLine : {"", "AB1", ",NAME12AB"}) {
        folder.write("prog/NAME.hex", ":00000001FF\r\n");
        folder.write("prog/NAME.rev", shortLine);
        ident = ReadOnDiskIdent(hbx);
        EXPECT_EQ(ident.name, "-") << shortLine;
        EXPECT_EQ(ident.revision, 0) << shortLine;
        EXPECT_EQ(ident.checksum, 0) << shortLine;
        EXPECT_FALSE(ident.hexModified) << "the hex file is noted only beside a read revision";
        EXPECT_FALSE(ident.failure);
    }

    const auto empty = folder.write("prog/EMPTY.hbx", "");
    ident = ReadOnDiskIdent(empty);
    EXPECT_EQ(ident.boardType, 68);
    EXPECT_EQ(ident.name, "-");

    ident = ReadOnDiskIdent(folder.path() / "prog/MISSING.hbx");
    EXPECT_EQ(ident.boardType, 0);
    EXPECT_EQ(ident.name, "");
    EXPECT_FALSE(ident.failure);

    // A revision "file" that cannot be read (a folder of that name) stops the opening.
    std::filesystem::remove(folder.path() / "prog/NAME.rev");
    std::filesystem::create_directories(folder.path() / "prog/NAME.rev");
    ident = ReadOnDiskIdent(hbx);
    ASSERT_TRUE(ident.failure);
    EXPECT_EQ(ident.failure->title, "InitializeForm");
    EXPECT_EQ(ident.failure->lines.at(0).rfind("Error Number = ", 0), 0u);
}

} // namespace
} // namespace quelby::test
