#include "app/data/IoStates.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quelby {
namespace {

// The window tests check the rows they show; here the rest of the tables and the edges.
TEST(IoStates, everyRowHasItsOwnCaptionAndADescriptionAndBitsOutsideTheWordAreOff) {
    EXPECT_EQ(IoRowCaption(IoWord::Slot02, 7), "(B120.7)    7:");
    EXPECT_EQ(IoRowCaption(IoWord::Slot01, 15), "(B111.7)  17:");
    EXPECT_EQ(IoRowCaption(IoWord::Timing, 8), "CH10:");
    EXPECT_EQ(IoRowCaption(IoWord::Slot00, 16), "");
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

    EXPECT_FALSE(IoInputOn("2"));
    EXPECT_FALSE(IoInputOn(""));
    for (int b = 0; b < kIoBitsPerWord; ++b) EXPECT_TRUE(IoBitOn("65535", b)) << b;
    EXPECT_FALSE(IoBitOn("65535", 16));
    EXPECT_FALSE(IoBitOn("65535", -1));
}

} // namespace
} // namespace quelby
