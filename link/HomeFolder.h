#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quelby {

// The folders a program works from.
struct HomeFolders {
    // Where Support/ lives with the settings the user changes (RSPort.cfg, SerialPorts.cfg);
    // every program option that names a file in Support/ means this folder.
    std::filesystem::path home;
    // The shipped run-time files (Support/, Help/): the home folder itself when the program
    // runs from its build folder, ../share/quelby beside an installed program.
    std::filesystem::path shared;
    // Empty, or why the home folder could not be made ready, naming it: the program reports
    // it once and carries on (a settings file that cannot be written is then the link's own
    // message).
    std::string problem;
};

using EnvironmentLookup = std::function<const char*(const char*)>;

// Where a program started from `programFolder` works. `homeOverride` (--home DIR) wins. A
// program whose own folder holds Support/ and can be written (the build folder) works
// there. Otherwise it is installed: it works in $XDG_CONFIG_HOME/quelby (by default
// ~/.config/quelby; on Windows %APPDATA%\QUELBY), creating it on first start and copying the
// shipped settings files it lacks into its Support/. `environment` answers in UTF-8 text
// (SystemEnvironment does). Never throws.
HomeFolders ResolveHomeFolders(const std::optional<std::filesystem::path>& homeOverride,
                               const std::filesystem::path& programFolder,
                               const EnvironmentLookup& environment);

// The installed program's settings folder as the help names it for this system.
#ifdef _WIN32
inline constexpr const char* kInstalledHomeText = "%APPDATA%\\QUELBY";
#else
inline constexpr const char* kInstalledHomeText = "~/.config/quelby";
#endif

// The process's shipped-files folder, set once at start-up; empty until then.
void SetSharedFolder(const std::filesystem::path& shared);
const std::filesystem::path& SharedFolder();

// A shipped run-time file (`relative` such as Support/FaultErrCodes.txt or Help/index.html):
// the home folder's copy when there is one, else the shared folder's; when neither exists,
// the home folder's path (whose absence the caller reports as for any missing file).
std::filesystem::path FindRunTimeFile(const std::filesystem::path& home,
                                      const std::filesystem::path& relative);

} // namespace quelby
