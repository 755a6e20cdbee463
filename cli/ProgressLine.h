#pragma once

#include "cli/CountingStream.h"
#include "link/Clock.h"

#include <cstddef>
#include <ostream>
#include <string>

namespace quelby::cli {

// "Set-up Parameters [#######-------------] 48/137  0:12 elapsed, 0:22 left": what is being
// done, a bar of `barWidth`, done of total, the time since the start and the time left at the
// pace so far ("--:--" before anything is done). Never fails.
std::string ProgressText(const std::string& what, long done, long total, double elapsedSeconds,
                         int barWidth = 20);

// How a long command shows it is alive on standard error. On a terminal: one line a stage,
// redrawn in place at most every tenth of a second and at the stage's end. Not on a terminal: the lines the
// command printed before there was a terminal line (given as `pipeLine`, if any), so logs
// and scripts read what they read before. Quiet: nothing at all.
class ProgressLine {
public:
    enum class Mode { Terminal, Pipe, Quiet };
    // Terminal when standard error is one (and not --quiet).
    static Mode ModeFor(bool quiet);

    ProgressLine(std::ostream& err, Clock& clock, Mode mode)
        : m_err(err), m_counting(dynamic_cast<CountingStream*>(&err)), m_clock(clock),
          m_mode(mode) {}
    ~ProgressLine() { finish(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // `pipeLine`, when not empty, is printed as a line of its own when not on a terminal.
    void update(const std::string& what, long done, long total, const std::string& pipeLine = {});
    // Ends the terminal line so later messages start on a line of their own.
    void finish();

private:
    std::ostream& m_err;
    CountingStream* m_counting; // the tool's standard error: other output ends the line
    Clock& m_clock;
    Mode m_mode;
    double m_started = 0; // the first update
    std::size_t m_width = 0;
    double m_lastDrawn = -1;
    std::string m_lastWhat;
    bool m_drawn = false;
};

} // namespace quelby::cli
