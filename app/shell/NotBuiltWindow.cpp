#include "app/shell/NotBuiltWindow.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quelby {

QString NotBuiltWindow::WindowTitle(int index) {
    static const char* const kTitles[] = {
        "Main Display",   "Set-up Parameters", "Serial Communications",
        "Machine Timing", "Shift Data",        "I/O States"};
    if (index < 0 || index >= 6) return {};
    return kTitles[index];
}

NotBuiltWindow::NotBuiltWindow(int index, QWidget* parent) : QWidget(parent) {
    setObjectName("frmNotBuilt");
    setWindowTitle(WindowTitle(index) + " (not built yet)");
    auto* label =
        new QLabel(WindowTitle(index) + " is not built yet in this version of QUELBY.", this);
    label->setAlignment(Qt::AlignCenter);
    label->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
}

} // namespace quelby
