#include "cli/ProgressLine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace quelby::cli {
namespace {

std::string Minutes(double seconds) {
    const long whole = std::lround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

constexpr double kRedrawSeconds = 0.1;

} // namespace

std::string ProgressText(const std::string& what, long done, long total, double elapsedSeconds,
                         int barWidth) {
    done = std::clamp(done, 0L, std::max(total, 0L));
    const long filled = total > 0 ? done * barWidth / total : 0;
    std::string text = what + " [" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(barWidth - filled), '-') + "] " +
                       std::to_string(done) + "/" + std::to_string(total) + "  " +
                       Minutes(elapsedSeconds) + " elapsed, ";
    if (done == 0) return text + "--:-- left";
    const double left = elapsedSeconds * static_cast<double>(total - done) / static_cast<double>(done);
    return text + Minutes(left) + " left";
}

ProgressLine::Mode ProgressLine::ModeFor(bool quiet) {
    if (quiet) return Mode::Quiet;
#ifdef _WIN32
    return _isatty(_fileno(stderr)) ? Mode::Terminal : Mode::Pipe;
#else
    return ::isatty(STDERR_FILENO) ? Mode::Terminal : Mode::Pipe;
#endif
}

bool ProgressLine::onTerminal(const std::string& pipeLine) {
    switch (m_mode) {
    case Mode::Quiet:
        return false;
    case Mode::Pipe:
        if (!pipeLine.empty()) m_err << pipeLine << std::endl;
        return false;
    case Mode::Terminal:
        break;
    }
    return true;
}

void ProgressLine::update(const std::string& what, long done, long total, const std::string& pipeLine) {
    if (!onTerminal(pipeLine)) return;
    const double now = m_clock.monotonicSeconds();
    const bool last = done >= total;
    if (what == m_lastWhat && !last && m_drawn && now - m_lastDrawn < kRedrawSeconds) return;
    if (!m_drawn && m_lastWhat.empty()) m_started = now;
    draw(what, ProgressText(what, done, total, now - m_started), now);
}

void ProgressLine::show(const std::string& text, const std::string& pipeLine, bool now) {
    if (!onTerminal(pipeLine)) return;
    const double time = m_clock.monotonicSeconds();
    const bool lineStands = m_drawn && (!m_counting || m_counting->lineOpen());
    if (lineStands && (text == m_lastText || (!now && time - m_lastDrawn < kRedrawSeconds))) return;
    draw(m_lastWhat, text, time);
}

void ProgressLine::draw(const std::string& what, std::string text, double now) {
    // Something else written since (a message) has ended the line already.
    if (m_counting && !m_counting->lineOpen()) m_width = 0;
    if (m_counting) m_counting->setLineOpen(false);
    if (what != m_lastWhat) {
        if (m_drawn && m_width > 0) m_err << '\n'; // each stage keeps its finished line
        m_lastWhat = what;
        m_width = 0;
    }
    m_lastDrawn = now;
    m_drawn = true;
    m_lastText = text;
    // Back to the start of the line; blanks cover what a longer text left behind (a console
    // without escape sequences shows them as they are).
    const std::size_t width = text.size();
    if (width < m_width) text.append(m_width - width, ' ');
    m_width = width;
    m_err << '\r' << text << std::flush;
    if (m_counting) m_counting->setLineOpen(true);
}

void ProgressLine::finish() {
    if (m_mode == Mode::Terminal && m_drawn) {
        if (!m_counting) {
            m_err << std::endl;
        } else if (m_counting->lineOpen()) {
            m_counting->setLineOpen(false);
            m_err << std::endl;
        }
    }
    m_drawn = false;
}

} // namespace quelby::cli
