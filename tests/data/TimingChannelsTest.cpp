#include "app/data/TimingChannels.h"

#include <gtest/gtest.h>

namespace quelby::timing {
namespace {

TEST(TimingChannels, thePlsChannelFieldTurnsExactlyEightAndNineIntoTenAndTheButtonsTenIntoEight) {
    for (const char* text : {"8", "9", " 9", "+8"}) EXPECT_EQ(PlsChannelFieldText(text), "10") << text;
    for (const char* text : {"7", "10", "8.5", "9.0", "8e0", "89", "9abc", "", "-8"})
        EXPECT_EQ(PlsChannelFieldText(text), text) << text;
    for (const char* text : {"7.6", "9.0", "1e2", "12abc", "", "-", " ", "1234567890"})
        EXPECT_EQ(WholeNumberText(text), std::nullopt) << text;
    EXPECT_EQ(WholeNumberText(" 359 "), 359);
    EXPECT_EQ(WholeNumberText("-1"), -1);
    EXPECT_EQ(BoardChannel(7), 7);
    EXPECT_EQ(BoardChannel(10), 8);
    EXPECT_EQ(ChannelOfField(24), 8);
    EXPECT_EQ(ColumnOfField(24), 1);
    EXPECT_EQ(ColumnOfField(8), 0);
}

TEST(TimingChannels, theConfigurationSentPlacesProgramCompensationsAndChannelCount) {
    MachineData data;
    data.PLSProgram = 3;
    data.PLSChannels = 12;
    data.SpeedComp = {11, 12, 13, 14, 15, 16, 17, 18};
    const RSComm::PlsConfigDownloadValues expected{3,  11, 12, 13, 14, 0, 15, 16, 17, 18, 0, 0,
                                                   0,  0,  0,  0,  0,  0, 12, 0,  0,  0,  0, 0};
    EXPECT_EQ(ConfigurationToSend(data), expected);
    const std::array<std::int16_t, 10> shown{12, 3, 11, 12, 13, 14, 15, 16, 17, 18};
    EXPECT_EQ(ConfigurationShown(data), shown);
}

} // namespace
} // namespace quelby::timing
