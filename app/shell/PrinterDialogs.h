#pragma once

class QPrinter;
class QWidget;

namespace quelby {

// The printer as File > Print Report sees it: whether the system has a printer at all, and
// the printer dialog. The desktop asks Qt; tests answer from a script.
class PrinterDialogs {
public:
    virtual ~PrinterDialogs() = default;
    // Whether any printer is installed; without one the report goes to a PDF file.
    virtual bool hasPrinter() const = 0;
    // The printer dialog over `parent`: sets up `printer` (printer, copies) and returns true,
    // or false when the user cancelled.
    virtual bool choosePrinter(QPrinter& printer, QWidget* parent) = 0;
};

// The system's printers and Qt's QPrintDialog.
class QtPrinterDialogs : public PrinterDialogs {
public:
    bool hasPrinter() const override;
    bool choosePrinter(QPrinter& printer, QWidget* parent) override;
};

} // namespace quelby
