#include "app/data/TransferValues.h"

#include <gtest/gtest.h>

#include <limits>

namespace quelby {
namespace {

TEST(TransferValues, uploadedTextsRoundHalvesToEvenAndTakeOnlyTheLeadingNumber) {
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    const std::pair<const char*, std::int32_t> cases[] = {
        {"12.5", 12}, {"13.5", 14},          {"-2.5", -2},  {"  42 cans", 42},
        {"7e2x", 700}, {"abc", 0},           {"", 0},       {"99999999999", kMax},
        {"-1e400", kMin}, {"0.0000001e7", 1}};
    for (auto [text, value] : cases)
        EXPECT_EQ(ValueFromBoardText(text), value) << text;
    EXPECT_EQ(WordFromBoardText("40000"), -25536);
}

TEST(TransferValues, downloadedTextsHaveALeadingBlankUnlessNegative) {
    EXPECT_EQ(BoardTextFromValue(5), " 5");
    EXPECT_EQ(BoardTextFromValue(0), " 0");
    EXPECT_EQ(BoardTextFromValue(-3), "-3");
}

} // namespace
} // namespace quelby
