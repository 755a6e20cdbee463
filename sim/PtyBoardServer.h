#pragma once

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace quelby::sim {

class SimBoard;

// Serves a simulated board on the master side of a pseudo-terminal: a program that opens the
// slave device (devicePath()) talks to the board as it would over a serial port.
//
// The server keeps a slave descriptor of its own open, so clients can come and go without
// the master ever seeing a hang-up. SIGINT, SIGTERM and SIGHUP are held from open() on and
// end run() in an orderly way, whenever they arrive.
class PtyBoardServer {
public:
    // How often the tick hook runs while no byte arrives.
    static constexpr double kTickSeconds = 0.05;

    explicit PtyBoardServer(SimBoard& board);
    ~PtyBoardServer();
    PtyBoardServer(const PtyBoardServer&) = delete;
    PtyBoardServer& operator=(const PtyBoardServer&) = delete;

    // Opens the pseudo-terminal pair with the slave in raw mode and blocks the stop signals
    // for the process. Fails (false, `error` set) when the system has no pseudo-terminal or
    // signal descriptor to give.
    bool open(std::string& error);
    // The slave device, e.g. "/dev/pts/7"; empty before open().
    const std::string& devicePath() const { return m_devicePath; }

    // The board's UART set to `baud` (9600 or 19200): each byte is answered 20 bit-times after
    // it arrived, as the line at this speed would, and only while the client has the line set
    // to this speed; at another speed the board sees framing errors, not bytes, and answers
    // nothing. 0 (the default) answers at once, at any speed. Cannot fail.
    void setLineSpeed(int baud) {
        m_lineSpeed = baud;
        m_exchangeNanos = baud > 0 ? 20'000'000'000LL / baud : 0;
    }
    // Writes one line per byte received ("FF 55", "B6 --") to `path`, written out whenever the
    // line goes quiet and when run() ends. Fails (false, `error` set) when the file cannot
    // be created.
    bool openTrace(const std::string& path, std::string& error);
    // Closes the pseudo-terminal once `bytes` bytes have been received, as a line that goes
    // away mid-transfer: bytes after those never reach the board, and the client's end hangs
    // up. The server then waits for its stop signal. Negative (the default) for never.
    void setCloseAfter(long bytes) { m_closeAfter = bytes; }
    bool closed() const { return m_closedLine; }
    // Called with the seconds since open() before each byte is answered and at least every
    // kTickSeconds while the line is quiet; lets the board's machine move on. Cannot fail.
    void setTick(std::function<void(double nowSeconds)> tick) { m_tick = std::move(tick); }

    // Serves until a stop signal arrives (true). Fails (false, `error` set) only when the
    // pseudo-terminal itself fails.
    bool run(std::string& error);

private:
    using Nanos = std::int64_t;
    static Nanos monotonicNanos();

    bool serveBytes(const std::uint8_t* bytes, std::size_t count, std::string& error);
    void tickAt(Nanos now);
    void sleepUntil(Nanos deadline);
    bool writeAnswers(const std::uint8_t* bytes, std::size_t count, std::string& error);
    void whileQuiet();
    bool serveRead(const std::uint8_t* bytes, std::size_t count, std::string& error);
    bool clientAtLineSpeed() const;
    void hangUp();

    SimBoard& m_board;
    int m_master = -1;
    int m_slave = -1;
    int m_signals = -1;
    sigset_t m_oldMask{};
    bool m_maskChanged = false;
    std::string m_devicePath;

    Nanos m_openedAt = 0;
    int m_lineSpeed = 0;
    Nanos m_exchangeNanos = 0;
    Nanos m_lastDeadline = 0;
    Nanos m_wakeLateness = 0; // how late sleeps typically end
    long m_closeAfter = -1;
    bool m_closedLine = false;
    std::function<void(double)> m_tick;
    Nanos m_lastTick = 0;

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_trace{nullptr, &std::fclose};
    bool m_traceDirty = false;
};

} // namespace quelby::sim
