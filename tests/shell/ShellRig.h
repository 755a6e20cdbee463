#pragma once

#include "app/data/PublishPasswordFile.h"
#include "app/data/ServiceLog.h"
#include "app/shell/MainMenus.h"
#include "app/shell/MainStatusBar.h"
#include "app/shell/ModalAnswerer.h"
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
#include <QApplication>
#include <QPrinter>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quelby::test {

// A system without printers by default, so tests never reach a real printer or its dialog.
// With a printer, its dialog is cancelled unless `m_printTo` names a file: the "printer" then
// prints into that file.
struct ScriptedPrinterDialogs : PrinterDialogs {
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
struct RecordingChildWindows : ChildWindowFactory {
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
        window.setPasswordStore(
            std::make_unique<FilePasswordStore>(PublishPasswordFile(home.path())));
#endif
        board.addHandler(pls);
        board.addHandler(programMode);
    }

    QString panel(int index) const {
        return window.statusPanels().panelText(index);
    }
    QString notice() const {
        return window.statusPanels().notice()->text();
    }
    QAction* item(const char* name) const {
        return window.findChild<QAction*>(name);
    }
    // Triggers the item `name` with `file` as the file dialog's answer (nullopt: cancelled).
    void withFile(const char* name, std::optional<std::filesystem::path> file) {
        dialogs.answerNext(std::move(file));
        item(name)->trigger();
    }
    // Triggers `action` with `answer` to its first question.
    void answering(MessageAnswer answer, QAction* action) {
        prompt.answerNext(answer);
        action->trigger();
    }
    bool showActive() {
        window.show();
        QApplication::setActiveWindow(&window);
        return QTest::qWaitForWindowActive(&window);
    }
    void showOnline() {
        window.show();
        window.goOnline();
    }
    // Triggers `action` and hands the first modal window T that opens to `answer`; a window
    // still open afterwards is cancelled. False when none opened.
    template <typename T> bool inModal(QAction* action, const std::function<void(T&)>& answer) {
        bool opened = false;
        ModalAnswerer answerer([](QWidget*, const QString&) {});
        answerer.expect(T::staticMetaObject.className(), {}, 0, [&](QWidget* modal) {
            opened = true;
            answer(*qobject_cast<T*>(modal));
            if (modal->isVisible()) modal->close();
        });
        action->trigger();
        return opened;
    }
    // The events of the home folder's service log, oldest first; unreadable lines fail.
    std::vector<ServiceEvent> loggedEvents() const {
        std::vector<ServiceEvent> events;
        for (const ServiceLogEntry& entry : ReadServiceLog(ServiceLogFile(home.path())).entries) {
            EXPECT_TRUE(entry.event) << entry.rawLine;
            if (entry.event) events.push_back(*entry.event);
        }
        return events;
    }

    // The logged events as "source; item; address; before -> asked; confirmed of count", with
    // " confirmed" when the board confirmed every write.
    std::vector<std::string> logged() const {
        std::vector<std::string> lines;
        for (const ServiceEvent& e : loggedEvents())
            lines.push_back(e.source + "; " + e.item + "; " + e.address + "; " + e.before + " -> " +
                            e.asked + "; " + std::to_string(e.confirmedCount) + " of " +
                            std::to_string(e.count) + (e.confirmed ? " confirmed" : ""));
        return lines;
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
