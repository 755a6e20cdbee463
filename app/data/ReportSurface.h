#pragma once

#include <string>

namespace quelby {

struct ReportFont {
    std::string name = "Times";
    double size = 12; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;

    bool operator==(const ReportFont&) const = default;
};

// The printer page the report draws on. Positions and sizes are in inches from the top left
// corner of the printable area; text is placed by the top of its line. The report keeps its
// own current position and asks the surface only to measure, draw and turn pages, so the
// same layout drives a printer, a PDF file or a test recorder.
class ReportSurface {
public:
    virtual ~ReportSurface() = default;

    // Size of the printable area. Never fails.
    virtual double printableWidth() const = 0;
    virtual double printableHeight() const = 0;

    // Font for the measurements and texts that follow. A font the system lacks is replaced
    // by its nearest match.
    virtual void setFont(const ReportFont& font) = 0;
    // Advance width of `text` in the current font. Never fails.
    virtual double textWidth(const std::string& text) const = 0;
    // Height of a line of `text` in the current font, the step from one line to the next;
    // an empty text gives the font's line height. Never fails.
    virtual double textHeight(const std::string& text) const = 0;

    // Draws `text` (UTF-8) with the top of its line at (x, y). A failing printer is the
    // surface's to note; drawing goes on.
    virtual void drawText(double x, double y, const std::string& text) = 0;
    // Draws a thin line; as drawText for a failing printer.
    virtual void drawLine(double x1, double y1, double x2, double y2) = 0;

    // Number of the page being drawn, 1 for the first. Never fails.
    virtual int pageNumber() const = 0;
    // Ends the page and starts the next; as drawText for a failing printer.
    virtual void newPage() = 0;
    // Ends the document: the job goes to the printer or the file is finished. Nothing is
    // drawn after it.
    virtual void endDocument() = 0;
};

} // namespace quelby
