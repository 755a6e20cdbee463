// A program's file set on arbitrary contents: the input holds the hbx, rev and lcf files (a
// length byte pair before each of the first two). The download check and the upload choice
// agree with the first-line readers: a valid program has the board type of the hbx file's
// first character, a downloadable type, and the ident, checksum and revision of its revision
// file; a program that is not valid says why unless its hbx file holds no first field; the
// configuration an upload would write reads back as the digits the program was checked with.
#include "fuzz/ScratchFolder.h"
#include "link/BoardIdentity.h"
#include "link/DownloadFileCheck.h"
#include "link/ProgramFileSet.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

using namespace quelby;
namespace fs = std::filesystem;

namespace {

const fs::path& Folder() {
    return fuzz::ScratchFolder();
}

// The next part of the input: two bytes of length, then that many bytes (or what is left).
std::string_view Part(std::string_view& input) {
    if (input.size() < 2) {
        const std::string_view rest = input;
        input = {};
        return rest;
    }
    const std::size_t length =
        static_cast<std::uint8_t>(input[0]) << 8 | static_cast<std::uint8_t>(input[1]);
    input.remove_prefix(2);
    const std::string_view part = input.substr(0, length);
    input.remove_prefix(part.size());
    return part;
}

void Write(const fs::path& file, std::string_view text) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
}

void require(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const fs::path hbx = Folder() / "P.hbx";
    const std::string_view hbxText = Part(input);
    const std::string_view revText = Part(input);
    Write(hbx, hbxText);
    Write(Folder() / "P.rev", revText);
    Write(Folder() / "P.lcf", input);

    const DownloadFileCheck check = CheckDownloadFile(hbx);
    const ProgramSelection& program = check.selection;
    const FirstFieldRead first = ReadFirstField(hbx);
    const bool hasField = first.outcome == FirstFieldRead::Outcome::Read && !first.field.empty();
    const UploadFileChoice upload = ChooseUploadFile(hbx);
    if (hasField) {
        const int type = static_cast<unsigned char>(first.field.front());
        require(program.boardType == type && upload.selection.boardType == type);
    }
    if (!program.validProgram) {
        require(!hasField || !check.messages.empty());
        return 0;
    }
    require(hasField && check.messages.empty());
    const BoardGroup group = BoardGroupOf(program.boardType);
    require(group == BoardGroup::RevisionOnly || group == BoardGroup::RevisionAndConfiguration);

    const RevisionInfo revision = ParseRevisionField(ReadFirstField(Folder() / "P.rev").field);
    require(revision.valid && revision.ident == program.ident &&
            revision.checksum == program.checksum && revision.revision == program.revision);
    if (group == BoardGroup::RevisionAndConfiguration) {
        const ConfigDigits digits =
            ParseConfigurationField(ConfigurationFileText(program.boardType, program.config));
        require(digits.pos36 == program.config.pos36 && digits.pos39 == program.config.pos39 &&
                digits.pos40 == program.config.pos40);
    }
    return 0;
}
