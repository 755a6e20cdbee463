#pragma once

#include "app/data/PublishPasswordFile.h"
#include "app/data/ServiceLog.h"
#include "app/shell/MainMenus.h"
#include "app/shell/MainStatusBar.h"
#include "app/shell/PrinterDialogs.h"
#include "app/shell/frmMDIMain.h"
#include "sim/ManualClock.h"
#include "sim/SimBoard.h"
#include "sim/SimPls.h"
#include "sim/SimProgramMode.h"
#include "sim/SimSerialPort.h"
#include "tests/support/ScriptedFileDialogs.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempFolder.h"

#include <QAction>
#include <QMenuBar>
#include <QPrinter>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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

// Child windows that record their loading and unloading, so tests see the window table at
// work without the real windows' refresh cycles.
class RecordingChildWindows : public ChildWindowFactory {
public:
    explicit RecordingChildWindows(std::vector<std::string>& log) : m_log(log) {}
    bool isBuilt(int) const override { return true; }
    QWidget* create(int index, ShellContext&, QWidget* parent) override {
        auto* window = new QWidget(parent);
        const std::string name = "window" + std::to_string(index);
        window->setObjectName(QString::fromStdString(name));
        m_log.push_back("load " + name);
        QObject::connect(window, &QObject::destroyed,
                         [&log = m_log, name] { log.push_back("unload " + name); });
        return window;
    }

private:
    std::vector<std::string>& m_log;
};

// The main window on the simulated board (with its PLS and program mode) and a manual clock,
// with scripted answers, in a scratch home folder, on a system without printers, keeping the
// broker's password in the home folder's file, never in the keyring. With `recordWindows` the
// child windows are RecordingChildWindows.
struct ShellRig {
    explicit ShellRig(bool recordWindows = true)
        : window(prompt, clock, port, dialogs, home.path(),
                 recordWindows ? std::make_unique<RecordingChildWindows>(windowLog) : nullptr) {
        window.setPrinterDialogs(printers);
#ifdef QUELBY_PUBLISH
        window.setPasswordStore(std::make_unique<FilePasswordStore>(PublishPasswordFile(home.path())));
#endif
        board.addHandler(pls);
        board.addHandler(programMode);
    }

    QString panel(int index) const { return window.statusPanels().panelText(index); }
    QAction* item(const char* name) const { return window.findChild<QAction*>(name); }
    // The events of the home folder's service log, oldest first; unreadable lines fail.
    std::vector<ServiceEvent> loggedEvents() const {
        std::vector<ServiceEvent> events;
        for (const ServiceLogEntry& entry : ReadServiceLog(ServiceLogFile(home.path())).entries) {
            EXPECT_TRUE(entry.event) << entry.rawLine;
            if (entry.event) events.push_back(*entry.event);
        }
        return events;
    }

    TempFolder home;
    sim::ManualClock clock;
    sim::SimBoard board;
    sim::SimSerialPort port{board, clock};
    sim::SimPls pls;
    sim::SimProgramMode programMode{board};
    ScriptedPrompt prompt;
    ScriptedFileDialogs dialogs;
    ScriptedPrinterDialogs printers;
    std::vector<std::string> windowLog;
    frmMDIMain window;
};

} // namespace quelby::test
