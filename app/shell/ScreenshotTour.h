#pragma once

#include "app/shell/ModalAnswerer.h"

#include <QDir>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <filesystem>

#include <functional>
#include <vector>

class QWidget;

namespace quelby {

class frmMDIMain;

// quelby --screenshot-dir: shows the main window offline and online, the Serial Communications
// and I/O States windows and both pages of Machine Timing online and offline, the About box, the help
// window, the comm port dialog, a data upload with its question and progress window, a program
// download of programs/K650DEMO.hbx (when the home folder has it) with its file dialog,
// questions and transfer window, the four tabs of the Target Board Interface for that program (and its
// clock tab for a V210 program made from it),
// and the "Please Standby" window in turn, saves each as a PNG
// for review and closes the program.
class ScreenshotTour : public QObject {
    Q_OBJECT

public:
    ScreenshotTour(frmMDIMain& window, const QString& folder);

    // Begins the tour; the program closes at its end.
    void start();

private:
    struct Step {
        int delayMs;
        std::function<void()> action;
    };
    void runNext();
    void save(QWidget* widget, const QString& name);
    void expectProgramDownload();
    // The Target Board Interface for `hbx`, saving the tabs named in `files` (index = tab; an
    // empty name is not saved), then Ok.
    void expectTargetBoard(const std::filesystem::path& hbx, const QStringList& files);
    void expectTargetBoards();
    void saveWaitDisplay();
    // Both pages of the open Machine Timing window, named after `mode`.
    void saveTimingPages(const QString& mode);

    frmMDIMain& m_window;
    QDir m_folder;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    ModalAnswerer m_answers;
    QTemporaryDir m_scratch; // a V210 program set for the clock tab
};

} // namespace quelby
