#pragma once

#include <filesystem>
#include <string>

// Files beside a board program file, found whatever the case of their names.
namespace quelby {

// The board type code of a program: the character code (0..255) of the first character of
// the first item of the program's development-system file (same folder and base name,
// extension HBX). 68 ('D') when that file is missing, empty, unreadable or its first item
// is empty. Never fails.
int CompanionTypeCode(const std::filesystem::path& programFile);

// The file beside `path` with the same base name and extension `extension`, in the absolute
// form of the path's folder. An existing file of that name in another case is found; when
// there is none the name is as written. Never fails.
std::filesystem::path ReplaceExtension(const std::filesystem::path& path,
                                       const std::string& extension);

} // namespace quelby
