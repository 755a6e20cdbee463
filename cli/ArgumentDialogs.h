#pragma once

#include "app/data/FileDialogs.h"

#include <filesystem>
#include <optional>
#include <ostream>

namespace quelby::cli {

// The file dialogs answered by the command line: the file named there, once. Replacing an
// existing file needs --yes, as the save dialog would ask.
class ArgumentDialogs : public FileDialogs {
public:
    ArgumentDialogs(std::filesystem::path file, bool replace, std::ostream& err)
        : m_file(std::move(file)), m_replace(replace), m_err(err) {}

    std::optional<std::filesystem::path> openFile(const FileDialogRequest&) override {
        return takeFile();
    }
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest&) override {
        std::error_code ec;
        if (!m_given && !m_replace && std::filesystem::exists(m_file, ec)) {
            m_err << "quelby-cli: " << m_file.string()
                  << " already exists; give --yes to replace it." << std::endl;
            m_given = true;
        }
        return takeFile();
    }

private:
    std::optional<std::filesystem::path> takeFile() {
        if (m_given) return std::nullopt;
        m_given = true;
        return m_file;
    }

    std::filesystem::path m_file;
    bool m_replace;
    std::ostream& m_err;
    bool m_given = false;
};

} // namespace quelby::cli
