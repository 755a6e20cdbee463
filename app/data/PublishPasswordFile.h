#pragma once

#include "app/data/PasswordStore.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace quelby {

// Support/Publish.password under the home folder, found whatever the case of its names.
std::filesystem::path PublishPasswordFile(const std::filesystem::path& home);

// Writes `contents` whole under a temporary name and renames it into place; on POSIX both
// are created readable and writable by the owner alone (0600), whatever the umask.
bool WritePrivateFile(const std::filesystem::path& file, const std::string& contents,
                      std::error_code& error);

// The password kept in a file of its own: the password on the first line (as
// quelby-cli --password-file reads it), its key on the second, so a password is never sent to
// another broker or for another user. On POSIX a file that group or others may read is
// refused (ReadPasswordFile).
class FilePasswordStore : public PasswordStore {
public:
    explicit FilePasswordStore(std::filesystem::path file) : m_file(std::move(file)) {}

    void read(const std::string& key, ReadDone done) override;
    void write(const std::string& key, const std::string& password, WriteDone done) override;

private:
    std::filesystem::path m_file;
};

} // namespace quelby
