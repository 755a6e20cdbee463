#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quelby {

// What a file dialog shows: the filter in the "Description(*.ext)|*.ext|" form, the name
// it starts with (empty for none) and, where the dialog asks for something a plain "Open" or
// "Save" does not say, its title.
struct FileDialogRequest {
    std::string filter;
    std::filesystem::path initialName;
    std::string title = {};
};

// The common file dialogs as the core sees them. The desktop shows its own dialogs, the
// command-line tool takes the path from its arguments, tests answer from a script.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // A file to open; the file must exist. nullopt when the user cancelled.
    virtual std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) = 0;
    // A file to write; replacing an existing file was confirmed. A name typed without an
    // extension gets the chosen filter's. nullopt when cancelled.
    virtual std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) = 0;
};

} // namespace quelby
