// The live values: the trend's rates per minute from the counters, breaks at resets and
// pauses, and the ten minutes it keeps; a recording's rows and what a killed program leaves.
#include "app/data/LiveRecording.h"
#include "app/data/LiveTrend.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quelby::test {
namespace {

// The value of point `point` of segment `segment`.
double At(const std::vector<TrendSegment>& series, std::size_t segment, std::size_t point) {
    return series.at(segment).at(point).value;
}

TEST(LiveTrend, countersBecomeRatesOverTenSecondsAndResetsAndPausesBreakTheLines) {
    LiveTrend trend;
    EXPECT_TRUE(trend.empty());
    // 5 cans a second until 20 s, then none; blow-offs stay at 7.
    for (int t = 0; t <= 30; ++t)
        trend.add(t, 1200, 1000 + 5 * std::min(t, 20), 7);
    const auto& good = trend.goodCansPerMinute();
    ASSERT_EQ(good.size(), 1u);
    EXPECT_EQ(good[0].front().seconds, 2) << "no rate until 2 s are covered";
    EXPECT_EQ(At(good, 0, 0), 300);
    EXPECT_EQ(At(good, 0, 23), 150) << "at 25 s: 25 cans since 15 s, 10 s before";
    EXPECT_EQ(At(good, 0, 28), 0);
    EXPECT_EQ(At(trend.blowoffsPerMinute(), 0, 0), 0);

    // A new shift: the counter drops and rises 2 a second; blow-offs are not read.
    for (int t = 31; t <= 35; ++t)
        trend.add(t, 1200, 10 + 2 * (t - 31), std::nullopt);
    ASSERT_EQ(good.size(), 2u);
    EXPECT_EQ(good[1].front().seconds, 33);
    EXPECT_EQ(At(good, 1, 0), 120);
    EXPECT_EQ(trend.cpm().size(), 1u);

    // A pause of 7 s: every series starts again.
    for (int t = 42; t <= 44; ++t)
        trend.add(t, 900, 30 + 3 * (t - 42), 9);
    EXPECT_EQ(trend.cpm().size(), 2u);
    EXPECT_EQ(trend.cpm()[1].front().value, 900);
    ASSERT_EQ(good.size(), 3u);
    EXPECT_EQ(At(good, 2, 0), 180);
    EXPECT_EQ(trend.blowoffsPerMinute().size(), 2u);
    for (const auto* series : {&good, &trend.blowoffsPerMinute()})
        for (const TrendSegment& line : *series)
            for (const TrendPoint& p : line)
                EXPECT_GE(p.value, 0) << p.seconds;

    trend.clear();
    EXPECT_TRUE(trend.empty());
    EXPECT_EQ(trend.latestSeconds(), std::nullopt);
}

TEST(LiveTrend, keepsTenMinutesAtOnePointASecond) {
    LiveTrend trend;
    // 4 passes a second for 2000 s, the counter rising one a pass.
    for (int i = 0; i < 8000; ++i)
        trend.add(i * 0.25, i, i, std::nullopt);
    EXPECT_EQ(trend.latestSeconds(), 1999.75);
    for (const auto* series : {&trend.cpm(), &trend.goodCansPerMinute()}) {
        ASSERT_EQ(series->size(), 1u);
        EXPECT_LE(series->front().size(), 601u);
        EXPECT_GE(series->front().front().seconds, 1399.75);
    }
    EXPECT_EQ(trend.cpm()[0].back().seconds, 1999.75) << "the last pass of a second stands";
    EXPECT_EQ(trend.cpm()[0].back().value, 7999);
    EXPECT_EQ(trend.goodCansPerMinute()[0].back().value, 240);
    EXPECT_TRUE(trend.blowoffsPerMinute().empty());
}

// Each row is in the file as soon as it is added, while the recording still runs: a program
// killed then leaves every row whole. A value the board did not confirm is an empty field.
TEST(LiveRecording, eachRowIsInTheFileAtOnceAndAFileThatCannotBeWrittenStopsIt) {
    TempFolder folder;
    const auto file = folder.path() / "live.csv";
    LiveRecording recording;
    ASSERT_TRUE(recording.start(file));
    EXPECT_EQ(ReadWholeFile(file), "time,W182,D1100,D1104\r\n");
    ASSERT_TRUE(recording.add("2026-12-07 14:03:59.250", {1200, 655359999, 7}));
    ASSERT_TRUE(recording.add("2026-12-07 14:04:00.000", {std::nullopt, -1, 0}));
    const std::string written = "time,W182,D1100,D1104\r\n"
                                "2026-12-07 14:03:59.250,1200,655359999,7\r\n"
                                "2026-12-07 14:04:00.000,,-1,0\r\n";
    EXPECT_EQ(ReadWholeFile(file), written);
    EXPECT_EQ(recording.rows(), 2);
    recording.stop();
    EXPECT_FALSE(recording.add("2026-12-07 14:04:01.000", {1, 2, 3}));
    EXPECT_EQ(ReadWholeFile(file), written) << "a stopped recording writes nothing more";

    // Restarting replaces the file: a recording is one run.
    ASSERT_TRUE(recording.start(file));
    EXPECT_EQ(ReadWholeFile(file), "time,W182,D1100,D1104\r\n");

#ifdef __linux__
    EXPECT_FALSE(recording.start("/dev/full")) << "the header cannot be written";
    EXPECT_FALSE(recording.running());
#endif
}

} // namespace
} // namespace quelby::test
