#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>
#include <system_error>

namespace quelby {

// `relative` under `root`, each component matched whatever its case when the exact name is
// not there ("Support" finds "support", "PROG.HBX" finds "prog.hbx"). Components that exist
// in no case are kept as written, so the result is also the path to create.
std::filesystem::path FindPath(const std::filesystem::path& root,
                               const std::filesystem::path& relative);

// The folder holding the running program: the default home folder.
std::filesystem::path ProgramFolder();

enum class FileOpenResult { Opened, Missing, Failed };
// Opens an existing file for binary reading. Missing when there is none; Failed, with the
// reason in `error`, when it exists but cannot be opened.
FileOpenResult OpenForReading(const std::filesystem::path& file, std::ifstream& in,
                              std::error_code& error);

// A file read whole, but never more than a bound: the readers of files the user hands in
// take at most one byte beyond what any valid file can hold.
struct BoundedFileRead {
    enum class Outcome { Read, Missing, ReadError };
    Outcome outcome = Outcome::Missing;
    std::string bytes;     // when Read: the file, or its first maxBytes + 1 bytes
    std::error_code error; // when ReadError (or Missing with a reason)
    bool beyond(std::uintmax_t maxBytes) const { return bytes.size() > maxBytes; }
};
// Missing when the file does not exist, ReadError when it cannot be opened or read.
BoundedFileRead ReadFileBounded(const std::filesystem::path& file, std::uintmax_t maxBytes);

// Writes a whole file under a temporary name and renames it into place, so a failure never
// leaves a half-written file. Returns false with `error` set on failure.
bool WriteFileAtomically(const std::filesystem::path& path, const std::string& contents,
                         std::error_code& error);
// Writes files that belong together as one: each whole under a temporary name, then all
// renamed into place, so a failure while writing (a full disk) leaves every previous file as it
// was. Returns false with `error` set and `failed` naming the file on failure.
bool WriteFilesAtomically(const std::vector<std::pair<std::filesystem::path, std::string>>& files,
                          std::error_code& error, std::filesystem::path& failed);

} // namespace quelby
