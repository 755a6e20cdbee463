#include "report/QtReportSurface.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPen>

namespace quelby {
namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

QtReportSurface::QtReportSurface(QPagedPaintDevice& device) : m_device(device) {
    setFont(ReportFont{});
}

bool QtReportSurface::begin() {
    if (!m_painter.begin(&m_device)) {
        m_failed = true;
        return false;
    }
    // A hairline of a hundredth of an inch, as thin as a printer draws its lines.
    m_painter.setPen(QPen(Qt::black, dpiX() / 100.0));
    m_painter.setFont(m_font);
    return true;
}

double QtReportSurface::dpiX() const {
    return m_device.logicalDpiX();
}
double QtReportSurface::dpiY() const {
    return m_device.logicalDpiY();
}

double QtReportSurface::printableWidth() const {
    return m_device.width() / dpiX();
}
double QtReportSurface::printableHeight() const {
    return m_device.height() / dpiY();
}

void QtReportSurface::setFont(const ReportFont& font) {
    m_font = QFont(fromUtf8(font.name));
    // Times is asked for as Liberation Serif, its metric-compatible face that the package
    // depends on, before any other: left to the system's aliases, a machine with other
    // Times-like faces (the URW fonts) picks one with taller lines and breaks pages earlier.
    if (font.name == "Times") m_font.setFamilies({QStringLiteral("Liberation Serif"), m_font.family()});
    // Plain glyphs without ligatures, so "ff" and "fi" stay two letters for anyone who
    // searches or copies the text of a PDF.
    m_font.setStyleStrategy(QFont::PreferNoShaping);
    m_font.setPointSizeF(font.size);
    m_font.setBold(font.bold);
    m_font.setItalic(font.italic);
    m_font.setUnderline(font.underline);
    if (m_painter.isActive()) m_painter.setFont(m_font);
}

double QtReportSurface::textWidth(const std::string& text) const {
    return QFontMetricsF(m_font, &m_device).horizontalAdvance(fromUtf8(text)) / dpiX();
}

// The font's height (ascent and descent), without the extra leading between lines: the
// measure a printer's text height gives, and the step from one printed line to the next.
double QtReportSurface::textHeight(const std::string&) const {
    return QFontMetricsF(m_font, &m_device).height() / dpiY();
}

void QtReportSurface::drawText(double x, double y, const std::string& text) {
    if (!m_painter.isActive()) return;
    const double ascent = QFontMetricsF(m_font, &m_device).ascent();
    m_painter.drawText(QPointF(x * dpiX(), y * dpiY() + ascent), fromUtf8(text));
}

void QtReportSurface::drawLine(double x1, double y1, double x2, double y2) {
    if (!m_painter.isActive()) return;
    m_painter.drawLine(QPointF(x1 * dpiX(), y1 * dpiY()), QPointF(x2 * dpiX(), y2 * dpiY()));
}

void QtReportSurface::newPage() {
    if (!m_painter.isActive() || !m_device.newPage()) m_failed = true;
    ++m_page;
}

void QtReportSurface::endDocument() {
    if (!m_painter.isActive() || !m_painter.end()) m_failed = true;
}

} // namespace quelby
