#include "app/data/TransferMessages.h"
#include "tests/transfer/TransferRig.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

// No board value: shows which data points an upload left alone.
constexpr std::int32_t kUntouched = -7;

std::int32_t& ValueAt(MachineData& data, int index) {
    return data.Value[static_cast<std::size_t>(index)];
}

void ExpectUploadMovesOnly(int requestCode, TransferGroup group, int lastBar, int maximum) {
    TransferRig rig;
    rig.fillBoard();
    rig.data.Value.assign(kDataPointCount, kUntouched);
    const TransferOutcome outcome = rig.run(requestCode);
    for (int i = 0; i <= LastDataIndex; ++i)
        EXPECT_EQ(ValueAt(rig.data, i),
                  TransferGroupOf(i) == group ? TransferRig::BoardValue(i) : kUntouched)
            << "data point " << i;
    ASSERT_FALSE(rig.shown.empty());
    EXPECT_EQ(rig.shown.back().value, lastBar);
    EXPECT_EQ(rig.shown.back().maximum, maximum);
    EXPECT_FALSE(outcome.commError || outcome.timingDownloaded);
    EXPECT_TRUE(rig.prompt.requests().empty());
}

TEST(DataPointUpload, setUpParametersMovePointZeroAndPoints85To104AndFillTheBar) {
    ExpectUploadMovesOnly(0, TransferGroup::Setup, 21, 21);
}

TEST(DataPointUpload, shiftDataMovesPoints1To84AndEndsOneShortOfTheBar) {
    ExpectUploadMovesOnly(2, TransferGroup::ShiftData, 84, 85);
}

TEST(DataPointDownload, valuesGoWithALeadingBlankAndARefusedValueDoesNotStopTheRest) {
    TransferRig rig;
    ValueAt(rig.data, 85) = -3;
    ValueAt(rig.data, 86) = 5;
    ValueAt(rig.data, 1) = 99; // shift data: not part of the set-up parameters
    const TransferOutcome outcome = rig.run(10);
    EXPECT_EQ(rig.onBoard(85), 0);
    EXPECT_EQ(rig.onBoard(86), 5);
    EXPECT_EQ(rig.onBoard(104), 10);
    EXPECT_EQ(rig.onBoard(1), 0);
    ASSERT_EQ(rig.prompt.requests().size(), 1u);
    EXPECT_EQ(rig.prompt.requests()[0].title, "ENTRY ALERT");
    EXPECT_FALSE(outcome.commError);
    EXPECT_EQ(rig.shown.back().value, 21);
}

TEST(DataPointTransfer, aLinkThatFailsMidwayEndsWithErrorProcessingRequestAndKeepsWhatMoved) {
    TransferRig rig;
    rig.fillBoard();
    rig.data.Value.assign(kDataPointCount, kUntouched);
    rig.board.stopAnsweringAfter(40); // the link's warnings are answered Cancel
    const TransferOutcome outcome = rig.run(2);

    EXPECT_TRUE(outcome.commError);
    EXPECT_EQ(rig.prompt.requests().back(), TransferMessages::ProcessNotComplete());
    int firstLost = 1;
    while (firstLost <= 84 && ValueAt(rig.data, firstLost) == TransferRig::BoardValue(firstLost))
        ++firstLost;
    EXPECT_GT(firstLost, 1);
    // The point whose read failed keeps its value too.
    for (int i = firstLost; i <= LastDataIndex; ++i)
        EXPECT_EQ(ValueAt(rig.data, i), kUntouched) << i;
}

// Presses Cancel once ten data points have moved.
void CancelAfterTenPoints(DataTransfer& transfer, int) {
    if (transfer.Progress().value == 10) transfer.Cancel();
}

TEST(AllTransfer, cancelStopsTheDataPointsButThePlsPartStillRuns) {
    TransferRig up;
    up.fillBoard();
    up.pls.setChannel(0, {{1, 5}, {0, 15}});
    up.data.Value.assign(kDataPointCount, kUntouched);
    up.onYield = CancelAfterTenPoints;
    EXPECT_TRUE(up.run(4).cancelled);
    for (int i = 0; i <= LastDataIndex; ++i)
        EXPECT_EQ(ValueAt(up.data, i), i < 10 ? TransferRig::BoardValue(i) : kUntouched) << i;
    EXPECT_EQ(up.data.Setpoint[0], (std::array<std::int16_t, 2>{5, 15}));
    EXPECT_EQ(up.shown.back().label, "Uploading Timing Channels, Please Standby...");
    EXPECT_EQ(up.shown.back().value, 10 + 32);

    TransferRig down;
    for (int i = 0; i <= LastDataIndex; ++i)
        ValueAt(down.data, i) = TransferRig::BoardValue(i);
    down.onYield = CancelAfterTenPoints;
    EXPECT_TRUE(down.run(14).timingDownloaded);
    for (int i = 0; i <= LastDataIndex; ++i)
        EXPECT_EQ(down.onBoard(i), i < 10 ? TransferRig::BoardValue(i) : 0) << i;
    EXPECT_EQ(down.pls.channel(3), (std::vector<sim::PlsSetpoint>{{1, 60}, {0, 250}}));
    EXPECT_TRUE(up.prompt.requests().empty() && down.prompt.requests().empty())
        << "a cancelled transfer ends without a message";
}

TEST(AllTransfer, aDownloadedDataSetUploadsBackEqual) {
    TransferRig rig;
    MachineData sent = BuildDefaultData();
    for (int i = 0; i <= LastDataIndex; ++i)
        ValueAt(sent, i) = TransferRig::BoardValue(i);
    sent.PLSChannels = 12;
    sent.PLSProgram = 3;
    sent.SpeedComp = {1, 2, 3, 4, 5, 6, 7, 8};
    sent.Setpoint[9] = {100, 200};
    rig.data = sent;
    const TransferOutcome down = rig.run(14);
    EXPECT_TRUE(down.timingDownloaded);
    EXPECT_EQ(rig.shown.back().value, 137);

    rig.data = BuildDefaultData();
    rig.data.Setpoint[12] = {7, 9}; // cleared on the board, so it comes back as 0, 0
    const TransferOutcome up = rig.run(4);
    EXPECT_EQ(rig.data, sent);
    EXPECT_EQ(rig.shown.back().value, 137);
    EXPECT_FALSE(down.commError || up.commError || down.plsStopped || up.plsStopped);
    EXPECT_TRUE(rig.prompt.requests().empty());
}

} // namespace
} // namespace quelby::test
