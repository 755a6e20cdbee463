#pragma once

#include "link/Clock.h"
#include "app/data/ReportSurface.h"

#include <string>

namespace quelby {

// The report's type styles (all Times, none italic).
inline const ReportFont kItemStyle{"Times", 12};                // style 1: item lines
inline const ReportFont kSectionStyle{"Times", 14, true};       // style 2: A., B., C., D.
inline const ReportFont kDocumentTitleStyle{"Times", 14, true}; // style 5: document titles
inline const ReportFont kPageHeaderFont{"Times", 12, true};
inline const ReportFont kPageFooterFont{"Times", 10};

// Left margin of the report, inches.
inline constexpr double kReportMargin = 0.5;

// The page operations of the report on a surface: a current position that text moves as a
// printer's does, the header and footer of every page, the page check that ends a page
// before a section that would not fit, and the item line of a label and a right-aligned
// value. None of them fails; a failing printer is the surface's to note.
class ReportPage {
public:
    // `caption` follows "QUELBY Report: " in every page header; the footer dates come from
    // `clock`.
    ReportPage(ReportSurface& surface, Clock& clock, std::string caption);

    void setFont(const ReportFont& font) { m_surface.setFont(font); }
    double x() const { return m_x; }
    double y() const { return m_y; }
    void setX(double x) { m_x = x; }

    // Prints at the current position; X moves to the end of the text.
    void print(const std::string& text);
    // Prints at the current position, then moves to X = 0 one line further down; an empty
    // text gives an empty line.
    void printLine(const std::string& text = "");

    // The page header: the centred title "QUELBY Report: " + caption, a rule under it; goes
    // on at the margin a quarter inch below the rule.
    void pageHeader();
    // The page footer (date and time, page number, a rule above them), then a new page with
    // the position at its top left corner.
    void pageFooterAndNewPage();
    // Ends the page when `force`, or when fewer than `linesNeeded` lines of the current font
    // fit above the footer; a fresh page then gets its header.
    void pageCheck(bool force, int linesNeeded);
    // `label` at the margin + 0.5, then `value` ending at `valueColumn`, then a line end.
    void itemLine(const std::string& label, const std::string& value, double valueColumn);

private:
    ReportSurface& m_surface;
    Clock& m_clock;
    std::string m_caption;
    double m_x = 0;
    double m_y = 0;
};

} // namespace quelby
