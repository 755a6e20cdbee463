#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace quelby::test {

// The board's end of a pseudo-terminal: the port under test opens device(), the test
// writes and reads here what the board would.
class PseudoTerminal {
public:
    // Throws std::runtime_error when the system has no pseudo-terminals to give.
    PseudoTerminal() : m_master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        const char* name = m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0
                               ? ::ptsname(m_master)
                               : nullptr;
        if (!name) {
            hangUp();
            throw std::runtime_error("no pseudo-terminal available");
        }
        m_device = name;
    }
    ~PseudoTerminal() { hangUp(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& device() const { return m_device; }
    // Returns false when not every byte could be written.
    bool write(const std::vector<std::uint8_t>& bytes) {
        return ::write(m_master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // The next byte the port sent, or nothing when none comes within `seconds`.
    std::vector<std::uint8_t> read(double seconds) {
        pollfd watch{m_master, POLLIN, 0};
        std::uint8_t byte = 0;
        if (::poll(&watch, 1, static_cast<int>(seconds * 1000)) == 1 && ::read(m_master, &byte, 1) == 1)
            return {byte};
        return {};
    }
    // Hangs up the port's side, as unplugging an adapter does.
    void hangUp() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    std::string m_device;
};

} // namespace quelby::test
