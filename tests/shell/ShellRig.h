#pragma once

#include "app/data/FileDialogs.h"
#include "app/shell/MainMenus.h"
#include "app/shell/MainStatusBar.h"
#include "app/shell/PrinterDialogs.h"
#include "app/shell/frmMDIMain.h"
#include "sim/ManualClock.h"
#include "sim/SimBoard.h"
#include "sim/SimPls.h"
#include "sim/SimProgramMode.h"
#include "sim/SimSerialPort.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempFolder.h"

#include <QAction>
#include <QMenuBar>
#include <QPrinter>
#include <QWidget>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace quelby::test {

// Answers file dialogs from a script (nullopt = cancelled) and records every request.
class ScriptedFileDialogs : public FileDialogs {
public:
    void answerNext(std::optional<std::filesystem::path> path) {
        m_answers.push_back(std::move(path));
    }
    std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) override {
        return next(request);
    }
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) override {
        return next(request);
    }
    const std::vector<FileDialogRequest>& requests() const { return m_requests; }

private:
    std::optional<std::filesystem::path> next(const FileDialogRequest& request) {
        m_requests.push_back(request);
        if (m_answers.empty()) return std::nullopt;
        auto answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::filesystem::path>> m_answers;
    std::vector<FileDialogRequest> m_requests;
};

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
// with scripted answers, in a scratch home folder, on a system without printers. With
// `recordWindows` the child windows are RecordingChildWindows.
struct ShellRig {
    explicit ShellRig(bool recordWindows = true)
        : window(prompt, clock, port, dialogs, home.path(),
                 recordWindows ? std::make_unique<RecordingChildWindows>(windowLog) : nullptr) {
        window.setPrinterDialogs(printers);
        board.addHandler(pls);
        board.addHandler(programMode);
    }

    QString panel(int index) const { return window.statusPanels().panelText(index); }
    QAction* item(const char* name) const { return window.findChild<QAction*>(name); }

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
