#include "link/HomeFolder.h"

#include "link/FilePaths.h"
#include "link/SystemServices.h"

namespace quelby {
namespace fs = std::filesystem;
namespace {

// Set once at start-up, before anything looks for a run-time file.
fs::path g_shared; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

bool Exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

bool Writable(const fs::path& folder) {
    return FolderIsWritable(folder);
}

// Copies the shipped settings files (*.cfg) the user's Support/ does not hold yet. The
// code-description files stay shipped: they are read from the shared folder unless the user
// puts a copy of their own beside the settings.
std::string SeedSettings(const fs::path& home, const fs::path& shared) {
    const fs::path support = FindPath(home, "Support");
    std::error_code ec;
    fs::create_directories(support, ec);
    if (ec || !Writable(support))
        return "The settings folder " + support.string() + " could not be created or written (" +
               (ec ? ec.message() : std::string("Permission denied")) + ").";
    const fs::path shipped = FindPath(shared, "Support");
    for (const auto& entry : fs::directory_iterator(shipped, ec)) {
        if (!entry.is_regular_file(ec) || entry.path().extension() != ".cfg") continue;
        const fs::path target = FindPath(support, entry.path().filename());
        if (Exists(target)) continue;
        fs::copy_file(entry.path(), target, ec);
        if (ec)
            return "The settings file " + target.string() + " could not be written (" +
                   ec.message() + ").";
    }
    return {};
}

} // namespace

HomeFolders ResolveHomeFolders(const std::optional<fs::path>& homeOverride,
                               const fs::path& programFolder,
                               const EnvironmentLookup& environment) {
    const bool runsFromBuild = Exists(FindPath(programFolder, "Support"));
    HomeFolders folders;
    folders.shared = runsFromBuild ? programFolder
                                   : programFolder.parent_path() / "share" / "quelby";
    if (homeOverride) {
        folders.home = *homeOverride;
        return folders;
    }
    if (runsFromBuild && Writable(programFolder)) {
        folders.home = programFolder;
        return folders;
    }
    try {
        folders.home = UserSettingsFolder(environment);
        folders.problem = SeedSettings(folders.home, folders.shared);
    } catch (const std::exception& error) {
        folders.problem = "The settings folder " + folders.home.string() +
                          " could not be prepared (" + error.what() + ").";
    }
    return folders;
}

void SetSharedFolder(const fs::path& shared) {
    g_shared = shared;
}

const fs::path& SharedFolder() {
    return g_shared;
}

fs::path FindRunTimeFile(const fs::path& home, const fs::path& relative) {
    fs::path own = FindPath(home, relative);
    if (Exists(own) || g_shared.empty()) return own;
    const fs::path shipped = FindPath(g_shared, relative);
    return Exists(shipped) ? shipped : own;
}

} // namespace quelby
