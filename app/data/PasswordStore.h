#pragma once

#include "app/data/PublishSettings.h"

#include <functional>
#include <string>

namespace quelby {

// Where the password of the broker's user is kept, by key (PublishConfig::passwordKey). A
// store may answer later, as a keyring does: `done` is called once, on the thread that asked,
// and not at all once the store is gone.
class PasswordStore {
public:
    // The password; neither password nor problem when none is kept for the key.
    using ReadDone = std::function<void(const CheckedText& password)>;
    // Empty, or why the password could not be kept.
    using WriteDone = std::function<void(const std::string& problem)>;

    virtual ~PasswordStore() = default;
    virtual void read(const std::string& key, ReadDone done) = 0;
    // An empty password removes the one kept.
    virtual void write(const std::string& key, const std::string& password, WriteDone done) = 0;
};

} // namespace quelby
