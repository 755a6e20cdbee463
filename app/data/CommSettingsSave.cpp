#include "app/data/CommSettingsSave.h"

#include "link/FilePaths.h"

namespace quelby {
namespace fs = std::filesystem;

std::string CommSettingsDialogLine(int portNumber, int portSpeed) {
    return std::to_string(portNumber) + ", " + std::to_string(portSpeed) + " \r\n";
}

std::string DevelopmentPortLine(int portNumber) {
    return std::to_string(portNumber - 1) + "\r\n";
}

std::array<fs::path, 3> SystemFolders(const fs::path& home) {
    return {FindPath(home, "CORE1"), FindPath(home, "CORE2"), FindPath(home, "CORE3")};
}

bool SaveCommSettings(const fs::path& settingsFile, const fs::path& home, int portNumber,
                      int portSpeed, std::error_code& error) {
    error.clear();
    fs::create_directories(settingsFile.parent_path(), error);
    if (error) return false;
    if (!WriteFileAtomically(settingsFile, CommSettingsDialogLine(portNumber, portSpeed), error))
        return false;
    for (const fs::path& folder : SystemFolders(home)) {
        // A folder that cannot be looked at counts as missing, like one that is not there.
        std::error_code notThere;
        if (!fs::is_directory(folder, notThere)) continue;
        if (!WriteFileAtomically(FindPath(folder, "HALBIX.SFG"), DevelopmentPortLine(portNumber),
                                 error))
            return false;
    }
    return true;
}

} // namespace quelby
