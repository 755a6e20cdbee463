// Measures one online refresh pass of each page of the Set-up Parameters and Shift Data
// windows through the real serial port against quelby-sim answering at line speed, next to
// the time the wire itself needs for the same bytes (10 bits each). A pass reads only the
// visible page, so each page has its own figure.
#include "bench/BenchShell.h"
#include "bench/BenchSupport.h"
#include "views/DrainRefreshCycles.h"
#include "views/frmData.h"
#include "views/frmSetup.h"

#include <QApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace quelby;

namespace {

struct PassFigures {
    double seconds = 0; // median of the measured passes
    long bytes = 0;     // bytes on the line in that pass
};

// Shows `page`, lets the pass under way and the first full pass go by, then times `count`
// passes from one pass end to the next. Empty when the passes did not come.
template <typename Window>
std::vector<PassFigures> measurePage(Window& window, bench::CountingSerialPort& port, int page,
                                     int count) {
    using Clock = std::chrono::steady_clock;
    std::vector<PassFigures> passes;
    int ended = 0;
    Clock::time_point last;
    const auto connection =
        QObject::connect(&window, &RefreshCycleWindow::passEnded, [&](bool) {
            const auto now = Clock::now();
            if (ended >= 2)
                passes.push_back({std::chrono::duration<double>(now - last).count(),
                                  port.bytesOnTheLine()});
            ++ended;
            last = now;
            port.resetCounts();
        });
    window.showPage(page);
    QDeadlineTimer deadline(60'000);
    while (static_cast<int>(passes.size()) < count && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    QObject::disconnect(connection);
    return passes;
}

void report(const char* window, int page, std::vector<PassFigures> passes, int baud) {
    std::sort(passes.begin(), passes.end(),
              [](const PassFigures& a, const PassFigures& b) { return a.seconds < b.seconds; });
    const PassFigures& median = passes[passes.size() / 2];
    const double bound = static_cast<double>(median.bytes) * 10.0 / baud;
    std::printf("%-10s page %d  %7.1f ms per pass   wire-time bound %7.1f ms (%ld bytes at %d "
                "baud)   %+.1f %%\n",
                window, page + 1, median.seconds * 1000, bound * 1000, median.bytes, baud,
                100.0 * (median.seconds / bound - 1.0));
}

template <typename Window>
bool measureWindow(const char* name, bench::BenchShell& shell, bench::CountingSerialPort& port,
                   int baud, int count) {
    bench::BenchPrompt prompt;
    Window window(shell, prompt);
    window.show();
    for (int page = 0; page < 3; ++page) {
        std::vector<PassFigures> passes = measurePage(window, port, page, count);
        if (static_cast<int>(passes.size()) < count || !shell.link().OnlineMode) {
            std::fprintf(stderr, "quelby-bench-window: %s page %d did not refresh\n", name,
                         page + 1);
            return false;
        }
        report(name, page, std::move(passes), baud);
    }
    window.close();
    return true;
}

void usage() {
    std::fprintf(stderr, "usage: quelby-bench-window [--baud 9600|19200] [--passes N]\n");
    std::exit(64);
}

} // namespace

int main(int argc, char** argv) {
    int baud = 19200;
    int count = 9;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--baud" && i + 1 < argc)
            baud = std::atoi(argv[++i]);
        else if (arg == "--passes" && i + 1 < argc)
            count = std::atoi(argv[++i]);
        else
            usage();
    }
    if ((baud != 9600 && baud != 19200) || count < 1) usage();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    bench::BenchPrompt prompt;
    bench::SimLink line({"--baud", std::to_string(baud)}, baud,
                        "quelby-bench-window-" + std::to_string(getpid()), prompt);
    if (!line.link.OnlineMode) return 1;
    bench::BenchShell shell(line.link);
    const bool ok = measureWindow<frmSetup>("Set-Up", shell, line.port, baud, count) &&
                    measureWindow<frmData>("Shift Data", shell, line.port, baud, count);
    DrainRefreshCycles();
    line.link.CloseRSComm();
    if (!ok) return 1;
    std::printf("median of %d passes each; bound = bytes sent + bytes received, 10 bits each at "
                "%d baud; a pass is timed from the end of the one before it\n",
                count, baud);
    return 0;
}
