#include "link/SystemServices.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace quelby {
namespace fs = std::filesystem;

const char* SystemEnvironment(const char* name) {
    return std::getenv(name);
}

std::tm LocalTimeOf(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

std::FILE* OpenFileForWriting(const fs::path& file) {
    return std::fopen(file.c_str(), "wb");
}

std::FILE* OpenFileForAppending(const fs::path& file) {
    return std::fopen(file.c_str(), "a+b");
}

std::string SystemUserName() {
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_name)
        return {};
    return found->pw_name;
}

fs::path RunningProgramFile() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self;
}

bool FolderIsWritable(const fs::path& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

fs::path UserSettingsFolder(const std::function<const char*(const char*)>& environment) {
    const char* config = environment("XDG_CONFIG_HOME");
    if (config && *config && fs::path(config).is_absolute()) return fs::path(config) / "quelby";
    const char* home = environment("HOME");
    if (home && *home) return fs::path(home) / ".config" / "quelby";
    return fs::current_path() / ".quelby";
}

bool ReplaceFileWith(const fs::path& temporary, const fs::path& target, std::error_code& error) {
    // rename() replaces the target in one step within a file system.
    fs::rename(temporary, target, error);
    return !error;
}

} // namespace quelby
