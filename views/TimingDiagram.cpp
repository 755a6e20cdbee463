#include "views/TimingDiagram.h"

#include "app/data/TimingChannels.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace quelby {
namespace {

// "Carriage Trip Timing (CH0&0):" as a row label: "CH00".
QString RowName(int row) {
    QString caption = QString::fromLatin1(timing::ChannelCaptions()[static_cast<std::size_t>(row)]);
    caption.remove(u'&');
    const qsizetype open = caption.lastIndexOf(u'(');
    const qsizetype close = caption.lastIndexOf(u')');
    return open >= 0 && close > open ? caption.mid(open + 1, close - open - 1) : caption;
}

constexpr int kMargin = 4;
constexpr int kScaleHeight = 14;

} // namespace

std::vector<TimingDiagram::Piece> TimingDiagram::Pieces(int on, int off) {
    on = std::clamp(on, 0, kDegrees - 1);
    off = std::clamp(off, 0, kDegrees - 1);
    if (on <= off) return {{on, off}};
    return {{on, kDegrees - 1}, {0, off}};
}

TimingDiagram::TimingDiagram(QWidget* parent) : QWidget(parent) {
    setObjectName("picTimingDiagram");
    setAccessibleName("Timing diagram");
    // Small print: the nine rows fit the room the page has below its fields.
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    setFont(small);
    for (int row = 0; row < kRows; ++row)
        m_labelWidth = std::max(m_labelWidth, fontMetrics().horizontalAdvance(RowName(row)));
    m_labelWidth += 2 * kMargin;
    setMinimumHeight(sizeHint().height());
    setMouseTracking(true);
}

void TimingDiagram::setRow(int row, std::optional<int> on, std::optional<int> off) {
    if (row < 0 || row >= kRows) return;
    Row& shown = m_rows[static_cast<std::size_t>(row)];
    if (shown.on == on && shown.off == off) return;
    shown.on = on;
    shown.off = off;
    shown.pieces = on && off ? Pieces(*on, *off) : std::vector<Piece>{};
    update();
}

void TimingDiagram::setPosition(std::optional<int> degrees) {
    if (degrees) degrees = std::clamp(*degrees, 0, kDegrees - 1);
    if (degrees == m_position) return;
    m_position = degrees;
    update();
}

QSize TimingDiagram::sizeHint() const {
    return {m_labelWidth + 2 * kDegrees / 3, kScaleHeight + kRows * (fontMetrics().height() + 1)};
}

QRect TimingDiagram::plotArea() const {
    return QRect(m_labelWidth, 0, width() - m_labelWidth - kMargin, height() - kScaleHeight);
}

int TimingDiagram::xOf(int degree) const {
    const QRect area = plotArea();
    return area.left() + degree * area.width() / kDegrees;
}

int TimingDiagram::rowHeight() const { return std::max(1, plotArea().height() / kRows); }

int TimingDiagram::rowTop(int row) const { return plotArea().top() + row * rowHeight(); }

QRect TimingDiagram::pieceRect(int row, const Piece& piece) const {
    const int top = rowTop(row) + 1;
    // A piece covers its last degree too: ON 10, OFF 10 is one degree wide.
    return QRect(QPoint(xOf(piece.from), top), QPoint(xOf(piece.to + 1) - 1, top + rowHeight() - 3));
}

QString TimingDiagram::rowTip(int row) const {
    const Row& shown = m_rows[static_cast<std::size_t>(row)];
    if (!shown.on || !shown.off) return RowName(row) + ": no setpoints shown";
    return QString("%1: ON %2, OFF %3").arg(RowName(row)).arg(*shown.on).arg(*shown.off);
}

void TimingDiagram::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette colours = palette();
    const QRect area = plotArea();
    painter.fillRect(area, colours.base());
    painter.setPen(colours.mid().color());
    for (int degree = 0; degree <= kDegrees; degree += 90) {
        const int x = degree == kDegrees ? area.right() : xOf(degree);
        painter.drawLine(x, area.top(), x, area.bottom());
        painter.setPen(colours.text().color());
        // The last figure ends at the plot's edge rather than past the widget's.
        const bool last = degree == kDegrees;
        const QRect figure(last ? x - 40 : x - 20, area.bottom() + 1, 40, kScaleHeight);
        const Qt::Alignment alignment = last ? (Qt::AlignRight | Qt::AlignVCenter) : Qt::AlignCenter;
        painter.drawText(figure, static_cast<int>(alignment.toInt()), QString::number(degree));
        painter.setPen(colours.mid().color());
    }
    for (int row = 0; row < kRows; ++row) {
        painter.setPen(colours.text().color());
        painter.drawText(QRect(kMargin, rowTop(row), m_labelWidth - 2 * kMargin, rowHeight()),
                         Qt::AlignVCenter | Qt::AlignLeft, RowName(row));
        for (const Piece& piece : pieces(row))
            painter.fillRect(pieceRect(row, piece), colours.highlight());
    }
    if (m_position) {
        painter.setPen(QPen(Qt::red, 2));
        const int x = xOf(*m_position);
        painter.drawLine(x, area.top(), x, area.bottom());
    }
}

bool TimingDiagram::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const QPoint at = static_cast<QHelpEvent*>(event)->pos();
        const int row = (at.y() - plotArea().top()) / rowHeight();
        if (at.x() >= plotArea().left() && row >= 0 && row < kRows)
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), rowTip(row), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace quelby
