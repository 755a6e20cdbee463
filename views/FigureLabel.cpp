#include "views/FigureLabel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace quelby {
namespace {
constexpr qreal kHeightShare = 0.5;  // the digits' height against the face's
constexpr qreal kWidthShare = 0.9;   // room left at the sides
constexpr qreal kLargestPoints = 72; // beyond that a figure only looks odd
constexpr qreal kSmallestPoints = 8;
} // namespace

FigureLabel::FigureLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAlignment(Qt::AlignCenter);
}

QSize FigureLabel::minimumSizeHint() const {
    // Any width will do: the text shrinks to fit.
    const QFontMetrics metrics(font());
    return {metrics.averageCharWidth() * 4, metrics.height() * 2};
}

QFont FigureLabel::fittedFont() const {
    QFont fitted = font();
    fitted.setBold(true);
    const QRectF face = contentsRect();
    // Points from the face's height (a pixel is 72/dpi points), then shrunk to the width.
    qreal points = face.height() * kHeightShare * 72.0 / std::max(1, logicalDpiY());
    points = std::clamp(points, kSmallestPoints, kLargestPoints);
    fitted.setPointSizeF(points);
    const qreal width = QFontMetricsF(fitted).horizontalAdvance(text());
    if (width > face.width() * kWidthShare && width > 0)
        fitted.setPointSizeF(std::max(kSmallestPoints, points * face.width() * kWidthShare / width));
    return fitted;
}

qreal FigureLabel::fittedPointSize() const {
    return fittedFont().pointSizeF();
}

void FigureLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    drawFrame(&painter);
    painter.setFont(fittedFont());
    style()->drawItemText(&painter, contentsRect(), Qt::AlignCenter, palette(), isEnabled(), text(),
                          foregroundRole());
}

} // namespace quelby
