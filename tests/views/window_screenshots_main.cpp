// views-screenshots FOLDER: saves each page of the Set-up Parameters and Shift Data windows,
// online against the in-process simulated board with a line that has run for a while, and
// offline showing a data set, as PNG files for review.
#include "app/data/ShiftDataTable.h"
#include "link/RSComm.h"
#include "sim/SimMachine.h"
#include "tests/views/TestShell.h"
#include "views/DrainRefreshCycles.h"
#include "views/frmData.h"
#include "views/frmSetup.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include <memory>

using namespace quelby;

namespace {

// Lets the simulated line run for `seconds` of board time.
void RunLine(test::TestShell& shell, sim::SimMachine& machine, double seconds) {
    for (double t = 0; t < seconds; t += 60) {
        shell.rig.clock.advance(60);
        machine.tick(shell.rig.clock.monotonicSeconds());
    }
}

template <typename Window>
bool SavePages(test::TestShell& shell, const QDir& folder, const QString& name,
               const QString& mode) {
    Window window(shell, shell.rig.prompt);
    window.resize(780, 560);
    test::ShowActive(window);
    bool saved = true;
    for (int page = 0; page < 3; ++page) {
        window.showPage(page);
        int passes = 0;
        const auto connection = QObject::connect(&window, &RefreshCycleWindow::passEnded,
                                                 [&](bool) { ++passes; });
        test::RunEventsUntil([&] { return passes >= 3; });
        QObject::disconnect(connection);
        const QString file =
            folder.filePath(QString("%1-%2-page%3.png").arg(name, mode).arg(page + 1));
        const bool ok = window.grab().save(file);
        QTextStream(stderr) << (ok ? "saved " : "could not save ") << file << '\n';
        saved = saved && ok;
    }
    window.close();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: views-screenshots FOLDER\n";
        return 64;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(".");

    test::TestShell shell;
    sim::SimMachine machine(shell.rig.board);
    machine.start(shell.rig.clock.monotonicSeconds());
    shell.rig.goOnline();
    // A shift's worth of production, the end of that shift, and part of the next one.
    RunLine(shell, machine, 3600);
    shell.rig.link.RSWrite("F133", "1");
    shell.rig.link.RSWrite("F133", "0");
    RunLine(shell, machine, 2400);
    shell.rig.link.RSWrite("B1011", "3");

    bool ok = SavePages<frmSetup>(shell, folder, "setup", "online");
    ok = SavePages<frmData>(shell, folder, "shiftdata", "online") && ok;

    // Offline: the data set as an upload of this board would have left it.
    for (int i = 1; i < kShiftDataEntries; ++i)
        shell.data.CurrentData.Value[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(
            shell.rig.board.value(ShiftDataAddress(i)).value_or(0));
    shell.data.CurrentData.Value[0] = 3;
    shell.goOffline();
    ok = SavePages<frmSetup>(shell, folder, "setup", "offline") && ok;
    ok = SavePages<frmData>(shell, folder, "shiftdata", "offline") && ok;
    shell.editing = true;
    ok = SavePages<frmSetup>(shell, folder, "setup", "offline-editing") && ok;
    DrainRefreshCycles();
    return ok ? 0 : 1;
}
