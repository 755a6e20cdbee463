#include "app/data/BackupFolder.h"

#include <random>

namespace fs = std::filesystem;

namespace quelby {

std::string BackupManifestText(const BackupManifest& manifest) {
    std::string text = "QUELBY board backup\n";
    text += "Created: " + manifest.createdAt + "\n";
    text += "Board type: " + manifest.boardType + "\n";
    text += "Firmware revision: " + std::to_string(manifest.firmwareRevision) + "\n";
    for (const auto& [caption, code] : manifest.faultCodes)
        text += caption + ": " + code + "\n";
    text += "Fault description: " + manifest.faultDescription + "\n";
    text += "Program ident: " + manifest.programIdent + "\n";
    text += "Program checksum: " + std::to_string(manifest.programChecksum) + "\n";
    text += "Program revision: " + std::to_string(manifest.programRevision) + "\n";
    text += "PLS configuration:";
    for (std::int16_t value : manifest.plsConfiguration) text += " " + std::to_string(value);
    text += "\nService log events: " + std::to_string(manifest.serviceLogEvents);
    text += "\n\nSHA-256 of the files:\n";
    for (const auto& [name, digest] : manifest.files) text += digest + "  " + name + "\n";
    return text;
}

std::string BackupBoardIdentity(const BackupManifest& manifest) {
    return "Board type: " + manifest.boardType + "; Program ident: " + manifest.programIdent;
}

ServiceEvent BackupServiceEvent(const BackupManifest& manifest, const fs::path& folder,
                                std::string time, std::string user) {
    ServiceEvent event;
    event.time = std::move(time);
    event.user = std::move(user);
    event.program = "quelby-cli";
    event.source = kBackupSource;
    event.item = kBackupItem;
    event.asked = folder.string();
    event.confirmed = true;
    event.count = 0;
    event.detail = BackupBoardIdentity(manifest);
    return event;
}

std::vector<ServiceEvent> ServiceEventsSinceBackup(const ServiceLogContents& log,
                                                   const std::string& boardIdentity) {
    std::vector<ServiceEvent> events;
    for (const ServiceLogEntry& entry : log.entries) {
        if (!entry.event) continue;
        if (entry.event->item == kBackupItem && entry.event->detail == boardIdentity)
            events.clear();
        else
            events.push_back(*entry.event);
    }
    return events;
}

fs::path BackupTarget(const fs::path& target) {
    fs::path normal = target.lexically_normal();
    if (!normal.has_filename() && normal.has_parent_path()) normal = normal.parent_path();
    return normal;
}

std::optional<StagedFolder> StagedFolder::Create(const fs::path& given, std::error_code& error) {
    const fs::path target = BackupTarget(given);
    if (fs::exists(fs::symlink_status(target, error))) {
        error = std::make_error_code(std::errc::file_exists);
        return std::nullopt;
    }
    error.clear();
    const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path path = parent / ("." + target.filename().string() + ".incomplete-" +
                                        std::to_string(random() % 1000000));
        if (fs::create_directory(path, error)) return StagedFolder(path, target);
        if (error) return std::nullopt;
    }
    error = std::make_error_code(std::errc::file_exists);
    return std::nullopt;
}

StagedFolder::StagedFolder(StagedFolder&& other) noexcept
    : m_path(std::move(other.m_path)), m_target(std::move(other.m_target)),
      m_committed(other.m_committed) {
    other.m_committed = true; // the moved-from object removes nothing
}

StagedFolder::~StagedFolder() {
    if (m_committed || m_path.empty()) return;
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

bool StagedFolder::commit(std::error_code& error) {
    // A rename replaces an empty folder without a word, so the target is looked at again.
    if (fs::exists(fs::symlink_status(m_target, error))) {
        error = std::make_error_code(std::errc::file_exists);
        return false;
    }
    error.clear();
    fs::rename(m_path, m_target, error);
    if (error) return false;
    m_committed = true;
    return true;
}

} // namespace quelby
