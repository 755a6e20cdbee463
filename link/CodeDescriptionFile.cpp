#include "link/CodeDescriptionFile.h"

#include "link/BoundedLineReader.h"
#include "link/FilePaths.h"
#include "link/HexDigits.h"
#include "link/HomeFolder.h"
#include "link/ProgramMessages.h"
#include "link/TextCase.h"
#include "link/TextFields.h"

#include <cerrno>
#include <fstream>

namespace quelby {
namespace fs = std::filesystem;

CodeLookup LookupCode(std::istream& in, std::string_view code, CodeMatch match) {
    CodeLookup result;
    BoundedLineReader reader(in, kCodeFileMaxLineLength, kCodeFileMaxBytes);
    std::string line;
    while (reader.next(line)) {
        if (IsBlankLine(line)) continue;
        auto fields = SplitFields(line, 2);
        if (!SameIgnoringCase(fields[0], code)) continue;
        result.outcome = CodeLookup::Outcome::Found;
        result.description = fields.size() > 1 ? std::move(fields[1]) : std::string();
        if (match == CodeMatch::First) return result;
    }
    if (reader.failed()) {
        result.outcome = CodeLookup::Outcome::ReadError;
        result.error = reader.error();
    }
    return result;
}

CodeLookup LookupCode(const fs::path& file, std::string_view code, CodeMatch match) {
    std::ifstream in;
    CodeLookup result;
    switch (OpenForReading(file, in, result.error)) {
    case FileOpenResult::Opened:
        return LookupCode(in, code, match);
    case FileOpenResult::Missing:
        result.outcome = CodeLookup::Outcome::FileMissing;
        result.error.clear();
        return result;
    case FileOpenResult::Failed:
        result.outcome = CodeLookup::Outcome::ReadError;
        return result;
    }
    return result;
}

std::string CodeHexText(int code) {
    auto value = static_cast<unsigned>(code) & 0xFFFFu;
    std::string hex;
    do {
        hex.insert(hex.begin(), kHexDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    if (hex.size() == 1) hex.insert(hex.begin(), '0');
    return hex;
}

fs::path FaultCodesFile(const fs::path& homeFolder) {
    return FindRunTimeFile(homeFolder, fs::path("Support") / "FaultErrCodes.txt");
}

fs::path CommCodesFile(const fs::path& homeFolder) {
    return FindRunTimeFile(homeFolder, fs::path("Support") / "CommErrCodes.txt");
}

FaultDescriptionResult FaultDescriptionText(const fs::path& file, int code) {
    const std::string hex = CodeHexText(code);
    FaultDescriptionResult result{"Fault Code (" + hex + "H): ", std::nullopt};
    const CodeLookup lookup = LookupCode(file, hex, CodeMatch::First);
    switch (lookup.outcome) {
    case CodeLookup::Outcome::Found:
        result.text += lookup.description;
        break;
    case CodeLookup::Outcome::FileMissing:
        result.text += "--- Fault File Not Found ---";
        break;
    case CodeLookup::Outcome::NotFound:
        break;
    case CodeLookup::Outcome::ReadError:
        result.message = ProgramMessages::RunTimeError("RSComm FaultDescription",
                                                       MessageIcon::Information, lookup.error);
        break;
    }
    return result;
}

} // namespace quelby
