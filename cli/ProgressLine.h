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
    // A line of free text, such as the state of a command that runs until stopped, in place
    // of the bar; on a terminal a change shows at once when `now`, else within a tenth of a
    // second at the next call.
    void show(const std::string& text, const std::string& pipeLine = {}, bool now = false);
    // Ends the terminal line so later messages start on a line of their own.
    void finish();

private:
    // True on a terminal; elsewhere prints `pipeLine` (if any, and not quiet) and is false.
    bool onTerminal(const std::string& pipeLine);
    // Redraws the terminal line as `text`, of the stage `what`.
    void draw(const std::string& what, std::string text, double now);

    std::ostream& m_err;
    CountingStream* m_counting; // the tool's standard error: other output ends the line
    Clock& m_clock;
    Mode m_mode;
    double m_started = 0; // the first update
    std::size_t m_width = 0;
    double m_lastDrawn = -1;
    std::string m_lastWhat;
    std::string m_lastText;
    bool m_drawn = false;
};

} // namespace quelby::cli
