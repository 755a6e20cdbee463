#include "TransferValues.h"

#include <gtest/gtest.h>

#include <limits>

namespace quelby {
namespace {

TEST(TransferValues, uploadedTextsRoundHalvesToEvenAndTakeOnlyTheLeadingNumber) {
    EXPECT_EQ(ValueFromBoardText("12.5"), 12);
    EXPECT_EQ(ValueFromBoardText("13.5"), 14);
    EXPECT_EQ(ValueFromBoardText("-2.5"), -2);
    EXPECT_EQ(ValueFromBoardText("  42 cans"), 42);
    EXPECT_EQ(ValueFromBoardText("7e2x"), 700);
    EXPECT_EQ(ValueFromBoardText("abc"), 0);
    EXPECT_EQ(ValueFromBoardText(""), 0);
    EXPECT_EQ(ValueFromBoardText("99999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ValueFromBoardText("-1e400"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ValueFromBoardText("0.0000001e7"), 1);
    EXPECT_EQ(WordFromBoardText("40000"), -25536);
}

TEST(TransferValues, downloadedTextsHaveALeadingBlankUnlessNegative) {
    EXPECT_EQ(BoardTextFromValue(5), " 5");
    EXPECT_EQ(BoardTextFromValue(0), " 0");
    EXPECT_EQ(BoardTextFromValue(-3), "-3");
}

} // namespace
} // namespace quelby
