#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <system_error>

namespace quelby {

// What the comm port settings dialog writes: the link settings file in the dialog's own form
// and the development tools' port file HALBIX.SFG in each system folder CORE1..CORE3.

// "3, 19200 " CR LF: the speed with one blank before and one after it.
std::string CommSettingsDialogLine(int portNumber, int portSpeed);
// The zero-based port number, "2" CR LF for port 3.
std::string DevelopmentPortLine(int portNumber);
// CORE1, CORE2 and CORE3 under the home folder, each found whatever its case.
std::array<std::filesystem::path, 3> SystemFolders(const std::filesystem::path& home);

// Writes `settingsFile` (creating its folder) and HALBIX.SFG in every system folder that
// exists; missing folders are not created. Each file is written atomically. Stops at the
// first failure and returns false with `error` set; files written before it stay written.
bool SaveCommSettings(const std::filesystem::path& settingsFile, const std::filesystem::path& home,
                      int portNumber, int portSpeed, std::error_code& error);

} // namespace quelby
