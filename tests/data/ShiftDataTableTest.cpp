#include "app/data/MachineData.h"
#include "app/data/SetupParameters.h"
#include "app/data/ShiftDataTable.h"

#include <gtest/gtest.h>

namespace quelby {
namespace {

// The windows' tables name the same board addresses as the data set's data points.
TEST(ShiftDataTable, addressesAgreeWithTheDataSetAndPagesCoverEveryEntryOnce) {
    const MachineData data = BuildDefaultData();
    EXPECT_EQ(ShiftDataAddress(0), "B598");
    for (int i = 1; i < kShiftDataEntries; ++i)
        EXPECT_EQ(ShiftDataAddress(i), data.Address[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(ShiftDataAddress(85), "");
    EXPECT_EQ(ShiftDataAddress(-1), "");
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
}

TEST(ShiftDataTable, pageTotalsAddTheirOwnSpindlesWithoutOverflow) {
    std::array<std::int32_t, kShiftDataEntries> values{};
    for (int i = 0; i < kShiftDataEntries; ++i) values[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(PageTripTotal(values, 0), 300);  // 1..24; entry 0 is no spindle
    EXPECT_EQ(PageTripTotal(values, 1), 1020); // 31..54; the six totals are not trips
    EXPECT_EQ(PageTripTotal(values, 2), 1740);
    EXPECT_EQ(PageTripTotal(values, 3), 0);
    values.fill(2'000'000'000);
    EXPECT_EQ(PageTripTotal(values, 0), 48'000'000'000LL);
}

} // namespace
} // namespace quelby
