#include "BoardAddress.h"

#include <gtest/gtest.h>

namespace quelby {
namespace {

ParsedAddress Parsed(char type, int byte, int mask = 0) {
    return {type, byte, static_cast<std::uint8_t>(mask), mask != 0};
}

TEST(ParseAddress, readsEveryFormTheBoardUses) {
    EXPECT_EQ(ParseAddress("b1003"), Parsed('B', 1003));
    EXPECT_EQ(ParseAddress("W182"), Parsed('W', 182));
    EXPECT_EQ(ParseAddress("D1100"), Parsed('D', 1100));
    EXPECT_EQ(ParseAddress("B1016.0"), Parsed('B', 1016, 1));
    EXPECT_EQ(ParseAddress("B4001.7"), Parsed('B', 4001, 128));
    EXPECT_EQ(ParseAddress("F0"), Parsed('B', 32, 1));
    EXPECT_EQ(ParseAddress("F8"), Parsed('B', 33, 1));
    EXPECT_EQ(ParseAddress("f119"), Parsed('B', 46, 128));
    EXPECT_EQ(ParseAddress("1F40H"), Parsed('B', 8000));
    EXPECT_EQ(ParseAddress("5H"), Parsed('B', 5));
    EXPECT_EQ(ParseAddress("eff0h"), Parsed('B', 0xEFF0));
    EXPECT_EQ(ParseAddress(" W182 "), Parsed('W', 182));
}

TEST(ParseAddress, refusesTextsNoBoardItemAnswersTo) {
    for (const char* text : {"", "W", "X10", "Z5", "W18x2", "B-3", "B1016.8", "B1016.", "B10.16",
                             "B65536", "W65535", "D65533", "FFFFFH", "1G0H", "F524032",
                             "B99999999999"})
        EXPECT_FALSE(ParseAddress(text)) << text;
    EXPECT_TRUE(ParseAddress("B65535"));
    EXPECT_TRUE(ParseAddress("W65534"));
    EXPECT_TRUE(ParseAddress("D65532"));
}

TEST(ValueForms, wordsAndDoubleWordsKeepTheBoardsByteOrder) {
    EXPECT_EQ(EncodeValue('W', 1234), (std::vector<std::uint8_t>{0xD2, 0x04}));
    EXPECT_EQ(EncodeValue('D', 123456789), (std::vector<std::uint8_t>{0x85, 0x1A, 0x39, 0x30}));
    EXPECT_EQ(DecodeValue('D', {0x0F, 0x27, 0xFF, 0xFF}), 655359999u);
    for (std::uint32_t value : {0u, 9999u, 10000u, 655359999u})
        EXPECT_EQ(DecodeValue('D', EncodeValue('D', value)), value);
}

TEST(CheckEntry, dropsDisplayCharactersAndRefusesEverythingElse) {
    EXPECT_EQ(CheckEntry("W182", "1,200").value, 1200u);
    EXPECT_EQ(CheckEntry("W182", " 45\xB0").value, 45u);
    EXPECT_EQ(CheckEntry("W182", "45\xC2\xB0 %").value, 45u);
    EXPECT_EQ(CheckEntry("W182", "12.5").value, 125u);
    EXPECT_EQ(CheckEntry("W182", "").value, 0u);
    EXPECT_FALSE(CheckEntry("W182", " 12").error);
    EXPECT_EQ(CheckEntry("W182", "-5").error, "Only Numerical Data Allowed.");
    EXPECT_EQ(CheckEntry("W182", "12abc").error, "Only Numerical Data Allowed.");
    EXPECT_EQ(CheckEntry("B1016.0", "2").error, "Enter 0 or 1 Only.");
    EXPECT_EQ(CheckEntry("B1003", "256").error, "Entry out of Range (0-255).");
    EXPECT_EQ(CheckEntry("W182", "65536").error, "Entry out of Range (0-65,535).");
    EXPECT_EQ(CheckEntry("D1100", "655360000").error, "Entry out of Range (0-655,359,999).");
    EXPECT_EQ(CheckEntry("D1100", "99999999999999999999999").error,
              "Entry out of Range (0-655,359,999).");
    EXPECT_EQ(CheckEntry("Q12", "1").error, "Invalid Board Address (Q12).");
}

TEST(CheckEntry, bitWritesSetOrClearOneBitOfTheCurrentByte) {
    EXPECT_EQ(BytesToWrite(CheckEntry("B1016.3", "1"), 0x05), (std::vector<std::uint8_t>{0x0D}));
    EXPECT_EQ(BytesToWrite(CheckEntry("B1016.0", "0"), 0x0D), (std::vector<std::uint8_t>{0x0C}));
    EXPECT_EQ(BytesToWrite(CheckEntry("F119", "1"), 0x00), (std::vector<std::uint8_t>{0x80}));
}

TEST(EquateAdd, mapsIoPointsPerBoardType) {
    EXPECT_EQ(EquateAdd("X11", 50), "B163");
    EXPECT_EQ(EquateAdd("I151", 50), "B223");
    EXPECT_EQ(EquateAdd("x10.3", 58), "B51.3");
    EXPECT_EQ(EquateAdd("X80", 49), "B57");
    EXPECT_EQ(EquateAdd("Y141", 49), "B67");
    EXPECT_EQ(EquateAdd("Y21", 65), "B54");
    EXPECT_EQ(EquateAdd("Y11", 61), "B52");
    EXPECT_EQ(EquateAdd("B1003", 50), "B1003");
    EXPECT_EQ(EquateAdd("X12", 50), "X12");
    EXPECT_EQ(EquateAdd("X21", 58), "X21");
    EXPECT_EQ(EquateAdd("X10", 77), "X10");
    EXPECT_EQ(EquateAdd("", 50), "");
}

TEST(ValidAdd, limitsEachTypePerBoardGroup) {
    EXPECT_FALSE(ValidAdd("W1001", 68));
    EXPECT_TRUE(ValidAdd("W8274", 68));
    EXPECT_FALSE(ValidAdd("W8276", 68));
    EXPECT_FALSE(ValidAdd("X12", 49));
    EXPECT_TRUE(ValidAdd("X151", 49));
    EXPECT_FALSE(ValidAdd("X30", 58));
    EXPECT_TRUE(ValidAdd("B255", 49));
    EXPECT_FALSE(ValidAdd("B256", 49));
    EXPECT_FALSE(ValidAdd("B31", 69));
    EXPECT_TRUE(ValidAdd("B1016.0", 69));
    EXPECT_TRUE(ValidAdd("F120", 49));
    EXPECT_FALSE(ValidAdd("F121", 49));
    EXPECT_TRUE(ValidAdd("F991", 69));
    EXPECT_FALSE(ValidAdd("I10", 58));
    EXPECT_TRUE(ValidAdd("I21", 51));
    EXPECT_FALSE(ValidAdd("X0", 68));
    EXPECT_FALSE(ValidAdd("Q5", 49));
}

TEST(Conversions, octalAndMarkHexDigits) {
    EXPECT_EQ(Dec2Octal(63), 77);
    EXPECT_EQ(Octal2Dec(77), 63);
    EXPECT_EQ(Dec2Octal(64), 80);
    EXPECT_EQ(MarkHex2HEX(":;<=>?09"), "ABCDEF09");
    EXPECT_EQ(HEX2MarkHEX("1F"), "1?");
    EXPECT_EQ(HEX2MarkHEX("ab"), "ab");
    EXPECT_EQ(HexTextToNumber(""), 0);
    EXPECT_EQ(HexTextToNumber("ff"), 255);
    EXPECT_EQ(MarkHexPairToDecimal("1?"), "31");
}

} // namespace
} // namespace quelby
