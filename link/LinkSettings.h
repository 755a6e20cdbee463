#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace quelby {

// The link settings file Support/RSPort.cfg: one line "port,speed" ended by CR LF.
struct LinkSettings {
    int portNumber = 1;
    std::string portSpeed = "9600";

    int baud() const { return portSpeed == "19200" ? 19200 : 9600; }
    bool operator==(const LinkSettings&) const = default;
};

enum class SettingsFileState { Read, Empty, Missing, Unreadable };

struct LoadedLinkSettings {
    SettingsFileState state = SettingsFileState::Missing;
    LinkSettings settings;       // corrected values, defaults when not Read
    std::error_code error;       // set when Unreadable
};

// Reads the first line and corrects it silently: a port below 1 becomes 1, above 99 becomes
// 99; a speed that is neither 9600 nor 19200 becomes 9600. Garbage counts as 0.
LoadedLinkSettings LoadLinkSettings(const std::filesystem::path& file);

// "1,9600" CR LF, the form the link writes.
std::string LinkSettingsLine(const LinkSettings& settings);

} // namespace quelby
