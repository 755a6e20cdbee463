#pragma once

#include "app/data/PublishPasswordFile.h"

#include <QObject>

#include <filesystem>

namespace quelby {

// The password in the platform's keyring (service "QUELBY"), through QtKeychain. Where no
// keyring answers (no secret service, as on a build machine), in the file store instead; a
// password the keyring took is removed from the file.
class KeyringPasswordStore : public PasswordStore {
public:
    explicit KeyringPasswordStore(std::filesystem::path fallbackFile);

    void read(const std::string& key, ReadDone done) override;
    void write(const std::string& key, const std::string& password, WriteDone done) override;

private:
    FilePasswordStore m_file;
    // The keyring's answers are taken only while the store exists.
    QObject m_context;
};

} // namespace quelby
