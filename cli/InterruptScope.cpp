#include "cli/InterruptScope.h"

namespace quelby::cli {
namespace {

// Set by the signal handler, so it can only be a global.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables)
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int) {
    g_interrupted = 1;
}

} // namespace

InterruptScope::InterruptScope() {
    g_interrupted = 0;
    m_int = std::signal(SIGINT, onInterrupt);
    m_term = std::signal(SIGTERM, onInterrupt);
}

InterruptScope::~InterruptScope() {
    (void)std::signal(SIGINT, m_int);
    (void)std::signal(SIGTERM, m_term);
}

bool InterruptScope::interrupted() {
    return g_interrupted != 0;
}

} // namespace quelby::cli
