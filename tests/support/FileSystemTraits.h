#pragma once

#include <cerrno>

namespace quelby::test {

// Where the file system under the tests behaves differently on Windows.
#ifdef _WIN32
// "PROG.REV" names the file "prog.rev" too.
inline constexpr bool kNamesIgnoreCase = true;
// What opening a folder as a file fails with.
inline constexpr int kFolderAsFileErrno = EACCES;
inline constexpr const char* kFolderAsFileText = "Permission denied";
// The home folder rules are the Windows ones (%APPDATA%), tested on their own.
inline constexpr bool kXdgHomeRules = false;
#else
inline constexpr bool kNamesIgnoreCase = false;
inline constexpr int kFolderAsFileErrno = EISDIR;
inline constexpr const char* kFolderAsFileText = "Is a directory";
inline constexpr bool kXdgHomeRules = true;
#endif

} // namespace quelby::test
