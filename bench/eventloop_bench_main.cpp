// Measures the longest time the desktop's event loop is held up by the link, with the window
// as the user has it: the Main Display online, then a whole program download, both against
// quelby-sim at line speed through the real serial port. A zero-interval timer beats each time
// the loop turns; the longest gap between two beats is the longest the window could not
// repaint or take a click.
//   quelby-bench-eventloop [--baud 9600|19200] [--seconds N]   (N seconds of Main Display)
#include "app/data/FileDialogs.h"
#include "app/shell/frmMDIMain.h"
#include "bench/BenchSupport.h"
#include "link/FilePaths.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace quelby;

namespace {

// Beats on every turn of the event loop, nested loops included, and keeps the longest gap.
class Heartbeat {
public:
    Heartbeat() {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { beat(); });
        m_timer.start();
        reset();
    }
    void reset() {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_beats = 0;
        m_over20ms = 0;
        m_over50ms = 0;
    }
    // The longest gap so far, the stretch since the last beat included.
    double longestMs() const {
        return static_cast<double>(std::max(m_longest, m_clock.nsecsElapsed() - m_last)) / 1e6;
    }
    long beats() const { return m_beats; }
    long over20ms() const { return m_over20ms; }
    long over50ms() const { return m_over50ms; }
    double elapsedSeconds() const { return static_cast<double>(m_clock.nsecsElapsed()) / 1e9; }

private:
    void beat() {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 gap = now - m_last;
        m_longest = std::max(m_longest, gap);
        m_over20ms += gap > 20'000'000;
        m_over50ms += gap > 50'000'000;
        m_last = now;
        ++m_beats;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    long m_beats = 0;
    long m_over20ms = 0;
    long m_over50ms = 0;
};

void report(const char* what, int baud, const Heartbeat& heartbeat) {
    std::printf("%s at %d baud: %.1f s, %ld loop turns, longest event-loop block %.1f ms "
                "(%ld blocks over 20 ms, %ld over 50 ms)\n",
                what, baud, heartbeat.elapsedSeconds(), heartbeat.beats(), heartbeat.longestMs(),
                heartbeat.over20ms(), heartbeat.over50ms());
    (void)std::fflush(stdout);
}

// File > Download Program always picks the sample program.
class SampleProgramDialog : public FileDialogs {
public:
    explicit SampleProgramDialog(std::filesystem::path hbx) : m_hbx(std::move(hbx)) {}
    std::optional<std::filesystem::path> openFile(const FileDialogRequest&) override { return m_hbx; }
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest&) override { return {}; }

private:
    std::filesystem::path m_hbx;
};

void runEventLoopFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int baud = 9600;
    double displaySeconds = 10;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--baud" && i + 1 < argc)
            baud = std::atoi(argv[++i]);
        else if (arg == "--seconds" && i + 1 < argc)
            displaySeconds = std::atof(argv[++i]);
        else
            baud = 0;
    }
    if ((baud != 9600 && baud != 19200) || displaySeconds <= 0) {
        std::fprintf(stderr, "usage: quelby-bench-eventloop [--baud 9600|19200] [--seconds N]\n");
        return 64;
    }

    bench::BenchPrompt prompt;
    test::SimProcess sim({"--baud", std::to_string(baud)});
    bench::ScratchFolder home("quelby-bench-eventloop-" + std::to_string(getpid()));
    std::error_code error;
    std::filesystem::create_directories(home.path() / "Support");
    std::filesystem::create_directories(home.path() / "programs");
    WriteFileAtomically(home.path() / "Support" / "RSPort.cfg", "1," + std::to_string(baud) + "\r\n",
                        error);
    for (const char* name : {"K650DEMO.hbx", "K650DEMO.rev", "K650DEMO.hex"})
        std::filesystem::copy_file(std::filesystem::path(QUELBY_SAMPLES_DIR) / name,
                                   home.path() / "programs" / name, error);
    SampleProgramDialog dialogs(home.path() / "programs" / "K650DEMO.hbx");
    SystemClock clock;
    PosixSerialPort serial(PortMap{}, sim.devicePath());

    frmMDIMain window(prompt, clock, serial, dialogs, home.path());
    window.show();
    runEventLoopFor(0.5);
    Heartbeat heartbeat;
    // Going online opens the port, probes the board and repaints the whole window.
    window.goOnline();
    if (!window.link().OnlineMode) {
        std::fprintf(stderr, "could not go online with quelby-sim\n");
        return 1;
    }
    runEventLoopFor(1.0);
    report("Going online, first second", baud, heartbeat);

    heartbeat.reset();
    runEventLoopFor(displaySeconds);
    report("Main Display online", baud, heartbeat);

    QTimer::singleShot(0, &window, [&] {
        heartbeat.reset();
        window.downloadProgram();
        report("Program download", baud, heartbeat);
        window.goOffline();
        QCoreApplication::quit();
    });
    const int status = QApplication::exec();
    (void)std::fflush(stdout);
    return status;
}
