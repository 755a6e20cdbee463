#include "views/SpindleBarChart.h"

#include "views/GroupedNumber.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace quelby {
namespace {
constexpr int kLabelHeight = 14;
constexpr int kMargin = 4;
} // namespace

SpindleBarChart::SpindleBarChart(QWidget* parent) : QWidget(parent) {
    setAccessibleName("Trips per spindle");
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    setFont(small);
    setMouseTracking(true);
}

void SpindleBarChart::setValue(int spindle, std::int64_t value) {
    if (spindle < 1 || spindle > kSpindles) return;
    std::int64_t& shown = m_values[static_cast<std::size_t>(spindle - 1)];
    if (shown == value) return;
    shown = value;
    update();
}

void SpindleBarChart::setMarked(std::optional<int> spindle) {
    if (spindle && (*spindle < 1 || *spindle > kSpindles)) spindle.reset();
    if (spindle == m_marked) return;
    m_marked = spindle;
    update();
}

QSize SpindleBarChart::sizeHint() const { return {kSpindles * 22, 140}; }

QRect SpindleBarChart::plotArea() const {
    return QRect(kMargin, kMargin, width() - 2 * kMargin, height() - 2 * kMargin - kLabelHeight);
}

int SpindleBarChart::slotWidth() const { return std::max(1, plotArea().width() / kSpindles); }

QRect SpindleBarChart::barRect(int spindle) const {
    const std::int64_t value = std::max<std::int64_t>(0, this->value(spindle));
    const std::int64_t largest =
        std::max<std::int64_t>(1, *std::max_element(m_values.begin(), m_values.end()));
    const QRect area = plotArea();
    if (value == 0) return {};
    // A spindle that tripped at all shows, however small beside the largest.
    const int height = std::max(1, static_cast<int>(value * area.height() / largest));
    const int left = area.left() + (spindle - 1) * slotWidth() + slotWidth() / 6;
    return QRect(left, area.bottom() - height + 1, slotWidth() * 2 / 3, height);
}

void SpindleBarChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette colours = palette();
    const QRect area = plotArea();
    painter.fillRect(area, colours.base());
    painter.setPen(colours.mid().color());
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    for (int spindle = 1; spindle <= kSpindles; ++spindle) {
        const QColor colour = spindle == m_marked ? QColor(Qt::red) : colours.highlight().color();
        painter.fillRect(barRect(spindle), colour);
        painter.setPen(spindle == m_marked ? QColor(Qt::red) : colours.text().color());
        painter.drawText(QRect(area.left() + (spindle - 1) * slotWidth(), area.bottom() + 2,
                               slotWidth(), kLabelHeight),
                         Qt::AlignCenter, QString::number(spindle));
    }
}

bool SpindleBarChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int spindle = (help->pos().x() - plotArea().left()) / slotWidth() + 1;
        if (spindle >= 1 && spindle <= kSpindles)
            QToolTip::showText(help->globalPos(),
                               QString("Spindle #%1: %2").arg(spindle).arg(GroupedWhole(value(spindle))),
                               this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace quelby
