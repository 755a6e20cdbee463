#include "tests/transfer/TransferRig.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

using Pair = std::array<std::int16_t, 2>;

TEST(TimingChannelUpload, aListEndingEarlyZerosTheChannelAndCancelIsIgnored) {
    TransferRig rig;
    rig.pls.setScaleFactor(1000);
    rig.pls.setOffset(250);
    rig.pls.setChannel(0, {{1, 20}, {0, 60}});
    // Channel 1 has no setpoint; the others end after their ON setpoint.
    for (int channel = 2; channel < kTimingChannelCount; ++channel)
        rig.pls.setChannel(channel, {{1, static_cast<std::uint16_t>(30 + channel)}});
    rig.onYield = [](DataTransfer& transfer, int) { transfer.Cancel(); };
    const TransferOutcome outcome = rig.run(1);

    EXPECT_EQ(rig.data.PLSScale, 1000);
    EXPECT_EQ(rig.data.ResolverOffset, 250);
    EXPECT_EQ(rig.data.Setpoint[0], (Pair{20, 60}));
    for (int channel = 1; channel < kTimingChannelCount; ++channel)
        EXPECT_EQ(rig.data.Setpoint[static_cast<std::size_t>(channel)], (Pair{0, 0})) << channel;
    // Lists that end early count an extra step each; the bar stops at its maximum.
    for (const TransferProgress& progress : rig.shown)
        EXPECT_LE(progress.value, 33);
    EXPECT_EQ(rig.shown.back().value, 33);
    EXPECT_FALSE(outcome.commError || outcome.plsStopped);
}

TEST(TimingChannelUpload, aChannelRecalledJustBeforeIsStoredAsTheBoardHoldsIt) {
    TransferRig rig;
    rig.pls.setChannel(0, {{1, 25}, {0, 65}});
    // The timing window's Recall Channel reads the row's two setpoints and leaves the list there.
    ASSERT_TRUE(rig.link.RecallChannel(0) && rig.link.RecallChannel(0));
    rig.run(1);
    EXPECT_EQ(rig.data.Setpoint[0], (Pair{25, 65}));
}

TEST(TransferTrust, aScaleOfZeroOrAnUntrustedDataPointIsNotTakenAndCounted) {
    TransferRig rig;
    rig.pls.setScaleFactor(0);
    EXPECT_EQ(rig.run(1).unconfirmed, 1);
    EXPECT_EQ(rig.data.PLSScale, 360) << "the data set keeps a scale it can be saved with";

    // Set-up parameters: point 0, then 85..104; the echo of point 85's high address byte is
    // spoiled on both tries (the read is repeated once after a new handshake).
    TransferRig twice;
    twice.fillBoard();
    twice.board.corruptAnswerAt(2 + 2 * 1);
    twice.board.corruptAnswerAt(2 + 2 * 1 + 1 + 3);
    const TransferOutcome outcome = twice.run(0);
    EXPECT_EQ(outcome.unconfirmed, 1);
    EXPECT_FALSE(outcome.commError);
    EXPECT_EQ(twice.data.Value[85], BuildDefaultData().Value[85]) << "the old value stays";
    EXPECT_EQ(twice.data.Value[86], TransferRig::BoardValue(86));
}

TEST(TimingChannelDownload, aRefusedConfigurationStillSendsChannelsButARefusedSetpointStops) {
    TransferRig rig;
    rig.data.PLSScale = 0;            // refused by the link without traffic
    rig.data.Setpoint[3] = {400, 10}; // beyond the board's scale of 360
    const TransferOutcome outcome = rig.run(11);

    EXPECT_TRUE(outcome.plsStopped && outcome.timingDownloaded);
    EXPECT_FALSE(outcome.commError);
    EXPECT_EQ(rig.pls.channel(2), (std::vector<sim::PlsSetpoint>{{1, 180}, {0, 0}}));
    EXPECT_TRUE(rig.pls.channel(4).empty());
    ASSERT_EQ(rig.prompt.requests().size(), 2u) << "a PLS stop ends without the end message";
    EXPECT_EQ(rig.prompt.requests()[0].title, "PLS Download") << "the refusal is named";
    EXPECT_EQ(rig.prompt.requests()[0].lines.front(), "Scale Factor = 0 is outside 1-65535.");
    EXPECT_EQ(rig.prompt.requests()[1].title, "PLS Single Setpoint");
    EXPECT_EQ(rig.shown.back().value, 6);
}

} // namespace
} // namespace quelby::test
