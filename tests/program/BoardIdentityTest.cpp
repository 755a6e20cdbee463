#include "link/BoardIdentity.h"

#include <gtest/gtest.h>

namespace quelby {
namespace {

TEST(BoardIdentity, namesKnownBoardsAndSaysWhenACodeIsNotDefined) {
    EXPECT_EQ(TargetboardName(57), "Not Defined");
    EXPECT_EQ(TargetboardName(70), "F Is Not Defined.");
    EXPECT_EQ(TargetboardName(0), "[0] Is Not Defined.");
    EXPECT_EQ(TargetboardName(200), "[200] Is Not Defined.");
    EXPECT_EQ(LCFBoardIndex(68), "G");
    EXPECT_EQ(LCFBoardIndex(50), "1");
    EXPECT_EQ(LCFBoardIndex(55), "");
}

TEST(BoardIdentity, programMemoryStaysWithinTheAddressSpace) {
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
    const auto writes = IdentityWrites("  AB C  ", "15", "18");
    ASSERT_EQ(writes.size(), 10u);
    EXPECT_EQ(writes[0], (BoardWrite{"B61424", "65"}));
    EXPECT_EQ(writes[2], (BoardWrite{"B61426", "32"}));
    EXPECT_EQ(writes[4], (BoardWrite{"B61428", "0"}));
    EXPECT_EQ(writes[8], (BoardWrite{"B61432", "15"}));
    EXPECT_EQ(writes[9], (BoardWrite{"B61433", "18"}));
    EXPECT_EQ(IdentityWrites("ABCDEFGHIJ", "0", "0")[7].value, "72");
    EXPECT_EQ(IdentityWrites("\xE9", "0", "0")[0].value, "233");
    EXPECT_EQ(BoardIdentText({'Q', 0, 'L', 31, 'B', 32, 0, 0, 15, 18}), "QLB ");
}

} // namespace
} // namespace quelby
