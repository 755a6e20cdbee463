#pragma once

#include "ManualClock.h"
#include "RSComm.h"
#include "ScriptedPrompt.h"
#include "SimBoard.h"
#include "SimSerialPort.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace quelby::test {

// A scratch home folder, removed when the test ends.
class TempHome {
public:
    TempHome() {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("quelby-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempHome() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }
    void write(const std::filesystem::path& relative, const std::string& contents) const {
        std::filesystem::create_directories((m_path / relative).parent_path());
        std::ofstream(m_path / relative, std::ios::binary) << contents;
    }
    std::string read(const std::filesystem::path& relative) const {
        std::ifstream in(m_path / relative, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path m_path;
};

// The link wired to the simulated board on a manual clock, with scripted answers.
struct LinkRig {
    TempHome home;
    sim::ManualClock clock;
    sim::SimBoard board;
    sim::SimSerialPort port{board, clock};
    ScriptedPrompt prompt;
    RSComm link{clock, prompt, home.path()};

    // Opens the link and forgets the probe's traffic.
    void goOnline() {
        link.OpenRSComm(port);
        board.clearTrace();
    }
    std::vector<sim::TraceEntry> takeTrace() {
        auto trace = board.trace();
        board.clearTrace();
        return trace;
    }
};

// Builds an expected trace from pairs of (sent, answered) bytes.
inline std::vector<sim::TraceEntry> Exchanges(std::initializer_list<std::pair<int, int>> pairs) {
    std::vector<sim::TraceEntry> trace;
    for (auto [sent, answer] : pairs)
        trace.push_back({static_cast<std::uint8_t>(sent), static_cast<std::uint8_t>(answer)});
    return trace;
}

} // namespace quelby::test
