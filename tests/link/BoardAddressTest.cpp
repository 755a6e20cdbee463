#include "link/BoardAddress.h"

#include <gtest/gtest.h>

namespace quelby {
namespace {

ParsedAddress Parsed(char type, int byte, int mask = 0) {
    return {type, byte, static_cast<std::uint8_t>(mask), mask != 0};
}

TEST(ParseAddress, readsEveryFormTheBoardUsesAndRefusesTextsNoBoardItemAnswersTo) {
    const std::pair<const char*, ParsedAddress> forms[] = {
        {"b1003", Parsed('B', 1003)},        {"W182", Parsed('W', 182)},
        {"D1100", Parsed('D', 1100)},        {"B1016.0", Parsed('B', 1016, 1)},
        {"B4001.7", Parsed('B', 4001, 128)}, {"F8", Parsed('B', 33, 1)},
        {"f119", Parsed('B', 46, 128)},      {"1F40H", Parsed('B', 8000)},
        {"eff0h", Parsed('B', 0xEFF0)},      {" W182 ", Parsed('W', 182)},
        {"B65279", Parsed('B', 0xFEFF)},     {"W65278", Parsed('W', 0xFEFE)},
        {"D65276", Parsed('D', 0xFEFC)},     {"FEFFH", Parsed('B', 0xFEFF)}};
    for (const auto& [text, parsed] : forms)
        EXPECT_EQ(ParseAddress(text), parsed) << text;
    for (const char* text : {"", "W", "X10", "Z5", "W18x2", "B-3", "B1016.8", "B1016.", "B10.16",
                             // A high byte of 0xFF would start a handshake on the wire.
                             "B65280", "B65535", "W65279", "D65277", "FF00H", "B65280.0",
                             "FFFFFH", "1G0H", "F522048", "B99999999999",
                             // Ten digits and more must not wrap past 32 bits into 1003.
                             "B4294968299", "W4294967478", "B4294968299.3", "F4294967288",
                             "100000003EBH"})
        EXPECT_FALSE(ParseAddress(text)) << text;
}

// The mark-hex digits are pinned through the revision files; these are the edges.
TEST(ValueForms, wordsAndDoubleWordsKeepTheBoardsByteOrderAndOctalAndMarkHexTheirDigits) {
    EXPECT_EQ(EncodeValue('W', 1234), (std::vector<std::uint8_t>{0xD2, 0x04}));
    EXPECT_EQ(DecodeValue('D', {0x0F, 0x27, 0xFF, 0xFF}), 655359999u);
    for (std::uint32_t value : {0u, 9999u, 10000u, 655359999u})
        EXPECT_EQ(DecodeValue('D', EncodeValue('D', value)), value);
    EXPECT_EQ(Dec2Octal(63), 77);
    EXPECT_EQ(Octal2Dec(77), 63);
    EXPECT_EQ(HEX2MarkHEX("ab"), "ab");
    EXPECT_EQ(HexTextToNumber(""), 0);
}

TEST(CheckEntry, dropsDisplayCharactersAndRefusesEverythingElse) {
    EXPECT_EQ(CheckEntry("W182", "1,200").value, 1200u);
    EXPECT_EQ(CheckEntry("W182", " 45\xB0").value, 45u);
    EXPECT_EQ(CheckEntry("W182", "45\xC2\xB0 %").value, 45u);
    EXPECT_EQ(CheckEntry("W182", "").value, 0u);
    EXPECT_FALSE(CheckEntry("W182", " 12").error);
    const std::tuple<const char*, const char*, const char*> refused[] = {
        {"W182", "-5", "Only Numerical Data Allowed."},
        {"W182", "12.5", "Only Whole Numbers Allowed."},
        {"B1016.0", "2", "Enter 0 or 1 Only."},
        {"B1003", "256", "Entry out of Range (0-255)."},
        {"W182", "65536", "Entry out of Range (0-65,535)."},
        {"D1100", "655360000", "Entry out of Range (0-655,359,999)."},
        {"D1100", "99999999999999999999999", "Entry out of Range (0-655,359,999)."},
        {"Q12", "1", "Invalid Board Address (Q12)."}};
    for (const auto& [address, value, error] : refused)
        EXPECT_EQ(CheckEntry(address, value).error, error) << address << " " << value;
}

// Each I/O point maps to its byte per board type, and each type is limited per board group.
TEST(IoPoints, mapPerBoardTypeAndEachAddressTypeIsLimitedPerBoardGroup) {
    const std::tuple<const char*, int, const char*> mapped[] = {
        {"X11", 50, "B163"}, {"I151", 50, "B223"},   {"x10.3", 58, "B51.3"}, {"X80", 49, "B57"},
        {"Y141", 49, "B67"}, {"Y21", 65, "B54"},     {"Y11", 61, "B52"},     {"X12", 50, "X12"},
        {"X21", 58, "X21"},  {"B1003", 50, "B1003"}, {"X10", 77, "X10"},     {"", 50, ""},
        {"Y0", 60, "B49"}};
    for (const auto& [text, board, expected] : mapped)
        EXPECT_EQ(EquateAdd(text, board), expected) << text << " on " << board;
    const std::tuple<const char*, int, bool> limited[] = {
        {"W1001", 68, false}, {"W8274", 68, true},   {"W8276", 68, false}, {"X12", 49, false},
        {"X151", 49, true},   {"X30", 58, false},    {"B255", 49, true},   {"B256", 49, false},
        {"B31", 69, false},   {"B1016.0", 69, true}, {"F120", 49, true},   {"F121", 49, false},
        {"F991", 69, true},   {"I10", 58, false},    {"I21", 51, true},    {"X0", 68, false},
        {"Q5", 49, false}};
    for (const auto& [text, board, valid] : limited)
        EXPECT_EQ(ValidAdd(text, board), valid) << text << " on " << board;
}

} // namespace
} // namespace quelby
