#pragma once

#include "app/data/ServiceLog.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

// A backup of a board before a service visit: a folder built under a temporary name beside its
// final place and renamed into place only when every file is in it, and its manifest.
namespace quelby {

// What the manifest records besides the files.
struct BackupManifest {
    std::string createdAt;      // "2026-12-06 14:50:01"
    std::string boardType;      // "K650(PLC) (68)"
    int firmwareRevision = 0;
    // Caption ("Current Fault") and code as the Target Board Interface shows it ("0AH").
    std::vector<std::pair<std::string, std::string>> faultCodes;
    std::string faultDescription;
    std::string programIdent;
    int programChecksum = 0;
    int programRevision = 0;
    std::array<std::int16_t, 19> plsConfiguration{};
    int serviceLogEvents = 0; // the events in service-log.jsonl
    std::vector<std::pair<std::string, std::string>> files; // name and SHA-256 digest
};

inline constexpr const char* kManifestFileName = "manifest.txt";
inline constexpr const char* kServiceLogFileName = "service-log.jsonl";
inline constexpr const char* kBackupSource = "quelby-cli backup";
inline constexpr const char* kBackupItem = "Backup";

// The manifest's text: "Name: value" lines, then "SHA-256  NAME" lines (the layout sha256sum
// checks), CR-free. Never fails.
std::string BackupManifestText(const BackupManifest& manifest);

// The board as the manifest names it, "Board type: K650(PLC) (68); Program ident: K650SIM": the
// detail of a backup's event in the service log, which tells the boards' backups apart.
std::string BackupBoardIdentity(const BackupManifest& manifest);
// The service log's event for a backup committed into `folder`.
ServiceEvent BackupServiceEvent(const BackupManifest& manifest, const std::filesystem::path& folder,
                                std::string time, std::string user);
// The events a new backup of the board `boardIdentity` takes along: those after the board's
// last backup in the log, or all of them when it has none. Unreadable lines are left out.
std::vector<ServiceEvent> ServiceEventsSinceBackup(const ServiceLogContents& log,
                                                   const std::string& boardIdentity);

// The folder a backup is built in. Refuses a target that exists; removes what it built unless
// it was committed, so a failed backup leaves nothing that looks complete.
class StagedFolder {
public:
    // Makes the temporary folder ".NAME.incomplete-XXXXXX" beside `target`. nullopt with
    // `error` set when `target` exists (file_exists) or the folder cannot be made.
    static std::optional<StagedFolder> Create(const std::filesystem::path& target,
                                              std::error_code& error);
    ~StagedFolder();
    StagedFolder(StagedFolder&& other) noexcept;
    StagedFolder& operator=(StagedFolder&&) = delete;
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    const std::filesystem::path& target() const { return m_target; }
    // Renames the folder to the target. False with `error` set when the target has appeared
    // meanwhile (file_exists) or the rename failed; the folder is then removed on destruction.
    bool commit(std::error_code& error);

private:
    StagedFolder(std::filesystem::path path, std::filesystem::path target)
        : m_path(std::move(path)), m_target(std::move(target)) {}

    std::filesystem::path m_path;
    std::filesystem::path m_target;
    bool m_committed = false;
};

// `target` without a trailing separator ("out/" -> "out"), so its name and parent are its own.
std::filesystem::path BackupTarget(const std::filesystem::path& target);

} // namespace quelby
