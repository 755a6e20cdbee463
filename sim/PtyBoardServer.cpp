#include "sim/PtyBoardServer.h"

#include "sim/SimBoard.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>

namespace quelby::sim {
namespace {

constexpr std::int64_t kNanosPerSecond = 1'000'000'000;

std::string systemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

} // namespace

PtyBoardServer::PtyBoardServer(SimBoard& board) : m_board(board) {}

PtyBoardServer::~PtyBoardServer() {
    if (m_trace) m_board.setTraceSink({});
    closeFd(m_signals);
    closeFd(m_slave);
    closeFd(m_master);
    if (m_maskChanged) ::sigprocmask(SIG_SETMASK, &m_oldMask, nullptr);
}

PtyBoardServer::Nanos PtyBoardServer::monotonicNanos() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * kNanosPerSecond + now.tv_nsec;
}

bool PtyBoardServer::open(std::string& error) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) return error = systemError("no pseudo-terminal"), false;
    char name[128];
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0)
        return error = systemError("cannot unlock the pseudo-terminal"), false;
    m_devicePath = name;

    // Our own slave descriptor keeps the line up between clients; it also carries the raw
    // mode, which clients inherit: no echo, no translation of any byte value.
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &raw) != 0) return error = systemError(name), false;
    ::cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(m_slave, TCSANOW, &raw) != 0) return error = systemError(name), false;

    // Answers to a client that stopped reading are dropped rather than blocking the board.
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return error = systemError("pseudo-terminal"), false;

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    if (::sigprocmask(SIG_BLOCK, &stopSignals, &m_oldMask) != 0)
        return error = systemError("cannot hold the stop signals"), false;
    m_maskChanged = true;
    m_signals = ::signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    if (m_signals < 0) return error = systemError("no signal descriptor"), false;

    m_openedAt = monotonicNanos();
    return true;
}

bool PtyBoardServer::openTrace(const std::string& path, std::string& error) {
    m_trace.reset(std::fopen(path.c_str(), "w"));
    if (!m_trace)
        return error = systemError(("cannot create the trace file " + path).c_str()), false;
    m_board.setTraceSink([this](const TraceEntry& entry) {
        const std::string line = FormatTraceEntry(entry) + '\n';
        (void)std::fwrite(line.data(), 1, line.size(), m_trace.get());
        m_traceDirty = true;
    });
    return true;
}

bool PtyBoardServer::run(std::string& error) {
    // Sleeps until an answer's deadline end within a microsecond or so of it rather than after
    // the default 50 µs of timer slack, which alone is 5% of an exchange at 19200 baud.
    if (m_exchangeNanos > 0) ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);

    pollfd watched[2] = {{m_master, POLLIN, 0}, {m_signals, POLLIN, 0}};
    std::uint8_t bytes[256];
    for (;;) {
        const bool wantsTicks = m_tick || m_traceDirty;
        const int timeoutMs = wantsTicks ? static_cast<int>(kTickSeconds * 1000) : -1;
        const int ready = ::poll(watched, 2, timeoutMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return error = systemError("poll"), false;
        }
        if (ready == 0) {
            whileQuiet();
            continue;
        }
        if (watched[1].revents & POLLIN) {
            signalfd_siginfo stopSignal{}; // taken, or it would strike once the mask is restored
            if (::read(m_signals, &stopSignal, sizeof stopSignal) > 0) break;
        }
        if (watched[0].revents & POLLIN) {
            const ssize_t got = ::read(m_master, bytes, sizeof bytes);
            if (got > 0) {
                if (!serveRead(bytes, static_cast<std::size_t>(got), error)) return false;
                watched[0].fd = m_master; // -1 once the line was closed: poll skips it
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                return error = systemError("reading the pseudo-terminal"), false;
            }
        } else if (watched[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            return error = "the pseudo-terminal hung up", false;
        }
    }
    if (m_trace) (void)std::fflush(m_trace.get());
    m_traceDirty = false;
    return true;
}

bool PtyBoardServer::clientAtLineSpeed() const {
    if (m_lineSpeed == 0) return true;
    // The slave's settings are the client's: it set them through its own descriptor.
    termios line{};
    if (::tcgetattr(m_slave, &line) != 0) return false;
    const speed_t wanted = m_lineSpeed == 9600 ? B9600 : B19200;
    return ::cfgetispeed(&line) == wanted && ::cfgetospeed(&line) == wanted;
}

bool PtyBoardServer::serveRead(const std::uint8_t* bytes, std::size_t count, std::string& error) {
    if (!clientAtLineSpeed()) return true;
    if (m_closeAfter >= 0) {
        const long left = std::max(0L, m_closeAfter - m_board.receivedBytes());
        count = std::min(count, static_cast<std::size_t>(left));
    }
    if (!serveBytes(bytes, count, error)) return false;
    if (m_closeAfter >= 0 && m_board.receivedBytes() >= m_closeAfter) hangUp();
    return true;
}

void PtyBoardServer::hangUp() {
    closeFd(m_slave);
    closeFd(m_master);
    m_closedLine = true;
}

void PtyBoardServer::whileQuiet() {
    if (m_tick) tickAt(monotonicNanos());
    if (m_traceDirty) (void)std::fflush(m_trace.get());
    m_traceDirty = false;
}

void PtyBoardServer::tickAt(Nanos now) {
    // The line behind the board moves in steps far coarser than a byte: a tick per
    // millisecond is plenty, and keeps a busy link as quick as a still board.
    constexpr Nanos kMinTickInterval = kNanosPerSecond / 1000;
    if (now - m_lastTick < kMinTickInterval) return;
    m_lastTick = now;
    m_tick(static_cast<double>(now - m_openedAt) / static_cast<double>(kNanosPerSecond));
}

bool PtyBoardServer::serveBytes(const std::uint8_t* bytes, std::size_t count, std::string& error) {
    if (m_exchangeNanos == 0) {
        // As fast as possible: all answers to one read leave in one write.
        std::uint8_t answers[256];
        std::size_t answered = 0;
        const Nanos now = m_tick ? monotonicNanos() : 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (m_tick) tickAt(now);
            if (auto answer = m_board.receive(bytes[i])) answers[answered++] = *answer;
        }
        return writeAnswers(answers, answered, error);
    }
    // Line speed: each answer leaves 20 bit-times after its byte arrived. Bytes that came in
    // together arrived one after the other on a real line, 10 bit-times apart.
    const Nanos arrived = monotonicNanos();
    for (std::size_t i = 0; i < count; ++i) {
        if (m_tick) tickAt(i == 0 ? arrived : monotonicNanos());
        const Nanos deadline =
            std::max(arrived + m_exchangeNanos, m_lastDeadline + m_exchangeNanos / 2);
        m_lastDeadline = deadline;
        if (auto answer = m_board.receive(bytes[i])) {
            sleepUntil(deadline);
            if (!writeAnswers(&*answer, 1, error)) return false;
        }
    }
    return true;
}

void PtyBoardServer::sleepUntil(Nanos deadline) {
    // The kernel wakes a sleeper some tens of microseconds late, more so in a virtual machine.
    // Aiming early by the typical lateness, tracked as a running median in 1 µs steps, makes
    // the answer leave at the deadline rather than after it.
    const Nanos wake = deadline - m_wakeLateness;
    if (wake <= monotonicNanos()) return;
    const timespec until{static_cast<time_t>(wake / kNanosPerSecond),
                         static_cast<long>(wake % kNanosPerSecond)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
    constexpr Nanos kStep = 1000;
    const Nanos late = monotonicNanos() - wake;
    m_wakeLateness = std::clamp(m_wakeLateness + (late > m_wakeLateness ? kStep : -kStep), Nanos{0},
                                m_exchangeNanos / 4);
}

bool PtyBoardServer::writeAnswers(const std::uint8_t* bytes, std::size_t count,
                                  std::string& error) {
    while (count > 0) {
        const ssize_t written = ::write(m_master, bytes, count);
        if (written > 0) {
            bytes += written;
            count -= static_cast<std::size_t>(written);
        } else if (written < 0 && errno == EAGAIN) {
            return true; // nobody reads the line and its buffer is full: the answers are lost
        } else if (written < 0 && errno != EINTR) {
            return error = systemError("writing the pseudo-terminal"), false;
        }
    }
    return true;
}

} // namespace quelby::sim
