// The data set: which edits count as unsaved changes, its defaults, and the windows' tables
// of its fields.
#include "app/data/DataSet.h"
#include "app/data/SetupParameters.h"
#include "app/data/ShiftDataTable.h"
#include "app/data/TimingChannels.h"
#include "tests/support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <functional>

namespace quelby::test {
namespace {

TEST(DataSet, valuesVersionAndChannels0To7CountButPlsConfigAndChannels8To15DoNot) {
    const struct {
        std::function<void(MachineData&)> edit;
        bool counts;
    } edits[] = {
        {[](MachineData& d) { d.Value[0] = 1; }, true},
        {[](MachineData& d) { d.Value[LastDataIndex] = 11; }, true},
        {[](MachineData& d) { d.Version = "QUELBY_R2.2.3"; }, true},
        {[](MachineData& d) { d.Setpoint[0][kOnSetpoint] = 1; }, true},
        {[](MachineData& d) { d.Setpoint[7][kOffSetpoint] = 1; }, true},
        {[](MachineData& d) { d.Setpoint[8][kOnSetpoint] = 1; }, false},
        {[](MachineData& d) { d.PLSScale = 720; }, false},
        {[](MachineData& d) { d.SpeedComp[3] = 9; }, false},
        {[](MachineData& d) { d.Address[5] = "W9"; }, false},
    };
    const MessageRequest question{
        "QUELBY", {"Save Changes to File?"}, MessageButtons::YesNoCancel, MessageIcon::Exclamation};
    for (const auto& e : edits) {
        DataSet data;
        e.edit(data.CurrentData);
        ScriptedPrompt prompt;
        prompt.answerNext(MessageAnswer::No);
        EXPECT_EQ(data.ConfirmSaveChanges(prompt),
                  e.counts ? std::optional(MessageAnswer::No) : std::nullopt);
        std::vector<MessageRequest> asked;
        if (e.counts) asked.push_back(question);
        EXPECT_EQ(prompt.requests(), asked);
    }
}

// The built-in data set against its description, written out here rather than taken from
// the code's own table.
TEST(DataSet, theDefaultsHoldEveryDescribedAddressAndValue) {
    std::vector<std::pair<std::string, std::int32_t>> points = {{"B1011", 0}};
    for (int i = 1; i <= 24; ++i) points.push_back({"W" + std::to_string(1020 + 2 * (i - 1)), 0});
    for (const char* d : {"D1100", "D1104", "D1108", "D1116", "D1120", "D1112"})
        points.push_back({d, 0});
    for (int i = 31; i <= 54; ++i) points.push_back({"W" + std::to_string(1124 + 2 * (i - 31)), 0});
    for (const char* d : {"D1200", "D1204", "D1208", "D1216", "D1220", "D1212"})
        points.push_back({d, 0});
    for (int i = 61; i <= 84; ++i) points.push_back({"W" + std::to_string(1224 + 2 * (i - 61)), 0});
    const std::pair<const char*, std::int32_t> setup[] = {
        {"B1012", 45}, {"B1013", 45}, {"B1014", 60}, {"B1015", 60}, {"B1017", 5},
        {"W1004", 32}, {"B1019", 6},  {"B1003", 3},  {"B1000", 6},  {"B1001", 4},
        {"B1002", 4},  {"B1010", 1},  {"B1018", 8},  {"B1006", 15}, {"B1007", 20},
        {"B1008", 15}, {"B1009", 20}, {"B4001.0", 0}, {"B4050", 1}, {"B4011", 10}};
    for (const auto& [address, value] : setup) points.push_back({address, value});
    ASSERT_EQ(points.size(), 105u);

    const MachineData data = BuildDefaultData();
    ASSERT_EQ(data.Address.size(), 105u);
    ASSERT_EQ(data.Value.size(), 105u);
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(data.Address[i], points[i].first) << "data point " << i;
        EXPECT_EQ(data.Value[i], points[i].second) << "data point " << i;
    }
    EXPECT_EQ(data.Version, "QUELBY_R2.2.4");
    EXPECT_EQ(data.PLSChannels, 16);
    EXPECT_EQ(data.PLSScale, 360);
    EXPECT_EQ(data.ResolverOffset, 0);
    EXPECT_EQ(data.PLSProgram, 0);
    for (std::int16_t speed : data.SpeedComp) EXPECT_EQ(speed, 0);
    const std::int16_t setpoints[16][2] = {{20, 60}, {10, 50},  {180, 0},  {60, 250},
                                           {30, 200}, {250, 290}, {255, 295}, {0, 140},
                                           {0, 180}};
    for (std::size_t c = 0; c < 16; ++c) {
        EXPECT_EQ(data.Setpoint[c][kOnSetpoint], setpoints[c][0]) << "channel " << c;
        EXPECT_EQ(data.Setpoint[c][kOffSetpoint], setpoints[c][1]) << "channel " << c;
    }
}

// The windows' tables name the same board addresses as the data set's data points.
TEST(ShiftDataTable, addressesAgreeWithTheDataSetAndPagesAddTheirOwnSpindlesWithoutOverflow) {
    const MachineData data = BuildDefaultData();
    EXPECT_EQ(ShiftDataAddress(0), "B598");
    for (int i = 1; i < kShiftDataEntries; ++i)
        EXPECT_EQ(ShiftDataAddress(i), data.Address[static_cast<std::size_t>(i)]) << i;
    for (int i = 0; i < kSetupFieldCount; ++i)
        EXPECT_EQ(kSetupParameters[static_cast<std::size_t>(i)].address,
                  data.Address[static_cast<std::size_t>(kSetupFirstDataPoint + i)]) << i;
    int next = 0;
    for (const ShiftDataPage& page : kShiftDataPages) {
        EXPECT_EQ(page.entries.first, next);
        EXPECT_EQ(page.entries.last - page.firstSpindle + 1, kSpindleCount);
        next = page.entries.last + 1;
    }
    EXPECT_EQ(next, kShiftDataEntries);

    std::array<std::int32_t, kShiftDataEntries> values{};
    for (int i = 0; i < kShiftDataEntries; ++i) values[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(PageTripTotal(values, 0), 300);  // 1..24; entry 0 is no spindle
    EXPECT_EQ(PageTripTotal(values, 1), 1020); // 31..54; the six totals are not trips
    EXPECT_EQ(PageTripTotal(values, 2), 1740);
    values.fill(2'000'000'000);
    EXPECT_EQ(PageTripTotal(values, 0), 48'000'000'000LL);
}

using namespace quelby::timing;

TEST(TimingChannels, thePlsChannelFieldTurnsEightAndNineIntoTenTheButtonsTenIntoEightAndTheConfigurationIsPlaced) {
    for (const char* text : {"8", "9", " 9", "+8"})
        EXPECT_EQ(PlsChannelFieldText(text), "10") << text;
    for (const char* text : {"7", "10", "8.5", "9.0", "8e0", "89", "9abc", "", "-8"})
        EXPECT_EQ(PlsChannelFieldText(text), text) << text;
    for (const char* text : {"7.6", "9.0", "1e2", "12abc", "", "-", " ", "1234567890"})
        EXPECT_EQ(WholeNumberText(text), std::nullopt) << text;
    EXPECT_EQ(WholeNumberText(" 359 "), 359);
    EXPECT_EQ(WholeNumberText("-1"), -1);
    // Which board channel a field or the channel field names is checked by the window's tests.

    // The configuration sent places the program, the compensations and the channel count.
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
} // namespace quelby::test
