#include "app/data/LiveRecording.h"

#include "app/data/ShiftDataCsv.h"
#include "link/SystemServices.h"

#include <ctime>
#include <iomanip>
#include <sstream>

namespace quelby {

std::string TimestampText(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count() %
        1000;
    const std::tm local = LocalTimeOf(seconds);
    std::ostringstream text;
    text << std::put_time(&local, "%Y-%m-%d %H:%M:%S") << '.' << std::setw(3) << std::setfill('0')
         << millis;
    return text.str();
}

std::string LiveCsvHeader(const std::vector<std::string>& addresses) {
    std::string header = "time";
    for (const auto& address : addresses) header += "," + CsvField(address);
    return header + "\r\n";
}

std::string LiveCsvRow(const std::string& timestamp,
                       const std::vector<std::optional<std::int64_t>>& values) {
    std::string row = timestamp;
    for (const auto& value : values) row += "," + (value ? std::to_string(*value) : std::string());
    return row + "\r\n";
}

bool LiveRecording::start(const std::filesystem::path& file) {
    stop();
    m_file = file;
    m_rows = 0;
    m_out.open(file, std::ios::binary | std::ios::trunc);
    return m_out.is_open() &&
           write(LiveCsvHeader(std::vector<std::string>(kAddresses.begin(), kAddresses.end())));
}

bool LiveRecording::add(const std::string& timestamp, const LiveValues& values) {
    if (!running()) return false;
    if (!write(LiveCsvRow(timestamp, {values.machineCpm, values.goodCans, values.blowoffs})))
        return false;
    ++m_rows;
    return true;
}

bool LiveRecording::write(const std::string& text) {
    // One write and a flush per row: the row is with the system before the next pass.
    m_out.write(text.data(), static_cast<std::streamsize>(text.size()));
    m_out.flush();
    if (m_out) return true;
    stop();
    return false;
}

void LiveRecording::stop() {
    if (m_out.is_open()) m_out.close();
    m_out.clear();
}

} // namespace quelby
