#pragma once

#include "app/data/ReportSurface.h"

#include <QFont>
#include <QPainter>

class QPagedPaintDevice;

namespace quelby {

// The report's page on a Qt paged device: a QPrinter for the system printer or a QPdfWriter
// for a PDF file. Inches are the device's logical inches from the top left corner of its
// paintable area.
class QtReportSurface : public ReportSurface {
public:
    explicit QtReportSurface(QPagedPaintDevice& device);

    // Starts painting on the device; false when the printer or file cannot be opened, and
    // nothing may be drawn then.
    bool begin();
    // True when the device refused a page or the painting could not start or end.
    bool failed() const { return m_failed; }

    double printableWidth() const override;
    double printableHeight() const override;
    void setFont(const ReportFont& font) override;
    double textWidth(const std::string& text) const override;
    double textHeight(const std::string& text) const override;
    void drawText(double x, double y, const std::string& text) override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    int pageNumber() const override { return m_page; }
    void newPage() override;
    void endDocument() override;

private:
    double dpiX() const;
    double dpiY() const;

    QPagedPaintDevice& m_device;
    QPainter m_painter;
    QFont m_font;
    int m_page = 1;
    bool m_failed = false;
};

} // namespace quelby
