#include "link/LinkSettings.h"

#include "link/TextCase.h"

#include <algorithm>
#include <cerrno>
#include <fstream>

namespace quelby {
namespace {

// The leading number of a field, as the board's tools read numbers: optional sign, digits,
// anything after ignored; 0 when there are no digits. Clamped so it never overflows.
long leadingNumber(const std::string& field) {
    const std::string_view text = TrimmedOf(field, " \t\r\n");
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        n = std::min(n * 10 + (text[i] - '0'), 1'000'000'000L);
    return negative ? -n : n;
}

} // namespace

LoadedLinkSettings LoadLinkSettings(const std::filesystem::path& file) {
    LoadedLinkSettings loaded;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        loaded.state = SettingsFileState::Missing;
        return loaded;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        loaded.state = SettingsFileState::Unreadable;
        loaded.error = std::error_code(errno ? errno : EACCES, std::generic_category());
        return loaded;
    }
    if (in.peek() == std::ifstream::traits_type::eof()) {
        loaded.state = SettingsFileState::Empty;
        return loaded;
    }
    std::string line;
    std::getline(in, line);
    if (in.bad()) {
        loaded.state = SettingsFileState::Unreadable;
        loaded.error = std::error_code(EIO, std::generic_category());
        return loaded;
    }

    const auto comma = line.find(',');
    const std::string portField = line.substr(0, comma);
    const std::string speedField = comma == std::string::npos ? "" : line.substr(comma + 1);

    loaded.state = SettingsFileState::Read;
    loaded.settings.portNumber = static_cast<int>(std::clamp(leadingNumber(portField), 1L, 99L));
    const long speed = leadingNumber(speedField);
    loaded.settings.portSpeed = (speed == 9600 || speed == 19200) ? std::to_string(speed) : "9600";
    return loaded;
}

std::string LinkSettingsLine(const LinkSettings& settings) {
    return std::to_string(settings.portNumber) + "," + settings.portSpeed + "\r\n";
}

} // namespace quelby
