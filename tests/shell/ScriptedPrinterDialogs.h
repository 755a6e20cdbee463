#pragma once

#include "PrinterDialogs.h"

namespace quelby::test {

// A system without printers by default, so tests never reach a real printer or its dialog.
class ScriptedPrinterDialogs : public PrinterDialogs {
public:
    bool hasPrinter() const override { return m_hasPrinter; }
    bool choosePrinter(QPrinter&, QWidget*) override {
        ++m_dialogsShown;
        return false; // cancelled
    }

    bool m_hasPrinter = false;
    int m_dialogsShown = 0;
};

} // namespace quelby::test
