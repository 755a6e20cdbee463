#include "sim/DeviceLink.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace quelby::sim {

bool DeviceLink::create(const std::string& path, const std::string& target, std::string& error) {
    remove();
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        error = "cannot make the link " + path + ": it exists and is not a symlink";
        return false;
    }
    // Made under a temporary name and renamed into place, so the name never points nowhere.
    const std::string temporary = path + ".quelby-sim-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0 ||
        ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot make the link " + path + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    m_path = path;
    m_target = target;
    return true;
}

void DeviceLink::remove() {
    if (m_path.empty()) return;
    char pointsTo[4096];
    const ssize_t length = ::readlink(m_path.c_str(), pointsTo, sizeof pointsTo);
    if (length >= 0 && std::string(pointsTo, static_cast<std::size_t>(length)) == m_target)
        ::unlink(m_path.c_str());
    m_path.clear();
    m_target.clear();
}

} // namespace quelby::sim
