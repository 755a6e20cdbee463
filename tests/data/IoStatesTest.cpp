#include "app/data/IoStates.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quelby {
namespace {

TEST(IoStates, rowCaptionsNameTheBitsByteAddressAndTerminal) {
    EXPECT_EQ(IoRowCaption(IoWord::Slot00, 0), "(B100.0)    0:");
    EXPECT_EQ(IoRowCaption(IoWord::Slot02, 7), "(B120.7)    7:");
    EXPECT_EQ(IoRowCaption(IoWord::Slot02, 8), "(B121.0)  10:");
    EXPECT_EQ(IoRowCaption(IoWord::Slot01, 15), "(B111.7)  17:");
    EXPECT_EQ(IoRowCaption(IoWord::Timing, 0), "CH00:");
    EXPECT_EQ(IoRowCaption(IoWord::Timing, 7), "CH07:");
    EXPECT_EQ(IoRowCaption(IoWord::Timing, 8), "CH10:");
    EXPECT_EQ(IoRowCaption(IoWord::Timing, 15), "CH17:");
    EXPECT_EQ(IoBitAddress(IoWord::Timing, 9), "B171.1");
    EXPECT_EQ(IoRowCaption(IoWord::Slot00, 16), "");

    EXPECT_STREQ(IoRowDescription(IoWord::Slot00, 8), "Main Drive ON");
    EXPECT_STREQ(IoRowDescription(IoWord::Slot01, 15), "Remote Display (Strobe 1000's)");
    EXPECT_STREQ(IoRowDescription(IoWord::Slot02, 15), "PC Clock Timing");
    EXPECT_STREQ(IoRowDescription(IoWord::Timing, 8), "PLC Clock Timing");
    EXPECT_STREQ(IoRowDescription(IoWord::Timing, 9), "spare");
    EXPECT_STREQ(IoK650Description(0), "Can/No Can Sensor");
    EXPECT_STREQ(IoK650Caption(10), "Offset:");

    // Each slot row says what its terminal is for; the captions are all different.
    std::set<std::string> captions;
    for (IoWord word : kIoWords)
        for (int b = 0; b < kIoBitsPerWord; ++b) {
            EXPECT_STRNE(IoRowDescription(word, b), "");
            captions.insert(IoRowCaption(word, b));
        }
    EXPECT_EQ(captions.size(), 64u);
}

TEST(IoStates, statesComeFromTheNumericValueAndItsBits) {
    EXPECT_TRUE(IoInputOn("1"));
    EXPECT_FALSE(IoInputOn("0"));
    EXPECT_FALSE(IoInputOn("2"));
    EXPECT_FALSE(IoInputOn(""));

    const auto onBits = [](const char* text) {
        std::set<int> on;
        for (int b = 0; b < kIoBitsPerWord; ++b)
            if (IoBitOn(text, b)) on.insert(b);
        return on;
    };
    EXPECT_EQ(onBits("257"), (std::set<int>{0, 8}));
    EXPECT_EQ(onBits("32768"), (std::set<int>{15}));
    EXPECT_EQ(onBits("65535").size(), 16u);
    EXPECT_TRUE(onBits("0").empty());
    EXPECT_FALSE(IoBitOn("65535", 16));
}

} // namespace
} // namespace quelby
