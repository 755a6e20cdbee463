#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace quelby {

// The Main Display's three live figures of one pass, in display order (Machine CPM W182,
// Good Cans D1100, Blow-offs D1104); a value the board did not confirm is none.
struct LiveValues {
    std::optional<std::int64_t> machineCpm;
    std::optional<std::int64_t> goodCans;
    std::optional<std::int64_t> blowoffs;
};

// The local time with milliseconds, "2026-12-07 14:03:59.250": the first column of a
// recording's rows.
std::string TimestampText(std::chrono::system_clock::time_point time);

// A CSV recording of live values: a header naming the board addresses, then one row per pass,
// a value the board did not confirm left empty. Rows end in CR LF.
std::string LiveCsvHeader(const std::vector<std::string>& addresses);
std::string LiveCsvRow(const std::string& timestamp,
                       const std::vector<std::optional<std::int64_t>>& values);

// File > Record Live Values: each row goes to the file as soon as it is added, so a program
// that is killed leaves every row but at most the one being written.
class LiveRecording {
public:
    // The Main Display's figures, in display order.
    static constexpr std::array<const char*, 3> kAddresses{"W182", "D1100", "D1104"};

    // Creates `file` (replacing one) with the header. False when it cannot be written.
    bool start(const std::filesystem::path& file);
    // Appends one row. False when the write failed: the recording has stopped then.
    bool add(const std::string& timestamp, const LiveValues& values);
    void stop();

    bool running() const { return m_out.is_open(); }
    const std::filesystem::path& file() const { return m_file; }
    int rows() const { return m_rows; }

private:
    bool write(const std::string& text);

    std::filesystem::path m_file;
    std::ofstream m_out;
    int m_rows = 0;
};

} // namespace quelby
