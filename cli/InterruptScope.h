#pragma once

#include <csignal>

namespace quelby::cli {

// While it lives, Ctrl+C and SIGTERM only mark the command as interrupted, so a command that
// runs until stopped (watch, publish) ends after the pass in hand and leaves the board idle.
class InterruptScope {
public:
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

    // Ctrl+C or SIGTERM came since the scope began.
    static bool interrupted();

private:
    void (*m_int)(int);
    void (*m_term)(int);
};

} // namespace quelby::cli
