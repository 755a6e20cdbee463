#include "link/IntelHex.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <numeric>

namespace quelby {
namespace {

using test::TempFolder;

// Two records of a real-looking program and the end record.
const std::string kProgram = ":10010000214601360121470136007EFE09D2190140\r\n"
                             ":100110002146017E17C20001FF5F16002148011928\r\n"
                             ":00000001FF\r\n";

TEST(IntelHexParse, acceptsRecordsWithEitherLineEndAndTrailingBlankLines) {
    const auto parse = ParseIntelHex(kProgram);
    ASSERT_TRUE(parse.ok()) << parse.error;
    ASSERT_EQ(parse.records.size(), 3u);
    EXPECT_EQ(parse.records[0].address, 0x0100);
    EXPECT_EQ(ProgramAddressText(parse.records[0].address), "0100H");
    EXPECT_EQ(parse.records[0].data.front(), 0x21);
    EXPECT_EQ(parse.records[2].type, kHexEndRecord);

    EXPECT_EQ(ParseIntelHex(":0340000001aBcD44\n:00000001ff").error, "") << "lower case, LF";
    EXPECT_TRUE(ParseIntelHex(kProgram + "\r\n\n  \r\n\x1A").ok());
    // A data record of length 0 is kept; the download skips it.
    const auto empty = ParseIntelHex(":00400000C0\n:00000001FF\n");
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty.records[0].length(), 0);
    EXPECT_EQ(empty.records[0].type, kHexDataRecord);
}

TEST(IntelHexParse, refusesEveryMalformedLineWithItsNumberAndReason) {
    struct Case {
        std::string text;
        std::size_t line;
        std::string reason;
    };
    const std::string end = ":00000001FF\n";
    const std::string good = ":0340000001ABCD44\n";
    const Case cases[] = {
        {good + "0340000001ABCD44\n" + end, 2, "line does not begin with ':'"},
        {good + "\n" + good + end, 2, "line does not begin with ':'"},
        {":0340000001ABCD4\n" + end, 1, "odd number of hex digits"},
        {":0340000001ABCD4G\n" + end, 1, "character 17 is not a hex digit"},
        {good + ":034000BD\n" + end, 2, "record is too short"},
        {":0440000001ABCD44\n" + end, 1,
         "length byte 04 does not match the 3 data bytes of the line"},
        {":0340000001ABCD45\n" + end, 1, "record checksum is wrong"},
        {":020000040001F9\n" + end, 1, "record type 04 is not allowed"},
        {":03FFFE0001ABCD87\n" + end, 1, "data runs past address FFFF"},
        {":01000001AA54\n", 1, "end-of-file record carries data"},
        {end + good, 2, "data after the end-of-file record"},
        {good, 0, "no end-of-file record"},
        {"", 0, "no end-of-file record"},
        {":" + std::string(600, '0') + "\n" + end, 1, "line is longer than any record"},
    };
    for (const Case& c : cases) {
        const auto parse = ParseIntelHex(c.text);
        EXPECT_FALSE(parse.ok()) << c.text;
        EXPECT_TRUE(parse.records.empty());
        EXPECT_EQ(parse.errorLine, c.line) << c.text;
        EXPECT_EQ(parse.error, c.reason) << c.text;
    }
    EXPECT_TRUE(ParseIntelHex(":03FFFD0001ABCD88\n" + end).ok());
    EXPECT_EQ(ParseIntelHex(std::string(kHexMaxFileBytes + 1, '\n')).error, "file is too long");
}

TEST(IntelHexWrite, uploadTextIsSixteenByteRecordsThenTheEndRecord) {
    std::vector<std::uint8_t> memory(32);
    std::iota(memory.begin(), memory.end(), std::uint8_t{0xF0});
    EXPECT_EQ(IntelHexText(0x4000, memory), ":10400000F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF38\r\n"
                                            ":10401000000102030405060708090A0B0C0D0E0F28\r\n"
                                            ":00000001FF");

    // The top of memory is written up to FFFF and no further.
    EXPECT_EQ(ParseIntelHex(IntelHexText(0xFFF0, std::vector<std::uint8_t>(32))).records.size(),
              2u);
}

TEST(IntelHexFile, missingEmptyAndOversizedFilesAreToldApart) {
    TempFolder folder;
    EXPECT_EQ(ReadIntelHexFile(folder.path() / "none.hex").outcome, HexFileRead::Outcome::Missing);
    EXPECT_EQ(ReadIntelHexFile(folder.write("e.hex", "")).outcome, HexFileRead::Outcome::Empty);
    EXPECT_EQ(ReadIntelHexFile(folder.path()).outcome, HexFileRead::Outcome::ReadError);
    // A file that reads well is met by ProgramUpload and SampleProgram.
    EXPECT_EQ(ReadIntelHexFile(folder.write("b.hex", "garbage")).outcome,
              HexFileRead::Outcome::Invalid);
    const auto big =
        ReadIntelHexFile(folder.write("big.hex", std::string(kHexMaxFileBytes + 100, '\n')));
    EXPECT_EQ(big.outcome, HexFileRead::Outcome::Invalid);
    EXPECT_EQ(big.parse.error, "file is too long");
}

} // namespace
} // namespace quelby
