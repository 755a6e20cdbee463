#pragma once

#include <string>

namespace quelby::sim {

// A symlink that names the simulated board's device while the program runs, so scripts and
// set-up files can use a fixed path (e.g. /tmp/ttyQUELBY) for a pseudo-terminal whose number
// changes from run to run.
class DeviceLink {
public:
    DeviceLink() = default;
    ~DeviceLink() { remove(); }
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Makes `path` a symlink to `target`, atomically replacing a symlink left there (by an
    // earlier run that was killed, say). Fails (false, `error` set) when `path` is something
    // other than a symlink, which is never touched, or the folder cannot be written.
    bool create(const std::string& path, const std::string& target, std::string& error);
    // Removes the link if it still points at our target (another run may have taken the
    // name over since); does nothing when no link was made. Never fails.
    void remove();

private:
    std::string m_path;
    std::string m_target;
};

} // namespace quelby::sim
