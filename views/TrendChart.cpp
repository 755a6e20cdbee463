#include "views/TrendChart.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace quelby {
namespace {
constexpr int kMargin = 4;
constexpr int kScaleWidth = 36;
constexpr int kLabelHeight = 14;
constexpr int kBandGap = 8;
const std::vector<TrendSegment> kNoSegments;
} // namespace

TrendChart::TrendChart(QWidget* parent) : QWidget(parent) {
    setAccessibleName("Trend of the last 10 minutes");
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    setFont(small);
    setMouseTracking(true);
}

void TrendChart::setTrend(const LiveTrend* trend) {
    m_trend = trend;
    update();
}

void TrendChart::setLive(bool live) {
    if (live == m_live) return;
    m_live = live;
    update();
}

QString TrendChart::bandName(int band) {
    static const char* const names[kBands] = {"Machine CPM", "Good cans/min", "Blow-offs/min"};
    return band >= 0 && band < kBands ? names[band] : "";
}

double TrendChart::scaleTop(double largest) {
    if (!(largest > 1)) return 1;
    const double power = std::pow(10.0, std::floor(std::log10(largest)));
    for (double step : {1.0, 1.2, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0})
        if (step * power >= largest) return step * power;
    return 10 * power;
}

const std::vector<TrendSegment>& TrendChart::series(int band) const {
    if (!m_trend) return kNoSegments;
    if (band == 0) return m_trend->cpm();
    if (band == 1) return m_trend->goodCansPerMinute();
    return m_trend->blowoffsPerMinute();
}

double TrendChart::bandTop(int band) const {
    double largest = 0;
    for (const TrendSegment& line : series(band))
        for (const TrendPoint& p : line)
            largest = std::max(largest, p.value);
    return scaleTop(largest);
}

QRect TrendChart::bandRect(int band) const {
    const int left = kMargin + kScaleWidth;
    const int all = height() - 2 * kMargin - kLabelHeight - (kBands - 1) * kBandGap;
    const int each = std::max(1, all / kBands);
    return QRect(left, kMargin + band * (each + kBandGap), std::max(1, width() - left - kMargin),
                 each);
}

double TrendChart::xAt(double seconds) const {
    const QRect area = bandRect(0);
    const double latest = m_trend ? m_trend->latestSeconds().value_or(0) : 0;
    const double share = (seconds - (latest - LiveTrend::kSpanSeconds)) / LiveTrend::kSpanSeconds;
    return area.left() + share * (area.width() - 1);
}

QList<QPolygonF> TrendChart::polylines(int band) const {
    QList<QPolygonF> lines;
    if (band < 0 || band >= kBands) return lines;
    const QRect area = bandRect(band);
    const double top = bandTop(band);
    for (const TrendSegment& segment : series(band)) {
        QPolygonF line;
        for (const TrendPoint& p : segment)
            line << QPointF(xAt(p.seconds),
                            area.bottom() - std::max(0.0, p.value) / top * (area.height() - 1));
        lines << line;
    }
    return lines;
}

QString TrendChart::tipAt(QPoint pos) const {
    for (int band = 0; band < kBands; ++band) {
        if (!bandRect(band).adjusted(0, 0, 0, kBandGap).contains(pos)) continue;
        const TrendPoint* nearest = nullptr;
        double distance = 0;
        for (const TrendSegment& line : series(band))
            for (const TrendPoint& p : line)
                if (!nearest || std::abs(xAt(p.seconds) - pos.x()) < distance) {
                    nearest = &p;
                    distance = std::abs(xAt(p.seconds) - pos.x());
                }
        // Where the line has no point near, there is nothing to read.
        constexpr double kNearPixels = 6;
        if (!nearest || distance > kNearPixels) return bandName(band);
        const auto ago =
            static_cast<int>(std::lround(*m_trend->latestSeconds() - nearest->seconds));
        return QString("%1: %2 at -%3:%4")
            .arg(bandName(band))
            .arg(std::lround(nearest->value))
            .arg(ago / 60)
            .arg(ago % 60, 2, 10, QChar('0'));
    }
    return {};
}

void TrendChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette::ColorGroup group =
        m_live && isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QColor text = palette().color(group, QPalette::Text);
    const QColor lines[kBands] = {palette().color(group, QPalette::Highlight), QColor(0, 128, 0),
                                  QColor(192, 0, 0)};
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    for (int band = 0; band < kBands; ++band) {
        const QRect area = bandRect(band);
        // A frame clear of the plot, so a line at 0 or at the top of the scale stays visible.
        const QRect frame = area.adjusted(-2, -2, 1, 1);
        painter.fillRect(frame, palette().brush(group, QPalette::Base));
        painter.setPen(palette().color(group, QPalette::Mid));
        painter.drawRect(frame);
        painter.setPen(text);
        const QRect scale(kMargin, area.top() - 2, kScaleWidth - 6, area.height() + 4);
        painter.drawText(scale, Qt::AlignRight | Qt::AlignTop, QString::number(bandTop(band)));
        painter.drawText(scale, Qt::AlignRight | Qt::AlignBottom, "0");
        painter.drawText(area.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignTop, bandName(band));
        painter.setPen(QPen(group == QPalette::Active ? lines[band] : grey, 1.5));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipRect(area.adjusted(-1, -1, 1, 1));
        for (const QPolygonF& line : polylines(band)) {
            if (line.size() == 1)
                painter.drawPoint(line.front());
            else
                painter.drawPolyline(line);
        }
        painter.setClipping(false);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    painter.setPen(text);
    const QRect last = bandRect(kBands - 1);
    const QRect axis(last.left(), last.bottom() + 3, last.width(), kLabelHeight);
    painter.drawText(axis, Qt::AlignLeft | Qt::AlignVCenter, "-10 min");
    // Offline the right edge is the last online reading, not the present.
    painter.drawText(axis, Qt::AlignRight | Qt::AlignVCenter, m_live ? "now" : "last online");
}

bool TrendChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = tipAt(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}

} // namespace quelby
