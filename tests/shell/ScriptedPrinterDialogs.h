#pragma once

#include "app/shell/PrinterDialogs.h"

#include <QPrinter>
#include <QString>

namespace quelby::test {

// A system without printers by default, so tests never reach a real printer or its dialog.
// With a printer, its dialog is cancelled unless `m_printTo` names a file: the "printer" then
// prints into that file.
class ScriptedPrinterDialogs : public PrinterDialogs {
public:
    bool hasPrinter() const override { return m_hasPrinter; }
    bool choosePrinter(QPrinter& printer, QWidget*) override {
        ++m_dialogsShown;
        if (m_printTo.isEmpty()) return false;
        printer.setOutputFileName(m_printTo);
        return true;
    }

    bool m_hasPrinter = false;
    QString m_printTo;
    int m_dialogsShown = 0;
};

} // namespace quelby::test
