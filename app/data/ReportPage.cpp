#include "app/data/ReportPage.h"

#include "app/data/GeneralDate.h"

namespace quelby {

ReportPage::ReportPage(ReportSurface& surface, Clock& clock, std::string caption)
    : m_surface(surface), m_clock(clock), m_caption(std::move(caption)) {}

void ReportPage::print(const std::string& text) {
    m_surface.drawText(m_x, m_y, text);
    m_x += m_surface.textWidth(text);
}

void ReportPage::printLine(const std::string& text) {
    if (!text.empty()) m_surface.drawText(m_x, m_y, text);
    m_x = 0;
    m_y += m_surface.textHeight(text);
}

void ReportPage::pageHeader() {
    const double width = m_surface.printableWidth();
    setFont(kPageHeaderFont);
    const std::string title = "QUELBY Report: " + m_caption;
    m_x = (width - m_surface.textWidth(title) - kReportMargin) / 2;
    m_y = 0.1;
    printLine(title);
    const double ruleY = m_y + m_surface.textHeight(title);
    m_surface.drawLine(kReportMargin, ruleY, width - kReportMargin, ruleY);
    m_x = kReportMargin;
    m_y = ruleY + 0.25;
}

void ReportPage::pageFooterAndNewPage() {
    const double width = m_surface.printableWidth();
    setFont(kPageFooterFont);
    const double footerY = m_surface.printableHeight() - m_surface.textHeight("I") - 0.1;
    m_y = footerY;
    m_x = kReportMargin;
    print(GeneralDateText(m_clock.now()));
    const std::string page = "Page " + std::to_string(m_surface.pageNumber());
    m_x = width - kReportMargin - m_surface.textWidth(page);
    printLine(page);
    m_surface.drawLine(kReportMargin, footerY - 0.1, width - kReportMargin, footerY - 0.1);
    m_surface.newPage();
    m_x = 0;
    m_y = 0;
}

void ReportPage::pageCheck(bool force, int linesNeeded) {
    if (force) {
        pageFooterAndNewPage();
    } else {
        const double lineHeight = m_surface.textHeight("I");
        if (m_y + 0.9 > m_surface.printableHeight() - lineHeight * linesNeeded)
            pageFooterAndNewPage();
    }
    if (m_y == 0) pageHeader();
}

void ReportPage::itemLine(const std::string& label, const std::string& value, double valueColumn) {
    m_x = kReportMargin + 0.5;
    print(label);
    m_x = valueColumn - m_surface.textWidth(value);
    printLine(value);
}

} // namespace quelby
