#include "link/FilePaths.h"

#include "link/SystemServices.h"
#include "link/TextCase.h"

#include <cerrno>
#include <fstream>
#include <string>
#include <system_error>

namespace quelby {
namespace fs = std::filesystem;

fs::path FindPath(const fs::path& root, const fs::path& relative) {
    fs::path result = root;
    bool stillExists = true;
    for (const auto& component : relative) {
        fs::path exact = result / component;
        std::error_code ec;
        if (!stillExists || fs::exists(exact, ec)) {
            result = exact;
            continue;
        }
        fs::path found;
        for (fs::directory_iterator it(result, ec), end; !ec && it != end; it.increment(ec)) {
            if (SameIgnoringCase(it->path().filename().string(), component.string())) {
                found = it->path();
                break;
            }
        }
        if (found.empty()) {
            stillExists = false;
            result = exact;
        } else {
            result = found;
        }
    }
    return result;
}

FileOpenResult OpenForReading(const fs::path& file, std::ifstream& in, std::error_code& error) {
    error.clear();
    if (!fs::exists(file, error)) {
        if (error) return FileOpenResult::Failed;
        error = std::error_code(ENOENT, std::generic_category());
        return FileOpenResult::Missing;
    }
    errno = 0;
    in.open(file, std::ios::binary);
    if (in) return FileOpenResult::Opened;
    error = std::error_code(errno ? errno : EIO, std::generic_category());
    return FileOpenResult::Failed;
}

BoundedFileRead ReadFileBounded(const fs::path& file, std::uintmax_t maxBytes) {
    BoundedFileRead result;
    std::ifstream in;
    switch (OpenForReading(file, in, result.error)) {
    case FileOpenResult::Missing:
        result.outcome = BoundedFileRead::Outcome::Missing;
        return result;
    case FileOpenResult::Failed:
        result.outcome = BoundedFileRead::Outcome::ReadError;
        return result;
    case FileOpenResult::Opened:
        break;
    }
    char chunk[16 * 1024];
    while (result.bytes.size() <= maxBytes) {
        errno = 0;
        in.read(chunk, sizeof chunk);
        const int savedErrno = errno;
        if (in.bad()) {
            result.outcome = BoundedFileRead::Outcome::ReadError;
            result.error = std::error_code(savedErrno ? savedErrno : EIO, std::generic_category());
            result.bytes.clear();
            return result;
        }
        result.bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (in.gcount() == 0 || in.eof()) break;
    }
    if (result.bytes.size() > maxBytes + 1)
        result.bytes.resize(static_cast<std::size_t>(maxBytes + 1));
    result.outcome = BoundedFileRead::Outcome::Read;
    return result;
}

fs::path ProgramFolder() {
    const fs::path self = RunningProgramFile();
    return self.empty() ? fs::current_path() : self.parent_path();
}

namespace {

fs::path temporaryFor(const fs::path& path) {
    fs::path temporary = path;
    temporary += ".tmp";
    return temporary;
}

// Writes `contents` whole to `temporary`; on failure removes it and sets `error`.
bool writeTemporary(const fs::path& temporary, const std::string& contents, std::error_code& error) {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = std::error_code(errno ? errno : EACCES, std::generic_category());
        return false;
    }
    // A failing write (disk full, size limit) leaves its reason in errno; keep it.
    errno = 0;
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.close();
    if (!out) {
        error = std::error_code(errno ? errno : EIO, std::generic_category());
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const fs::path& path, const std::string& contents,
                         std::error_code& error) {
    error.clear();
    const fs::path temporary = temporaryFor(path);
    if (!writeTemporary(temporary, contents, error)) return false;
    if (!ReplaceFileWith(temporary, path, error)) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

bool WriteFilesAtomically(const std::vector<std::pair<fs::path, std::string>>& files,
                          std::error_code& error, fs::path& failed) {
    error.clear();
    std::size_t written = 0;
    auto removeTemporaries = [&](std::size_t from) {
        std::error_code ignored;
        for (std::size_t i = from; i < written; ++i) fs::remove(temporaryFor(files[i].first), ignored);
    };
    for (const auto& [path, contents] : files) {
        if (!writeTemporary(temporaryFor(path), contents, error)) {
            failed = path;
            removeTemporaries(0);
            return false;
        }
        ++written;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!ReplaceFileWith(temporaryFor(files[i].first), files[i].first, error)) {
            failed = files[i].first;
            removeTemporaries(i);
            return false;
        }
    }
    return true;
}

} // namespace quelby
