// Measures the I/O States window's refresh pass (fifteen board reads) through the real serial
// port against quelby-sim emulating the line speed, at 9600 and 19200 baud, next to the time
// the wire itself needs for the same bytes (10 bits each). The window runs as in the program,
// on the offscreen platform, yielding to the event loop before every read; the same fifteen
// reads made in a plain loop show what the window adds.
#include "app/data/IoStates.h"
#include "bench/BenchShell.h"
#include "bench/BenchSupport.h"
#include "diagnostics/frmDisplayIO.h"
#include "views/DrainRefreshCycles.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>

using namespace quelby;

namespace {

constexpr int kWarmUpPasses = 2;
constexpr int kMeasuredPasses = 30;
constexpr int kGiveUpMs = 120000;

struct Figures {
    double seconds = 0; // per pass
    double bytes = 0;   // per pass, both directions
};

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Passes of the window itself: timed from the end of the warm-up to the end of the last pass.
bool MeasureWindow(bench::SimLink& line, Figures& figures) {
    bench::BenchShell shell(line.link);
    frmDisplayIO window(shell);
    int passes = 0;
    Clock::time_point start;
    QEventLoop loop;
    QObject::connect(&window, &frmDisplayIO::stateReadFinished, [&] {
        ++passes;
        if (passes == kWarmUpPasses) {
            start = Clock::now();
            line.port.resetCounts();
        } else if (passes == kWarmUpPasses + kMeasuredPasses) {
            figures.seconds = Since(start) / kMeasuredPasses;
            figures.bytes = static_cast<double>(line.port.bytesOnTheLine()) / kMeasuredPasses;
            window.stopCycle();
            loop.quit();
        }
    });
    QTimer::singleShot(kGiveUpMs, &loop, &QEventLoop::quit);
    window.show();
    loop.exec();
    window.hide();
    DrainRefreshCycles();
    return passes >= kWarmUpPasses + kMeasuredPasses && !line.link.CommError;
}

// The same fifteen reads in a plain loop.
bool MeasureLoop(bench::SimLink& line, Figures& figures) {
    line.port.resetCounts();
    const auto start = Clock::now();
    for (int pass = 0; pass < kMeasuredPasses; ++pass)
        for (const char* address : kIoAddresses) line.link.RSRead(address);
    figures.seconds = Since(start) / kMeasuredPasses;
    figures.bytes = static_cast<double>(line.port.bytesOnTheLine()) / kMeasuredPasses;
    return !line.link.CommError;
}

void Report(const char* what, const Figures& figures, int baud) {
    const double bound = figures.bytes * 10.0 / baud;
    std::printf("%-14s %5d baud  %7.2f ms/pass   wire-time bound %7.2f ms (%.0f bytes)   %+.1f %%\n",
                what, baud, figures.seconds * 1e3, bound * 1e3, figures.bytes,
                100.0 * (figures.seconds / bound - 1.0));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::BenchPrompt prompt;
    for (int baud : {9600, 19200}) {
        bench::SimLink line({"--baud", std::to_string(baud)}, baud,
                            "quelby-bench-io-" + std::to_string(getpid()), prompt);
        if (!line.link.OnlineMode) return 1;
        Figures window, loop;
        if (!MeasureWindow(line, window) || !MeasureLoop(line, loop)) {
            std::fprintf(stderr, "quelby-bench-io: the link failed at %d baud\n", baud);
            return 1;
        }
        line.link.CloseRSComm();
        Report("I/O window", window, baud);
        Report("plain loop", loop, baud);
    }
    std::printf("one pass = the fifteen reads of the I/O States window; bound = bytes sent + "
                "bytes received, 10 bits each\n");
    return 0;
}
