#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// The Main Display's figures over the last ten minutes, for the trend picture: the machine
// speed as read, and the good cans and blow-offs counters turned into rates per minute. Each
// series is a list of segments; a line is never drawn from one segment to the next.
namespace quelby {

struct TrendPoint {
    double seconds;
    double value;
};
using TrendSegment = std::vector<TrendPoint>;

class LiveTrend {
public:
    static constexpr double kSpanSeconds = 600;
    // A rate is the counter's rise over about this long, so a can more or less in one pass
    // does not make the line jump.
    static constexpr double kRateWindowSeconds = 10;
    // No rate until a segment's samples cover this long: a fresh segment's first rate is wild.
    static constexpr double kMinRateSeconds = 2;
    // A series without a sample for longer than this starts a new segment.
    static constexpr double kGapSeconds = 5;

    // One online pass at `seconds` (a monotonic clock); an absent figure adds nothing.
    // A pass earlier than the latest one is ignored.
    void add(double seconds, std::optional<double> cpm, std::optional<std::int64_t> goodCans,
             std::optional<std::int64_t> blowoffs);

    const std::vector<TrendSegment>& cpm() const { return m_cpm.segments; }
    const std::vector<TrendSegment>& goodCansPerMinute() const { return m_goodCans.rates.segments; }
    const std::vector<TrendSegment>& blowoffsPerMinute() const { return m_blowoffs.rates.segments; }
    std::optional<double> latestSeconds() const { return m_latest; }

    void clear();
    bool empty() const;

private:
    // At most one point per whole second: a later value within the second replaces the earlier.
    struct Series {
        std::vector<TrendSegment> segments;
        std::optional<double> lastSample;
        bool broken = true;
        void put(double seconds, double value);
        void dropBefore(double seconds);
    };
    struct Sample {
        double seconds;
        std::int64_t count;
    };
    // The counter's samples of the last kRateWindowSeconds of its current segment.
    struct Counter {
        Series rates;
        std::vector<Sample> window;
        void add(double seconds, std::int64_t count);
    };
    static bool startsGap(Series& series, double seconds);

    Series m_cpm;
    Counter m_goodCans;
    Counter m_blowoffs;
    std::optional<double> m_latest;
};

} // namespace quelby
