#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quelby::test {

// The board's end of a pseudo-terminal: the port under test opens device(), the test
// writes and reads here what the board would.
class PseudoTerminal {
public:
    // Throws std::runtime_error when the system has no pseudo-terminals to give.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& device() const { return m_device; }
    // Returns false when not every byte could be written.
    bool write(const std::vector<std::uint8_t>& bytes);
    // Up to `count` bytes, gathering until they are there or `seconds` pass without any.
    std::vector<std::uint8_t> read(std::size_t count, double seconds);
    // Hangs up the port's side, as unplugging an adapter does.
    void hangUp();

private:
    int m_master = -1;
    std::string m_device;
};

} // namespace quelby::test
