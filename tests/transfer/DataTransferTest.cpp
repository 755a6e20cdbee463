// Data transfers between the data set and the simulated board: data points, timing channels,
// both, cancelled, refused and cut short.
#include "app/data/DataTransfer.h"
#include "app/data/TransferValues.h"
#include "sim/SimPls.h"
#include "tests/link/LinkRig.h"

#include <gtest/gtest.h>

#include <limits>

namespace quelby::test {
namespace {

// The link online to the simulated board with its PLS, a data set, and a record of what the
// progress window would have shown.
struct TransferRig : LinkRig {
    sim::SimPls pls;
    MachineData data = BuildDefaultData();
    std::vector<TransferProgress> shown;
    // Runs at every yield, with the transfer in progress (e.g. to press Cancel).
    std::function<void(DataTransfer&, int yieldCount)> onYield;

    TransferRig() {
        board.addHandler(pls);
        goOnline();
    }

    TransferOutcome run(int requestCode) {
        int yields = 0;
        DataTransfer* running = nullptr;
        DataTransfer transfer(
            link, prompt, data, *TransferRequest::FromCode(requestCode),
            {[&] {
                 if (onYield) onYield(*running, ++yields);
             },
             [&](const TransferProgress& progress) { shown.push_back(progress); }});
        running = &transfer;
        return transfer.Run();
    }

    // A value the board can hold at data point `index`'s address, different for each point.
    static std::int32_t BoardValue(int index) {
        const std::string address = BuildDefaultData().Address[static_cast<std::size_t>(index)];
        if (address.find('.') != std::string::npos) return 1;
        if (address[0] == 'B') return 100 + index;
        return address[0] == 'W' ? 30000 + index : 600000000 + index;
    }
    void fillBoard() {
        for (int i = 0; i <= LastDataIndex; ++i)
            board.setValue(data.Address[static_cast<std::size_t>(i)],
                           static_cast<std::uint32_t>(BoardValue(i)));
    }
    std::int32_t onBoard(int index) {
        return static_cast<std::int32_t>(
            *board.value(data.Address[static_cast<std::size_t>(index)]));
    }
};

// No board value: shows which data points an upload left alone.
constexpr std::int32_t kUntouched = -7;
using Pair = std::array<std::int16_t, 2>;

std::int32_t& ValueAt(MachineData& data, int index) {
    return data.Value[static_cast<std::size_t>(index)];
}

TEST(TransferValues, uploadedTextsRoundHalvesToEvenAndTakeOnlyTheLeadingNumber) {
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    const std::pair<const char*, std::int32_t> cases[] = {
        {"12.5", 12}, {"13.5", 14}, {"-2.5", -2},     {"  42 cans", 42},     {"7e2x", 700},
        {"abc", 0},   {"", 0},      {"-1e400", kMin}, {"99999999999", kMax}, {"0.0000001e7", 1}};
    for (auto [text, value] : cases)
        EXPECT_EQ(ValueFromBoardText(text), value) << text;
    EXPECT_EQ(WordFromBoardText("40000"), -25536);
    // Downloaded texts have a leading blank unless negative.
    EXPECT_EQ(BoardTextFromValue(5), " 5");
    EXPECT_EQ(BoardTextFromValue(0), " 0");
    EXPECT_EQ(BoardTextFromValue(-3), "-3");
}

// Set-up parameters are data point 0 and 85..104 and fill their bar; the shift data, 1..84,
// ends one short of its bar.
TEST(DataPointUpload, eachUploadMovesOnlyItsOwnPoints) {
    const struct {
        int requestCode;
        bool (*moves)(int index);
        int lastBar, maximum;
    } uploads[] = {
        {0, [](int i) { return i == 0 || i >= 85; }, 21, 21},
        {2, [](int i) { return i >= 1 && i <= 84; }, 84, 85},
    };
    for (const auto& upload : uploads) {
        SCOPED_TRACE(upload.requestCode);
        TransferRig rig;
        rig.fillBoard();
        rig.data.Value.assign(kDataPointCount, kUntouched);
        const TransferOutcome outcome = rig.run(upload.requestCode);
        for (int i = 0; i <= LastDataIndex; ++i)
            EXPECT_EQ(ValueAt(rig.data, i),
                      upload.moves(i) ? TransferRig::BoardValue(i) : kUntouched)
                << "data point " << i;
        ASSERT_FALSE(rig.shown.empty());
        EXPECT_EQ(rig.shown.back().value, upload.lastBar);
        EXPECT_EQ(rig.shown.back().maximum, upload.maximum);
        EXPECT_FALSE(outcome.commError || outcome.timingDownloaded);
        EXPECT_TRUE(rig.prompt.requests().empty());
    }
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
    EXPECT_EQ(rig.prompt.requests().back().lines,
              (std::vector<std::string>{"Error Processing Request", "", "Process Not Complete"}));
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
    EXPECT_EQ(up.data.Setpoint[0], (Pair{5, 15}));
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

// Channel 0 was just recalled, as the timing window's Recall Channel does (the row's two
// setpoints, leaving the list there): it is still stored as the board holds it.
TEST(TimingChannelUpload, aListEndingEarlyZerosTheChannelARecalledOneIsWholeAndCancelIsIgnored) {
    TransferRig rig;
    rig.pls.setScaleFactor(1000);
    rig.pls.setOffset(250);
    rig.pls.setChannel(0, {{1, 20}, {0, 60}});
    ASSERT_TRUE(rig.link.RecallChannel(0) && rig.link.RecallChannel(0));
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
    EXPECT_EQ(outcome.unreadPoints, std::vector<int>{85});
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
