// The live trend picture: where its lines are drawn, its scales and its tip.
#include "views/TrendChart.h"

#include <gtest/gtest.h>

namespace quelby::test {
namespace {

TEST(TrendChart, aResetBreaksTheLineAndHigherValuesAreDrawnHigher) {
    EXPECT_EQ(TrendChart::scaleTop(0), 1);
    EXPECT_EQ(TrendChart::scaleTop(1.5), 1.5) << "a rate just above 1 keeps a scale of its own";
    EXPECT_EQ(TrendChart::scaleTop(298), 300);
    EXPECT_EQ(TrendChart::scaleTop(1234), 1500);
    EXPECT_EQ(TrendChart::scaleTop(9000), 10000);

    LiveTrend trend;
    // CPM 600 then 1200; good cans 5 a second, reset at 21 s, then 10 a second.
    for (int t = 0; t <= 20; ++t)
        trend.add(t, t <= 10 ? 600 : 1200, 5 * t, std::nullopt);
    for (int t = 21; t <= 30; ++t)
        trend.add(t, 1200, 10 * (t - 21), std::nullopt);
    TrendChart chart;
    chart.resize(chart.sizeHint());
    chart.setTrend(&trend);

    const QList<QPolygonF> cpm = chart.polylines(0);
    ASSERT_EQ(cpm.size(), 1);
    const QRect band = chart.bandRect(0);
    EXPECT_DOUBLE_EQ(cpm[0].last().x(), band.right()) << "the latest sample at the right edge";
    EXPECT_DOUBLE_EQ(cpm[0].last().y(), band.top()) << "1200 is the top of its scale";
    EXPECT_DOUBLE_EQ(cpm[0].first().y(), band.bottom() - (band.height() - 1) / 2.0);
    EXPECT_NEAR(cpm[0].last().x() - cpm[0].first().x(), (band.width() - 1) * 30.0 / 600, 1e-9);
    EXPECT_EQ(chart.polylines(1).size(), 2);
    for (const QPolygonF& line : chart.polylines(1))
        for (const QPointF& p : line)
            EXPECT_TRUE(chart.bandRect(1).contains(p.toPoint()));
    EXPECT_TRUE(chart.polylines(2).isEmpty());
    EXPECT_LT(chart.bandRect(0).bottom(), chart.bandRect(1).top());

    const QPoint right(chart.bandRect(1).right(), chart.bandRect(1).center().y());
    EXPECT_EQ(chart.tipAt(right), "Good cans/min: 600 at -0:00");
    EXPECT_EQ(chart.tipAt(QPoint(right.x(), chart.bandRect(2).center().y())), "Blow-offs/min");
    EXPECT_EQ(chart.tipAt(QPoint(chart.bandRect(1).left(), right.y())), "Good cans/min")
        << "nine minutes before the first point there is nothing to read";

    chart.setLive(false);
    EXPECT_EQ(chart.polylines(1).size(), 2) << "offline the last period stays";
}

} // namespace
} // namespace quelby::test
