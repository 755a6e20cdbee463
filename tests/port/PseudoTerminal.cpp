#include "PseudoTerminal.h"

#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace quelby::test {

PseudoTerminal::PseudoTerminal() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    const char* name = m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0
                           ? ::ptsname(m_master)
                           : nullptr;
    if (!name) {
        hangUp();
        throw std::runtime_error("no pseudo-terminal available");
    }
    m_device = name;
}

PseudoTerminal::~PseudoTerminal() {
    hangUp();
}

bool PseudoTerminal::write(const std::vector<std::uint8_t>& bytes) {
    return ::write(m_master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::vector<std::uint8_t> PseudoTerminal::read(std::size_t count, double seconds) {
    std::vector<std::uint8_t> bytes(count);
    std::size_t got = 0;
    pollfd watch{m_master, POLLIN, 0};
    const int timeoutMs = static_cast<int>(seconds * 1000);
    while (got < count) {
        if (::poll(&watch, 1, timeoutMs) <= 0) break;
        const ssize_t n = ::read(m_master, bytes.data() + got, count - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

void PseudoTerminal::hangUp() {
    if (m_master >= 0) ::close(m_master);
    m_master = -1;
}

} // namespace quelby::test
