// The diagnostics windows' texts: fault codes, DF1 status, I/O rows, clock and program ident.
#include "app/data/Df1Status.h"
#include "app/data/IoStates.h"
#include "app/data/TargetBoardFaults.h"
#include "app/data/TargetBoardSetup.h"
#include "link/BoardIdentity.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace quelby::test {
namespace {

TEST(TargetBoardTexts, everyByteFromTheBoardGivesACodeCaptionAndAction) {
    for (int value = 0; value <= 255; ++value) {
        SCOPED_TRACE(value);
        const std::string code = FaultCodeText(std::to_string(value), false);
        ASSERT_EQ(code.size(), 2u);
        EXPECT_EQ(FaultCodeValue(code), value);
        EXPECT_EQ(FaultEntryCaption(2, code), "CO-CPU Slot: " + std::to_string(value));
        EXPECT_FALSE(CorrectiveActionText(value).empty());
        EXPECT_FALSE(TargetboardName(value).empty());
        EXPECT_EQ(PolledFieldText(std::to_string(value)).size(), 2u);
    }
    const LocalDateTime morning{2005, 3, 7, 9, 5, 0, 2};
    const std::pair<std::string, const char*> samples[] = {
        {FaultCodeText("5", false), "05"},
        {FaultCodeText("255", false), "FF"},
        {FaultCodeText("", false), "00"},
        {FaultCodeText("7", true), "42"}, // a failed link reads as a link fault
        {FaultEntryCaption(3, "4A"), ""},
        {PolledFieldText("7"), "07"},
        {PolledFieldText("42"), "42"},
        {PolledFieldText("105"), "05"},
        // The clock's texts.
        {CurrentTimeText(morning), "09 : 05 : 00"},
        {CurrentDateText(morning), "03 - 07 - 2005"},
        {ClockPartText(ClockPart::Year, morning), "05"},
        {ClockPartText(ClockPart::Hour, morning), "9"},
        {ClockPartText(ClockPart::Minute, morning), "5"},
        {ClockPartText(ClockPart::Month, morning), "3"},
        {ClockPartText(ClockPart::Year, {2100, 1, 1, 0, 0, 0, 1}), "00"},
        {SetupFieldTitle(kTargetSetupFields[2]), "Set-upHr."},
        {BoardIdentAddress(0), "B61424"},
        {BoardIdentAddress(9), "B61433"},
    };
    for (const auto& [text, expected] : samples) EXPECT_EQ(text, expected);
    EXPECT_EQ(IdentCharacterCode("65"), 'A');
    EXPECT_EQ(IdentCharacterCode("0"), -1) << "padding shows no character";
    EXPECT_EQ(IdentCharacterCode("233"), 233);
}

TEST(TargetBoardTexts, onDiskIdentFromTheProgramFileSet) {
    TempFolder folder;
    const auto hbx = folder.write("prog/NAME.hbx", "A program\r\n");
    const struct {
        const char* rev;
        bool hexFile;
        std::string name;
        int checksum, revision;
        bool hexNoted; // only beside a revision that was read
    } cases[] = {
        {"NAME12AB,rest\r\n", true, "NAME", 0x12, 0xAB, true},
        {"ABC1230?12\r\n", true, "ABC123", 15, 0x12, true}, // MarkHex digits
        {"NAME12AB\r\n", false, "NAME", 0x12, 0xAB, false},
        {"", true, "-", 0, 0, false},
        {"AB1", true, "-", 0, 0, false},
        {",NAME12AB", true, "-", 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rev);
        folder.write("prog/NAME.rev", c.rev);
        std::filesystem::remove(folder.path() / "prog/NAME.hex");
        if (c.hexFile) folder.write("prog/NAME.hex", ":00000001FF\r\n");
        const OnDiskIdent ident = ReadOnDiskIdent(hbx);
        EXPECT_FALSE(ident.failure);
        EXPECT_EQ(ident.boardType, 65);
        EXPECT_EQ(ident.name, c.name);
        EXPECT_EQ(ident.checksum, c.checksum);
        EXPECT_EQ(ident.revision, c.revision);
        EXPECT_EQ(ident.hexModified.has_value(), c.hexNoted);
        EXPECT_GT(ident.hexModified.value_or(2'000'000'000), 1'500'000'000) << "seconds since 1970";
    }

    OnDiskIdent ident = ReadOnDiskIdent(folder.write("prog/EMPTY.hbx", ""));
    EXPECT_EQ(ident.boardType, 68);
    EXPECT_EQ(ident.name, "-");

    ident = ReadOnDiskIdent(folder.path() / "prog/MISSING.hbx");
    EXPECT_EQ(ident.boardType, 0);
    EXPECT_EQ(ident.name, "");
    EXPECT_FALSE(ident.failure);
    // A revision "file" that cannot be read stops the opening: the Target Board window's tests.
}

// A known code's text starts with the code and is its own; any other gets the unknown form.
void ExpectOwnTextOr(const std::string& text, bool known, const std::string& knownStart,
                     const std::string& unknownForm) {
    if (known)
        EXPECT_TRUE(text.starts_with(knownStart) &&
                    !text.ends_with(unknownForm.substr(unknownForm.find(") ") + 2)))
            << text;
    else
        EXPECT_EQ(text, unknownForm);
}

// Every byte the board can hold gives a text; the known texts themselves are checked by samples
// here and by the R760DF1 window's tests.
TEST(Df1StatusTexts, everyStatusByteGivesItsOwnTextOrTheUnknownForm) {
    const std::set<unsigned> configuration{1, 2, 3, 4, 32, 34}, transmit{1, 2, 3, 4, 5, 6};
    std::set<unsigned> linkLayer{1, 2, 3, 4, 5, 6, 7, 8};
    for (unsigned high = 1; high <= 0xE; ++high)
        linkLayer.insert(high << 4);
    const auto hex = [](unsigned n, bool twoDigits) {
        const char* d = "0123456789ABCDEF";
        return n < 16 && !twoDigits ? std::string(1, d[n]) : std::string{d[n >> 4], d[n & 15]};
    };
    for (unsigned n = 0; n < 256; ++n) {
        SCOPED_TRACE(n);
        const std::string code = "(" + std::to_string(n) + ") ";
        ExpectOwnTextOr(Df1ConfigurationStatusText(n), configuration.count(n), code,
                        code + "Unknown Status");
        ExpectOwnTextOr(Df1TransmitStatusText(n), transmit.count(n), code, code + "Unknown Status");
        if (n != 0xF0)
            ExpectOwnTextOr(Df1LinkLayerStatusText(n, 0), linkLayer.count(n),
                            "(" + hex(n, true) + ") ", "(" + hex(n, false) + ") - Not Used");
        const std::string extended = "(F0-" + hex(n, false) + ") ";
        ExpectOwnTextOr(Df1LinkLayerStatusText(0xF0, n), n <= 0x1B, extended,
                        extended + "- Not Used");
    }
    const std::pair<std::string, const char*> samples[] = {
        {Df1ConfigurationStatusText(34), "(34) Invalid Slot ADD"},
        {Df1TransmitStatusText(3), "(3) DLE NAK Received"},
        {Df1ActiveCommandText(0), "Read"},
        {Df1ActiveCommandText(9), "(9) Unknown Command"},
        {Df1ReceivedCommandText(0), "Command"},
        {Df1LinkLayerStatusText(1, 0), "(01) Not Used"},
        {Df1LinkLayerStatusText(5, 0), "(05) Application Layer Timed out waiting for a response"},
        {Df1LinkLayerStatusText(16, 27), "(10) Illegal Command or Format"},
        {Df1LinkLayerStatusText(0xC0, 0), "(C0) Cannot Execute Command Due to Active IPBs"},
        {Df1LinkLayerStatusText(240, 0), "(F0-0) Not Used"},
        {Df1LinkLayerStatusText(240, 6), "(F0-6) Address Dosen't Point to Something Usable"},
        {Df1LinkLayerStatusText(240, 20),
         "(F0-14) Command Execution Failure for unknown reason; Possible PLC-3 Histogram Overflow"},
        {HexDigitsOf(0x1234ABCD), "1234ABCD"},
    };
    for (const auto& [text, expected] : samples)
        EXPECT_EQ(text, expected);
}

// The window tests check the rows they show; here the rest of the tables and the edges.
TEST(IoStates, everyRowHasItsOwnCaptionAndADescriptionAndEachBitItsState) {
    EXPECT_EQ(IoRowCaption(IoWord::Slot02, 7), "(B120.7)    7:");
    EXPECT_EQ(IoRowCaption(IoWord::Slot01, 15), "(B111.7)  17:");
    EXPECT_EQ(IoRowCaption(IoWord::Timing, 8), "CH10:");
    EXPECT_STREQ(IoRowDescription(IoWord::Slot01, 15), "Remote Display (Strobe 1000's)");
    EXPECT_STREQ(IoRowDescription(IoWord::Slot02, 15), "PC Clock Timing");
    EXPECT_STREQ(IoRowDescription(IoWord::Timing, 9), "spare");
    std::set<std::string> captions;
    for (IoWord word : kIoWords)
        for (int b = 0; b < kIoBitsPerWord; ++b) {
            EXPECT_STRNE(IoRowDescription(word, b), "");
            captions.insert(IoRowCaption(word, b));
        }
    EXPECT_EQ(captions.size(), 64u);

    EXPECT_TRUE(IoInputOn("1"));
    EXPECT_FALSE(IoInputOn("2"));
    EXPECT_FALSE(IoInputOn(""));
    for (int b = 0; b < kIoBitsPerWord; ++b) {
        EXPECT_TRUE(IoBitOn("65535", b)) << b;
        EXPECT_EQ(IoBitOn("32773", b), b == 0 || b == 2 || b == 15) << b; // 8005 hex
    }
}

} // namespace
} // namespace quelby::test
