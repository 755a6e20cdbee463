#pragma once

#include <filesystem>

namespace quelby {

// `relative` under `root`, each component matched whatever its case when the exact name is
// not there ("Support" finds "support", "PROG.HBX" finds "prog.hbx"). Components that exist
// in no case are kept as written, so the result is also the path to create.
std::filesystem::path FindPath(const std::filesystem::path& root,
                               const std::filesystem::path& relative);

// The folder holding the running program: the default home folder.
std::filesystem::path ProgramFolder();

// Writes a whole file under a temporary name and renames it into place, so a failure never
// leaves a half-written file. Returns false with `error` set on failure.
bool WriteFileAtomically(const std::filesystem::path& path, const std::string& contents,
                         std::error_code& error);

} // namespace quelby
