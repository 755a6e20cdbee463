// The set-up file layout, byte for byte, and how the reader refuses what is not one.
#include "app/data/SetupFile.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

using Outcome = SetupFileRead::Outcome;

std::string le16(std::int64_t v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF)};
}
std::string le32(std::int64_t v) {
    return le16(v) + le16(v >> 16);
}
std::string descriptor(std::int64_t count, std::int64_t lowerBound, int dimensions = 1) {
    return le16(dimensions) + le32(count) + le32(lowerBound);
}
// PLS fields 16, 360, -1, 2; speed compensation 1..8; channel c: ON c, OFF 100 + c.
std::string tail() {
    std::string bytes = le16(16) + le16(360) + "\xFF\xFF" + le16(2);
    for (int i = 1; i <= 8; ++i)
        bytes += le16(i);
    for (int c = 0; c < 32; ++c)
        bytes += le16(c < 16 ? c : 100 + c - 16);
    return bytes;
}

TEST(SetupFile, writesAndReadsTheRecordByteForByte) {
    // Version "V1", addresses "B1" and "W22", values 1 and 65534.
    const std::string file = std::string("\x02\x00V1", 4) + descriptor(2, 0) +
                             std::string("\x02\x00"
                                         "B1\x03\x00"
                                         "W22",
                                         9) +
                             descriptor(2, 0) + std::string("\x01\0\0\0\xFE\xFF\0\0", 8) +
                             tail();
    MachineData data{"V1", {"B1", "W22"}, {1, 65534}, 16, 360, -1, 2, {1, 2, 3, 4, 5, 6, 7, 8}, {}};
    for (int c = 0; c < 16; ++c)
        data.Setpoint[c] = {std::int16_t(c), std::int16_t(100 + c)};

    EXPECT_EQ(SetupFileBytes(data), file);
    const SetupFileRead read = ParseSetupFile(file + "the old tail of a longer file");
    ASSERT_EQ(read.outcome, Outcome::Read);
    EXPECT_EQ(read.data, data);

    for (std::size_t size = 0; size < file.size(); ++size)
        EXPECT_EQ(ParseSetupFile(file.substr(0, size)).outcome, Outcome::Truncated) << size;

    // Elements sit at lower bound + position: 3 addresses from index 2, 1 value at index 4.
    const std::string bounded = le16(0) + descriptor(3, 2) + le16(2) + "B1" + le16(0) + le16(2) +
                                "B3" + descriptor(1, 4) + le32(7) + tail();
    const SetupFileRead placed = ParseSetupFile(bounded);
    EXPECT_EQ(placed.data.Address, (std::vector<std::string>{"", "", "B1", "", "B3"}));
    EXPECT_EQ(placed.data.Value, (std::vector<std::int32_t>{0, 0, 0, 0, 7}));
}

TEST(SetupFile, refusesImpossibleDescriptorsAndLengthsWithoutAllocatingThem) {
    const std::string noValues = le16(0) + descriptor(0, 0) + tail();
    const struct {
        std::string bytes;
        Outcome outcome;
    } cases[] = {
        {le16(0) + descriptor(1, 0, 2) + le16(0) + noValues, Outcome::Malformed},
        {le16(0) + descriptor(1, -1) + le16(0) + noValues, Outcome::Malformed},
        {le16(0) + descriptor(1, LastDataIndex + 1) + le16(0) + noValues, Outcome::Malformed},
        {le16(0) + descriptor(0xFFFFFFFF, 0) + tail(), Outcome::Truncated},
        {le16(0) + descriptor(0, 0) + descriptor(0x40000000, 0) + tail(), Outcome::Truncated},
        {le16(0) + descriptor(1, 0) + le16(0xFFFF) + tail(), Outcome::Truncated},
    };
    for (const auto& c : cases) {
        const SetupFileRead read = ParseSetupFile(c.bytes);
        EXPECT_EQ(read.outcome, c.outcome);
        EXPECT_EQ(read.data, MachineData{});
    }
}

TEST(SetupFile, aFileCopiedAsTextIsRefusedAndEveryFileTheProgramWritesIsRead) {
    const MachineData defaults = BuildDefaultData();
    // The defaults as written are read back by the file commands' and quelby-cli's tests.
    const std::string bytes = SetupFileBytes(defaults);

    // A text-mode copy puts CR before every LF byte: the record still ends within the file,
    // but its lengths, addresses and fields slide.
    std::string copied;
    for (char c : bytes) {
        if (c == '\n') copied += '\r';
        copied += c;
    }
    ASSERT_NE(copied, bytes);
    const SetupFileRead garbled = ParseSetupFile(copied);
    EXPECT_EQ(garbled.outcome, Outcome::Garbled);
    EXPECT_TRUE(garbled.data.Address.empty()) << "nothing of it is handed on";

    MachineData noScale = defaults;
    noScale.PLSScale = 0;
    EXPECT_EQ(ParseSetupFile(SetupFileBytes(noScale)).outcome, Outcome::Garbled);
    MachineData tooLarge = defaults;
    tooLarge.Value[104] = 2573; // B4011 holds a byte
    EXPECT_EQ(ParseSetupFile(SetupFileBytes(tooLarge)).outcome, Outcome::Garbled);
    MachineData foreignAddress = defaults;
    foreignAddress.Address[104] = "\r\nB1";
    EXPECT_EQ(ParseSetupFile(SetupFileBytes(foreignAddress)).outcome, Outcome::Garbled);
    foreignAddress.Address[104] = "";
    EXPECT_EQ(ParseSetupFile(SetupFileBytes(foreignAddress)).outcome, Outcome::Read);
}

} // namespace
} // namespace quelby::test
