#include "app/shell/KeyringPasswordStore.h"

#include <qt6keychain/keychain.h>

namespace quelby {
namespace {
const QString kService = QStringLiteral("QUELBY");
} // namespace

KeyringPasswordStore::KeyringPasswordStore(std::filesystem::path fallbackFile)
    : m_file(std::move(fallbackFile)) {}

void KeyringPasswordStore::read(const std::string& key, ReadDone done) {
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(QString::fromStdString(key));
    QObject::connect(job, &QKeychain::Job::finished, &m_context,
                     [this, job, key, done = std::move(done)] {
                         if (job->error() == QKeychain::NoError)
                             done({job->textData().toStdString(), {}});
                         else
                             m_file.read(key, done);
                     });
    job->start();
}

void KeyringPasswordStore::write(const std::string& key, const std::string& password,
                                 WriteDone done) {
    QKeychain::Job* job = nullptr;
    if (password.empty()) {
        job = new QKeychain::DeletePasswordJob(kService);
    } else {
        auto* writeJob = new QKeychain::WritePasswordJob(kService);
        writeJob->setTextData(QString::fromStdString(password));
        job = writeJob;
    }
    job->setKey(QString::fromStdString(key));
    QObject::connect(job, &QKeychain::Job::finished, &m_context,
                     [this, job, key, password, done = std::move(done)] {
                         const bool kept = job->error() == QKeychain::NoError ||
                                           (password.empty() && job->error() == QKeychain::EntryNotFound);
                         // Kept in the keyring: no copy stays in the file. Else the file keeps it.
                         m_file.write(key, kept ? std::string() : password, done);
                     });
    job->start();
}

} // namespace quelby
