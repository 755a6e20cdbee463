#include "app/shell/PrinterDialogs.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace quelby {

bool QtPrinterDialogs::hasPrinter() const {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

bool QtPrinterDialogs::choosePrinter(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace quelby
