#include "app/data/LiveTrend.h"

#include <algorithm>
#include <cmath>

namespace quelby {

bool LiveTrend::startsGap(Series& series, double seconds) {
    const bool gap = series.lastSample && seconds - *series.lastSample > kGapSeconds;
    if (gap) series.broken = true;
    series.lastSample = seconds;
    return gap;
}

void LiveTrend::Series::put(double seconds, double value) {
    if (broken || segments.empty()) {
        segments.push_back({});
        broken = false;
    }
    TrendSegment& line = segments.back();
    if (!line.empty() && std::floor(line.back().seconds) == std::floor(seconds))
        line.back() = {seconds, value};
    else
        line.push_back({seconds, value});
}

void LiveTrend::Series::dropBefore(double seconds) {
    for (TrendSegment& line : segments)
        line.erase(line.begin(), std::find_if(line.begin(), line.end(), [&](const TrendPoint& p) {
                       return p.seconds >= seconds;
                   }));
    std::erase_if(segments, [](const TrendSegment& line) { return line.empty(); });
}

void LiveTrend::Counter::add(double seconds, std::int64_t count) {
    // A gap or a counter that went back (a new shift, a reset, a wrap) starts over.
    if (startsGap(rates, seconds) || (!window.empty() && count < window.back().count)) {
        window.clear();
        rates.broken = true;
    }
    std::erase_if(window,
                  [&](const Sample& s) { return s.seconds < seconds - kRateWindowSeconds; });
    window.push_back({seconds, count});
    const Sample& first = window.front();
    const double span = seconds - first.seconds;
    if (span >= kMinRateSeconds)
        rates.put(seconds, static_cast<double>(count - first.count) / span * 60);
}

void LiveTrend::add(double seconds, std::optional<double> cpm, std::optional<std::int64_t> goodCans,
                    std::optional<std::int64_t> blowoffs) {
    if (m_latest && seconds < *m_latest) return;
    m_latest = seconds;
    if (cpm) {
        startsGap(m_cpm, seconds);
        m_cpm.put(seconds, *cpm);
    }
    if (goodCans) m_goodCans.add(seconds, *goodCans);
    if (blowoffs) m_blowoffs.add(seconds, *blowoffs);
    const double oldest = seconds - kSpanSeconds;
    for (Series* series : {&m_cpm, &m_goodCans.rates, &m_blowoffs.rates})
        series->dropBefore(oldest);
}

void LiveTrend::clear() {
    *this = LiveTrend{};
}

bool LiveTrend::empty() const {
    return m_cpm.segments.empty() && m_goodCans.rates.segments.empty() &&
           m_blowoffs.rates.segments.empty();
}

} // namespace quelby
