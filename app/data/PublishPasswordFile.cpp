#include "app/data/PublishPasswordFile.h"

#include "link/FilePaths.h"
#include "link/SystemServices.h"

#include <cerrno>
#include <fstream>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quelby {

namespace fs = std::filesystem;

fs::path PublishPasswordFile(const fs::path& home) {
    return FindPath(home, fs::path("Support") / "Publish.password");
}

bool WritePrivateFile(const fs::path& file, const std::string& contents, std::error_code& error) {
#ifdef _WIN32
    return WriteFileAtomically(file, contents, error);
#else
    error.clear();
    fs::path temporary = file;
    temporary += ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) {
        error = std::error_code(errno, std::generic_category());
        return false;
    }
    // A temporary file left by an earlier run keeps its mode when opened again.
    bool written = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
    for (std::size_t done = 0; written && done < contents.size();) {
        const ssize_t count = ::write(fd, contents.data() + done, contents.size() - done);
        if (count < 0 && errno == EINTR) continue;
        written = count > 0;
        if (written) done += static_cast<std::size_t>(count);
    }
    if (!written) error = std::error_code(errno ? errno : EIO, std::generic_category());
    if (::close(fd) != 0 && written) {
        written = false;
        error = std::error_code(errno, std::generic_category());
    }
    if (written && ReplaceFileWith(temporary, file, error)) return true;
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
#endif
}

void FilePasswordStore::read(const std::string& key, ReadDone done) {
    std::error_code error;
    if (!fs::exists(m_file, error) && !error) {
        done({std::nullopt, {}});
        return;
    }
    const CheckedText password = ReadPasswordFile(m_file);
    if (!password.text) {
        done(password);
        return;
    }
    std::ifstream in(m_file, std::ios::binary);
    std::string line, keptFor;
    std::getline(in, line);
    std::getline(in, keptFor);
    if (!keptFor.empty() && keptFor.back() == '\r') keptFor.pop_back();
    if (keptFor != key) {
        done({std::nullopt, {}});
        return;
    }
    done(password);
}

void FilePasswordStore::write(const std::string& key, const std::string& password, WriteDone done) {
    std::error_code error;
    if (password.empty()) {
        fs::remove(m_file, error);
        done(error ? "the password file " + m_file.string() + " cannot be removed: " + error.message()
                   : std::string());
        return;
    }
    if (password.find_first_of("\r\n") != std::string::npos || key.find_first_of("\r\n") != std::string::npos) {
        done("a password cannot hold a line break");
        return;
    }
    fs::create_directories(m_file.parent_path(), error);
    if (!error) WritePrivateFile(m_file, password + "\n" + key + "\n", error);
    done(error ? "the password file " + m_file.string() + " cannot be written: " + error.message()
               : std::string());
}

} // namespace quelby
