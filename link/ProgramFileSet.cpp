#include "link/ProgramFileSet.h"

#include "link/BoardAddress.h"
#include "link/BoundedLineReader.h"
#include "link/FilePaths.h"
#include "link/HexDigits.h"
#include "link/ProgramMessages.h"
#include "link/TextCase.h"
#include "link/TextFields.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>

namespace quelby {
namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kFirstLineMaxBytes = std::uintmax_t{64} * 1024;

fs::path companion(const fs::path& folder, const std::string& hbxName, const char* lower) {
    const bool upperCase =
        hbxName.size() >= 3 && std::all_of(hbxName.end() - 3, hbxName.end(), [](char c) {
            return std::isupper(static_cast<unsigned char>(c));
        });
    std::string ext = lower;
    if (upperCase)
        for (char& c : ext)
            c = UpperAscii(c);
    const std::string name =
        hbxName.size() >= 3 ? hbxName.substr(0, hbxName.size() - 3) + ext : hbxName + "." + ext;
    if (folder.empty()) return FindPath(".", name).filename();
    return FindPath(folder, name);
}

char digitChar(int digit) {
    return digit >= 0 && digit <= 9 ? static_cast<char>('0' + digit) : '0';
}

} // namespace

ProgramFileSet ProgramFilesOf(const fs::path& hbxPath) {
    const std::string name = hbxPath.filename().string();
    const fs::path folder = hbxPath.parent_path();
    return {hbxPath, companion(folder, name, "rev"), companion(folder, name, "lcf"),
            companion(folder, name, "hex")};
}

FirstFieldRead ReadFirstField(std::istream& in) {
    FirstFieldRead result;
    BoundedLineReader reader(in, kFirstLineMaxLength, kFirstLineMaxBytes);
    std::string line;
    if (reader.next(line)) {
        result.outcome = FirstFieldRead::Outcome::Read;
        result.field = FirstField(line);
    } else if (reader.failed()) {
        result.outcome = FirstFieldRead::Outcome::ReadError;
        result.error = reader.error();
    } else {
        result.outcome = FirstFieldRead::Outcome::Empty;
    }
    return result;
}

FirstFieldRead ReadFirstField(const fs::path& file) {
    std::ifstream in;
    FirstFieldRead result;
    switch (OpenForReading(file, in, result.error)) {
    case FileOpenResult::Opened:
        return ReadFirstField(in);
    case FileOpenResult::Missing:
        result.outcome = FirstFieldRead::Outcome::Missing;
        result.error.clear();
        return result;
    case FileOpenResult::Failed:
        result.outcome = FirstFieldRead::Outcome::ReadError;
        return result;
    }
    return result;
}

RevisionInfo ParseRevisionField(std::string_view field) {
    RevisionInfo info;
    if (field.size() < 4) return info;
    const auto digits = field.size() - 4;
    info.ident = std::string(field.substr(0, digits));
    info.checksum = MarkHexPairToDecimal(field.substr(digits, 2));
    info.revision = MarkHexPairToDecimal(field.substr(digits + 2, 2));
    info.valid = true;
    return info;
}

RevisionFileRead ReadRevisionFile(const fs::path& file) {
    RevisionFileRead result;
    const FirstFieldRead first = ReadFirstField(file);
    if (first.outcome == FirstFieldRead::Outcome::Read)
        result.info = ParseRevisionField(first.field);
    else if (first.outcome == FirstFieldRead::Outcome::ReadError)
        result.message = ProgramMessages::RunTimeError("RSComm-Set Program Ident",
                                                       MessageIcon::Critical, first.error);
    return result;
}

ConfigDigits ParseConfigurationField(std::string_view field) {
    ConfigDigits digits;
    auto digitAt = [&](std::size_t position, int& digit) {
        if (field.size() >= position &&
            std::isdigit(static_cast<unsigned char>(field[position - 1])))
            digit = field[position - 1] - '0';
    };
    digitAt(36, digits.pos36);
    digitAt(39, digits.pos39);
    digitAt(40, digits.pos40);
    return digits;
}

ConfigurationFileRead ReadConfigurationFile(const fs::path& file) {
    ConfigurationFileRead result;
    const FirstFieldRead first = ReadFirstField(file);
    if (first.outcome == FirstFieldRead::Outcome::Read) {
        result.digits = ParseConfigurationField(first.field);
        result.valid = true;
    } else if (first.outcome == FirstFieldRead::Outcome::ReadError) {
        result.message = ProgramMessages::RunTimeError("RSComm-Set Program Config",
                                                       MessageIcon::Critical, first.error);
    }
    return result;
}

std::string RevisionFileText(const BoardIdentityBytes& identity) {
    std::string line;
    for (int i = 0; i < 8; ++i) {
        char c = static_cast<char>(identity[static_cast<std::size_t>(i)]);
        if (c == '\r' || c == '\n') c = '\0';
        if (c == '"') c = '\'';
        line += c;
    }
    line += HEX2MarkHEX(HexByteText(identity[8]));
    line += HEX2MarkHEX(HexByteText(identity[9]));
    if (line.find(',') != std::string::npos) line = '"' + line + '"';
    return line + "\r\n";
}

std::string ConfigurationFileText(int boardType, const ConfigDigits& digits) {
    std::string index = LCFBoardIndex(boardType);
    if (index.empty()) index = "0";
    return index + std::string(34, '0') + digitChar(digits.pos36) + "00" + digitChar(digits.pos39) +
           digitChar(digits.pos40) + "000%\r\n";
}

std::optional<MessageRequest> WriteUploadFiles(
    const std::vector<std::pair<fs::path, std::string>>& files) {
    std::error_code error;
    fs::path failed;
    if (WriteFilesAtomically(files, error, failed)) return std::nullopt;
    return ProgramMessages::RunTimeError("RSComm-Upload Program", MessageIcon::Information, error);
}

} // namespace quelby
