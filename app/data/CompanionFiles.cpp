#include "app/data/CompanionFiles.h"

#include "link/FilePaths.h"
#include "link/ProgramFileSet.h"

namespace quelby {
namespace {

constexpr int kDefaultTypeCode = 'D';

} // namespace

int CompanionTypeCode(const std::filesystem::path& programFile) {
    const FirstFieldRead first = ReadFirstField(ReplaceExtension(programFile, "HBX"));
    if (first.outcome != FirstFieldRead::Outcome::Read || first.field.empty())
        return kDefaultTypeCode;
    return static_cast<unsigned char>(first.field.front());
}

std::filesystem::path ReplaceExtension(const std::filesystem::path& path,
                                       const std::string& extension) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) absolute = path;
    const std::string name = absolute.stem().string() + "." + extension;
    return FindPath(absolute.parent_path(), name);
}

} // namespace quelby
