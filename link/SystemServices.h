#pragma once

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

namespace quelby {

// The few system services that differ between operating systems; everything else goes
// through the standard library.

// The value of an environment variable as UTF-8 text, or null when it is not set. The text
// stays valid until the next call for the same name.
const char* SystemEnvironment(const char* name);

// The local calendar time of `time`.
std::tm LocalTimeOf(std::time_t time);

// fopen(file, "wb") for any file name the system can hold; null with errno set on failure.
std::FILE* OpenFileForWriting(const std::filesystem::path& file);
// fopen(file, "a+b"): writes go to the end and the file can also be read; null with errno
// set on failure.
std::FILE* OpenFileForAppending(const std::filesystem::path& file);

// The name of the account the program runs under, as UTF-8; empty when the system does not
// tell.
std::string SystemUserName();

// The running program's own file; empty when the system does not tell.
std::filesystem::path RunningProgramFile();

// True when this process may create files in `folder`.
bool FolderIsWritable(const std::filesystem::path& folder);

// Where an installed program keeps the user's settings: $XDG_CONFIG_HOME/quelby (by default
// ~/.config/quelby) on Linux, %APPDATA%\QUELBY on Windows. Values from `environment` are
// UTF-8. Falls back to a folder under the current one when the variables are not set.
std::filesystem::path UserSettingsFolder(const std::function<const char*(const char*)>& environment);

// Puts `temporary` in the place of `target` in one step, replacing an existing file, so a
// reader sees either the old or the new file, never a mixture. False with `error` set on
// failure; `temporary` is then left where it was.
bool ReplaceFileWith(const std::filesystem::path& temporary, const std::filesystem::path& target,
                     std::error_code& error);

} // namespace quelby
