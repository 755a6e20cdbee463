// quelby: the desktop program beside the line.
//   quelby [--device PATH] [--home DIR]      the board on the serial port of RSPort.cfg
//   quelby --simulate [--home DIR]           the simulated board in this process
//   --screenshot-dir DIR                     saves review screenshots and closes
//   --startup-time                           prints when the main window is first on screen
//   --online                                 goes online as soon as the window is up
//   --trace FILE                             writes a link trace from the start (Help > Link Trace)
//   --simulate-loss P [--simulate-seed N]    the simulated line loses each byte with probability P
//   --soak-schedule                          works the program on a schedule for soak runs

#include "app/shell/AppIcon.h"
#include "app/shell/ExposeWatcher.h"
#include "link/FilePaths.h"
#include "link/HomeFolder.h"
#include "link/ProgramVersion.h"
#include "link/PortMap.h"
#include "app/shell/QtFileDialogs.h"
#include "app/shell/QtUserPrompt.h"
#include "app/shell/ScreenshotTour.h"
#include "app/shell/SoakDriver.h"
#include "sim/SimSerialPort.h"
#include "sim/SimulatedLine.h"
#include "link/SystemClock.h"
#include "link/SystemServices.h"
#include "link/SystemSerialPort.h"
#include "app/shell/frmMDIMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTextStream>

#include <cstdlib>
#include <memory>
#include <string_view>

using namespace quelby;

namespace {

// The simulated line moves in steps far coarser than a byte: tick it at most once a
// millisecond, just before the board takes a byte, so an idle program costs nothing.
class SimulatedBoardPort {
public:
    explicit SimulatedBoardPort(Clock& clock) : m_clock(clock), m_port(m_line.board(), clock) {
        // Nobody reads the board's own record of exchanges here, and a long session would
        // keep every one of them in memory.
        m_line.board().setTraceRecording(false);
        m_line.start(clock.monotonicSeconds());
        m_port.setEmulateLineSpeed(true);
        m_port.setOnSend([this](long) { tick(); });
    }
    SerialPort& port() { return m_port; }
    sim::SimBoard& board() { return m_line.board(); }

private:
    void tick() {
        const double now = m_clock.monotonicSeconds();
        if (now - m_lastTick < 0.001) return;
        m_lastTick = now;
        m_line.tick(now);
    }

    Clock& m_clock;
    sim::SimulatedLine m_line;
    sim::SimSerialPort m_port;
    double m_lastTick = 0;
};

bool AsksForHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all" ||
            arg == "--version" || arg == "-v")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();

    QCoreApplication::setApplicationName("QUELBY");
    QCoreApplication::setApplicationVersion(kVersionString);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "QUELBY: set-up and service utility for the K650 target board");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate("simulate", "Work with the simulated board in this program.");
    const QCommandLineOption device("device", "Use this serial device whatever the port number.",
                                    "PATH");
    const QCommandLineOption home(
        "home",
        QStringLiteral("Home folder holding Support/ (default: the program's folder, or %1 when "
                       "installed).")
            .arg(QString::fromUtf8(kInstalledHomeText)),
        "DIR");
    const QCommandLineOption screenshots("screenshot-dir",
                                         "Save review screenshots here and close.", "DIR");
    const QCommandLineOption startupTime("startup-time",
                                         "Print when the main window is first on screen.");
    const QCommandLineOption online("online", "Go online as soon as the main window is up.");
    const QCommandLineOption trace("trace", "Write one line per byte exchange with the board to FILE.",
                                   "FILE");
    const QCommandLineOption simulateLoss(
        "simulate-loss", "The simulated line loses each byte with probability P (0..1).", "P");
    const QCommandLineOption simulateSeed(
        "simulate-seed", "Seed of the simulated line's losses (default 1).", "N", "1");
    const QCommandLineOption soakSchedule(
        "soak-schedule", "Work the program on a schedule and answer its messages (soak runs).");
    parser.addOptions({simulate, device, home, screenshots, startupTime, online, trace,
                       simulateLoss, simulateSeed, soakSchedule});
    // --help and --version are answered (and the program ends) before any window system is
    // needed, so they work without a display.
    if (AsksForHelpOrVersion(argc, argv)) {
        QCoreApplication early(argc, argv);
        parser.process(early);
    }

    QApplication app(argc, argv);
    QApplication::setWindowIcon(AppIcon());
    parser.process(app);

    const HomeFolders folders = ResolveHomeFolders(
        parser.isSet(home) ? std::optional(std::filesystem::path(parser.value(home).toStdU16String()))
                           : std::nullopt,
        ProgramFolder(), SystemEnvironment);
    SetSharedFolder(folders.shared);
    const std::filesystem::path& homeFolder = folders.home;
    // Said once; the link then meets the unwritable settings file with its own message.
    if (!folders.problem.empty())
        QMessageBox::warning(nullptr, "QUELBY", QString::fromStdString(folders.problem));

    SystemClock clock;
    QtUserPrompt prompt;
    QtFileDialogs dialogs;
    std::unique_ptr<SimulatedBoardPort> simulated;
    std::unique_ptr<SystemSerialPort> serial;
    SerialPort* port = nullptr;
    if (parser.isSet(simulate)) {
        simulated = std::make_unique<SimulatedBoardPort>(clock);
        port = &simulated->port();
        if (parser.isSet(simulateLoss)) {
            bool rateOk = false, seedOk = false;
            const double rate = parser.value(simulateLoss).toDouble(&rateOk);
            const uint seed = parser.value(simulateSeed).toUInt(&seedOk);
            if (!rateOk || !seedOk || rate < 0 || rate > 1) {
                QTextStream(stderr) << "quelby: --simulate-loss takes 0..1, --simulate-seed a number\n";
                return 2;
            }
            simulated->board().setLossRate(rate, seed);
        }
    } else {
        serial = std::make_unique<SystemSerialPort>(PortMap::load(PortMap::FileIn(homeFolder)),
                                                    parser.value(device).toStdString());
        port = serial.get();
    }

    frmMDIMain window(prompt, clock, *port, dialogs, homeFolder);
    if (simulated) window.setServiceLogProgram("QUELBY (simulated board)");
    prompt.setParentWindow(&window);
    dialogs.setParentWindow(&window);
    if (parser.isSet(trace)) window.startLinkTrace(parser.value(trace).toStdString());
    window.show();

    auto* watcher = new ExposeWatcher(window);
    if (parser.isSet(startupTime))
        QObject::connect(watcher, &ExposeWatcher::exposed, [&sinceStart] {
            QTextStream(stderr) << "main window exposed after " << sinceStart.elapsed() << " ms\n";
        });
    if (parser.isSet(online))
        QObject::connect(watcher, &ExposeWatcher::exposed, &window, &frmMDIMain::goOnline,
                         Qt::QueuedConnection);
    if (parser.isSet(soakSchedule)) {
        auto* soak = new SoakDriver(
            window, [&simulated] { return simulated ? simulated->board().lostBytes() : 0L; },
            SoakDriver::Schedule{}, &window);
        QObject::connect(watcher, &ExposeWatcher::exposed, soak, &SoakDriver::start);
    }
    if (parser.isSet(screenshots)) {
        auto* tour = new ScreenshotTour(window, parser.value(screenshots));
        QObject::connect(watcher, &ExposeWatcher::exposed, tour, &ScreenshotTour::start);
    }
    return app.exec();
}
