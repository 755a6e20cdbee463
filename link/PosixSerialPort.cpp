#include "link/PosixSerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/serial.h>
#include <sys/sysmacros.h>
#endif

namespace quelby {

namespace {

constexpr double MaxWaitSeconds = 1e6;
// Wake-ups that report input which read() then does not deliver, before the device counts
// as broken: a bound that keeps a confused driver from turning a wait into a spin.
constexpr int MaxIdleWakeups = 100;
constexpr int MaxSendAttempts = 4;

std::string systemText(int errnum) {
    return std::generic_category().message(errnum);
}

std::string portText(int port) {
    return port > 0 ? " (port " + std::to_string(port) + ")" : std::string();
}

// What to do about a device that is missing or the wrong one.
std::string remedyText(int port) {
    if (port <= 0) return "Plug in the adapter, or check the path given with --device.";
    const std::string number = std::to_string(port);
    return "Plug in the adapter, or map port " + number + " to its device in " +
           "Support/SerialPorts.cfg (a line \"" + number + "=/dev/ttyUSB0\").";
}

std::string speedText(int baud) {
    return "The speed " + std::to_string(baud) + " baud is not supported; choose 9600 or 19200.";
}

std::string portNumberText(int port) {
    return "Port number " + std::to_string(port) + " is not between 1 and 99.";
}

std::string lowLatencyText(const std::string& device, const std::string& reason) {
    std::error_code ec;
    std::filesystem::path name = std::filesystem::canonical(device, ec).filename();
    if (ec) name = std::filesystem::path(device).filename();
    return "Low latency could not be set on " + device + " (" + reason +
           "), so the adapter may hold each byte for up to 16 ms and transfers can take "
           "several times longer. For an FTDI adapter, write 1 to "
           "/sys/bus/usb-serial/devices/" +
           name.string() + "/latency_timer as root.";
}

speed_t speedFor(int baud) {
    switch (baud) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    default:
        return B0;
    }
}

bool isPseudoTerminal(int fd) {
#ifdef __linux__
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
    const unsigned int kind = major(info.st_rdev);
    return (kind >= 136 && kind <= 143) || kind == 3; // Unix 98 and legacy slave majors
#else
    (void)fd;
    return false;
#endif
}

} // namespace

std::string DescribeOpenError(int errnum, const std::string& device, int port) {
    const std::string which = device + portText(port);
    switch (errnum) {
    case ENOENT:
        return "The serial device " + which + " does not exist. " + remedyText(port);
    case ENODEV:
    case ENXIO:
    case EIO:
        return "No serial port hardware answers behind " + which + ". " + remedyText(port);
    case EACCES:
    case EPERM:
        return "Permission denied opening " + which +
               ". On Linux the user is usually not in the dialout group: run "
               "\"sudo usermod -aG dialout $USER\", then log in again.";
    case EBUSY:
        return which + " is busy: another program holds it (a terminal program, a modem "
                       "manager or another copy of QUELBY). Close that program and try again.";
    case ENOTTY:
        return which + " is not a serial port. " + remedyText(port);
    default:
        return which + " could not be opened: " + systemText(errnum) + ".";
    }
}

PosixSerialPort::PosixSerialPort(PortMap map, std::string deviceOverride)
    : m_map(std::move(map)), m_deviceOverride(std::move(deviceOverride)) {}

PosixSerialPort::~PosixSerialPort() {
    close();
}

bool PosixSerialPort::open(const PortSettings& settings, PortError& error) {
    close();
    m_lowLatencyNote.clear();
    const bool overridden = !m_deviceOverride.empty();
    const int port = overridden ? 0 : settings.portNumber;
    m_device = overridden ? m_deviceOverride : m_map.deviceFor(port);
    if (m_device.empty()) {
        error = {EINVAL, "Serial port", portNumberText(port)};
        return false;
    }
    if (speedFor(settings.baud) == B0) {
        error = {EINVAL, "Serial port " + m_device, speedText(settings.baud)};
        return false;
    }
    const auto fail = [&](int errnum) {
        close();
        error = {errnum, "Serial port " + m_device, DescribeOpenError(errnum, m_device, port)};
        return false;
    };

    do {
        m_fd = ::open(m_device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) return fail(errno);
    // The lock keeps out programs that lock as well, root included; TIOCEXCL keeps out
    // every later open() by an ordinary user.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return fail(EBUSY);
    if (::ioctl(m_fd, TIOCEXCL) != 0) return fail(errno);
    m_exclusive = true;
    int errnum = 0;
    if (!configure(settings.baud, errnum)) return fail(errnum);
    requestLowLatency();
    // Whatever reached the driver before now answers nothing this program sent.
    ::tcflush(m_fd, TCIOFLUSH);
    m_head = m_tail = 0;
    return true;
}

// Raw 8N1 without flow control; false with `errnum` when the driver refuses.
bool PosixSerialPort::configure(int baud, int& errnum) {
    const speed_t speed = speedFor(baud);
    termios line{};
    if (::tcgetattr(m_fd, &line) != 0) {
        errnum = errno;
        return false;
    }
    // cfmakeraw clears echo, canonical input, signals, CR/LF translation, XON/XOFF on output
    // and OPOST; the rest is cleared here so no byte value is ever swallowed or changed.
    ::cfmakeraw(&line);
    line.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | ISTRIP | ICRNL | INLCR | IGNCR);
    line.c_oflag &= ~OPOST;
    line.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    line.c_cflag |= CS8 | CLOCAL | CREAD;
    // The descriptor is non-blocking, so these never make a read wait. VMIN 1 makes an empty
    // read fail with EAGAIN, which keeps 0 free to mean "the line hung up".
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    if (::cfsetispeed(&line, speed) != 0 || ::cfsetospeed(&line, speed) != 0 ||
        ::tcsetattr(m_fd, TCSANOW, &line) != 0) {
        errnum = errno;
        return false;
    }
    // tcsetattr succeeds when any part applies: check the parts the board depends on.
    termios applied{};
    if (::tcgetattr(m_fd, &applied) != 0 || ::cfgetospeed(&applied) != speed ||
        (applied.c_cflag & (CSIZE | PARENB | CSTOPB)) != CS8) {
        errnum = EINVAL;
        return false;
    }
    return true;
}

// Never fails; sets the note when a real serial driver keeps its default latency.
void PosixSerialPort::requestLowLatency() {
#ifdef __linux__
    serial_struct serial{};
    if (::ioctl(m_fd, TIOCGSERIAL, &serial) != 0) {
        if (!isPseudoTerminal(m_fd))
            m_lowLatencyNote = lowLatencyText(m_device, "its driver has no such setting");
        return;
    }
    if (serial.flags & ASYNC_LOW_LATENCY) return;
    serial.flags |= static_cast<int>(ASYNC_LOW_LATENCY);
    if (::ioctl(m_fd, TIOCSSERIAL, &serial) != 0) {
        m_lowLatencyNote = lowLatencyText(m_device, systemText(errno));
        return;
    }
    if (::ioctl(m_fd, TIOCGSERIAL, &serial) != 0 || !(serial.flags & ASYNC_LOW_LATENCY))
        m_lowLatencyNote = lowLatencyText(m_device, "the driver ignored the request");
#endif
}

void PosixSerialPort::close() {
    if (m_fd >= 0) {
        // A pseudo-terminal keeps the exclusive flag while its other side lives. The flag
        // belongs to the device, so only the port that set it clears it.
        if (m_exclusive) ::ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
        m_fd = -1;
    }
    m_exclusive = false;
    m_head = m_tail = 0;
}

void PosixSerialPort::vanish() {
    close();
}

// Reads what the driver holds into the empty buffer; true when bytes arrived. Closes the
// port when the device is gone.
bool PosixSerialPort::fill() {
    m_head = m_tail = 0;
    for (;;) {
        const ssize_t got = ::read(m_fd, m_buffer.data(), m_buffer.size());
        if (got > 0) {
            m_tail = static_cast<std::size_t>(got);
            return true;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) return false;
        // 0 is a hang-up (adapter unplugged); EIO and the like mean the device is gone.
        vanish();
        return false;
    }
}

int PosixSerialPort::bytesWaiting() {
    if (m_head == m_tail && m_fd >= 0) fill();
    return static_cast<int>(m_tail - m_head);
}

int PosixSerialPort::readByte() {
    if (m_head == m_tail && (m_fd < 0 || !fill())) return -1;
    return m_buffer[m_head++];
}

void PosixSerialPort::discardInput() {
    m_head = m_tail = 0;
    if (m_fd >= 0 && ::tcflush(m_fd, TCIFLUSH) != 0) vanish();
}

void PosixSerialPort::sendByte(std::uint8_t value) {
    for (int attempt = 0; attempt < MaxSendAttempts && m_fd >= 0; ++attempt) {
        const ssize_t sent = ::write(m_fd, &value, 1);
        if (sent == 1) return;
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno != EAGAIN) {
            vanish();
            return;
        }
        // The driver's output buffer is full: wait a bounded time for room.
        pollfd watch{m_fd, POLLOUT, 0};
        const int ready = ::poll(&watch, 1, SendTimeoutMs);
        if (ready == 0) return; // dropped; the board's silence reports it
        if (ready > 0 && (watch.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            vanish();
            return;
        }
    }
}

bool PosixSerialPort::waitForByte(double seconds) {
    if (m_head < m_tail) return true;
    if (m_fd < 0) return false;
    using Clock = std::chrono::steady_clock;
    const double limit = seconds > 0 ? std::min(seconds, MaxWaitSeconds) : 0.0;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(limit));
    for (int idleWakeups = 0; idleWakeups < MaxIdleWakeups;) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::max(deadline - Clock::now(), Clock::duration::zero()));
        const timespec timeout{static_cast<time_t>(left.count() / 1'000'000'000),
                               static_cast<long>(left.count() % 1'000'000'000)};
        pollfd watch{m_fd, POLLIN, 0};
        const int ready = ::ppoll(&watch, 1, &timeout, nullptr);
        if (ready == 0) return false;
        if (ready < 0) {
            if (errno == EINTR) continue;
            vanish();
            return false;
        }
        if ((watch.revents & POLLIN) && fill()) return true;
        if (m_fd < 0) return false;
        if (watch.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            vanish();
            return false;
        }
        ++idleWakeups;
    }
    vanish();
    return false;
}

} // namespace quelby
