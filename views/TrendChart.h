#pragma once

#include "app/data/LiveTrend.h"

#include <QList>
#include <QPolygonF>
#include <QWidget>

namespace quelby {

// The Main Display's live trend: Machine CPM, good cans and blow-offs per minute in three
// stacked bands over the last ten minutes, the right edge the latest sample. Each band has its
// own scale from 0; each segment of a series is its own line. Draws a trend it does not own.
class TrendChart : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBands = 3;

    explicit TrendChart(QWidget* parent = nullptr);

    // The trend to draw (nullptr draws empty bands); it must outlive the chart or be reset.
    void setTrend(const LiveTrend* trend);
    // Redraws after the trend has changed.
    void refresh() { update(); }
    // Offline the last online period stays, greyed.
    void setLive(bool live);
    bool isLive() const { return m_live; }

    static QString bandName(int band);
    // The top of a band's scale for its largest value: 1, 1.2, 1.5, 2, 2.5, 3, 4, 5, 6, 8 times
    // a power of ten, at least 1.
    static double scaleTop(double largest);

    // Where band 0..2 is plotted, and its segments as drawn there, in widget coordinates.
    QRect bandRect(int band) const;
    QList<QPolygonF> polylines(int band) const;
    // The band's name and the value of the line's point under `pos` (within a few pixels);
    // empty off the bands.
    QString tipAt(QPoint pos) const;

    QSize sizeHint() const override { return {480, 150}; }
    // Tall enough that each band's line can be read beside the figures.
    QSize minimumSizeHint() const override { return {120, 170}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    const std::vector<TrendSegment>& series(int band) const;
    double bandTop(int band) const;
    double xAt(double seconds) const;

    const LiveTrend* m_trend = nullptr;
    bool m_live = true;
};

} // namespace quelby
